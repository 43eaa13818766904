#include "schedules/ScheduleSetupWindow.h"

#include <QAbstractButton>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>


#include "app/MessageBox.h"
#include "net/Requests.h"
#include "res/RESOURCE.H"
#include "schedules/ScheduleDates.h"
#include "schedules/ScheduleListWindow.h"
#include "schedules/ScheduleMenuWindow.h"
#include "schedules/TimetableImportWindow.h"
#include "skin/SkinControls.h"

namespace fw {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kDateColumnWidth = 150;
constexpr int kBatchColumnWidth = 100;

}  // namespace

ScheduleSetupWindow::ScheduleSetupWindow(ScheduleLink link, QWidget* owner)
    : CUIWnd(owner), link_(std::move(link)) {
    saveTimer_.setSingleShot(true);
    connect(&saveTimer_, &QTimer::timeout, this, [this] {
        if (!exchange_.Running()) return;
        GiveUpSave();
        ShowMessage(this, QString::fromUtf8(kNoAnswer));
    });
}

void ScheduleSetupWindow::InitSkinWindowId() { SetSkinWindowId(IDW_PAIBAN_ADD_PEIZHI); }

bool ScheduleSetupWindow::OnCreate() {
    grid_view_ = Item<SkinListCtrl>(IDC_LSTCTRL_SETCAR);
    editor_ = Item<QLineEdit>(IDC_EDT_HIDE);
    auto* start = Item<QDateTimeEdit>(IDC_DATETIME_PAIBAN_ADD_S);
    auto* end = Item<QDateTimeEdit>(IDC_DATETIME_PAIBAN_ADD_E);
    if (grid_view_ == nullptr || editor_ == nullptr || start == nullptr || end == nullptr ||
        Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB) == nullptr || GetDlgItem(IDC_STA_PAIBAN_SAVE_STATE) == nullptr)
        return false;
    for (QDateTimeEdit* picker : {start, end}) {
        // The dates are read back from the text at fixed places: the layout must be this one.
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        picker->setDateTime(link_.now());
    }
    grid_view_->SetImageList(link_.rowImages);
    grid_view_->setSelectionMode(QAbstractItemView::NoSelection);
    ShowGrid();
    connect(grid_view_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        BeginCellEdit(grid_view_->indexOfTopLevelItem(item), column);
    });
    // The editor never stays over a cell that scrolls away. A press on the grid's scroll bars
    // ends the edit anyway: the grid takes the focus from the editor.
    for (QScrollBar* bar : {grid_view_->horizontalScrollBar(), grid_view_->verticalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] { EndCellEdit(); });
    editor_->installEventFilter(this);
    editor_->hide();
    return true;
}

void ScheduleSetupWindow::Connect(TimetableImportWindow* import, ScheduleListWindow* list, ScheduleMenuWindow* menu) {
    import_ = import;
    list_ = list;
    menu_ = menu;
}

void ScheduleSetupWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    switch (id) {
        case IDC_BTN_PAIBAN_ADD_PEIBEI: FillDateRows(); break;
        case IDC_BTN_PAIBAN_SAVE: SaveSchedule(); break;
        case IDC_BTN_CANCEL: ResetScheduleForm(); break;
        default: break;
    }
}

// The picker's date as it shows it. Its value, not its text, which is half typed while the
// user types into it.
QString ScheduleSetupWindow::PickerText(int id) const {
    return Item<QDateTimeEdit>(id)->date().toString(QStringLiteral("yyyy-MM-dd"));
}

// Grid ------------------------------------------------------------------------------------------

void ScheduleSetupWindow::ShowGrid() {
    CancelCellEdit();
    grid_view_->clear();
    QStringList headers{QStringLiteral("日期")};
    for (int column = 1; column < grid_.ColumnCount(); ++column) headers << Q(grid_.Batch(column));
    grid_view_->setColumnCount(grid_.ColumnCount());
    grid_view_->setHeaderLabels(headers);
    grid_view_->setColumnWidth(0, kDateColumnWidth);
    for (int column = 1; column < grid_.ColumnCount(); ++column) grid_view_->setColumnWidth(column, kBatchColumnWidth);
    QList<QTreeWidgetItem*> items;
    for (int row = 0; row < grid_.RowCount(); ++row) {
        QStringList texts{Q(grid_.Date(row))};
        for (int column = 1; column < grid_.ColumnCount(); ++column) texts << Q(grid_.Cell(row, column));
        items.append(new QTreeWidgetItem(texts));
    }
    grid_view_->addTopLevelItems(items);
}

void ScheduleSetupWindow::ShowCells(const std::vector<GridCell>& cells) {
    for (const GridCell& c : cells)
        if (QTreeWidgetItem* item = grid_view_->topLevelItem(c.row)) item->setText(c.column, Q(grid_.Cell(c.row, c.column)));
}

void ScheduleSetupWindow::SetBatches(const std::vector<std::string>& batches) {
    grid_.SetBatches(batches);
    ShowGrid();
}

void ScheduleSetupWindow::FillDateRows() {
    CancelCellEdit();
    grid_.SetDates({});
    ShowGrid();
    const ScheduleDays days =
        ReadScheduleDays(PickerText(IDC_DATETIME_PAIBAN_ADD_S).toStdString(), PickerText(IDC_DATETIME_PAIBAN_ADD_E).toStdString());
    if (!days.error.empty()) {
        ShowMessage(this, Q(days.error));
        return;
    }
    grid_.SetDates(days.dates);
    ShowGrid();
}

// Cell editor -----------------------------------------------------------------------------------

void ScheduleSetupWindow::BeginCellEdit(int row, int column) {
    if (!grid_.IsCell(row, column)) return;
    if (editing_) EndCellEdit();
    QTreeWidgetItem* item = grid_view_->topLevelItem(row);
    const QRect rowRect = grid_view_->visualItemRect(item);
    const QPoint cell(grid_view_->header()->sectionViewportPosition(column), rowRect.top());
    const QPoint at = grid_view_->viewport()->mapTo(this, cell) + QPoint(1, 1);
    editRow_ = row;
    editColumn_ = column;
    editing_ = true;
    editor_->setGeometry(at.x(), at.y(), grid_view_->columnWidth(column), rowRect.height());
    editor_->setText(Q(grid_.Cell(row, column)));
    editor_->show();
    editor_->raise();
    editor_->setFocus(Qt::MouseFocusReason);
    editor_->end(false);
}

void ScheduleSetupWindow::EndCellEdit() {
    if (!editing_) return;
    editing_ = false;  // first: hiding the editor takes its focus away, which ends edits
    const std::string text = editor_->text().toStdString();
    editor_->hide();
    ShowCells(grid_.StoreEdit(editRow_, editColumn_, text));
}

void ScheduleSetupWindow::CancelCellEdit() {
    if (!editing_) return;
    editing_ = false;
    editor_->hide();
    grid_view_->setFocus(Qt::OtherFocusReason);
}

bool ScheduleSetupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        if (event->type() == QEvent::FocusOut) {
            EndCellEdit();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                grid_view_->setFocus(Qt::OtherFocusReason);  // the editor loses it and the edit ends
                EndCellEdit();
                return true;
            }
            if (key == Qt::Key_Escape) {
                CancelCellEdit();
                return true;
            }
        }
    }
    return CUIWnd::eventFilter(watched, event);
}

// Saving ----------------------------------------------------------------------------------------

void ScheduleSetupWindow::SetSaving(bool saving) {
    for (int id : {IDC_BTN_PAIBAN_SAVE, IDC_BTN_PAIBAN_ADD_PEIBEI, IDC_EDT_PAIBAN_ADD_PB, IDC_DATETIME_PAIBAN_ADD_S,
                   IDC_DATETIME_PAIBAN_ADD_E})
        GetDlgItem(id)->setEnabled(!saving);
    if (import_) import_->SetImportEnabled(!saving);
    GetDlgItem(IDC_STA_PAIBAN_SAVE_STATE)->setVisible(saving);
    if (saving) ShowProgress();
    else saveTimer_.stop();
}

void ScheduleSetupWindow::ShowProgress() {
    Item<QLabel>(IDC_STA_PAIBAN_SAVE_STATE)->setText(Q(exchange_.ProgressText()));
    saveTimer_.start(saveTimeoutMs_);
}

void ScheduleSetupWindow::GiveUpSave() {
    exchange_.Abandon();
    SetSaving(false);
}

bool ScheduleSetupWindow::SendContent(const std::vector<AssignmentRow>& rows) {
    ScheduleContent content{savingName_, link_.userName(), savingStart_, savingEnd_, rows};
    return link_.send(ScheduleContentRequest(content));
}

void ScheduleSetupWindow::SaveSchedule() {
    if (exchange_.Running()) return;
    EndCellEdit();  // what is being typed belongs to the schedule
    if (!import_ || import_->Rows().empty()) return;
    const std::string name = Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB)->text().toStdString();
    if (name.empty()) {  // a name of blanks is a name
        ShowMessage(this, QString::fromUtf8(kNameMissing));
        return;
    }
    const std::string start = PickerText(IDC_DATETIME_PAIBAN_ADD_S).toStdString();
    const std::string end = PickerText(IDC_DATETIME_PAIBAN_ADD_E).toStdString();
    const ScheduleDays days = ReadScheduleDays(start, end);
    if (!days.error.empty()) {
        ShowMessage(this, Q(days.error));
        return;
    }
    if (!days.first) return;
    savingName_ = name;
    savingStart_ = start;
    savingEnd_ = end;
    exchange_.Begin(*days.first, static_cast<int>(days.dates.size()));
    SetSaving(true);
    if (!SendContent(grid_.Content())) GiveUpSave();
}

bool ScheduleSetupWindow::SendDayContent() {
    const auto day = exchange_.NextDay();
    if (!day) return true;
    ShowProgress();
    return SendContent(grid_.DayContent(*day));
}

bool ScheduleSetupWindow::FinishScheduleSave() {
    if (!exchange_.Finish()) return true;
    SetSaving(false);
    Timetable timetable{savingStart_, savingEnd_, savingName_, link_.userName(), {}};
    if (import_) timetable.rows = import_->Rows();
    if (!link_.send(SendTimetableRequest(timetable))) return false;
    if (list_) list_->AddScheduleRow(savingName_, savingStart_, savingEnd_);
    ResetScheduleForm();
    if (menu_) menu_->SwitchToManage();
    return true;
}

void ScheduleSetupWindow::ResetScheduleForm() {
    if (exchange_.Running()) GiveUpSave();  // cancelled while saving: the rest is not sent
    Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB)->clear();
    for (int id : {IDC_DATETIME_PAIBAN_ADD_S, IDC_DATETIME_PAIBAN_ADD_E}) Item<QDateTimeEdit>(id)->setDateTime(link_.now());
    if (import_) import_->ClearTimetable();
    grid_.Clear();
    ShowGrid();
}

void ScheduleSetupWindow::LoginEnded() {
    if (exchange_.Running()) GiveUpSave();
}

}  // namespace fw
