#include "net/Requests.h"

#include "net/Message.h"

namespace fw {
namespace {

// Every 9xxx request names the client kind in its header.
Json::Value MakeClientRequest(const char* cmd) {
    Json::Value root = MakeMessage(cmd);
    root["header"]["clientType"] = kClientType;
    return root;
}

}  // namespace

Json::Value LoginRequest(const std::string& name, const std::string& password) {
    Json::Value root = MakeMessage("1000");
    root["header"]["type"] = "json_busmgr";
    root["header"]["mode"] = "";
    Json::Value& body = root["body"];
    body["name"] = name;
    body["pass"] = password;
    body["ver"] = kClientVersion;
    return root;
}

Json::Value HeartbeatRequest() {
    Json::Value root = MakeMessage("1002");
    root["body"]["result"] = "";
    return root;
}

Json::Value AnnounceRequest() {
    Json::Value root = MakeMessage("1008");
    root["body"]["client"] = "true";
    return root;
}

Json::Value GroupAnswer(const std::string& groupId) {
    Json::Value root = MakeMessage("1010");
    root["body"]["groupid"] = groupId;
    return root;
}

Json::Value HelloRequest(const std::string& userName) {
    Json::Value root = MakeClientRequest("9000");
    root["body"]["fen_warde"] = "true";
    root["body"]["username"] = userName;
    return root;
}

Json::Value RouteStationsRequest(const std::string& lineId) {
    Json::Value root = MakeClientRequest("9002");
    root["body"]["lineid"] = lineId;
    return root;
}

Json::Value SaveRouteRequest(const DrawnRoute& route) {
    Json::Value root = MakeClientRequest("9004");
    Json::Value& body = root["body"];
    body["linename"] = route.lineName;
    body["countertime"] = route.counterTime;
    body["counterdis"] = route.counterDistance;
    body["userName"] = route.userName;
    Json::Value& stations = body["stationns"] = Json::Value(Json::arrayValue);
    for (const DrawnStation& s : route.stations) {
        Json::Value item(Json::objectValue);
        item["usermarkid"] = s.markId;
        item["usermarkname"] = s.markName;
        item["serialnumber"] = s.serialNumber;
        item["time"] = s.time;
        stations.append(std::move(item));
    }
    return root;
}

Json::Value SendTimetableRequest(const Timetable& timetable) {
    Json::Value root = MakeClientRequest("9006");
    Json::Value& body = root["body"];
    body["startdate"] = timetable.startDate;
    body["enddate"] = timetable.endDate;
    body["name"] = timetable.name;
    body["userName"] = timetable.userName;
    // Without rows the member is left out, as the server has always received it.
    for (const TimetableRow& r : timetable.rows) {
        Json::Value item(Json::objectValue);
        item["batch"] = r.batch;
        item["starttime"] = r.startTime;
        item["flag"] = "0";
        item["linename"] = r.lineName;
        body["stationns"].append(std::move(item));
    }
    return root;
}

Json::Value ScheduleContentRequest(const ScheduleContent& content) {
    Json::Value root = MakeClientRequest("9008");
    Json::Value& body = root["body"];
    body["classname"] = content.className;
    body["username"] = content.userName;
    body["startdate"] = content.startDate;
    body["enddate"] = content.endDate;
    // Without cells the member is left out, as the server has always received it.
    for (const AssignmentRow& r : content.rows) {
        Json::Value item(Json::objectValue);
        item["date"] = r.date;
        item["batch"] = r.batch;
        item["carcode"] = r.carCode;
        body["content"].append(std::move(item));
    }
    return root;
}

Json::Value DeleteRouteRequest(const std::string& lineName, const std::string& userName) {
    Json::Value root = MakeClientRequest("9012");
    root["body"]["linename"] = lineName;
    root["body"]["username"] = userName;
    return root;
}

Json::Value DeleteScheduleRequest(const std::string& className, const std::string& userName) {
    Json::Value root = MakeClientRequest("9014");
    root["body"]["classename"] = className;
    root["body"]["username"] = userName;
    return root;
}

Json::Value StopTimesRequest(const std::string& userName, const std::string& vehicleId,
                             const std::string& plate, const std::string& date) {
    Json::Value root = MakeClientRequest("9016");
    Json::Value& body = root["body"];
    body["username"] = userName;
    body["vhcid"] = vehicleId;
    body["code"] = plate;
    body["date"] = date;
    return root;
}

Json::Value ReportQueryRequest(const ReportQueryFields& query) {
    Json::Value root = MakeClientRequest("9018");
    Json::Value& body = root["body"];
    body["vhcid"] = query.vehicleId;
    body["code"] = query.plate;
    body["group"] = query.group;
    body["username"] = query.userName;
    body["timeStart"] = query.timeStart;
    body["timeEnd"] = query.timeEnd;
    return root;
}

}  // namespace fw
