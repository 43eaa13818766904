#include "sim/ReportAccuracy.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <tuple>

#include "reports/ReportRun.h"
#include "routes/RouteStore.h"
#include "sim/DetectionAccuracy.h"
#include "sim/Geo.h"
#include "sim/ScenarioGenerator.h"
#include "sim/TrackGenerator.h"
#include "sim/TripPlanner.h"
#include "sim/WebSite.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"

namespace fw::sim {
namespace {

constexpr const char* kUser = "admin";

std::string StationName(const Scenario& sc, const std::string& id) {
    const Station* s = sc.FindStation(id);
    return s ? s->name : id;
}

// A planned stop as a report row names it: batch, line, stop, planned arrival.
using StopKey = std::tuple<std::string, std::string, std::string, std::string>;

}  // namespace

double RowAccuracy::RightShare() const {
    return visits == 0 ? 0.0 : static_cast<double>(right) / static_cast<double>(visits);
}

RowAccuracy MeasureReportRows(const Scenario& sc, const DetectionOptions& options) {
    RowAccuracy result;
    RouteStore routes;
    for (const Line& line : sc.lines) routes.AddRoute(RouteOfLine(sc, line));
    VehicleStore vehicles;
    for (const Vehicle& v : sc.vehicles) vehicles.Add({v.code, v.id, v.group});

    for (const Vehicle& vehicle : sc.vehicles) {
        // What the server sends for 9016, and the true arrival of each of those stops.
        Database db;
        if (!db.OpenScratch()) continue;
        StopTimeTable table(db);
        std::map<StopKey, std::string> truth;
        for (const Trip& trip : TripsOfVehicle(sc, vehicle.code, sc.date))
            for (const StopEvent& stop : trip.stops) {
                const std::string name = StationName(sc, stop.stationId);
                table.InsertStopTime({vehicle.code, trip.batch, trip.line, trip.date, stop.planReach,
                                      stop.planLeave, name, trip.flag},
                                     kUser);
                truth[{trip.batch, trip.line, name, stop.planReach}] = stop.trueReach;
            }
        ReportForm form;
        form.plate = vehicle.code;
        form.start = sc.date + " 00:00:00";
        form.end = sc.date + " 23:59:59";
        form.userName = kUser;
        form.serverAddress = "127.0.0.1";
        form.detection = options;
        ReportRun run(table, routes, vehicles, nullptr);
        if (!run.Begin(form).proceed) continue;
        ReportList list;
        run.Finish(form, WriteTrackReply(GenerateTrack(sc, vehicle.code)->fixes), list);

        for (const ReportRow& row : list.Rows()) {
            const auto it =
                truth.find({row[kColBatch], row[kColLine], row[kColStop], row[kColPlanReach]});
            if (it == truth.end()) continue;
            const std::optional<long long> real = ParseSeconds(row[kColRealReach]);
            if (it->second.empty()) {
                ++result.unreached;
                result.unreachedFilled += !row[kColRealReach].empty();
                continue;
            }
            ++result.visits;
            if (row[kColRealReach].empty()) {
                ++result.empty;
                continue;
            }
            const long long error = real ? std::llabs(*real - *ParseSeconds(it->second)) : -1;
            if (error < 0 || error > kAccuracyToleranceSeconds) {
                ++result.wrong;
                continue;
            }
            ++result.right;
            result.errors.push_back(error);
        }
    }
    return result;
}

std::string RowAccuracyTable(std::uint64_t seed, const std::string& date, int interval, double noise) {
    std::string out =
        "| Fix interval | Noise | Rule | Matching | Visits | Own arrival | Empty | Another's | "
        "Unreached but filled | Arrival error mean | Arrival p95 |\n"
        "|---:|---:|---|---|---:|---:|---:|---:|---:|---:|---:|\n";
    Scenario sc = GenerateScenario(seed, date);
    sc.track.intervalSeconds = interval;
    sc.track.noiseMetres = noise;
    for (DetectionRule rule : {DetectionRule::FirstFix, DetectionRule::Interpolated})
        for (Matching matching : {Matching::Nearest, Matching::Sequence}) {
            DetectionOptions options;
            options.rule = rule;
            options.matching = matching;
            const RowAccuracy a = MeasureReportRows(sc, options);
            char row[512];
            std::snprintf(row, sizeof row,
                          "| %d s | %.0f m | %s | %s | %zu | %zu (%.2f %%) | %zu | %zu | %zu | %.1f s "
                          "| %lld s |\n",
                          interval, noise, std::string(DetectionRuleKey(rule)).c_str(),
                          std::string(MatchingKey(matching)).c_str(), a.visits, a.right,
                          100.0 * a.RightShare(), a.empty, a.wrong, a.unreachedFilled,
                          DetectionAccuracy::Mean(a.errors),
                          DetectionAccuracy::Percentile95(a.errors));
            out += row;
        }
    return out;
}

}  // namespace fw::sim
