#include "sim/SimState.h"

#include <algorithm>
#include <set>

#include "sim/ScenarioGenerator.h"
#include "sim/TripPlanner.h"

namespace fw::sim {
namespace {

// Days other than the scenario date kept at once.
constexpr std::size_t kKeptDays = 8;

}  // namespace

std::string SimState::CheckLogin(const std::string& name, const std::string& password) const {
    if (name.empty()) return "用户名不能为空";
    const User* user = scenario_.FindUser(name);
    if (!user || user->password != password) return "用户名或密码错误";
    return {};
}

const std::vector<Trip>& SimState::DayOf(const std::string& date) {
    auto it = days_.find(date);
    if (it != days_.end()) return it->second;
    if (dayOrder_.size() >= kKeptDays) {
        days_.erase(dayOrder_.front());
        dayOrder_.erase(dayOrder_.begin());
    }
    std::map<std::string, std::vector<Trip>> byVehicle;
    for (auto& t : PlanTripsFromSchedules(scenario_, date)) byVehicle[t.vehicle].push_back(std::move(t));
    std::vector<Trip> day;
    for (auto& [plate, trips] : byVehicle) {
        AddTrueTimes(scenario_, trips, scenario_.seed);
        for (auto& t : trips) day.push_back(std::move(t));
    }
    dayOrder_.push_back(date);
    return days_.emplace(date, std::move(day)).first->second;
}

const std::vector<Trip>& SimState::TripsOn(const std::string& date) {
    if (date == scenario_.date) return scenario_.trips;
    return DayOf(date);
}

std::shared_ptr<const VehicleTrack> SimState::Track(const std::string& plate) {
    auto it = tracks_.find(plate);
    if (it != tracks_.end()) return it->second;
    auto track = GenerateTrack(scenario_, plate);
    tracks_[plate] = track;
    return track;
}

std::shared_ptr<const VehicleTrack> TrackSource::Track() const {
    return made ? made : GenerateTrack(excerpt, excerpt.trips, plate, date);
}

TrackSource SimState::TrackSourceOf(const std::string& plate, const std::string& date) {
    TrackSource source;
    source.plate = plate;
    source.date = date;
    if (date == scenario_.date) {
        if (auto kept = tracks_.find(plate); kept != tracks_.end()) {
            source.made = kept->second;
            return source;
        }
    }
    Scenario& excerpt = source.excerpt;
    excerpt.seed = scenario_.seed;
    excerpt.date = scenario_.date;
    excerpt.track = scenario_.track;
    std::set<std::string> stations;
    for (const Trip& trip : TripsOn(date)) {
        if (trip.vehicle != plate) continue;
        for (const StopEvent& stop : trip.stops)
            if (stations.insert(stop.stationId).second)
                if (const Station* station = scenario_.FindStation(stop.stationId))
                    excerpt.stations.push_back(*station);
        excerpt.trips.push_back(trip);
    }
    return source;
}

void SimState::ScenarioChanged() {
    days_.clear();
    dayOrder_.clear();
}

std::string SimState::NextLineId() {
    for (;;) {
        std::string id = "U" + std::to_string(++lineCounter_);
        if (!scenario_.FindLineById(id)) return id;
    }
}

}  // namespace fw::sim
