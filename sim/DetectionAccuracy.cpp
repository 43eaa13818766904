#include "sim/DetectionAccuracy.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>

#include "reports/RouteAnalysis.h"
#include "reports/TimedTrack.h"
#include "routes/RouteRecord.h"
#include "sim/Geo.h"
#include "sim/ScenarioGenerator.h"
#include "sim/TrackGenerator.h"
#include "text/Strings.h"

namespace fw::sim {
namespace {

// A coordinate as the track reader reads it: each term printed with six decimals and read back.
double AsRead(double term) { return AtofLike(FormatFixed6(term)); }

std::vector<TrackPoint> TrackPoints(const VehicleTrack& track) {
    std::vector<TrackPoint> points;
    points.reserve(track.fixes.size());
    for (const Fix& f : track.fixes)
        points.push_back({FormatSeconds(f.gpsTime), AsRead(f.lat) + AsRead(f.latXz),
                          AsRead(f.lng) + AsRead(f.lngXz)});
    return points;
}

// Takes for each true instant the nearest unclaimed event within the tolerance; what is left
// over is false.
void Match(const std::vector<long long>& truth, std::vector<long long> found,
           std::vector<bool>& matched, std::vector<long long>& errors, std::size_t& falseEvents) {
    std::vector<bool> used(found.size(), false);
    for (std::size_t v = 0; v < truth.size(); ++v) {
        std::size_t best = found.size();
        for (std::size_t e = 0; e < found.size(); ++e) {
            if (used[e] || std::llabs(found[e] - truth[v]) > kAccuracyToleranceSeconds) continue;
            if (best == found.size() ||
                std::llabs(found[e] - truth[v]) < std::llabs(found[best] - truth[v]))
                best = e;
        }
        if (best == found.size()) continue;
        used[best] = true;
        matched[v] = true;
        errors.push_back(std::llabs(found[best] - truth[v]));
    }
    falseEvents += static_cast<std::size_t>(std::count(used.begin(), used.end(), false));
}

}  // namespace

RouteRecord RouteOfLine(const Scenario& sc, const Line& line) {
    RouteRecord route;
    route.lineName = line.name;
    route.lineId = line.id;
    for (const LineStop& stop : line.stops) {
        const Station* s = sc.FindStation(stop.stationId);
        route.stations.push_back({stop.stationId,
                                  s ? s->name : "",
                                  s ? FormatFixed6(s->lat) : "",
                                  s ? FormatFixed6(s->lng) : "",
                                  "",
                                  "",
                                  {}});
    }
    return route;
}

double DetectionAccuracy::DetectedShare() const {
    return visits == 0 ? 0.0 : static_cast<double>(detected) / static_cast<double>(visits);
}

double DetectionAccuracy::Mean(const std::vector<long long>& errors) {
    if (errors.empty()) return 0.0;
    return static_cast<double>(std::accumulate(errors.begin(), errors.end(), 0LL)) /
           static_cast<double>(errors.size());
}

long long DetectionAccuracy::Percentile95(std::vector<long long> errors) {
    if (errors.empty()) return 0;
    std::sort(errors.begin(), errors.end());
    const std::size_t rank = (errors.size() * 95 + 99) / 100;  // ceil(0.95 n), at least 1
    return errors[std::max<std::size_t>(rank, 1) - 1];
}

DetectionAccuracy MeasureDetection(const Scenario& sc, const DetectionOptions& options) {
    DetectionAccuracy result;
    for (const Vehicle& vehicle : sc.vehicles) {
        const std::vector<TrackPoint> points = TrackPoints(*GenerateTrack(sc, vehicle.code));
        const std::vector<TimedFix> timed = options.rule == DetectionRule::Interpolated
                                                ? TimeTrack(points, options.crossing)
                                                : std::vector<TimedFix>();
        std::map<std::string, std::vector<const Trip*>> tripsOfLine;
        for (const Trip& trip : sc.trips)
            if (trip.vehicle == vehicle.code) tripsOfLine[trip.line].push_back(&trip);

        for (const auto& [lineName, trips] : tripsOfLine) {
            const Line* line = sc.FindLineByName(lineName);
            if (line == nullptr) continue;
            RouteRecord route = RouteOfLine(sc, *line);
            const std::vector<StationEvent> events = AnalyseRoute(route, points, timed, options);

            // Per station: the true instants and the events, arrivals and departures apart.
            const std::size_t n = route.stations.size();
            std::vector<std::vector<long long>> reach(n), leave(n), arrived(n), left(n);
            for (const Trip* trip : trips)
                for (const StopEvent& stop : trip->stops) {
                    if (stop.trueReach.empty() || stop.trueLeave.empty()) continue;
                    for (std::size_t i = 0; i < n; ++i)
                        if (line->stops[i].stationId == stop.stationId) {
                            reach[i].push_back(*ParseSeconds(stop.trueReach));
                            leave[i].push_back(*ParseSeconds(stop.trueLeave));
                        }
                }
            for (const StationEvent& e : events) {
                const std::optional<long long> t = ParseSeconds(e.time);
                if (!t) {
                    ++result.falseEvents;
                    continue;
                }
                (e.kind == StopEventKind::Arrival ? arrived : left)[e.station].push_back(*t);
            }
            for (std::size_t i = 0; i < n; ++i) {
                std::vector<bool> gotReach(reach[i].size(), false),
                    gotLeave(leave[i].size(), false);
                Match(reach[i], arrived[i], gotReach, result.arrivalErrors, result.falseEvents);
                Match(leave[i], left[i], gotLeave, result.departureErrors, result.falseEvents);
                result.visits += reach[i].size();
                for (std::size_t v = 0; v < reach[i].size(); ++v)
                    result.detected += gotReach[v] && gotLeave[v];
            }
        }
    }
    return result;
}

std::string AccuracyTable(std::uint64_t seed, const std::string& date) {
    std::string out =
        "| Fix interval | Noise | Rule | Visits | Detected | False events | Arrival error mean | "
        "Arrival p95 | Departure error mean | Departure p95 |\n"
        "|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|\n";
    const Scenario base = GenerateScenario(seed, date);
    for (int interval : {5, 15, 30, 60})
        for (double noise : {0.0, 5.0, 10.0}) {
            Scenario sc = base;
            sc.track.intervalSeconds = interval;
            sc.track.noiseMetres = noise;
            for (DetectionRule rule : {DetectionRule::FirstFix, DetectionRule::Interpolated}) {
                DetectionOptions options;
                options.rule = rule;
                const DetectionAccuracy a = MeasureDetection(sc, options);
                char row[512];
                std::snprintf(
                    row, sizeof row,
                    "| %d s | %.0f m | %s | %zu | %.2f %% | %zu | %.1f s | %lld s | %.1f s "
                    "| %lld s |\n",
                    interval, noise, std::string(DetectionRuleKey(rule)).c_str(), a.visits,
                    100.0 * a.DetectedShare(), a.falseEvents,
                    DetectionAccuracy::Mean(a.arrivalErrors),
                    DetectionAccuracy::Percentile95(a.arrivalErrors),
                    DetectionAccuracy::Mean(a.departureErrors),
                    DetectionAccuracy::Percentile95(a.departureErrors));
                out += row;
            }
        }
    return out;
}

}  // namespace fw::sim
