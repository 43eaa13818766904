#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "reports/DetectionRule.h"
#include "routes/RouteRecord.h"
#include "sim/Scenario.h"

namespace fw::sim {

// How well a detection rule finds the scenario's true station visits on the tracks the
// simulator serves: every vehicle's track against every line it runs.
struct DetectionAccuracy {
    std::size_t visits = 0;       // true visits: a trip's stop with a true arrival and departure
    std::size_t detected = 0;     // visits whose arrival and departure were both found
    std::size_t falseEvents = 0;  // events that belong to no visit, or repeat a found one
    std::vector<long long> arrivalErrors;    // |found - true| in seconds, per found arrival
    std::vector<long long> departureErrors;  // the same for departures

    double DetectedShare() const;
    static double Mean(const std::vector<long long>& errors);
    // Nearest rank; 0 for no errors.
    static long long Percentile95(std::vector<long long> errors);
};

// An event counts for a visit of its station and kind when it lies within this many seconds
// of the true instant; the nearest such event does.
inline constexpr long long kAccuracyToleranceSeconds = 180;

// A line of the scenario as the client's route store holds it (coordinates as "%f" texts).
RouteRecord RouteOfLine(const Scenario& scenario, const Line& line);

DetectionAccuracy MeasureDetection(const Scenario& scenario, const DetectionOptions& options);

// The table of both rules for fix intervals 5, 15, 30 and 60 s and noise 0, 5 and 10 m on the
// built-in scenario of this seed and date, as Markdown.
std::string AccuracyTable(std::uint64_t seed, const std::string& date);

}  // namespace fw::sim
