#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace fw::sim {

// The flat-earth metric the client measures station circles with; using the same constants keeps
// "50 metres" the same distance on both sides.
constexpr double kMetresPerDegree = 111198.9233214825;
constexpr double kDegToRad = 0.0174532925;

inline double GroundDistanceMetres(double lat1, double lng1, double lat2, double lng2) {
    const double y = (lat2 - lat1) * kMetresPerDegree;
    const double x = std::cos((lat1 + lat2) * 0.5 * kDegToRad) * (lng2 - lng1) * kMetresPerDegree;
    return std::hypot(x, y);
}

struct GeoPoint {
    double lat = 0;
    double lng = 0;
};

// The point `metres` from `from` in the direction of `towards`.
inline GeoPoint MoveTowards(GeoPoint from, GeoPoint towards, double metres) {
    const double scale = std::cos(from.lat * kDegToRad) * kMetresPerDegree;
    const double dx = (towards.lng - from.lng) * scale;
    const double dy = (towards.lat - from.lat) * kMetresPerDegree;
    const double len = std::hypot(dx, dy);
    if (len <= 0) return from;
    return {from.lat + dy / len * metres / kMetresPerDegree, from.lng + dx / len * metres / scale};
}

// The point at the given east/north offset in metres.
inline GeoPoint Offset(GeoPoint from, double eastMetres, double northMetres) {
    const double scale = std::cos(from.lat * kDegToRad) * kMetresPerDegree;
    return {from.lat + northMetres / kMetresPerDegree, from.lng + eastMetres / scale};
}

// Distance in metres from p to the segment a-b.
double DistanceToSegmentMetres(GeoPoint p, GeoPoint a, GeoPoint b);

// Date-times as whole seconds (OLE date × 86400), which keeps the arithmetic exact.
std::optional<long long> ParseSeconds(std::string_view dateTime);
std::string FormatSeconds(long long seconds);
std::string FormatDay(long long seconds);  // "yyyy-MM-dd"
// "HH:mm" or "HH:mm:ss" (also "H:m") as seconds since midnight.
std::optional<int> ParseTimeOfDay(std::string_view text);

}  // namespace fw::sim
