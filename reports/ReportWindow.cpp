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
#include <utility>
#include <vector>

#include "base/ChoiceList.h"
#include "base/Config.h"
#include "base/FileDialog.h"
#include "base/MessageBox.h"
#include "net/DocumentHold.h"
#include "net/NotSent.h"
#include "reports/ChartWindow.h"
#include "reports/CsvWriter.h"
#include "reports/ExportJob.h"
#include "reports/PunctualityChart.h"
#include "reports/ReportNotices.h"
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

// Offers a text in a drop-down: select the first item it begins, else append it. With
// keepChoice a list that has a choice keeps it.
void OfferInCombo(QComboBox* combo, const std::string& text, bool keepChoice) {
    if (combo == nullptr) return;
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(combo->count()));
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    const auto index = static_cast<int>(OfferChoice(items, text));
    if (index == combo->count()) combo->addItem(Q(text));
    if (!keepChoice || combo->currentIndex() < 0) combo->setCurrentIndex(index);
}

// Where a list comes from: the form of its request and the rule that made it.
ReportHeading HeadingOf(const ReportForm& form, std::string_view rule,
                        std::string_view matching = {}) {
    return ReportHeading{.company = form.group,
                         .plate = form.plate,
                         .start = form.start,
                         .end = form.end,
                         .rule = std::string(rule),
                         .generatedAt = {},
                         .matching = std::string(matching)};
}

// The size the charts are drawn at, on screen and on the PDF's last page.
constexpr QSize kChartSize(980, 290);

}  // namespace

ReportWindow::ReportWindow(ReportSession session, QWidget* owner)
    : CUIWnd(owner),
      session_(std::move(session)),
      model_(new ReportListModel(this)),
      runner_(new ReportRunner(session_.stopTimes, session_.routes, session_.vehicles,
                               &session_.log, this)),
      export_(new ExportJob(this)),
      folder_{[this] { return session_.login.exportFolder; },
              [this](const std::string& folder) {
                  if (session_.rememberExportFolder) session_.rememberExportFolder(folder);
              }} {
    runner_->SetWireCodec(&session_.wire);
    connect(runner_, &ReportRunner::progress, this, &ReportWindow::ShowProgress);
    connect(runner_, &ReportRunner::finished, this, &ReportWindow::OnRunFinished);
    lossGrace_.setSingleShot(true);
    connect(&lossGrace_, &QTimer::timeout, this, [this] {
        if (unfinished_) FinishRun(*std::exchange(unfinished_, std::nullopt));
    });
    connect(export_, &ExportJob::progress, this, &ReportWindow::ShowExportProgress);
    connect(export_, &ExportJob::finished, this, &ReportWindow::OnExportFinished);
    // The chart button follows whether there is anything to chart.
    connect(model_, &ReportListModel::modelReset, this, &ReportWindow::UpdateExportButtons);
    connect(model_, &ReportListModel::rowsInserted, this, &ReportWindow::UpdateExportButtons);
    if (session_.dispatcher != nullptr) session_.dispatcher->SetReportEvents(this);
}

ReportWindow::~ReportWindow() {
    if (session_.dispatcher != nullptr) session_.dispatcher->SetReportEvents(nullptr);
    // Closing during a run or an export: it stops here and what it held is not handled any more.
    if (runner_->IsRunning() || export_->IsRunning()) {
        runner_->Abort();
        export_->Abort();
        if (session_.hold != nullptr) session_.hold->Clear();
    }
    delete charts_.data();  // a window of its own, not a child
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
    for (int id : {IDC_BTN_STAT_EXPORT, IDC_BTN_STAT_CHART, IDC_RAD_STAT_TYPE_PDF,
                   IDC_RAD_STAT_TYPE_EXCEL, IDC_RAD_STAT_TYPE_CSV})
        if (Item<QAbstractButton>(id) == nullptr) return false;

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
    Item<QRadioButton>(IDC_RAD_STAT_TYPE_EXCEL)->setChecked(true);
    UpdateExportButtons();
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
    else if (id == IDC_BTN_STAT_EXPORT)
        export_->IsRunning() ? export_->Cancel() : ExportList();
    else if (id == IDC_BTN_STAT_CHART)
        ShowCharts();
    // The hidden "删除所选" does nothing; the format radios are read when an export starts.
}

void ReportWindow::AddGroupChoice(const std::string& group, bool keepChoice) {
    OfferInCombo(Groups(), group, keepChoice);
}

void ReportWindow::AddVehicleChoice(const std::string& plate, bool keepChoice) {
    OfferInCombo(Plates(), plate, keepChoice);
}

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
    form.detection.matching = session_.login.matching;
    return form;
}

void ReportWindow::DisableReportControls() {
    for (int id : kInputs) GetDlgItem(id)->setEnabled(false);
    UpdateExportButtons();
}

void ReportWindow::EnableReportControls() {
    for (int id : kInputs) GetDlgItem(id)->setEnabled(true);
    UpdateExportButtons();
}

// "导出" works while the inputs do (the list is complete then), and cancels while it writes;
// "图表" needs rows.
void ReportWindow::UpdateExportButtons() {
    auto* exportButton = Item<QAbstractButton>(IDC_BTN_STAT_EXPORT);
    auto* chartButton = Item<QAbstractButton>(IDC_BTN_STAT_CHART);
    if (exportButton == nullptr || chartButton == nullptr) return;
    const bool idle = GetDlgItem(IDC_BTN_STAT_SEARCH)->isEnabled();
    const bool exporting = export_->IsRunning();
    exportButton->setText(exporting ? QStringLiteral("取消") : QStringLiteral("导出"));
    exportButton->setEnabled(exporting || idle);
    chartButton->setEnabled(idle && !exporting && model_->rowCount() > 0);
}

void ReportWindow::QueryReport() {
    const ReportForm form = ReadForm();
    // Without the connection the list and the form stay as they are.
    if (!session_.send(ReportQueryMessage(form, session_.vehicles))) {
        ShowMessage(this, Q(NotSentText(kReportNotQueried)));
        return;
    }
    awaitingServer_ = true;
    model_->Clear();
    ShowRule(std::nullopt);  // the server's rows are its own
    DisableReportControls();
    listed_ = HeadingOf(form, kServerRuleName);
}

void ReportWindow::RequestStopTimes() {
    const ReportForm form = ReadForm();
    if (form.plate.empty()) {
        model_->Clear();
        ShowRule(std::nullopt);
        ShowMessage(this, Q(kEmptyPlateText));
        return;
    }
    // The run works on the store: without it there is nothing to report on.
    if (const Database& store = session_.stopTimes.Db(); !store.IsOpen()) {
        ShowMessage(this, Q(StoreUnavailableText(store.OpenProblem())));
        return;
    }
    if (std::optional<std::string> refusal = days_.Plan(form.start, form.end)) {
        ShowMessage(this, Q(*refusal));
        return;
    }
    if (!RequestDay(form)) {
        days_.Clear();
        return;
    }
    model_->Clear();
    ShowRule(std::nullopt);
    DisableReportControls();
}

// Asks for the stops of the start day, or of the plan's current day; false, and told, when it
// could not be sent.
bool ReportWindow::RequestDay(ReportForm form) {
    if (days_.Active()) form.start = days_.Start();
    if (!session_.send(StopTimesMessage(form, session_.vehicles))) {
        ShowMessage(this, Q(NotSentText(kReportNotGenerated)));
        return false;
    }
    awaitingServer_ = true;
    if (days_.Active()) {
        awaitingDay_ = true;
        auto* text = Item<QLabel>(IDC_STA_STAT_TRACK);
        text->setText(Q(DayProgressText(days_.Progress(), "正在获取计划站点…")));
        text->setVisible(true);
    }
    // Emptied before the answers can arrive (they come after this returns). A table that cannot
    // be emptied still takes the new rows; the report shows what it has.
    session_.stopTimes.DeleteAllStopTimes();
    return true;
}

bool ReportWindow::ReportBatchEnded(bool runReport) {
    // A plan of several days runs each of its days once that day's stops are in; any other batch
    // end is not one of its.
    if (days_.Active()) {
        if (!runReport || !awaitingDay_) return true;
        awaitingDay_ = false;
    }
    awaitingServer_ = false;
    QPointer<ReportWindow> self(this);
    const int login = logins_;
    // A run that started enables the inputs when it ends.
    if (runReport && RunReport()) return true;
    if (!self || logins_ != login) return false;  // ended under the message box
    EnableReportControls();
    return true;
}

bool ReportWindow::RunReport() {
    ReportForm form = ReadForm();
    if (days_.Active()) {
        form.start = days_.Start();
        form.end = days_.End();
    }
    runner_->SetTimeouts({.idleMs = session_.login.trackTimeout * 1000});
    lostDuringRun_ = false;
    if (std::optional<std::string> refusal = runner_->Start(form)) {
        days_.Clear();
        ShowMessage(this, Q(*refusal));
        return false;
    }
    listed_ = HeadingOf(form, DetectionRuleTitle(form.detection.rule),
                        MatchingTitle(form.detection.matching));
    if (days_.Active()) {
        listed_.start = days_.RangeStart();
        listed_.end = days_.RangeEnd();
    }
    if (session_.hold != nullptr) session_.hold->Begin();
    // A batch end nobody asked for starts a run too: its inputs wait for it like any other's.
    DisableReportControls();
    SetBusy(true);
    return true;
}

void ReportWindow::OnRunFinished() {
    ReportRunner::Result result = runner_->TakeResult();
    if (!result.failure.isEmpty() && !lostDuringRun_) {
        // A server that goes takes the track and the connection at once, and the connection's
        // loss may be noticed a moment after the transfer's: wait that moment to tell which.
        unfinished_ = std::move(result);
        lossGrace_.start(kLossGraceMs);
        return;
    }
    FinishRun(std::move(result));
}

void ReportWindow::FinishRun(ReportRunner::Result result) {
    // The server went with the track: the report is incomplete rather than without real times.
    const bool cut = std::exchange(lostDuringRun_, false) && !result.failure.isEmpty();
    if (cut) result.message = std::string(kReportCutText);
    listed_.rule = std::string(DetectionRuleTitle(result.outcome.rule));
    listed_.matching = std::string(MatchingTitle(result.outcome.matching));
    SetBusy(false);
    model_->AddRunRows(std::move(result.rows));
    ShowRule(result.outcome.rule, result.outcome.matching);
    if (days_.Active()) {
        if (!result.message.empty()) days_.Note(result.message);
        // A run the server's loss cut short ends the plan.
        if (!cut && days_.Next()) {
            // What arrived meanwhile is handled first, then the next day is asked for.
            QPointer<ReportWindow> self(this);
            const int login = logins_;
            if (session_.hold != nullptr) session_.hold->Release();
            if (!self || logins_ != login) return;
            if (days_.Active() && RequestDay(ReadForm())) return;
        }
        result.message = days_.Notes();
        days_.Clear();
    }
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
    days_.Clear();
    awaitingDay_ = false;
    lossGrace_.stop();
    unfinished_.reset();
    awaitingServer_ = false;
    runner_->Abort();
    export_->Abort();
    if (session_.hold != nullptr) session_.hold->Clear();
    SetBusy(false);
    model_->Clear();
    ShowRule(std::nullopt);
    listed_ = {};
    if (charts_) charts_->hide();
    EnableReportControls();
}

void ReportWindow::ConnectionLost() {
    if (IsRunning()) lostDuringRun_ = true;
    // The news the failed transfer waited for: it ends once the other pages have heard it too.
    if (lossGrace_.isActive()) lossGrace_.start(0);
    if (!std::exchange(awaitingServer_, false)) return;
    // A plan of several days waiting for a day's stops ends with them.
    if (days_.Active()) {
        days_.Clear();
        awaitingDay_ = false;
        SetBusy(false);
    }
    EnableReportControls();
    ShowMessage(this, Q(kReportCutText));
}

bool ReportWindow::IsRunning() const { return runner_->IsRunning() || lossGrace_.isActive(); }

bool ReportWindow::IsExporting() const { return export_->IsRunning(); }

ChartWindow* ReportWindow::Charts() const { return charts_.data(); }

ExportFormat ReportWindow::ReadFormat() const {
    if (Item<QRadioButton>(IDC_RAD_STAT_TYPE_PDF)->isChecked()) return ExportFormat::Pdf;
    if (Item<QRadioButton>(IDC_RAD_STAT_TYPE_CSV)->isChecked()) return ExportFormat::Csv;
    return ExportFormat::Xlsx;
}

void ReportWindow::ExportList() {
    if (IsRunning() || export_->IsRunning()) return;
    const ExportFormat format = ReadFormat();
    // Nothing listed yet: the header names what the controls show.
    ReportHeading heading = listed_.start.empty() ? HeadingOf(ReadForm(), "") : listed_;
    heading.generatedAt = session_.now().toString(kDateTimeFormat).toStdString();
    static const QString filters[] = {QStringLiteral("Excel 工作簿 (*.xlsx)"),
                                      QStringLiteral("CSV 文件 (*.csv)"),
                                      QStringLiteral("PDF 文件 (*.pdf)")};
    const QString suffix = Q(ExtensionOf(format));
    QString path =
        ChooseFileToSave(this, filters[static_cast<int>(format)],
                         folder_.Proposal(ExportFileName(heading, "报表", ExtensionOf(format))));
    if (path.isEmpty()) return;
    path = WithSuffix(path, suffix);

    ExportJob::Request request;
    request.format = format;
    request.path = path.toStdString();
    request.heading = std::move(heading);
    request.rows.reserve(model_->Rows().Size());
    for (const ReportRow& row : model_->Rows().Rows()) request.rows.push_back(row);
    request.window = OnTimeWindow{session_.login.onTimeEarly, session_.login.onTimeLate};
    request.charset = CsvCharsetNamed(session_.login.csvCharset).value_or(CsvCharset::Utf8);
    // Charts are drawn here, on the interface thread; the PDF replays the drawing.
    if (format == ExportFormat::Pdf && !request.rows.empty())
        request.charts = DrawCharts(request.rows, request.window, kChartSize);
    exportPath_ = path;
    exportRows_ = request.rows.size();

    DisableReportControls();
    if (session_.hold != nullptr) session_.hold->Begin();
    Item<QLabel>(IDC_STA_STAT_RULE)->setVisible(false);  // the progress takes its place
    export_->Start(std::move(request));
    UpdateExportButtons();
    ShowExportProgress(0, static_cast<qint64>(exportRows_));
}

void ReportWindow::ShowExportProgress(qint64 written, qint64 total) {
    auto* text = Item<QLabel>(IDC_STA_STAT_TRACK);
    auto* bar = Item<QProgressBar>(IDC_PRG_STAT_TRACK);
    text->setText(QStringLiteral("正在导出… %1 / %2 行").arg(written).arg(total));
    text->setVisible(true);
    bar->setRange(0, 1000);
    bar->setValue(total > 0 ? static_cast<int>(std::min(written, total) * 1000 / total) : 0);
    bar->setVisible(true);
}

void ReportWindow::OnExportFinished() {
    const ExportResult result = export_->Result();
    SetBusy(false);
    Item<QLabel>(IDC_STA_STAT_RULE)->setVisible(shownRule_.has_value());
    UpdateExportButtons();
    QPointer<ReportWindow> self(this);
    const int login = logins_;
    if (result.status == ExportResult::Status::Written) {
        folder_.Chosen(exportPath_);  // only a folder that took a file is proposed again
        ShowMessage(this, exportRows_ == 0
                              ? QStringLiteral("列表为空，已导出只含表头的文件：\n%1").arg(exportPath_)
                              : QStringLiteral("已导出 %1 行：\n%2").arg(exportRows_).arg(exportPath_));
    } else if (result.status == ExportResult::Status::Failed) {
        ShowMessage(this, QStringLiteral("导出失败：%1").arg(Q(result.error)));
    }
    if (!self || logins_ != login) return;
    EnableReportControls();
    emit exportEnded();
    if (session_.hold != nullptr) session_.hold->Release();
}

void ReportWindow::ShowCharts() {
    if (!charts_) {
        charts_ = new ChartWindow(folder_, this);
        if (!charts_->Create(nullptr)) {
            delete charts_.data();
            return;
        }
    }
    std::vector<ReportRow> rows;
    rows.reserve(model_->Rows().Size());
    for (const ReportRow& row : model_->Rows().Rows()) rows.push_back(row);
    charts_->ShowList(std::move(rows), listed_,
                      OnTimeWindow{session_.login.onTimeEarly, session_.login.onTimeLate});
    // Over the middle of the page, the first time it is shown.
    if (!charts_->isVisible())
        charts_->move(mapToGlobal(rect().center()) - charts_->rect().center());
    charts_->show();
    charts_->raise();
    charts_->activateWindow();
}

void ReportWindow::ShowRule(std::optional<DetectionRule> rule, Matching matching) {
    shownRule_ = rule;
    auto* label = Item<QLabel>(IDC_STA_STAT_RULE);
    label->setText(rule ? Q(DetectionRuleCaption(*rule, matching)) : QString());
    label->setVisible(rule.has_value());
}

void ReportWindow::SetBusy(bool busy) {
    if (busy) ShowRule(std::nullopt);  // the busy text takes its place
    auto* text = Item<QLabel>(IDC_STA_STAT_TRACK);
    auto* bar = Item<QProgressBar>(IDC_PRG_STAT_TRACK);
    text->setText(Q(DayProgressText(days_.Active() ? days_.Progress() : "", TrackProgressText(0, -1))));
    text->setVisible(busy);
    bar->setValue(0);
    bar->setVisible(false);
}

void ReportWindow::ShowProgress(qint64 received, qint64 total) {
    Item<QLabel>(IDC_STA_STAT_TRACK)
        ->setText(Q(DayProgressText(days_.Active() ? days_.Progress() : "",
                                    TrackProgressText(received, total))));
    auto* bar = Item<QProgressBar>(IDC_PRG_STAT_TRACK);
    if (total > 0) {
        bar->setRange(0, 1000);
        bar->setValue(static_cast<int>(std::min<qint64>(received, total) * 1000 / total));
        bar->setVisible(true);
    }
}

}  // namespace fw
