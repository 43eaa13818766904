#include "reports/ReportRun.h"

#include <vector>

#include "text/LogSink.h"
#include "reports/Detection.h"
#include "reports/TrackReader.h"
#include "routes/RouteStore.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "text/Strings.h"

namespace fw {

bool IsReportRangeValid(std::string_view start, std::string_view end) { return !(end < start); }

ReportRun::Start ReportRun::Begin(const ReportQuery& query) {
    Start start;
    if (!IsReportRangeValid(query.start, query.end)) {
        start.message = std::string(kRangeErrorText);
        return start;
    }
    // A failure leaves old real times in place; the analysis still runs, as it always has.
    table_.ClearRealTimes(query.plate);
    start.vehicleId = vehicles_.VehicleIdOfPlate(query.plate);
    if (log_ != nullptr) log_->WriteLog(kFetchStartLog);
    start.request = BuildTrackRequest(query.serverAddress, query.webPort, start.vehicleId,
                                      query.plate, query.start, query.end);
    start.proceed = true;
    return start;
}

ReportRun::Outcome ReportRun::Finish(const ReportQuery& query, std::string_view trackBody,
                                     ReportList& list) {
    Outcome outcome;
    if (trackBody.empty()) outcome.message = std::string(kEmptyTrackText);
    if (log_ != nullptr) log_->WriteLog(kFetchEndLog);

    const std::vector<TrackPoint> track = ReadTrackPoints(trackBody);
    std::vector<std::string> lines;
    outcome.linesRead = table_.ListVehicleLines(query.plate, lines);
    for (const std::string& line : lines) {
        RouteRecord* route = routes_.FindRoute(Trim(line), RouteStore::FindBy::LineName);
        if (route != nullptr) AnalyseTrack(*route, query.plate, track, table_, log_);
    }

    std::vector<StopTimeRecord> records;
    outcome.rowsRead =
        table_.ReadReportRows(query.plate, query.userName, query.start, query.end, records);
    for (const StopTimeRecord& record : records)
        if (list.Add(RowFromRecord(record), query.filter)) ++outcome.rowsAdded;
    list.Sort();
    return outcome;
}

}  // namespace fw
