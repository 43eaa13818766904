#include "reports/ReportRun.h"

#include <vector>

#include "reports/CrossingDetection.h"
#include "text/LogSink.h"
#include "reports/Detection.h"
#include "reports/TimedTrack.h"
#include "reports/TrackReader.h"
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
    // The interpolated rule reads the fixes' times once for every line.
    const std::vector<TimedFix> timed = detection.rule == DetectionRule::Interpolated
                                            ? TimeTrack(track, detection.crossing)
                                            : std::vector<TimedFix>();
    std::vector<std::string> lines;
    outcome.linesRead = table_.ListVehicleLines(form.plate, lines);
    for (const std::string& line : lines) {
        RouteRecord* route = routes_.FindRoute(Trim(line), RouteStore::FindBy::LineName);
        if (route == nullptr) continue;
        if (detection.rule == DetectionRule::Interpolated)
            AnalyseTrackInterpolated(*route, form.plate, timed, detection.crossing, table_, log_);
        else
            AnalyseTrack(*route, form.plate, track, table_, log_);
    }

    std::vector<StopTimeRecord> records;
    outcome.rowsRead =
        table_.ReadReportRows(form.plate, form.userName, form.start, form.end, records);
    for (const StopTimeRecord& record : records)
        if (list.Add(RowFromRecord(record), form.filter)) ++outcome.rowsAdded;
    list.Sort();
    return outcome;
}

}  // namespace fw
