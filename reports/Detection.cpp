#include "reports/Detection.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "reports/StationGrid.h"
#include "routes/RouteRecord.h"
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
    // Each fix is tested against the stations near it (the grid's candidates) and those it is
    // inside of; every other station is outside and was, so nothing happens there. Candidates go
    // in route order, as the events at one fix must.
    const StationGrid grid(stations);
    std::vector<char> inside(stations.size(), 0);
    std::vector<std::size_t> insideNow, candidates;
    for (const TrackPoint& point : track) {
        if (point.latitude < kLowestTrackCoordinate || point.longitude < kLowestTrackCoordinate)
            continue;
        candidates = insideNow;
        grid.Candidates(point.latitude, point.longitude, candidates);
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        insideNow.clear();
        for (std::size_t i : candidates) {
            if (IsInsideStation(stations[i].latitude, stations[i].longitude, point.latitude,
                                point.longitude)) {
                insideNow.push_back(i);
                if (!inside[i]) {
                    inside[i] = 1;
                    onEvent({i, StopEventKind::Arrival, point.gpsTime});
                }
            } else if (inside[i]) {
                inside[i] = 0;
                onEvent({i, StopEventKind::Departure, point.gpsTime});
            }
        }
    }
}

void MarkPresence(RouteRecord& route, const StationEvent& event) {
    route.stations[event.station].presenceState =
        event.kind == StopEventKind::Arrival ? PresenceState::Inside : PresenceState::Left;
}

}  // namespace fw
