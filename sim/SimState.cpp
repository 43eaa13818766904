#include "sim/SimState.h"

#include <algorithm>

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

std::vector<Trip> SimState::TripsOfVehicle(const std::string& plate, const std::string& date) {
    std::vector<Trip> out;
    for (const auto& t : TripsOn(date))
        if (t.vehicle == plate) out.push_back(t);
    return out;
}

std::shared_ptr<const VehicleTrack> SimState::Track(const std::string& plate) {
    auto it = tracks_.find(plate);
    if (it != tracks_.end()) return it->second;
    auto track = GenerateTrack(scenario_, plate);
    tracks_[plate] = track;
    return track;
}

std::shared_ptr<const VehicleTrack> SimState::Track(const std::string& plate, const std::string& date) {
    if (date == scenario_.date) return Track(plate);
    return GenerateTrack(scenario_, DayOf(date), plate, date);
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
