#include "net/Dispatcher.h"

#include "net/Requests.h"
#include "routes/RouteStore.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "text/Strings.h"

namespace fw {

Dispatcher::Dispatcher(RouteStore& routes, VehicleStore& vehicles, StopTimeTable& stopTimes,
                       DispatchTarget& target)
    : routes_(routes), vehicles_(vehicles), stopTimes_(stopTimes), target_(target) {}

bool Dispatcher::Dispatch(const Message& message) {
    const Json::Value& body = message.body;
    switch (message.code) {
        case 8000:
            if (AtoiLike(Text(body, "cmd")) != 1000) return true;
            return target_.LoginResult(Text(body, "result"), Text(body, "text"));
        case 1009:
            target_.AddGroupChoice(Text(body, "groupname"));
            return target_.SendJson(GroupAnswer(Text(body, "groupid")));
        case 1011: {
            // Stored before it is offered, so whoever reacts to the offer finds it.
            vehicles_.Add(VehicleRecord{Text(body, "code"), Text(body, "id"), Text(body, "groupname")});
            target_.AddVehicleChoice(Text(body, "code"));
            return true;
        }
        case 9001: return AddRouteAndAskStations(body);
        case 9003: AttachStations(body); return true;
        case 9007: return scheduleEvents_ == nullptr || scheduleEvents_->SendDayContent();
        case 9009: return scheduleEvents_ == nullptr || scheduleEvents_->FinishScheduleSave();
        case 9011:
            if (scheduleEvents_ != nullptr && body.isArray()) {
                scheduleEvents_->ScheduleListArrived();
                for (const Json::Value& row : body)
                    scheduleEvents_->AddScheduleRow(Text(row, "classename"), Text(row, "startDate"),
                                                    Text(row, "endDate"));
            }
            return true;
        case 9017: InsertStopTime(body); return true;
        case 9019:
            return reportEvents_ == nullptr ||
                   reportEvents_->ReportBatchEnded(Text(body, "type") == "batch");
        case 9021:
            if (reportEvents_ != nullptr) reportEvents_->AddReportRow(message);
            return true;
        default: return true;
    }
}

bool Dispatcher::AddRouteAndAskStations(const Json::Value& body) {
    RouteRecord route;
    route.lineName = Text(body, "linename");
    route.length = Text(body, "counterdis");
    route.time = Text(body, "countertime");
    route.lineId = Text(body, "lineid");
    const std::string lineId = route.lineId;
    routes_.AddRoute(std::move(route));  // a duplicate name is logged and dropped there
    return target_.SendJson(RouteStationsRequest(lineId));
}

void Dispatcher::AttachStations(const Json::Value& body) {
    RouteRecord* route = routes_.FindRoute(Text(body, "lineId"), RouteStore::FindBy::LineId);
    if (route == nullptr) return;
    const Json::Value& items = body.isObject() ? body["stationns"] : Json::Value::nullSingleton();
    std::vector<StationRecord> arrived;
    if (items.isArray()) {
        for (const Json::Value& item : items) {
            StationRecord station;
            station.id = Text(item, "id");
            station.name = Text(item, "name");
            station.latitude = Text(item, "lat");
            station.longitude = Text(item, "lng");
            station.time = Text(item, "time");
            arrived.push_back(std::move(station));
        }
    }
    // The list row shows this message's stations, not every one the route has gathered.
    const std::string joined = JoinStationNames(arrived);
    routes_.AttachStations(*route, std::move(arrived));
    if (routeEvents_ != nullptr) routeEvents_->RouteStationsArrived(*route, joined);
}

std::string Dispatcher::JoinStationNames(const std::vector<StationRecord>& stations) {
    std::string joined;
    for (const StationRecord& station : stations) {
        if (!joined.empty()) joined += " — ";
        joined += station.name;
    }
    return joined;
}

StopTimeEntry StopTimeEntryOf(const Json::Value& body) {
    StopTimeEntry entry;
    entry.code = Text(body, "code");
    entry.batchName = Text(body, "batchname");
    entry.lineName = Text(body, "linenaem");
    entry.batchDate = Text(body, "batchdate");
    entry.planReachTime = Text(body, "planreachtime");
    entry.planLeaveTime = Text(body, "planleavetime");
    entry.userMarkName = Text(body, "userMarkName");
    entry.flag = Text(body, "flag");
    return entry;
}

void Dispatcher::InsertStopTime(const Json::Value& body) {
    // A row the database refuses is lost alone; the documents after it are still handled.
    stopTimes_.InsertStopTime(StopTimeEntryOf(body), user_);
}

}  // namespace fw
