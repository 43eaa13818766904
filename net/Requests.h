#pragma once

#include <json/value.h>

#include <string>
#include <vector>

#include "net/Version.h"

namespace fw {

// The requests the client sends, one builder per command code. Every value is text; the
// caller hands the result to SendJson.
inline constexpr const char* kClientType = "fenWarde";

Json::Value LoginRequest(const std::string& name, const std::string& password);        // 1000
Json::Value HeartbeatRequest();                                                          // 1002
Json::Value AnnounceRequest();                                                           // 1008
Json::Value GroupAnswer(const std::string& groupId);                                     // 1010
Json::Value HelloRequest(const std::string& userName);                                   // 9000
Json::Value RouteStationsRequest(const std::string& lineId);                             // 9002

struct DrawnStation {
    std::string markId, markName, serialNumber, time;
};
struct DrawnRoute {
    std::string lineName, counterTime, counterDistance, userName;
    std::vector<DrawnStation> stations;
};
Json::Value SaveRouteRequest(const DrawnRoute& route);                                   // 9004

struct TimetableRow {
    std::string batch, startTime, lineName;
};
struct Timetable {
    std::string startDate, endDate, name, userName;
    std::vector<TimetableRow> rows;
};
Json::Value SendTimetableRequest(const Timetable& timetable);                            // 9006

struct AssignmentRow {
    std::string date, batch, carCode;
};
struct ScheduleContent {
    std::string className, userName, startDate, endDate;
    std::vector<AssignmentRow> rows;
};
Json::Value ScheduleContentRequest(const ScheduleContent& content);                      // 9008

Json::Value DeleteRouteRequest(const std::string& lineName, const std::string& userName);   // 9012
Json::Value DeleteScheduleRequest(const std::string& className, const std::string& userName);  // 9014

Json::Value StopTimesRequest(const std::string& userName, const std::string& vehicleId,
                             const std::string& plate, const std::string& date);         // 9016

struct ReportQueryFields {
    std::string vehicleId, plate, group, userName, timeStart, timeEnd;
};
Json::Value ReportQueryRequest(const ReportQueryFields& query);                         // 9018

}  // namespace fw
