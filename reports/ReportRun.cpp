#include "reports/ReportRun.h"

#include <unordered_map>
#include <vector>

#include "reports/EventMatching.h"
#include "reports/RouteAnalysis.h"
#include "text/LogSink.h"
#include "reports/TimedTrack.h"
#include "reports/TrackReader.h"
#include "routes/RouteRecord.h"
#include "routes/RouteStore.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "text/Strings.h"

namespace fw {

bool IsReportRangeValid(std::string_view start, std::string_view end) { return !(end < start); }

std::vector<LineEvent> DetectLineEvents(RouteStore& routes, const std::vector<std::string>& lines,
                                        std::string_view trackBody, const DetectionOptions& options) {
    const std::vector<TrackPoint> track = ReadTrackPoints(trackBody);
    // The interpolated rule reads the fixes' times once for every line.
    const std::vector<TimedFix> timed = options.rule == DetectionRule::Interpolated
                                            ? TimeTrack(track, options.crossing)
                                            : std::vector<TimedFix>();
    std::vector<LineEvent> events;
    for (const std::string& line : lines) {
        RouteRecord* route = routes.FindRoute(Trim(line), RouteStore::FindBy::LineName);
        if (route == nullptr) continue;
        for (StationEvent& event : AnalyseRoute(*route, track, timed, options))
            events.push_back({route->lineName, route->stations[event.station].name, event.kind,
                              std::move(event.time)});
    }
    return events;
}

std::size_t ListRecords(std::vector<StopTimeRecord> records, StatusFilter filter, ReportList& list) {
    std::size_t added = 0;
    for (StopTimeRecord& record : records)
        if (list.Add(RowFromRecord(std::move(record)), filter)) ++added;
    list.Sort();
    return added;
}

ReportRun::Start ReportRun::Begin(const ReportForm& form) {
    Start start;
    if (!IsReportRangeValid(form.start, form.end)) {
        start.message = std::string(kRangeErrorText);
        return start;
    }
    start.vehicleId = vehicles_.VehicleIdOfPlate(form.plate);
    if (log_ != nullptr) log_->WriteLog(kFetchStartLog);
    start.request = wire_ != nullptr
                        ? BuildTrackRequest(form.serverAddress, form.webPort, start.vehicleId,
                                            form.plate, form.start, form.end, *wire_)
                        : BuildTrackRequest(form.serverAddress, form.webPort, start.vehicleId,
                                            form.plate, form.start, form.end);
    start.proceed = true;
    return start;
}

ReportRun::Outcome ReportRun::Finish(const ReportForm& form, std::string_view trackBody,
                                     ReportList& list) {
    Outcome outcome;
    if (trackBody.empty()) outcome.message = std::string(kEmptyTrackText);
    if (log_ != nullptr) log_->WriteLog(kFetchEndLog);

    const DetectionOptions& detection = form.detection;
    outcome.rule = detection.rule;
    outcome.matching = detection.matching;
    std::vector<std::string> lines;
    outcome.linesRead = table_.ListVehicleLines(form.plate, lines);
    // Every line's events first: matching in trip order sees the whole day.
    const std::vector<LineEvent> events = DetectLineEvents(routes_, lines, trackBody, detection);
    // The vehicle's real times, cleared and given by the events, go into the table at once.
    const RecordedTimes recorded =
        RecordEvents(table_, log_, form.plate, events, detection.matching);
    outcome.written = recorded.written;
    if (recorded.read && !recorded.written) {
        if (!outcome.message.empty()) outcome.message += "\n";
        outcome.message += std::string(kUnsavedText) + recorded.error;
        if (log_ != nullptr) log_->WriteLog(std::string(kUnsavedText) + recorded.error);
    }

    std::vector<StopTimeRecord> records;
    outcome.rowsRead =
        table_.ReadReportRows(form.plate, form.userName, form.start, form.end, records);
    // Unsaved, the rows still list what this run found.
    if (recorded.read && !recorded.written) {
        std::unordered_map<std::int64_t, const VehicleStopRow*> found;
        for (const VehicleStopRow& row : recorded.rows) found.emplace(row.rowId, &row);
        for (StopTimeRecord& record : records)
            if (const auto it = found.find(record.rowId); it != found.end()) {
                record.realReachTime = Trim(it->second->realReach);
                record.realLeaveTime = Trim(it->second->realLeave);
            }
    }
    outcome.rowsAdded = ListRecords(std::move(records), form.filter, list);
    return outcome;
}

}  // namespace fw
