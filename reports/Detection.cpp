#include "reports/Detection.h"

#include <cmath>
#include <optional>
#include <string>

#include "text/LogSink.h"
#include "routes/RouteRecord.h"
#include "store/StopTimeTable.h"
#include "text/OleDate.h"
#include "text/Strings.h"

namespace fw {

double GroundDistanceKm(double lat1, double lng1, double lat2, double lng2) {
    if (std::fabs(lat1) < kDegenerateCoordinate || std::fabs(lng1) < kDegenerateCoordinate ||
        std::fabs(lat2) < kDegenerateCoordinate || std::fabs(lng2) < kDegenerateCoordinate)
        return 0.0;
    const double y = (lat2 - lat1) * kMetresPerDegree;
    const double x =
        std::cos(((lat1 + lat2) * 0.5) * kDegreesToRadians) * (lng2 - lng1) * kMetresPerDegree;
    return std::hypot(x, y) * 0.001;
}

bool IsInsideStation(double stationLat, double stationLng, double lat, double lng) {
    const double northSouthKm = std::fabs((lat - stationLat) * kMetresPerDegree) * 0.001;
    // The margin keeps the shortcut clear of any rounding in hypot.
    if (northSouthKm >= kStationRadiusKm * 1.001 &&
        std::fabs(stationLat) >= kDegenerateCoordinate &&
        std::fabs(stationLng) >= kDegenerateCoordinate && std::fabs(lat) >= kDegenerateCoordinate &&
        std::fabs(lng) >= kDegenerateCoordinate)
        return false;
    return IsInsideStation(GroundDistanceKm(stationLat, stationLng, lat, lng));
}

std::vector<StationPlace> StationPlaces(const RouteRecord& route) {
    std::vector<StationPlace> places;
    places.reserve(route.stations.size());
    for (const StationRecord& station : route.stations)
        places.push_back({AtofLike(station.latitude), AtofLike(station.longitude)});
    return places;
}

void DetectFirstFix(const std::vector<StationPlace>& stations, const std::vector<TrackPoint>& track,
                    const StationEventSink& onEvent) {
    std::vector<bool> inside(stations.size(), false);
    for (const TrackPoint& point : track) {
        if (point.latitude < kLowestTrackCoordinate || point.longitude < kLowestTrackCoordinate)
            continue;
        for (std::size_t i = 0; i < stations.size(); ++i) {
            if (IsInsideStation(stations[i].latitude, stations[i].longitude, point.latitude,
                                point.longitude)) {
                if (!inside[i]) {
                    inside[i] = true;
                    onEvent({i, StopEventKind::Arrival, point.gpsTime});
                }
            } else if (inside[i]) {
                inside[i] = false;
                onEvent({i, StopEventKind::Departure, point.gpsTime});
            }
        }
    }
}

void MarkPresence(RouteRecord& route, const StationEvent& event) {
    route.stations[event.station].presenceState =
        event.kind == StopEventKind::Arrival ? PresenceState::Inside : PresenceState::Left;
}

void RecordStationEvent(RouteRecord& route, std::string_view vehicleCode, const StationEvent& event,
                        StopTimeTable& table, LogSink* log) {
    // The state is set before the write and stays whatever the write does.
    MarkPresence(route, event);
    UpdateStopTime(table, log, vehicleCode, route.lineName, route.stations[event.station].name,
                   event.time, event.kind);
}

void AnalyseTrack(RouteRecord& route, std::string_view vehicleCode,
                  const std::vector<TrackPoint>& track, StopTimeTable& table, LogSink* log) {
    for (StationRecord& station : route.stations) station.presenceState = PresenceState::Outside;
    if (track.empty()) return;
    DetectFirstFix(StationPlaces(route), track, [&](const StationEvent& event) {
        RecordStationEvent(route, vehicleCode, event, table, log);
    });
}

bool UpdateStopTime(StopTimeTable& table, LogSink* log, std::string_view vehicleCode,
                    std::string_view lineName, std::string_view stationName,
                    std::string_view gpsTime, StopEventKind kind) {
    const bool arrival = kind == StopEventKind::Arrival;
    if (log != nullptr) {
        std::string line(stationName);
        line += arrival ? ":1:" : ":2:";
        line += gpsTime;
        log->WriteLog(line);
    }
    const std::optional<OleDate> g = ParseDateTime(gpsTime);
    if (!g) return false;

    std::vector<StopTimeCandidate> rows;
    if (!table.FindStopTimes(vehicleCode, lineName, stationName, !arrival, rows)) return false;

    // The nearest planned time wins; on a tie the row returned first stays chosen. Distances are
    // whole seconds (every time text has second resolution), so equal gaps really are equal.
    const StopTimeCandidate* chosen = nullptr;
    long long best = kMatchingHorizonSeconds;
    long long offset = 0;  // G - P of the chosen row
    for (const StopTimeCandidate& row : rows) {
        if (row.planned.empty()) continue;
        const std::optional<OleDate> p = ParseDateTime(row.planned);
        if (!p) continue;
        const long long delta = SecondsBetween(*g, *p);
        if (std::llabs(delta) < best) {
            best = std::llabs(delta);
            chosen = &row;
            offset = delta;
        }
    }
    if (chosen == nullptr) return false;

    // An existing real time stays unless the new one lies nearer the plan than to it.
    if (!chosen->real.empty()) {
        const std::optional<OleDate> r = ParseDateTime(chosen->real);
        if (r && !(std::llabs(SecondsBetween(*g, *r)) > std::llabs(offset))) return false;
    }

    if (std::llabs(offset) > kAcceptanceWindowSeconds) return false;

    return arrival ? table.SetRealReachTime(chosen->rowId, gpsTime)
                   : table.SetRealLeaveTime(chosen->rowId, gpsTime);
}

}  // namespace fw
