#pragma once

#include <QPointer>

#include "net/Dispatcher.h"
#include "schedules/ScheduleLink.h"
#include "schedules/ScheduleListWindow.h"
#include "schedules/ScheduleMenuWindow.h"
#include "schedules/ScheduleSetupWindow.h"
#include "schedules/TimetableImportWindow.h"

namespace fw {

// The scheduling page: its four windows, made by the main window among its pages, and the
// received schedule messages they take.
class SchedulePage : public ScheduleEvents {
public:
    explicit SchedulePage(ScheduleLink link) : link_(std::move(link)) {}

    // The window for one of the page's skin windows (not yet created), or null for any other.
    CUIWnd* MakeWindow(int skinWindowId, QWidget* owner);
    // Once the four windows exist: they reach each other from here on.
    void Connect();

    // The main window shows the page: the windows of the sub-menu's mode.
    void ShowScheduleMode();
    void LoginEnded();
    // The session with the server: the connection went, it was made again (the pages keep their
    // state and the server's list replaces the schedules), a document came in.
    void ConnectionLost();
    void BeginRefresh();
    void ServerHeard();
    // Vehicles arrived or went: the roster checks look again.
    void FleetChanged();

    ScheduleMenuWindow* Menu() const { return menu_; }
    ScheduleListWindow* List() const { return list_; }
    TimetableImportWindow* Import() const { return import_; }
    ScheduleSetupWindow* Setup() const { return setup_; }

    // ScheduleEvents
    bool SendDayContent() override;
    bool FinishScheduleSave() override;
    void ScheduleListArrived() override;
    void AddScheduleRow(const std::string& name, const std::string& startDate, const std::string& endDate) override;

private:
    ScheduleLink link_;
    QPointer<ScheduleMenuWindow> menu_;
    QPointer<ScheduleListWindow> list_;
    QPointer<TimetableImportWindow> import_;
    QPointer<ScheduleSetupWindow> setup_;
};

}  // namespace fw
