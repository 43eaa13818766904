#include "schedules/TimetableImportWindow.h"

#include <QAbstractButton>

#include <algorithm>
#include <QApplication>
#include <QFile>
#include <QLineEdit>

#include "base/FileDialog.h"
#include "base/MessageBox.h"
#include "res/RESOURCE.H"
#include "schedules/ScheduleSetupWindow.h"
#include "schedules/Timetable.h"
#include "skin/SkinControls.h"

namespace fw {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The first column takes the window's width less the 300 pixels of the other two and the room
// of the vertical scroll bar.
int NameColumnWidth(int windowWidth) { return std::max(100, windowWidth - 300 - 16); }

// The reading blocks the window for a moment; the cursor says so.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TimetableImportWindow::TimetableImportWindow(ScheduleLink link, QWidget* owner)
    : CUIWnd(owner), link_(std::move(link)) {}

void TimetableImportWindow::InitSkinWindowId() { SetSkinWindowId(IDW_PAIBAN_ADD_FILE); }

bool TimetableImportWindow::OnCreate() {
    view_ = Item<SkinListCtrl>(IDC_LSTCTRL_ADDFILE);
    if (view_ == nullptr || Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC) == nullptr) return false;
    view_->SetImageList(link_.rowImages);
    view_->setHeaderLabels({QStringLiteral("批次"), QStringLiteral("出发时间"), QStringLiteral("线路")});
    view_->setColumnWidth(0, NameColumnWidth(width()));
    view_->setColumnWidth(1, 150);
    view_->setColumnWidth(2, 150);
    Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->setReadOnly(true);  // shows the path; typing it does nothing
    return true;
}

void TimetableImportWindow::resizeEvent(QResizeEvent* event) {
    CUIWnd::resizeEvent(event);
    if (view_ != nullptr) view_->setColumnWidth(0, NameColumnWidth(width()));
}

void TimetableImportWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_BTN_PAIBAN_SHANGCHUAN) ImportTimetable();
}

QString TimetableImportWindow::TimetablePath() const { return Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->text(); }

void TimetableImportWindow::SetImportEnabled(bool enabled) {
    if (auto* upload = Item<QAbstractButton>(IDC_BTN_PAIBAN_SHANGCHUAN)) upload->setEnabled(enabled);
}

void TimetableImportWindow::ShowRows() {
    view_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows_.size()));
    for (const TimetableRow& row : rows_)
        items.append(new QTreeWidgetItem({Q(row.batch), Q(row.startTime), Q(row.lineName)}));
    view_->addTopLevelItems(items);
}

void TimetableImportWindow::ClearTimetable() {
    rows_.clear();
    view_->clear();
    Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->clear();
}

void TimetableImportWindow::ImportTimetable() {
    ClearTimetable();
    if (setup_) setup_->SetBatches({});

    QString path = ChooseFileToOpen(this, QString::fromUtf8(kFilter), QString());
    if (!path.isEmpty()) {
        TimetableImport import;
        {
            WaitCursor wait;
            import = ImportTimetableWorkbook(QFile::encodeName(path).toStdString());
        }
        if (!import.error.empty()) {
            ShowMessage(this, Q(import.error));
            path.clear();  // nothing of it was taken
        } else {
            rows_ = std::move(import.timetable.rows);
            ShowRows();
            if (setup_) setup_->SetBatches(import.timetable.batches);
        }
    }
    Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_SC)->setText(path);
    if (setup_) setup_->FillDateRows();
}

}  // namespace fw
