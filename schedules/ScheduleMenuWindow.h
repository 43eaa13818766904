#pragma once

#include <QPointer>

#include "skin/CUIWnd.h"

namespace fw {

// The scheduling sub-menu: "排班管理" shows the schedule list (mode 0), "创建任务" the timetable
// import above the schedule setup (mode 1). The mode is kept while other pages are visited.
class ScheduleMenuWindow : public CUIWnd {
    Q_OBJECT
public:
    explicit ScheduleMenuWindow(QWidget* owner);

    void SetContentWindows(CUIWnd* list, CUIWnd* import, CUIWnd* setup);
    int Mode() const { return scheduleMode_; }

    // Places and shows the windows of the current mode under this bar, in the owner's client area.
    void ShowScheduleMode();
    void SwitchToManage();
    void SwitchToCreate();

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;

private:
    void TickMode();

    int scheduleMode_ = 0;
    QPointer<CUIWnd> list_;
    QPointer<CUIWnd> import_;
    QPointer<CUIWnd> setup_;
};

}  // namespace fw
