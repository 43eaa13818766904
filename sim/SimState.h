#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/Scenario.h"
#include "sim/TrackGenerator.h"

namespace fw::sim {

// A vehicle's track of one day, or what it is made from: the seed, the track settings, the
// vehicle's trips of the day and the stations they stop at, copied, so that the track (megabytes
// for a busy day) can be made on another thread while the state goes on changing.
struct TrackSource {
    std::shared_ptr<const VehicleTrack> made;  // the scenario date's, when already made
    Scenario excerpt;
    std::string plate;
    std::string date;

    std::shared_ptr<const VehicleTrack> Track() const;
};

// The server's world, shared by every connection and the web site: the scenario, changed by
// drawn, deleted and saved routes and schedules, and what is made from it on first use: each
// day's trips with what really happened, and the vehicles' tracks.
class SimState {
public:
    explicit SimState(Scenario scenario) : scenario_(std::move(scenario)) {}

    Scenario& scenario() { return scenario_; }
    const Scenario& scenario() const { return scenario_; }

    // Empty text on success, otherwise the reason shown to the user.
    std::string CheckLogin(const std::string& name, const std::string& password) const;

    // The trips of a day with their true times: the scenario's own on its date, the schedules'
    // plan with generated true times on any other. Each day is made once.
    const std::vector<Trip>& TripsOn(const std::string& date);

    // The track of a vehicle on the scenario date (kept: the monitoring page reads it all day).
    std::shared_ptr<const VehicleTrack> Track(const std::string& plate);
    // What a vehicle's track of any day is made from, copied out (see TrackSource); other days'
    // tracks are made for each request and not kept: a fleet's tracks of a day are large.
    TrackSource TrackSourceOf(const std::string& plate, const std::string& date);

    // Routes or schedules changed: the other days' trips are made again.
    void ScenarioChanged();

    std::string NextLineId();

private:
    const std::vector<Trip>& DayOf(const std::string& date);

    Scenario scenario_;
    std::map<std::string, std::shared_ptr<const VehicleTrack>> tracks_;  // the scenario date's
    // The trips of other days, the last few asked for.
    std::map<std::string, std::vector<Trip>> days_;
    std::vector<std::string> dayOrder_;
    int lineCounter_ = 0;
};

}  // namespace fw::sim
