#include "sim/TripPlanner.h"

#include <algorithm>

#include "sim/Geo.h"

namespace fw::sim {

Trip PlanTrip(const Line& line, const std::string& flag,
              long long startSeconds, const std::string& batch, const std::string& vehicle) {
    Trip trip;
    trip.vehicle = vehicle;
    trip.batch = batch;
    trip.line = line.name;
    trip.date = FormatDay(startSeconds);
    trip.flag = flag;
    const bool backward = flag == "1";
    const std::size_t n = line.stops.size();
    long long leave = startSeconds;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t idx = backward ? n - 1 - i : i;
        StopEvent ev;
        ev.stationId = line.stops[idx].stationId;
        long long reach;
        if (i == 0) {
            reach = startSeconds - 120;
        } else {
            // Run time to this stop is kept on the later stop of the pair in line order.
            const int minutes = backward ? line.stops[idx + 1].minutes : line.stops[idx].minutes;
            reach = leave + std::max(1, minutes) * 60LL;
            leave = reach + 60;
        }
        ev.planReach = FormatSeconds(reach);
        ev.planLeave = FormatSeconds(i == 0 ? startSeconds : leave);
        trip.stops.push_back(ev);
    }
    return trip;
}

std::vector<Trip> PlanTripsFromSchedules(const Scenario& scenario, const std::string& date) {
    std::vector<Trip> trips;
    const auto day = ParseSeconds(date);
    if (!day || date.size() != 10) return trips;
    for (const auto& sched : scenario.schedules) {
        if (date < sched.startDate || date > sched.endDate) continue;
        for (const auto& a : sched.content) {
            if (a.date != date || a.carcode.empty()) continue;
            auto entry = std::find_if(sched.timetable.begin(), sched.timetable.end(),
                                      [&](const TimetableEntry& t) { return t.batch == a.batch; });
            if (entry == sched.timetable.end()) continue;
            const Line* line = scenario.FindLineByName(entry->linename);
            const auto start = ParseTimeOfDay(entry->starttime);
            if (!line || line->stops.empty() || !start) continue;
            trips.push_back(PlanTrip(*line, entry->flag, *day + *start, a.batch, a.carcode));
        }
    }
    std::stable_sort(trips.begin(), trips.end(), [](const Trip& a, const Trip& b) {
        if (a.vehicle != b.vehicle) return a.vehicle < b.vehicle;
        return a.stops.front().planLeave < b.stops.front().planLeave;
    });
    return trips;
}

std::vector<Trip> TripsOfVehicle(const Scenario& scenario, const std::string& plate,
                                 const std::string& date) {
    std::vector<Trip> out;
    if (date == scenario.date) {
        for (const auto& t : scenario.trips)
            if (t.vehicle == plate) out.push_back(t);
        return out;
    }
    for (auto& t : PlanTripsFromSchedules(scenario, date))
        if (t.vehicle == plate) out.push_back(std::move(t));
    return out;
}

}  // namespace fw::sim
