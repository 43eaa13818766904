#include "reports/ReportWindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCompleter>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>

#include <array>
#include <vector>

#include "app/ChoiceList.h"
#include "app/Config.h"
#include "app/MessageBox.h"
#include "net/DocumentHold.h"
#include "reports/ReportListModel.h"
#include "reports/ReportRunner.h"
#include "res/RESOURCE.H"
#include "skin/SkinListView.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"

namespace fw {
namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The nine inputs a pending request or a running report keeps from the user.
constexpr std::array<int, 9> kInputs = {
    IDC_BTN_STAT_SEARCH, IDC_CMB__STAT_GONGSI,     IDC_CMB_STAT_CHEPAI,
    IDC_DATETIME_STAT_S, IDC_DATETIME_STAT_E,      IDC_BTN_STAT_SCBB,
    IDC_RAD_STAT_ZT_ALL, IDC_RAD_STAT_ZT_WANCHENG, IDC_RAD_STAT_ZT_WEIWANCHENG};

// Offers a text in a drop-down: select the first item it begins, else append it.
void OfferInCombo(QComboBox* combo, const std::string& text) {
    if (combo == nullptr) return;
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(combo->count()));
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    const auto index = static_cast<int>(OfferChoice(items, text));
    if (index == combo->count()) combo->addItem(Q(text));
    combo->setCurrentIndex(index);
}

}  // namespace

ReportWindow::ReportWindow(ReportSession session, QWidget* owner)
    : CUIWnd(owner),
      session_(std::move(session)),
      model_(new ReportListModel(this)),
      runner_(new ReportRunner(session_.stopTimes, session_.routes, session_.vehicles,
                               &session_.log, this)) {
    runner_->SetWireCodec(&session_.wire);
    connect(runner_, &ReportRunner::progress, this, &ReportWindow::ShowProgress);
    connect(runner_, &ReportRunner::finished, this, &ReportWindow::OnRunFinished);
    if (session_.dispatcher != nullptr) session_.dispatcher->SetReportEvents(this);
}

ReportWindow::~ReportWindow() {
    if (session_.dispatcher != nullptr) session_.dispatcher->SetReportEvents(nullptr);
    // Closing during a run: the transfer stops here and what it held is not handled any more.
    if (runner_->IsRunning()) {
        runner_->Abort();
        if (session_.hold != nullptr) session_.hold->Clear();
    }
}

void ReportWindow::InitSkinWindowId() { SetSkinWindowId(IDW_BAOBIAO); }

bool ReportWindow::WantsModelList(int controlId) const { return controlId == IDC_LSTCTRL_REPORT; }

bool ReportWindow::OnCreate() {
    for (int id : kInputs)
        if (GetDlgItem(id) == nullptr) return false;
    auto* list = Item<SkinListView>(IDC_LSTCTRL_REPORT);
    if (list == nullptr || Item<QLabel>(IDC_STA_STAT_TRACK) == nullptr ||
        Item<QProgressBar>(IDC_PRG_STAT_TRACK) == nullptr ||
        Item<QLabel>(IDC_STA_STAT_RULE) == nullptr)
        return false;

    const QDate today = session_.today();
    for (auto [id, time] : {std::pair{IDC_DATETIME_STAT_S, QTime(5, 0)},
                            std::pair{IDC_DATETIME_STAT_E, QTime(21, 0)}}) {
        auto* picker = Item<QDateTimeEdit>(id);
        picker->setDisplayFormat(kDateTimeFormat);
        picker->setDateTime(QDateTime(today, time));
    }

    list->setModel(model_);
    for (std::size_t c = 0; c < kReportColumnCount; ++c)
        list->header()->resizeSection(static_cast<int>(c), kReportColumns[c].width);
    list->SetImageList(session_.rowImages);

    // A typed plate is completed from the listed ones, wherever in the plate the typing matches.
    auto* completer = new QCompleter(Plates()->model(), Plates());
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    Plates()->setCompleter(completer);

    connect(Groups(), &QComboBox::activated, this, [this] { FillVehicleCombo(); });
    Groups()->setCurrentIndex(0);
    Plates()->setCurrentIndex(0);
    Item<QRadioButton>(IDC_RAD_STAT_ZT_ALL)->setChecked(true);
    return true;
}

QComboBox* ReportWindow::Groups() const { return Item<QComboBox>(IDC_CMB__STAT_GONGSI); }
QComboBox* ReportWindow::Plates() const { return Item<QComboBox>(IDC_CMB_STAT_CHEPAI); }

void ReportWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_BTN_STAT_SEARCH)
        QueryReport();
    else if (id == IDC_BTN_STAT_SCBB)
        RequestStopTimes();
    // The hidden "删除所选" and report-type radios do nothing.
}

void ReportWindow::AddGroupChoice(const std::string& group) { OfferInCombo(Groups(), group); }

void ReportWindow::AddVehicleChoice(const std::string& plate) { OfferInCombo(Plates(), plate); }

void ReportWindow::FillVehicleCombo() {
    QComboBox* groups = Groups();
    const int index = groups->currentIndex();
    const std::string company = index >= 0 ? groups->itemText(index).toStdString() : std::string();
    Plates()->clear();
    for (const std::string& plate : session_.vehicles.PlatesOfGroup(company, session_.login.user))
        AddVehicleChoice(plate);
}

StatusFilter ReportWindow::ReadFilter() const {
    if (Item<QRadioButton>(IDC_RAD_STAT_ZT_WANCHENG)->isChecked()) return StatusFilter::Completed;
    if (Item<QRadioButton>(IDC_RAD_STAT_ZT_WEIWANCHENG)->isChecked())
        return StatusFilter::NotCompleted;
    return StatusFilter::All;
}

ReportForm ReportWindow::ReadForm() const {
    ReportForm form;
    form.group = Groups()->currentText().toStdString();
    form.plate = Plates()->currentText().toStdString();
    form.start = Item<QDateTimeEdit>(IDC_DATETIME_STAT_S)->text().toStdString();
    form.end = Item<QDateTimeEdit>(IDC_DATETIME_STAT_E)->text().toStdString();
    form.userName = session_.login.user;
    form.serverAddress = session_.login.server;
    form.webPort = session_.login.webPort;
    form.filter = ReadFilter();
    form.detection.rule = session_.login.detection;
    return form;
}

void ReportWindow::DisableReportControls() {
    for (int id : kInputs) GetDlgItem(id)->setEnabled(false);
}

void ReportWindow::EnableReportControls() {
    for (int id : kInputs) GetDlgItem(id)->setEnabled(true);
}

void ReportWindow::QueryReport() {
    model_->Clear();
    ShowRule(std::nullopt);  // the server's rows are its own
    DisableReportControls();
    session_.send(ReportQueryMessage(ReadForm(), session_.vehicles));
}

void ReportWindow::RequestStopTimes() {
    model_->Clear();
    ShowRule(std::nullopt);
    const ReportForm form = ReadForm();
    if (form.plate.empty()) {
        ShowMessage(this, Q(kEmptyPlateText));
        return;
    }
    DisableReportControls();
    // A table that cannot be emptied still takes the new rows; the report shows what it has.
    session_.stopTimes.DeleteAllStopTimes();
    session_.send(StopTimesMessage(form, session_.vehicles));
}

bool ReportWindow::ReportBatchEnded(bool runReport) {
    QPointer<ReportWindow> self(this);
    const int login = logins_;
    // A run that started enables the inputs when it ends.
    if (runReport && RunReport()) return true;
    if (!self || logins_ != login) return false;  // ended under the message box
    EnableReportControls();
    return true;
}

bool ReportWindow::RunReport() {
    if (std::optional<std::string> refusal = runner_->Start(ReadForm())) {
        ShowMessage(this, Q(*refusal));
        return false;
    }
    if (session_.hold != nullptr) session_.hold->Begin();
    SetBusy(true);
    return true;
}

void ReportWindow::OnRunFinished() {
    ReportRunner::Result result = runner_->TakeResult();
    SetBusy(false);
    model_->AddRunRows(std::move(result.rows));
    ShowRule(result.outcome.rule);
    QPointer<ReportWindow> self(this);
    const int login = logins_;
    if (!result.message.empty()) ShowMessage(this, Q(result.message));
    if (!self || logins_ != login) return;
    EnableReportControls();
    emit reportListed();
    // What arrived meanwhile is handled now, in order; it may start the next run.
    if (session_.hold != nullptr) session_.hold->Release();
}

void ReportWindow::AddReportRow(const Message& message) {
    model_->AddServerRow(message.body, session_.vehicles, ReadFilter());
}

void ReportWindow::EndLogin() {
    ++logins_;
    runner_->Abort();
    if (session_.hold != nullptr) session_.hold->Clear();
    SetBusy(false);
    model_->Clear();
    ShowRule(std::nullopt);
    EnableReportControls();
}

bool ReportWindow::IsRunning() const { return runner_->IsRunning(); }

void ReportWindow::ShowRule(std::optional<DetectionRule> rule) {
    auto* label = Item<QLabel>(IDC_STA_STAT_RULE);
    label->setText(rule ? Q(DetectionRuleCaption(*rule)) : QString());
    label->setVisible(rule.has_value());
}

void ReportWindow::SetBusy(bool busy) {
    if (busy) ShowRule(std::nullopt);  // the busy text takes its place
    auto* text = Item<QLabel>(IDC_STA_STAT_TRACK);
    auto* bar = Item<QProgressBar>(IDC_PRG_STAT_TRACK);
    text->setText(Q(TrackProgressText(0, -1)));
    text->setVisible(busy);
    bar->setValue(0);
    bar->setVisible(false);
}

void ReportWindow::ShowProgress(qint64 received, qint64 total) {
    Item<QLabel>(IDC_STA_STAT_TRACK)->setText(Q(TrackProgressText(received, total)));
    auto* bar = Item<QProgressBar>(IDC_PRG_STAT_TRACK);
    if (total > 0) {
        bar->setRange(0, 1000);
        bar->setValue(static_cast<int>(std::min<qint64>(received, total) * 1000 / total));
        bar->setVisible(true);
    }
}

}  // namespace fw
