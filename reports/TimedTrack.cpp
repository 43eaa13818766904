#include "reports/TimedTrack.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "reports/Detection.h"
#include "text/OleDate.h"

namespace fw {
namespace {

constexpr double kSamePlaceMetres = 0.5;
constexpr double kDeadZoneDegrees = 1.0;

bool IsPosition(double lat, double lng) {
    if (!std::isfinite(lat) || !std::isfinite(lng)) return false;
    if (std::fabs(lat) > 90.0 || std::fabs(lng) > 180.0) return false;
    return std::fabs(lat) >= kDeadZoneDegrees || std::fabs(lng) >= kDeadZoneDegrees;
}

}  // namespace

double WrapLongitude(double degrees) {
    if (degrees > 180.0) return degrees - 360.0;
    if (degrees < -180.0) return degrees + 360.0;
    return degrees;
}

double FlatMetres(double lat1, double lng1, double lat2, double lng2) {
    const double y = (lat2 - lat1) * kMetresPerDegree;
    const double x = std::cos(((lat1 + lat2) * 0.5) * kDegreesToRadians) *
                     WrapLongitude(lng2 - lng1) * kMetresPerDegree;
    return std::hypot(x, y);
}

std::vector<TimedFix> TimeTrack(const std::vector<TrackPoint>& track,
                                const CrossingSettings& settings) {
    std::vector<TimedFix> fixes;
    fixes.reserve(track.size());
    for (const TrackPoint& point : track) {
        if (!IsPosition(point.latitude, point.longitude)) continue;
        const std::optional<OleDate> time = ParseDateTime(point.gpsTime);
        if (!time) continue;
        fixes.push_back({static_cast<double>(std::llround(*time * 86400.0)), point.latitude,
                         point.longitude, TrackLeg::Drive});
    }
    auto earlier = [](const TimedFix& a, const TimedFix& b) { return a.seconds < b.seconds; };
    if (!std::is_sorted(fixes.begin(), fixes.end(), earlier))
        std::stable_sort(fixes.begin(), fixes.end(), earlier);

    const double jumpSpeed = settings.jumpSpeedKmh / 3.6;  // metres per second
    auto distance = [](const TimedFix& a, const TimedFix& b) {
        return FlatMetres(a.latitude, a.longitude, b.latitude, b.longitude);
    };
    auto isJump = [&](const TimedFix& from, const TimedFix& to) {
        const double metres = distance(from, to);
        const double seconds = to.seconds - from.seconds;
        // Two places at one instant cannot both be right.
        if (seconds <= 0.0) return metres > kSamePlaceMetres;
        return metres > jumpSpeed * seconds;
    };

    std::vector<TimedFix> timed;
    timed.reserve(fixes.size());
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        TimedFix fix = fixes[i];
        if (timed.empty()) {
            fix.leg = TrackLeg::First;
            timed.push_back(fix);
            continue;
        }
        const TimedFix& last = timed.back();
        if (fix.seconds == last.seconds && distance(last, fix) <= kSamePlaceMetres) continue;
        if (!isJump(last, fix)) {
            fix.leg = fix.seconds - last.seconds > settings.longGapSeconds ? TrackLeg::Gap
                                                                           : TrackLeg::Drive;
        } else if (i + 1 < fixes.size() && !isJump(last, fixes[i + 1])) {
            continue;  // a stray: the track goes on from where it was
        } else {
            fix.leg = TrackLeg::Jump;
        }
        timed.push_back(fix);
    }
    return timed;
}

}  // namespace fw
