#pragma once

#include <QPointer>
#include <QTimer>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "schedules/AssignmentGrid.h"
#include "schedules/AutoAssign.h"
#include "schedules/RosterCheck.h"
#include "schedules/SaveExchange.h"
#include "schedules/ScheduleLink.h"
#include "skin/CUIWnd.h"

class QDateTimeEdit;
class QLineEdit;

namespace fw {

class ScheduleListWindow;
class ScheduleMenuWindow;
class SkinListCtrl;
class TimetableImportWindow;

// The lower half of schedule creation: the schedule's name and dates, the grid of vehicles per
// date and batch, and saving it through the server's day-by-day exchange.
class ScheduleSetupWindow : public CUIWnd {
    Q_OBJECT
public:
    static constexpr const char* kNameMissing = "排班名称不能为空";
    static constexpr const char* kNoAnswer = "服务器无应答，排班未能保存";
    static constexpr const char* kLateCompleted = "服务器应答迟到，排班“%1”已保存完成。";
    static constexpr const char* kSendAnyway = "仍然发送";
    static constexpr const char* kGoBack = "返回修改";

    ScheduleSetupWindow(ScheduleLink link, QWidget* owner);
    void Connect(TimetableImportWindow* import, ScheduleListWindow* list, ScheduleMenuWindow* menu);

    // New batch columns after the date column; the rows go with the old ones.
    void SetBatches(const std::vector<std::string>& batches);
    // One row per date from the start picker to the end picker; typed vehicles are dropped.
    void FillDateRows();

    // The cell editor over a grid cell; Enter or a click elsewhere keeps what was typed (carried
    // down the rows when typed into the first one), Escape drops it. While the first row is
    // edited, the cells the carry-down will overwrite show what they will get.
    void BeginCellEdit(int row, int column);
    void EndCellEdit();
    void CancelCellEdit();

    // 自动配车: fills the grid's free cells with a plan (AutoAssign) over the typed ones, shown in
    // blue with a line under the grid until Enter or 采用 keeps it (so do a click into the grid
    // and 保存) or Escape or 放弃 drops it. The roster checks look at the grid with the plan.
    static constexpr const char* kNoTimetable = "请先导入时刻表，再自动配车";
    static constexpr const char* kNoFleet = "尚未收到车辆列表，无法自动配车";
    void ProposeAssignment();
    void KeepProposal();
    void DropProposal();
    bool HasProposal() const { return !proposal_.empty(); }

    // The roster checks, run after every change of the grid, the timetable or the fleet: the
    // offending cells are tinted with the reason as their tooltip, a line under the grid counts
    // them, and Save asks before sending a roster that has any.
    const RosterCheck& Check() const { return check_; }
    void FleetChanged();

    void SaveSchedule();
    void ResetScheduleForm();
    // The server's side of the save: 9007 asks for the next day's rows, 9009 for the timetable,
    // which ends the save. Both change nothing while no save runs; after the client gave a save
    // up for the server's silence they take it up again (and the user is told when it is done).
    // False when the login ended meanwhile.
    bool SendDayContent();
    bool FinishScheduleSave();
    // Something came from the server: a save's silence is counted from the last document, also
    // one that waits in the hold while a report run fetches its track.
    void ServerHeard();
    // The connection went: a save under way cannot be finished and says how far it got; the
    // form stays as it is, ready for 保存 again.
    void ConnectionLost();
    // The login ended: a save under way is given up; the form stays as it is.
    void LoginEnded();

    const AssignmentGrid& Grid() const { return grid_; }
    bool SaveRunning() const { return exchange_.Running(); }
    // How long the server may stay silent during a save (shortened by tests).
    void SetSaveTimeout(int ms) { saveTimeoutMs_ = ms; }

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowGrid();
    void ShowCells(const std::vector<GridCell>& cells);
    void RunRosterCheck();
    void UpdateSpans(bool always);
    void PaintCell(int row, int column);
    void ShowPreview();
    void EndPreview();
    bool SendContent(const std::vector<AssignmentRow>& rows);
    void ShowPlanLine(bool proposing);
    void SetSaving(bool saving);
    void ShowProgress();
    void GiveUpSave();
    void CutSave(const std::string& message);
    QString PickerText(int id) const;

    ScheduleLink link_;
    QPointer<TimetableImportWindow> import_;
    QPointer<ScheduleListWindow> list_;
    QPointer<ScheduleMenuWindow> menu_;
    SkinListCtrl* grid_view_ = nullptr;
    QLineEdit* editor_ = nullptr;
    AssignmentGrid grid_;

    bool editing_ = false;
    int editRow_ = 0;
    int editColumn_ = 0;

    using CellKey = std::pair<int, int>;  // row, column
    struct CellMark {
        RosterIssue worst = RosterIssue::NoVehicle;
        QString reasons;
        bool operator==(const CellMark&) const = default;
    };
    std::vector<BatchSpan> spans_;
    TripTimes trips_;  // what spans_ were made with
    RosterCheck check_;
    std::map<CellKey, CellMark> marks_;  // as the grid shows them
    std::vector<GridCell> preview_;
    std::set<CellKey> previewed_;
    std::map<CellKey, std::string> proposal_;  // the plan's plates for free cells, until kept or dropped
    AssignmentGrid planned_;                   // the grid with them, for the roster checks meanwhile
    AutoAssignment plan_;
    QTimer fleetTimer_;  // vehicles arrive one message each: one check after a burst

    SaveExchange exchange_;
    // The save's name and dates as they were when it started: the server matches its answers
    // by them, whatever is typed meanwhile.
    std::string savingName_, savingStart_, savingEnd_;
    QTimer saveTimer_;
    int saveTimeoutMs_ = 30000;
};

}  // namespace fw
