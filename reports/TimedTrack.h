#pragma once

#include <cstdint>
#include <vector>

#include "reports/DetectionRule.h"
#include "reports/TrackPoint.h"

namespace fw {

// How the stretch from the previous fix to this one may be read.
enum class TrackLeg : std::uint8_t {
    First,  // the first fix: nothing before it
    Drive,  // a plausible drive: positions between the fixes follow the straight line in time
    Gap,    // longer than the long-gap bound: the bus may have stood anywhere on the way
    Jump,   // faster than a bus goes: one side is wrong, nothing is read from it
};

// A fix as the interpolated rule uses it: its GPS time in whole seconds (OLE date × 86400).
struct TimedFix {
    double seconds = 0.0;
    double latitude = 0.0;
    double longitude = 0.0;
    TrackLeg leg = TrackLeg::First;
};

// The fixes the interpolated rule can place in time and on the globe, in time order (the reply
// order among equal times). Left out: a fix whose time does not read, whose coordinates are not
// finite or off the globe, or within a degree of 0,0 on both axes, where receivers without a lock
// report; a repeat of the fix before it (same time, within half a metre); a lone fix that jumps
// away from the track when the next one agrees with the fix before it. Every hemisphere counts.
std::vector<TimedFix> TimeTrack(const std::vector<TrackPoint>& track,
                                const CrossingSettings& settings);

// Metres between two positions on the flat earth of the station circles (the same metres per
// degree and shrinking of longitude with the cosine of the mean latitude); across the date line
// the short way round.
double FlatMetres(double lat1, double lng1, double lat2, double lng2);

// Longitude difference brought into [-180, 180].
double WrapLongitude(double degrees);

}  // namespace fw
