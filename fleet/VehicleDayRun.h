#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fleet/FleetPlan.h"
#include "reports/DetectionRule.h"
#include "reports/ReportForm.h"
#include "reports/ReportRows.h"
#include "store/StopTimeTable.h"

namespace fw {

class RouteStore;

// What every vehicle-day of a run shares: the login and the detection rule.
struct FleetContext {
    std::string userName;
    std::string serverAddress;
    int webPort = kDefaultWebPort;
    DetectionOptions detection;
};

// Failure reasons, as the summary lists them.
inline constexpr std::string_view kNoStopRowsText = "无计划站点";

// The report form of a vehicle-day: the whole day, every row.
ReportForm VehicleDayForm(const FleetContext& context, const VehicleDay& day);

// Why a track body that arrived holds no track: it is no JSON document, or the service refused
// ("result" false) with its text. Empty when it reads as a track, fixes or none.
std::string TrackBodyProblem(std::string_view body);

// A vehicle-day once its stop rows and its track have come.
struct VehicleDayInput {
    VehicleDay day;
    std::vector<StopTimeEntry> stops;  // what the server sent for its request
    std::string trackBody;             // empty when the transfer failed
    std::string trackFailure;          // why, for the summary
};

struct VehicleDayResult {
    std::vector<ReportRow> rows;  // in planned order; empty when failed
    std::size_t plannedStops = 0;
    std::string failure;  // empty when reported
};

// The window's report run of the day, with the context's rule and matching: the real times the
// track gives the vehicle's rows, and the rows of the day listed as the window's range query
// reads them from its store once they are written there. Nothing is stored: the rows go to the
// output file. `routes` belongs to the caller's thread (the detection keeps its presence states
// there).
VehicleDayResult RunVehicleDay(const FleetContext& context, const VehicleDayInput& input,
                               RouteStore& routes);

}  // namespace fw
