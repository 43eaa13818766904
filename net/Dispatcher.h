#pragma once

#include <json/value.h>

#include <string>
#include <vector>

#include "net/Message.h"

namespace fw {

class LogSink;
class RouteStore;
class StopTimeTable;
class VehicleStore;
struct RouteRecord;
struct StopTimeEntry;
struct StationRecord;

// What received messages reach in the shell: the link, the login and the drop-down lists.
// The main window implements it.
class DispatchTarget {
public:
    virtual ~DispatchTarget() = default;

    // Answers go out before the next document is taken. False when the send ended the login.
    virtual bool SendJson(const Json::Value& message) = 0;
    // The login reply; false when it ended the login (rejected).
    virtual bool LoginResult(const std::string& result, const std::string& text) = 0;
    virtual void AddGroupChoice(const std::string& group) = 0;
    virtual void AddVehicleChoice(const std::string& plate) = 0;
};

// What received messages reach in the work pages. Each page implements its own part; a part
// nobody has hooked in yet ignores its messages.
class RouteEvents {
public:
    virtual ~RouteEvents() = default;
    // A route received stations (joined: this message's station names): refresh the pager, add
    // the route's row if the page has room.
    virtual void RouteStationsArrived(const RouteRecord& route, const std::string& joined) = 0;
};

class ScheduleEvents {
public:
    virtual ~ScheduleEvents() = default;
    // The schedule save exchange: send the current day's rows and advance (9007), or send the
    // timetable and finish the save (9009). False when a send ended the login.
    virtual bool SendDayContent() = 0;
    virtual bool FinishScheduleSave() = 0;
    // A schedule list (9011) begins; its rows follow, one AddScheduleRow each.
    virtual void ScheduleListArrived() {}
    virtual void AddScheduleRow(const std::string& name, const std::string& startDate,
                                const std::string& endDate) = 0;
};

class ReportEvents {
public:
    virtual ~ReportEvents() = default;
    // End of a batch of replies (9019): run the report when the batch was the stop times, then
    // enable the report controls in every case. False when the login ended meanwhile.
    virtual bool ReportBatchEnded(bool runReport) = 0;
    virtual void AddReportRow(const Message& message) = 0;
};

// The planned stop event of a stop-time message's body (9017), its fields as read.
StopTimeEntry StopTimeEntryOf(const Json::Value& body);

// Routes every received document by its code to the stores, the database and the target.
class Dispatcher {
public:
    Dispatcher(RouteStore& routes, VehicleStore& vehicles, StopTimeTable& stopTimes,
               DispatchTarget& target);

    void SetUser(std::string user) { user_ = std::move(user); }
    // The pages hook themselves in once their windows exist; null unhooks.
    void SetRouteEvents(RouteEvents* events) { routeEvents_ = events; }
    void SetScheduleEvents(ScheduleEvents* events) { scheduleEvents_ = events; }
    void SetReportEvents(ReportEvents* events) { reportEvents_ = events; }
    const std::string& User() const { return user_; }

    // False when handling ended the login: the rest of the read is dropped.
    bool Dispatch(const Message& message);

    // Station names joined for the route list: "甲 — 乙 — 丙".
    static std::string JoinStationNames(const std::vector<StationRecord>& stations);

private:
    bool AddRouteAndAskStations(const Json::Value& body);
    void AttachStations(const Json::Value& body);
    void InsertStopTime(const Json::Value& body);

    RouteStore& routes_;
    VehicleStore& vehicles_;
    StopTimeTable& stopTimes_;
    DispatchTarget& target_;
    RouteEvents* routeEvents_ = nullptr;
    ScheduleEvents* scheduleEvents_ = nullptr;
    ReportEvents* reportEvents_ = nullptr;
    std::string user_;
};

}  // namespace fw
