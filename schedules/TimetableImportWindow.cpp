#include "schedules/TimetableImportWindow.h"

#include <malloc.h>

#include <QAbstractButton>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>

#include "base/FileDialog.h"
#include "base/MessageBox.h"
#include "res/RESOURCE.H"
#include "schedules/ScheduleSetupWindow.h"
#include "schedules/TimetableListModel.h"
#include "schedules/TimetableReadJob.h"
#include "skin/SkinListView.h"

namespace fw {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The first column takes the window's width less the 300 pixels of the other two and the room
// of the vertical scroll bar.
int NameColumnWidth(int windowWidth) { return std::max(100, windowWidth - 300 - 16); }

const DepartureList kNoDepartures;
constexpr int kLongList = 100'000;  // rows

}  // namespace

TimetableImportWindow::TimetableImportWindow(ScheduleLink link, QWidget* owner)
    : CUIWnd(owner), link_(std::move(link)), model_(new TimetableListModel(this)) {
    progressTimer_.setInterval(100);
    connect(&progressTimer_, &QTimer::timeout, this, &TimetableImportWindow::ShowProgress);
}

TimetableImportWindow::~TimetableImportWindow() = default;

void TimetableImportWindow::InitSkinWindowId() { SetSkinWindowId(IDW_PAIBAN_ADD_FILE); }

bool TimetableImportWindow::WantsModelList(int controlId) const { return controlId == IDC_LSTCTRL_ADDFILE; }

bool TimetableImportWindow::OnCreate() {
    if (Item<SkinListView>(IDC_LSTCTRL_ADDFILE) == nullptr || Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC) == nullptr ||
        Item<QLabel>(IDC_STA_PAIBAN_ADD_STATE) == nullptr || Item<QProgressBar>(IDC_PRG_PAIBAN_ADD) == nullptr ||
        Item<QAbstractButton>(IDC_BTN_PAIBAN_SHANGCHUAN) == nullptr)
        return false;
    SetUpList();
    Item<QProgressBar>(IDC_PRG_PAIBAN_ADD)->setRange(0, 1000);
    Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->setReadOnly(true);  // shows the path; typing it does nothing
    return true;
}

void TimetableImportWindow::SetUpList() {
    auto* view = Item<SkinListView>(IDC_LSTCTRL_ADDFILE);
    view->setModel(model_);
    view->setUniformRowHeights(true);  // a long timetable is laid out without measuring each row
    view->SetImageList(link_.rowImages);
    view->header()->resizeSection(0, NameColumnWidth(width()));
    view->header()->resizeSection(1, 150);
    view->header()->resizeSection(2, 150);
}

void TimetableImportWindow::resizeEvent(QResizeEvent* event) {
    CUIWnd::resizeEvent(event);
    if (auto* view = Item<SkinListView>(IDC_LSTCTRL_ADDFILE)) view->header()->resizeSection(0, NameColumnWidth(width()));
}

void TimetableImportWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id != IDC_BTN_PAIBAN_SHANGCHUAN) return;
    if (IsReading()) CancelImport();
    else ImportTimetable();
}

bool TimetableImportWindow::IsReading() const { return job_ && job_->IsRunning(); }

const DepartureList& TimetableImportWindow::Departures() const {
    return model_->Timetable() != nullptr ? model_->Timetable()->rows : kNoDepartures;
}

QString TimetableImportWindow::TimetablePath() const { return Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->text(); }

void TimetableImportWindow::SetImportEnabled(bool enabled) {
    if (auto* upload = Item<QAbstractButton>(IDC_BTN_PAIBAN_SHANGCHUAN)) upload->setEnabled(enabled);
}

void TimetableImportWindow::ClearTimetable() {
    const int shown = model_->rowCount();
    model_->SetTimetable(nullptr);
    // The view keeps some forty bytes of its own for every row it ever laid out, however few it
    // shows later: after a long timetable it is made anew, and the memory goes with it.
    if (shown > kLongList && RemakeControl(IDC_LSTCTRL_ADDFILE) != nullptr) SetUpList();
    Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->clear();
    // What a large timetable held goes back to the system here, not only to the allocator.
    ::malloc_trim(0);
}

void TimetableImportWindow::ImportTimetable() {
    if (IsReading()) return;
    ClearTimetable();
    if (setup_) setup_->SetBatches({});

    const QString path = ChooseFileToOpen(this, QString::fromUtf8(kFilter), QString());
    if (path.isEmpty()) {
        Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->clear();
        if (setup_) setup_->FillDateRows();
        return;
    }
    readingPath_ = path;
    job_ = std::make_unique<TimetableReadJob>();
    connect(job_.get(), &TimetableReadJob::finished, this, &TimetableImportWindow::ReadingFinished);
    ShowReading(true);
    job_->Start(QFile::encodeName(path).toStdString());
}

void TimetableImportWindow::CancelImport() {
    if (IsReading()) job_->Cancel();
}

void TimetableImportWindow::ShowReading(bool reading) {
    auto* button = Item<QAbstractButton>(IDC_BTN_PAIBAN_SHANGCHUAN);
    button->setText(QString::fromUtf8(reading ? kCancel : kUpload));
    Item<QLabel>(IDC_STA_PAIBAN_ADD_STATE)->setVisible(reading);
    Item<QProgressBar>(IDC_PRG_PAIBAN_ADD)->setVisible(reading);
    if (reading) {
        Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->setText(readingPath_);
        ShowProgress();
        progressTimer_.start();
    } else {
        progressTimer_.stop();
    }
}

void TimetableImportWindow::ShowProgress() {
    const int permille = job_ ? job_->Permille() : 0;
    Item<QLabel>(IDC_STA_PAIBAN_ADD_STATE)->setText(QStringLiteral("正在读取… %1%").arg(permille / 10));
    Item<QProgressBar>(IDC_PRG_PAIBAN_ADD)->setValue(permille);
}

void TimetableImportWindow::ReadingFinished() {
    TimetableImport import = job_->TakeResult();
    job_.release()->deleteLater();  // it is inside its own signal
    ShowReading(false);
    QString path = readingPath_;
    if (import.cancelled) {
        path.clear();
    } else if (!import.error.empty()) {
        ShowMessage(this, Q(import.error));
        path.clear();  // nothing of it was taken
    } else {
        auto timetable = std::make_shared<ImportedTimetable>(std::move(import.timetable));
        model_->SetTimetable(timetable);
        if (setup_) setup_->SetBatches(timetable->batches);
    }
    Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->setText(path);
    if (setup_) setup_->FillDateRows();
}

}  // namespace fw
