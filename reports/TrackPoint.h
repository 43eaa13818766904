#pragma once

#include <string>

namespace fw {

// One GPS fix of a vehicle's track, coordinates already corrected.
struct TrackPoint {
    std::string gpsTime;  // as received; written unchanged as a real stop time
    double latitude = 0.0;
    double longitude = 0.0;
};

}  // namespace fw
