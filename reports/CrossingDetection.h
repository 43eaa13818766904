#pragma once

#include <string_view>
#include <vector>

#include "reports/Detection.h"
#include "reports/DetectionRule.h"
#include "reports/TimedTrack.h"

namespace fw {

// The interpolated rule. Between two fixes the bus is taken to move along the straight line at
// an even pace, in a flat metric frame around each station (the metres per degree of the circle
// test). An arrival is the instant that line enters the station's 50 m circle, a departure the
// instant it leaves it, also when neither fix lies inside (a pass between two fixes). An exit
// followed by a re-entry soon after, the bus never far from the edge meanwhile, is one stay (see
// CrossingSettings). Nothing is read from a jump; across a long gap the fix beyond gives the
// time. A bus inside a circle at the first fix arrived then. Events come in time order, their
// times rounded to the second.
std::vector<StationEvent> DetectCrossings(const std::vector<StationPlace>& stations,
                                          const std::vector<TimedFix>& fixes,
                                          const CrossingSettings& settings);

}  // namespace fw
