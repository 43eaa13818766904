#pragma once

#include <string>
#include <string_view>

#include "reports/ReportForm.h"
#include "reports/ReportRows.h"
#include "reports/TrackRequest.h"

namespace fw {

class LogSink;
class RouteStore;
class StopTimeTable;
class TextCodec;
class VehicleStore;

inline constexpr std::string_view kRangeErrorText = "终止时间不能小于起始时间";
inline constexpr std::string_view kEmptyTrackText = "轨迹数据为空";
inline constexpr std::string_view kFetchStartLog = "开始获取轨迹数据";
inline constexpr std::string_view kFetchEndLog = "轨迹数据获取结束";

// The end of the range may not come before its start (text order is time order here).
bool IsReportRangeValid(std::string_view start, std::string_view end);

// The report run without its window: Begin before the track transfer, Finish with its body.
// Every step that has something to tell the user hands back the text to show.
class ReportRun {
public:
    // wire: the charset of the track request's values; GBK when null.
    ReportRun(StopTimeTable& table, RouteStore& routes, const VehicleStore& vehicles, LogSink* log,
              const TextCodec* wire = nullptr)
        : table_(table), routes_(routes), vehicles_(vehicles), log_(log), wire_(wire) {}

    struct Start {
        bool proceed = false;
        std::string message;    // shown in a message box when not empty
        std::string vehicleId;  // empty when the plate has no vehicle record
        TrackRequest request;   // what to fetch when proceeding
    };
    // Checks the range, clears the vehicle's real times and builds the track request.
    Start Begin(const ReportForm& form);

    struct Outcome {
        std::string message;     // "轨迹数据为空" when the body was empty
        bool linesRead = false;  // false: the line list failed, some lines were not analysed
        bool rowsRead = false;   // false: the row query failed, some rows are missing
        std::size_t rowsAdded = 0;
        DetectionRule rule = DetectionRule::FirstFix;  // the rule that made the real times
        Matching matching = Matching::Nearest;         // and how they were given to the rows
    };
    // Analyses every line of the vehicle that has a route against the track (parsed once) with
    // the form's detection rule, gives the events to the rows with its matching, and appends
    // the rows of the range to the list, sorted. An empty body still lists the rows.
    Outcome Finish(const ReportForm& form, std::string_view trackBody, ReportList& list);

private:
    StopTimeTable& table_;
    RouteStore& routes_;
    const VehicleStore& vehicles_;
    LogSink* log_;
    const TextCodec* wire_;
};

}  // namespace fw
