#include "schedules/ScheduleSetupWindow.h"

#include <QAbstractButton>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "base/MessageBox.h"
#include "net/NotSent.h"
#include "net/Requests.h"
#include "res/RESOURCE.H"
#include "schedules/ScheduleDates.h"
#include "schedules/ScheduleListWindow.h"
#include "schedules/ScheduleMenuWindow.h"
#include "schedules/TimetableImportWindow.h"
#include "skin/SkinControls.h"

namespace fw {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

constexpr int kDateColumnWidth = 150;
constexpr int kBatchColumnWidth = 100;

// The tints of the roster findings, and of the cells a carry-down is about to overwrite.
QColor TintOf(RosterIssue issue) {
    switch (issue) {
        case RosterIssue::TimeClash: return QColor(0xF8, 0xC4, 0xC4);
        case RosterIssue::UnknownPlate:
        case RosterIssue::UnsendableName: return QColor(0xFB, 0xDD, 0xB0);
        case RosterIssue::NoVehicle: break;
    }
    return QColor(0xFF, 0xF4, 0xC6);
}
const QColor kPreviewTint(0xCF, 0xE3, 0xFA);
const QColor kPreviewText(0x4A, 0x6A, 0x90);

}  // namespace

ScheduleSetupWindow::ScheduleSetupWindow(ScheduleLink link, QWidget* owner)
    : CUIWnd(owner), link_(std::move(link)) {
    fleetTimer_.setSingleShot(true);
    fleetTimer_.setInterval(0);
    connect(&fleetTimer_, &QTimer::timeout, this, [this] { RunRosterCheck(); });
    saveTimer_.setSingleShot(true);
    connect(&saveTimer_, &QTimer::timeout, this, [this] {
        if (!exchange_.Running()) return;
        if (link_.answersWaiting()) {  // answered, and held back here: not silent
            saveTimer_.start(saveTimeoutMs_);
            return;
        }
        exchange_.GiveUp();  // a late answer takes it up again
        SetSaving(false);
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
        Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB) == nullptr || GetDlgItem(IDC_STA_PAIBAN_SAVE_STATE) == nullptr ||
        Item<QLabel>(IDC_STA_PAIBAN_CHECK) == nullptr || Item<QLabel>(IDC_STA_PAIBAN_AUTO) == nullptr ||
        GetDlgItem(IDC_BTN_PAIBAN_AUTO_KEEP) == nullptr || GetDlgItem(IDC_BTN_PAIBAN_AUTO_DROP) == nullptr)
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
    grid_view_->installEventFilter(this);  // Enter and Escape for a plan
    editor_->hide();
    connect(editor_, &QLineEdit::textChanged, this, [this](const QString& text) {
        for (const GridCell& c : preview_)
            if (QTreeWidgetItem* item = grid_view_->topLevelItem(c.row)) item->setText(c.column, text);
    });
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
        case IDC_BTN_PAIBAN_AUTO: ProposeAssignment(); break;
        case IDC_BTN_PAIBAN_AUTO_KEEP: KeepProposal(); break;
        case IDC_BTN_PAIBAN_AUTO_DROP: DropProposal(); break;
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
    proposal_.clear();  // its cells are gone with the rows
    ShowPlanLine(false);
    marks_.clear();
    grid_view_->clear();
    QStringList headers{QStringLiteral("日期")};
    for (int column = 1; column < grid_.ColumnCount(); ++column) headers << Q(grid_.Batch(column));
    grid_view_->setColumnCount(grid_.ColumnCount());
    grid_view_->setHeaderItem(new QTreeWidgetItem(headers));  // with none of the old names' marks
    grid_view_->setColumnWidth(0, kDateColumnWidth);
    for (int column = 1; column < grid_.ColumnCount(); ++column) grid_view_->setColumnWidth(column, kBatchColumnWidth);
    QList<QTreeWidgetItem*> items;
    for (int row = 0; row < grid_.RowCount(); ++row) {
        QStringList texts{Q(grid_.Date(row))};
        for (int column = 1; column < grid_.ColumnCount(); ++column) texts << Q(grid_.Cell(row, column));
        items.append(new QTreeWidgetItem(texts));
    }
    grid_view_->addTopLevelItems(items);
    RunRosterCheck();
}

void ScheduleSetupWindow::ShowCells(const std::vector<GridCell>& cells) {
    for (const GridCell& c : cells)
        if (QTreeWidgetItem* item = grid_view_->topLevelItem(c.row)) item->setText(c.column, Q(grid_.Cell(c.row, c.column)));
}

void ScheduleSetupWindow::SetBatches(const std::vector<std::string>& batches) {
    grid_.SetBatches(batches);
    UpdateSpans(true);
    ShowGrid();
}

// The batches' spans, made again when the timetable or the lines' trip times changed (routes
// arrive after the login).
void ScheduleSetupWindow::UpdateSpans(bool always) {
    TripTimes trips = link_.tripTimes();
    if (!always && trips == trips_) return;
    trips_ = std::move(trips);
    spans_ = import_ ? BatchSpans(import_->Departures(), trips_) : std::vector<BatchSpan>();
}

// Roster checks ---------------------------------------------------------------------------------

void ScheduleSetupWindow::FleetChanged() { fleetTimer_.start(); }

void ScheduleSetupWindow::RunRosterCheck() {
    fleetTimer_.stop();
    UpdateSpans(false);
    check_ = CheckRoster(proposal_.empty() ? grid_ : planned_, spans_, link_.fleetPlates(), link_.minTurnaround, link_.wire);
    std::map<CellKey, CellMark> next;
    for (const RosterFinding& f : check_.findings) {
        CellMark& mark = next[{f.row, f.column}];
        if (mark.reasons.isEmpty() || RosterIssueRank(f.issue) < RosterIssueRank(mark.worst)) mark.worst = f.issue;
        mark.reasons += (mark.reasons.isEmpty() ? QString() : QStringLiteral("\n")) + Q(f.reason);
    }
    // Only the cells whose mark changed are painted again: a year of a few hundred batches has
    // a hundred thousand cells.
    std::vector<CellKey> changed;
    for (const auto& [cell, mark] : marks_)
        if (!next.contains(cell)) changed.push_back(cell);
    for (const auto& [cell, mark] : next)
        if (const auto old = marks_.find(cell); old == marks_.end() || !(old->second == mark)) changed.push_back(cell);
    marks_ = std::move(next);
    for (const CellKey& cell : changed) PaintCell(cell.first, cell.second);
    auto* line = Item<QLabel>(IDC_STA_PAIBAN_CHECK);
    line->setText(Q(check_.Summary()));
    line->setVisible(!check_.Clean());
}

void ScheduleSetupWindow::PaintCell(int row, int column) {
    if (row < 0) {  // a batch's name, in the header
        const auto mark = marks_.find({row, column});
        QTreeWidgetItem* header = grid_view_->headerItem();
        header->setToolTip(column, mark != marks_.end() ? mark->second.reasons : QString());
        header->setForeground(column, mark != marks_.end() ? QBrush(QColor(0xC0, 0x20, 0x20)) : QBrush());
        return;
    }
    QTreeWidgetItem* item = grid_view_->topLevelItem(row);
    if (item == nullptr) return;
    const auto mark = marks_.find({row, column});
    if (previewed_.contains({row, column}) || proposal_.contains({row, column})) {
        item->setData(column, Qt::BackgroundRole, QBrush(kPreviewTint));
        item->setData(column, Qt::ForegroundRole, QBrush(kPreviewText));
        QFont italic = grid_view_->font();
        italic.setItalic(true);
        item->setData(column, Qt::FontRole, italic);
    } else {
        item->setData(column, Qt::BackgroundRole, mark != marks_.end() ? QVariant(QBrush(TintOf(mark->second.worst))) : QVariant());
        item->setData(column, Qt::ForegroundRole, QVariant());
        item->setData(column, Qt::FontRole, QVariant());
    }
    item->setToolTip(column, mark != marks_.end() ? mark->second.reasons : QString());
}

// The cells below the first row that the carry-down of the edited column will write, showing
// the text being typed.
void ScheduleSetupWindow::ShowPreview() {
    EndPreview();
    if (editRow_ != 0) return;
    const std::vector<int> path = CarryDownColumns(grid_.ColumnCount(), grid_.RowCount(), editColumn_);
    for (int row = 1; row < static_cast<int>(path.size()); ++row) {
        preview_.push_back({row, path[static_cast<std::size_t>(row)]});
        previewed_.insert({row, path[static_cast<std::size_t>(row)]});
    }
    for (const GridCell& c : preview_) {
        grid_view_->topLevelItem(c.row)->setText(c.column, editor_->text());
        PaintCell(c.row, c.column);
    }
}

// The previewed cells show their own texts and marks again.
void ScheduleSetupWindow::EndPreview() {
    const std::vector<GridCell> cells = std::move(preview_);
    preview_.clear();
    previewed_.clear();
    for (const GridCell& c : cells) {
        if (QTreeWidgetItem* item = grid_view_->topLevelItem(c.row)) item->setText(c.column, Q(grid_.Cell(c.row, c.column)));
        PaintCell(c.row, c.column);
    }
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
    KeepProposal();  // a click into the grid takes the plan, as it takes what was typed
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
    // A screen reader names the cell typed into: the plate of which day and which batch.
    editor_->setAccessibleName(QStringLiteral("车牌号：%1 %2").arg(item->text(0), Q(grid_.Batch(column))));
    editor_->show();
    editor_->raise();
    editor_->setFocus(Qt::MouseFocusReason);
    editor_->end(false);
    ShowPreview();
}

void ScheduleSetupWindow::EndCellEdit() {
    if (!editing_) return;
    editing_ = false;  // first: hiding the editor takes its focus away, which ends edits
    const std::string text = editor_->text().toStdString();
    editor_->hide();
    const std::vector<GridCell> written = grid_.StoreEdit(editRow_, editColumn_, text);
    EndPreview();
    ShowCells(written);
    RunRosterCheck();
}

void ScheduleSetupWindow::CancelCellEdit() {
    if (!editing_) return;
    editing_ = false;
    editor_->hide();
    EndPreview();
    grid_view_->setFocus(Qt::OtherFocusReason);
}

bool ScheduleSetupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_view_ && event->type() == QEvent::KeyPress && HasProposal()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            KeepProposal();
            return true;
        }
        if (key == Qt::Key_Escape) {
            DropProposal();
            return true;
        }
    }
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

// Automatic assignment --------------------------------------------------------------------------

void ScheduleSetupWindow::ProposeAssignment() {
    EndCellEdit();
    DropProposal();
    if (grid_.ColumnCount() < 2) {
        ShowMessage(this, QString::fromUtf8(kNoTimetable));
        return;
    }
    if (grid_.RowCount() == 0) FillDateRows();  // the dates of the pickers, as 配备车辆 makes them
    if (grid_.RowCount() == 0) return;
    AutoAssignRequest request;
    request.vehicles = link_.fleetPlates();
    if (request.vehicles.empty()) {
        ShowMessage(this, QString::fromUtf8(kNoFleet));
        return;
    }
    UpdateSpans(false);
    for (int column = 1; column < grid_.ColumnCount(); ++column) request.batches.push_back(grid_.Batch(column));
    request.spans = spans_;
    request.spans.resize(request.batches.size());
    request.minTurnaround = link_.minTurnaround;
    request.days = grid_.RowCount();
    for (int row = 0; row < grid_.RowCount(); ++row) {
        auto& typed = request.fixed.emplace_back();
        for (int column = 1; column < grid_.ColumnCount(); ++column) typed.push_back(grid_.Cell(row, column));
    }
    plan_ = AutoAssign(request);
    planned_ = grid_;
    for (int row = 0; row < grid_.RowCount(); ++row)
        for (int column = 1; column < grid_.ColumnCount(); ++column) {
            const auto b = static_cast<std::size_t>(column - 1);
            const DayAssignment& day = plan_.days[static_cast<std::size_t>(row)];
            if (!day.planned[b]) continue;
            proposal_[{row, column}] = day.plates[b];
            planned_.SetCell(row, column, day.plates[b]);
            grid_view_->topLevelItem(row)->setText(column, Q(day.plates[b]));
        }
    ShowPlanLine(true);
    RunRosterCheck();
    for (const auto& [cell, plate] : proposal_) PaintCell(cell.first, cell.second);
    grid_view_->setFocus(Qt::OtherFocusReason);  // Enter keeps, Escape drops
}

void ScheduleSetupWindow::KeepProposal() {
    if (proposal_.empty()) return;
    const std::map<CellKey, std::string> cells = std::move(proposal_);
    proposal_.clear();
    for (const auto& [cell, plate] : cells) grid_.SetCell(cell.first, cell.second, plate);
    ShowPlanLine(false);
    Item<QLabel>(IDC_STA_PAIBAN_AUTO)->show();  // what the plan did stays said until the grid changes
    RunRosterCheck();
    for (const auto& [cell, plate] : cells) PaintCell(cell.first, cell.second);
}

void ScheduleSetupWindow::DropProposal() {
    const std::map<CellKey, std::string> cells = std::move(proposal_);
    proposal_.clear();
    ShowPlanLine(false);
    if (cells.empty()) return;
    for (const auto& [cell, plate] : cells)
        if (QTreeWidgetItem* item = grid_view_->topLevelItem(cell.first)) item->setText(cell.second, Q(grid_.Cell(cell.first, cell.second)));
    RunRosterCheck();
    for (const auto& [cell, plate] : cells) PaintCell(cell.first, cell.second);
}

// The plan's line under the grid, and its two buttons while there is a plan to take.
void ScheduleSetupWindow::ShowPlanLine(bool proposing) {
    auto* line = Item<QLabel>(IDC_STA_PAIBAN_AUTO);
    if (proposing) {
        QString text = Q(plan_.Summary());
        QString notes;
        for (const std::string& finding : plan_.findings) notes += (notes.isEmpty() ? QString() : QStringLiteral("\n")) + Q(finding);
        if (!notes.isEmpty()) text += QStringLiteral("（%1 条说明）").arg(plan_.findings.size());
        line->setText(text);
        line->setToolTip(notes);
    }
    line->setVisible(proposing);
    GetDlgItem(IDC_BTN_PAIBAN_AUTO_KEEP)->setVisible(proposing && !proposal_.empty());
    GetDlgItem(IDC_BTN_PAIBAN_AUTO_DROP)->setVisible(proposing && !proposal_.empty());
}

// Saving ----------------------------------------------------------------------------------------

void ScheduleSetupWindow::SetSaving(bool saving) {
    for (int id : {IDC_BTN_PAIBAN_SAVE, IDC_BTN_PAIBAN_ADD_PEIBEI, IDC_BTN_PAIBAN_AUTO, IDC_EDT_PAIBAN_ADD_PB, IDC_DATETIME_PAIBAN_ADD_S,
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
    const bool saving = exchange_.Running();
    exchange_.Abandon();
    if (saving) SetSaving(false);
}

void ScheduleSetupWindow::CutSave(const std::string& message) {
    GiveUpSave();
    ShowMessage(this, Q(message));
}

bool ScheduleSetupWindow::SendContent(const std::vector<AssignmentRow>& rows) {
    ScheduleContent content{savingName_, link_.userName(), savingStart_, savingEnd_, rows};
    return link_.send(ScheduleContentRequest(content));
}

void ScheduleSetupWindow::SaveSchedule() {
    if (exchange_.Running()) return;
    EndCellEdit();  // what is being typed belongs to the schedule
    KeepProposal();  // and so does the plan on screen
    if (!import_ || import_->Departures().empty()) return;
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
    if (!link_.canSend()) {
        ShowMessage(this, Q(NotSentText(kScheduleNotSaved)));
        return;
    }
    // With no finding the save goes out at once, as it always has.
    RunRosterCheck();
    if (!check_.Clean() &&
        !AskQuestion(this, Q(check_.SaveQuestion(grid_)), {QString::fromUtf8(kSendAnyway), QString::fromUtf8(kGoBack), true}))
        return;
    savingName_ = name;
    savingStart_ = start;
    savingEnd_ = end;
    // Nothing is shown as saving before the first request went out.
    if (!SendContent(grid_.Content())) {
        ShowMessage(this, Q(NotSentText(kScheduleNotSaved)));
        return;
    }
    exchange_.Begin(*days.first, static_cast<int>(days.dates.size()));
    SetSaving(true);
}

bool ScheduleSetupWindow::SendDayContent() {
    const bool late = exchange_.GivenUp();
    const auto day = exchange_.NextDay();
    if (!day) return true;
    if (late) SetSaving(true);  // the server was slow, not gone: the save goes on
    // A send that finds the connection gone: the save is cut and says how far it got.
    if (!SendContent(grid_.DayContent(*day))) {
        if (exchange_.Running()) CutSave(exchange_.CutText());
        return true;
    }
    exchange_.DaySent();
    ShowProgress();
    return true;
}

bool ScheduleSetupWindow::FinishScheduleSave() {
    if (!exchange_.Finish()) return true;
    const bool late = exchange_.Late();
    SetSaving(false);
    Timetable timetable{savingStart_, savingEnd_, savingName_, link_.userName(), {}};
    if (import_) timetable.rows = import_->Departures().ToRows();
    if (!link_.send(SendTimetableRequest(timetable))) {
        ShowMessage(this, Q(exchange_.CutText()));
        return true;
    }
    const QString name = Q(savingName_);
    if (list_) list_->AddScheduleRow(savingName_, savingStart_, savingEnd_);
    ResetScheduleForm();
    if (menu_) menu_->SwitchToManage();
    if (late) ShowMessage(this, QString::fromUtf8(kLateCompleted).arg(name));
    return true;
}

void ScheduleSetupWindow::ServerHeard() {
    if (exchange_.Running() && saveTimer_.isActive()) saveTimer_.start(saveTimeoutMs_);
}

void ScheduleSetupWindow::ConnectionLost() {
    if (exchange_.Running()) {
        CutSave(exchange_.CutText());
        return;
    }
    exchange_.Abandon();  // a save given up earlier cannot be answered on another connection
}

void ScheduleSetupWindow::ResetScheduleForm() {
    GiveUpSave();  // cancelled while saving (or after giving up): the rest is not sent
    Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB)->clear();
    for (int id : {IDC_DATETIME_PAIBAN_ADD_S, IDC_DATETIME_PAIBAN_ADD_E}) Item<QDateTimeEdit>(id)->setDateTime(link_.now());
    if (import_) import_->ClearTimetable();
    grid_.Clear();
    spans_.clear();
    ShowGrid();
}

void ScheduleSetupWindow::LoginEnded() {
    GiveUpSave();
    FleetChanged();  // the vehicle list went with the login
}

}  // namespace fw
