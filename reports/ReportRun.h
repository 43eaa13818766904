#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/ReportForm.h"
#include "reports/ReportRows.h"
#include "reports/TrackRequest.h"

namespace fw {

class LogSink;
class RouteStore;
struct LineEvent;
struct StopTimeRecord;
class StopTimeTable;
class TextCodec;
class VehicleStore;

inline constexpr std::string_view kRangeErrorText = "终止时间不能小于起始时间";
inline constexpr std::string_view kEmptyTrackText = "轨迹数据为空";
inline constexpr std::string_view kFetchStartLog = "开始获取轨迹数据";
inline constexpr std::string_view kFetchEndLog = "轨迹数据获取结束";
inline constexpr std::string_view kUnsavedText =
    "本次结果未能存入本地数据库，库中保留此前的实际时间：";

// The end of the range may not come before its start (text order is time order here).
bool IsReportRangeValid(std::string_view start, std::string_view end);

// The arrivals and departures of a vehicle on its lines (as the stop-time table lists them), as a
// run finds them: the track read once, every line that has a route analysed with the options'
// rule (AnalyseRoute), the events in line order and, within a line, in the order found.
std::vector<LineEvent> DetectLineEvents(RouteStore& routes, const std::vector<std::string>& lines,
                                        std::string_view trackBody, const DetectionOptions& options);

// The rows a run lists: each record the range query read, as a list row, through the filter, then
// the whole list in planned order. The number of rows added.
std::size_t ListRecords(std::vector<StopTimeRecord> records, StatusFilter filter, ReportList& list);

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
    // Checks the range and builds the track request.
    Start Begin(const ReportForm& form);

    struct Outcome {
        std::string message;     // "轨迹数据为空" when the body was empty
        bool linesRead = false;  // false: the line list failed, some lines were not analysed
        bool rowsRead = false;   // false: the row query failed, some rows are missing
        bool written = false;    // false: the real times could not be stored (see message)
        std::size_t rowsAdded = 0;
        DetectionRule rule = DetectionRule::FirstFix;  // the rule that made the real times
        Matching matching = Matching::Nearest;         // and how they were given to the rows
    };
    // Analyses every line of the vehicle that has a route against the track (parsed once) with
    // the form's detection rule, gives the events to the vehicle's rows with its matching in
    // memory, writes their real times in one transaction, and appends the rows of the range to
    // the list, sorted. An empty body still lists the rows. A write that fails leaves the
    // table's real times as they were and says so; the list shows what the run found.
    Outcome Finish(const ReportForm& form, std::string_view trackBody, ReportList& list);

private:
    StopTimeTable& table_;
    RouteStore& routes_;
    const VehicleStore& vehicles_;
    LogSink* log_;
    const TextCodec* wire_;
};

}  // namespace fw
