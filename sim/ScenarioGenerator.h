#pragma once

#include <cstdint>
#include <string>

#include "sim/Scenario.h"

namespace fw::sim {

// The vehicles of the built-in scenario.
constexpr int kBuiltInVehicles = 12;
// The largest fleet the generator makes: some 2,500 lines and 40,000 stations.
constexpr int kMaxVehicles = 10000;

// The built-in scenario: the same seed, date and fleet size always give the same scenario, byte
// for byte. Four lines in Hangzhou (one with only two stations, two sharing an interchange
// station), a dozen vehicles in three groups, a week of schedules around the date, and for the
// date every vehicle's trips with true times that run early, late and linger by generated
// amounts. A larger fleet keeps all of that and adds lines of four vehicles each ("201路"…),
// five lines to a group ("公交车队01"…) and a schedule per group; a smaller one leaves the last
// lines with fewer vehicles or none.
Scenario GenerateScenario(std::uint64_t seed, const std::string& date, int vehicles = kBuiltInVehicles);

// Adds true times to planned trips (one vehicle's trips in time order) the way the built-in
// scenario does; exposed so that tests can build small scenarios of their own.
// The trip whose batch is lateBatch sets off 25 minutes late, beyond what a report can match,
// and catches up slowly over its stops.
void AddTrueTimes(const Scenario& scenario, std::vector<Trip>& trips, std::uint64_t seed,
                  const std::string& lateBatch = {});

}  // namespace fw::sim
