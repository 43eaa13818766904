#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "sim/Scenario.h"
#include "sim/TrackGenerator.h"

namespace fw::sim {

// The server's world, shared by every connection and the web site: the scenario, changed by
// drawn, deleted and saved routes and schedules, and the vehicles' tracks, made on first use.
class SimState {
public:
    explicit SimState(Scenario scenario) : scenario_(std::move(scenario)) {}

    Scenario& scenario() { return scenario_; }
    const Scenario& scenario() const { return scenario_; }

    // Empty text on success, otherwise the reason shown to the user.
    std::string CheckLogin(const std::string& name, const std::string& password) const;

    std::shared_ptr<const VehicleTrack> Track(const std::string& plate);

    std::string NextLineId();

private:
    Scenario scenario_;
    std::map<std::string, std::shared_ptr<const VehicleTrack>> tracks_;
    int lineCounter_ = 0;
};

}  // namespace fw::sim
