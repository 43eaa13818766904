#include "reports/ReportRun.h"

#include <vector>

#include "reports/CrossingDetection.h"
#include "reports/EventMatching.h"
#include "text/LogSink.h"
#include "reports/Detection.h"
#include "reports/TimedTrack.h"
#include "reports/TrackReader.h"
#include "routes/RouteRecord.h"
#include "routes/RouteStore.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "text/Strings.h"

namespace fw {

bool IsReportRangeValid(std::string_view start, std::string_view end) { return !(end < start); }

ReportRun::Start ReportRun::Begin(const ReportForm& form) {
    Start start;
    if (!IsReportRangeValid(form.start, form.end)) {
        start.message = std::string(kRangeErrorText);
        return start;
    }
    // A failure leaves old real times in place; the analysis still runs, as it always has.
    table_.ClearRealTimes(form.plate);
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

    const std::vector<TrackPoint> track = ReadTrackPoints(trackBody);
    const DetectionOptions& detection = form.detection;
    outcome.rule = detection.rule;
    outcome.matching = detection.matching;
    // The interpolated rule reads the fixes' times once for every line.
    const std::vector<TimedFix> timed = detection.rule == DetectionRule::Interpolated
                                            ? TimeTrack(track, detection.crossing)
                                            : std::vector<TimedFix>();
    std::vector<std::string> lines;
    outcome.linesRead = table_.ListVehicleLines(form.plate, lines);
    // Every line's events first, in the order found: matching in trip order sees the whole day.
    std::vector<LineEvent> events;
    for (const std::string& line : lines) {
        RouteRecord* route = routes_.FindRoute(Trim(line), RouteStore::FindBy::LineName);
        if (route == nullptr) continue;
        // The presence states start at 0 for each analysis.
        for (StationRecord& station : route->stations) station.presenceState = PresenceState::Outside;
        auto take = [&](const StationEvent& event) {
            MarkPresence(*route, event);
            events.push_back({route->lineName, route->stations[event.station].name, event.kind,
                              event.time});
        };
        if (detection.rule == DetectionRule::Interpolated) {
            for (const StationEvent& event :
                 DetectCrossings(StationPlaces(*route), timed, detection.crossing))
                take(event);
        } else {
            DetectFirstFix(StationPlaces(*route), track, take);
        }
    }
    RecordEvents(table_, log_, form.plate, events, detection.matching);

    std::vector<StopTimeRecord> records;
    outcome.rowsRead =
        table_.ReadReportRows(form.plate, form.userName, form.start, form.end, records);
    for (const StopTimeRecord& record : records)
        if (list.Add(RowFromRecord(record), form.filter)) ++outcome.rowsAdded;
    list.Sort();
    return outcome;
}

}  // namespace fw
