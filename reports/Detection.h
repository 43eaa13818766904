#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "reports/TrackPoint.h"

namespace fw {

struct RouteRecord;

// The constants of the detection, as the reports have always been computed.
inline constexpr double kStationRadiusKm = 0.05;       // inside when strictly closer
inline constexpr double kLowestTrackCoordinate = 1.0;  // fixes below it are no fixes
inline constexpr double kDegenerateCoordinate = 0.1;   // distance is 0 below it
inline constexpr double kMetresPerDegree = 111198.9233214825;
inline constexpr double kDegreesToRadians = 0.0174532925;
// Matching to the nearest plan: a row as far as the horizon is never chosen, and a chosen one
// takes the event only within the acceptance window.
inline constexpr long long kMatchingHorizonSeconds = 86399;  // 23:59:59
inline constexpr long long kAcceptanceWindowSeconds = 1259;  // 20 min 59 s

enum class StopEventKind { Arrival = 1, Departure = 2 };

// Inside a station's circle: strictly closer than the radius (NaN is outside).
inline bool IsInsideStation(double distanceKm) { return distanceKm < kStationRadiusKm; }

// Flat-earth distance in km; 0 when any argument is below 0.1 degree in absolute value.
double GroundDistanceKm(double lat1, double lng1, double lat2, double lng2);

// The same decision as IsInsideStation(GroundDistanceKm(...)), without the cosine for the many
// points whose latitude alone puts them outside (the distance is never below that part).
bool IsInsideStation(double stationLat, double stationLng, double lat, double lng);

// A station's position as the detection reads the route's texts (atof: empty text is 0).
struct StationPlace {
    double latitude = 0.0;
    double longitude = 0.0;
};
std::vector<StationPlace> StationPlaces(const RouteRecord& route);

// One arrival or departure at the route's station of that index, with the time to write.
struct StationEvent {
    std::size_t station = 0;
    StopEventKind kind = StopEventKind::Arrival;
    std::string time;  // "yyyy-MM-dd HH:mm:ss"
};
using StationEventSink = std::function<void(const StationEvent&)>;

// The first-fix rule: the GPS time of the first fix inside a station's circle is an arrival,
// that of the first fix outside after it a departure. Events come in track order, stations in
// route order at each fix; the times are the fixes' texts as received.
void DetectFirstFix(const std::vector<StationPlace>& stations, const std::vector<TrackPoint>& track,
                    const StationEventSink& onEvent);

// Marks the station's presence: an arrival inside, a departure left.
void MarkPresence(RouteRecord& route, const StationEvent& event);

}  // namespace fw
