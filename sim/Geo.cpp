#include "sim/Geo.h"

#include <algorithm>

#include "text/OleDate.h"
#include "text/Strings.h"

namespace fw::sim {

double DistanceToSegmentMetres(GeoPoint p, GeoPoint a, GeoPoint b) {
    const double scale = std::cos(p.lat * kDegToRad) * kMetresPerDegree;
    const double ax = (a.lng - p.lng) * scale, ay = (a.lat - p.lat) * kMetresPerDegree;
    const double bx = (b.lng - p.lng) * scale, by = (b.lat - p.lat) * kMetresPerDegree;
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? -(ax * dx + ay * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(ax + t * dx, ay + t * dy);
}

std::optional<long long> ParseSeconds(std::string_view dateTime) {
    const auto ole = ParseDateTime(dateTime);
    if (!ole) return std::nullopt;
    return std::llround(*ole * 86400.0);
}

std::string FormatSeconds(long long seconds) {
    return FormatDateTime(static_cast<double>(seconds) / 86400.0);
}

std::string FormatDay(long long seconds) { return FormatDate(static_cast<double>(seconds) / 86400.0); }

std::optional<int> ParseTimeOfDay(std::string_view text) {
    const auto t = TrimView(text);
    int parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t pos = 0;
    while (count < 3) {
        std::size_t start = pos;
        int value = 0;
        while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9' && pos - start < 2)
            value = value * 10 + (t[pos++] - '0');
        if (pos == start) return std::nullopt;
        parts[count++] = value;
        if (pos == t.size()) break;
        if (t[pos] != ':') return std::nullopt;
        ++pos;
    }
    if (pos != t.size() || count < 2) return std::nullopt;
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

}  // namespace fw::sim
