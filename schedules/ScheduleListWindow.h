#pragma once

#include <string>

#include "schedules/ScheduleLink.h"
#include "schedules/ScheduleList.h"
#include "skin/CUIWnd.h"

class QTreeWidgetItem;

namespace fw {

class SkinListCtrl;

// Schedule management: the server's schedules with their dates, searched by name, marked by a
// click on the row, deleted (one 9014 per marked row) and sorted by a click on a column header.
class ScheduleListWindow : public CUIWnd {
    Q_OBJECT
public:
    ScheduleListWindow(ScheduleLink link, QWidget* owner);

    // A new unmarked row at the end (from 9011, and after a schedule was saved).
    void AddScheduleRow(const std::string& name, const std::string& startDate, const std::string& endDate);
    void SearchSchedules();
    // One 9014 per marked row, each row going once its request went out. Without the
    // connection the rows stay, marked, and a box says what was not deleted.
    void DeleteMarkedSchedules();
    void ToggleScheduleMark(int row);
    void SortScheduleList(int column);
    // The login ended: the list is the server's and goes with it.
    void Clear();
    // The login was made again: the server's next list takes the rows' place (ScheduleList).
    void BeginRefresh() { schedules_.BeginRefresh(); }
    // A list from the server (9011) begins.
    void ListArrives();

    const ScheduleList& Schedules() const { return schedules_; }

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTreeWidgetItem* MakeItem(const ScheduleRow& row) const;
    void ShowRows();
    void ShowMarks();

    ScheduleLink link_;
    ScheduleList schedules_;
    SkinListCtrl* view_ = nullptr;
};

}  // namespace fw
