#include "reports/RouteAnalysis.h"

#include "reports/CrossingDetection.h"
#include "routes/RouteRecord.h"

namespace fw {

std::vector<StationEvent> AnalyseRoute(RouteRecord& route, const std::vector<TrackPoint>& track,
                                       const std::vector<TimedFix>& timed,
                                       const DetectionOptions& options) {
    for (StationRecord& station : route.stations) station.presenceState = PresenceState::Outside;
    std::vector<StationEvent> events;
    if (options.rule == DetectionRule::Interpolated)
        events = DetectCrossings(StationPlaces(route), timed, options.crossing);
    else
        DetectFirstFix(StationPlaces(route), track,
                       [&](const StationEvent& event) { events.push_back(event); });
    for (const StationEvent& event : events) MarkPresence(route, event);
    return events;
}

}  // namespace fw
