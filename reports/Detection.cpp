#include "reports/Detection.h"

#include <cmath>
#include <optional>
#include <string>

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

}  // namespace fw
