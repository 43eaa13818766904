#pragma once

#include <string>
#include <vector>

#include "sim/Scenario.h"

namespace fw::sim {

// Planned stop times of one run of a line, starting (leaving the first stop) at startSeconds.
// The vehicle is due at the first stop two minutes before it leaves; it stays a minute at every
// other stop. Flag "1" runs the line backwards.
Trip PlanTrip(const Line& line, const std::string& flag,
              long long startSeconds, const std::string& batch, const std::string& vehicle);

// The trips the schedules assign for a date (each schedule covering the date, each of its
// assignments for that date whose batch and line are known), ordered by vehicle then time.
std::vector<Trip> PlanTripsFromSchedules(const Scenario& scenario, const std::string& date);

// The stop events the server hands out for a vehicle and a date: the scenario's own trips on the
// scenario date, the schedules' plan on any other date.
std::vector<Trip> TripsOfVehicle(const Scenario& scenario, const std::string& plate,
                                 const std::string& date);

}  // namespace fw::sim
