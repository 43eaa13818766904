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

void AnalyseTrack(RouteRecord& route, std::string_view vehicleCode,
                  const std::vector<TrackPoint>& track, StopTimeTable& table, LogSink* log) {
    for (StationRecord& station : route.stations) station.presenceState = PresenceState::Outside;
    if (track.empty()) return;

    // The station texts are read once, not once per fix.
    struct Place {
        double latitude;
        double longitude;
    };
    std::vector<Place> places;
    places.reserve(route.stations.size());
    for (const StationRecord& station : route.stations)
        places.push_back({AtofLike(station.latitude), AtofLike(station.longitude)});

    for (const TrackPoint& point : track) {
        if (point.latitude < kLowestTrackCoordinate || point.longitude < kLowestTrackCoordinate)
            continue;
        for (std::size_t i = 0; i < route.stations.size(); ++i) {
            StationRecord& station = route.stations[i];
            if (IsInsideStation(places[i].latitude, places[i].longitude, point.latitude,
                                point.longitude)) {
                if (station.presenceState != PresenceState::Inside) {
                    station.presenceState = PresenceState::Inside;
                    UpdateStopTime(table, log, vehicleCode, route.lineName, station.name,
                                   point.gpsTime, StopEventKind::Arrival);
                }
            } else if (station.presenceState == PresenceState::Inside) {
                station.presenceState = PresenceState::Left;
                UpdateStopTime(table, log, vehicleCode, route.lineName, station.name, point.gpsTime,
                               StopEventKind::Departure);
            }
        }
    }
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
