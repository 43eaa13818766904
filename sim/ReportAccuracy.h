#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reports/DetectionRule.h"
#include "sim/Scenario.h"

namespace fw::sim {

// How the rows of a report come out against the scenario's true times: every vehicle's planned
// stops of the scenario date stored as the dispatcher stores them, its whole day's track run
// through the report run as the window runs it (detection, then matching), and each row's real
// arrival compared with the true arrival of its own visit.
struct RowAccuracy {
    std::size_t visits = 0;  // rows of a planned stop the vehicle really reached
    std::size_t right = 0;   // holding that visit's arrival (within kAccuracyToleranceSeconds)
    std::size_t empty = 0;   // holding no arrival
    std::size_t wrong = 0;   // holding another instant: another visit's, or none at all
    std::size_t unreached = 0;      // rows of a stop the vehicle never reached
    std::size_t unreachedFilled = 0;  // ... that hold an arrival all the same
    std::vector<long long> errors;  // |real - true| in seconds of the right rows

    double RightShare() const;
};

RowAccuracy MeasureReportRows(const Scenario& scenario, const DetectionOptions& options);

// Both rules with both matchings on the built-in scenario of this seed and date, with fixes
// every `interval` seconds and `noise` metres of noise, as Markdown.
std::string RowAccuracyTable(std::uint64_t seed, const std::string& date, int interval, double noise);

}  // namespace fw::sim
