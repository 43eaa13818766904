#pragma once

#include <vector>

#include "reports/Detection.h"
#include "reports/DetectionRule.h"
#include "reports/TimedTrack.h"

namespace fw {

struct RouteRecord;

// The arrivals and departures at a route's stations on a track, found with the options' rule:
// the first-fix rule reads the fixes, the interpolated rule their timed form (TimeTrack, made
// once for all the lines of a run). The stations' presence states start at 0 for each analysis,
// so the same report gives the same result however often it runs, and end as the events leave
// them. Events come in the order the rule finds them.
std::vector<StationEvent> AnalyseRoute(RouteRecord& route, const std::vector<TrackPoint>& track,
                                       const std::vector<TimedFix>& timed,
                                       const DetectionOptions& options);

}  // namespace fw
