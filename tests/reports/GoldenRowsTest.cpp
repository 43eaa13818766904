// The real times a report run writes, compared with what the runs wrote when every event still
// ran its own statements (tests/reports/golden/report-rows.txt): every row of every vehicle of
// the simulator's day at 30 s fixes and 10 m noise, and of the synthetic day whose plans lie up
// to 25 minutes off (the acceptance window and the replacing rule at work), with both rules and
// both matchings; with each run the number of log lines and a checksum of them and of the list,
// which fenwarde-report's run of the same vehicle-day must list alike.
// FENWARDE_WRITE_GOLDEN=1 writes the file instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fleet/VehicleDayRun.h"
#include "reports/ReportRun.h"
#include "routes/RouteStore.h"
#include "sim/DetectionAccuracy.h"
#include "sim/ScenarioGenerator.h"
#include "sim/TrackGenerator.h"
#include "sim/TripPlanner.h"
#include "sim/WebSite.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "tests/reports/SyntheticDay.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

struct Day {
    std::string name;
    std::vector<RouteRecord> routes;
    struct Vehicle {
        std::string plate;
        std::vector<StopTimeEntry> stops;
        std::string track;
    };
    std::vector<Vehicle> vehicles;
    std::string date;
};

Day SimulatorDay() {
    sim::Scenario sc = sim::GenerateScenario(1, "2014-08-25");
    sc.track.intervalSeconds = 30;
    sc.track.noiseMetres = 10;
    Day day{"simulator 2014-08-25 30 s 10 m", {}, {}, sc.date};
    for (const sim::Line& line : sc.lines) day.routes.push_back(sim::RouteOfLine(sc, line));
    for (const sim::Vehicle& v : sc.vehicles) {
        Day::Vehicle vehicle{v.code, {}, sim::WriteTrackReply(sim::GenerateTrack(sc, v.code)->fixes)};
        for (const sim::Trip& trip : sim::TripsOfVehicle(sc, v.code, sc.date))
            for (const sim::StopEvent& stop : trip.stops)
                vehicle.stops.push_back({v.code, trip.batch, trip.line, trip.date, stop.planReach,
                                         stop.planLeave, sc.FindStation(stop.stationId)->name,
                                         trip.flag});
        day.vehicles.push_back(std::move(vehicle));
    }
    return day;
}

Day SyntheticDayOfReports() {
    const test::SyntheticDay synthetic = test::MakeSyntheticDay(
        test::DayShape{.routes = 3, .stationsPerRoute = 8, .tripsPerRoute = 3, .junkEvery = 37});
    Day day{"synthetic", synthetic.routes, {}, "2014-08-25"};
    Day::Vehicle vehicle{synthetic.stops[0].entry.code, {}, synthetic.trackBody};
    for (const auto& stop : synthetic.stops) vehicle.stops.push_back(stop.entry);
    day.vehicles.push_back(std::move(vehicle));
    return day;
}

std::uint64_t Fnv(std::uint64_t hash, std::string_view text) {
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ULL;
    return (hash ^ 0xFF) * 1099511628211ULL;
}

// A time of the day as "HH:mm:ss", another day's whole.
std::string Short(const std::string& time, const std::string& date) {
    return time.size() == 19 && time.compare(0, 10, date) == 0 ? time.substr(11) : time;
}

void Dump(const Day& day, const DetectionOptions& options, std::string& out) {
    RouteStore routes;
    for (const RouteRecord& route : day.routes) routes.AddRoute(route);
    VehicleStore vehicles;
    for (const Day::Vehicle& v : day.vehicles) vehicles.Add({v.plate, "1", "东区"});
    for (const Day::Vehicle& v : day.vehicles) {
        Database db;
        ASSERT_TRUE(db.OpenScratch());
        StopTimeTable table(db);
        for (const StopTimeEntry& stop : v.stops) ASSERT_TRUE(table.InsertStopTime(stop, "调度员"));
        test::MemoryLog log;
        ReportForm form;
        form.plate = v.plate;
        form.start = day.date + " 00:00:00";
        form.end = day.date + " 23:59:59";
        form.userName = "调度员";
        form.serverAddress = "127.0.0.1";
        form.detection = options;
        ReportRun run(table, routes, vehicles, &log);
        ASSERT_TRUE(run.Begin(form).proceed);
        ReportList list;
        run.Finish(form, v.track, list);

        std::uint64_t logged = 14695981039346656037ULL, listed = logged;
        for (const std::string& line : log.lines) logged = Fnv(logged, line);
        for (const ReportRow& row : list.Rows())
            for (const std::string& text : row.text) listed = Fnv(listed, text);
        // fenwarde-report's run of the vehicle-day lists the same rows.
        VehicleDayInput input{{v.plate, "1", day.date}, v.stops, v.track, {}};
        const VehicleDayResult fleet =
            RunVehicleDay({"调度员", "127.0.0.1", 8089, options}, input, routes);
        std::uint64_t fleetListed = 14695981039346656037ULL;
        for (const ReportRow& row : fleet.rows)
            for (const std::string& text : row.text) fleetListed = Fnv(fleetListed, text);
        EXPECT_EQ(fleetListed, listed) << v.plate << " " << fleet.failure;

        std::vector<VehicleStopRow> rows;
        ASSERT_TRUE(table.ReadVehicleStops(v.plate, rows));
        out += "# " + day.name + " | " + v.plate + " | " + std::string(DetectionRuleKey(options.rule)) +
               " | " + std::string(MatchingKey(options.matching)) + " | log " +
               std::to_string(log.lines.size()) + " " + std::to_string(logged % 1000000007) +
               " | list " + std::to_string(list.Size()) + " " + std::to_string(listed % 1000000007) +
               "\n";
        for (const VehicleStopRow& row : rows)
            out += Short(row.realReach, day.date) + " " + Short(row.realLeave, day.date) + "\n";
    }
}

TEST(GoldenRows, EveryRowAsTheRunsWroteItBefore) {
    std::string text;
    for (const Day& day : {SimulatorDay(), SyntheticDayOfReports()})
        for (DetectionRule rule : {DetectionRule::FirstFix, DetectionRule::Interpolated})
            for (Matching matching : {Matching::Nearest, Matching::Sequence}) {
                DetectionOptions options;
                options.rule = rule;
                options.matching = matching;
                ASSERT_NO_FATAL_FAILURE(Dump(day, options, text));
            }
    const char* source = std::getenv("FENWARDE_SOURCE_DIR");
    const std::string path =
        std::string(source != nullptr ? source : ".") + "/tests/reports/golden/report-rows.txt";
    if (std::getenv("FENWARDE_WRITE_GOLDEN") != nullptr) test::WriteFile(path, text);
    const std::string golden = test::ReadFile(path);
    ASSERT_FALSE(golden.empty()) << path;
    // Line by line, so that a difference is shown where it is.
    std::size_t at = 0, line = 1;
    while (at < text.size() && at < golden.size()) {
        const std::size_t end = text.find('\n', at), goldenEnd = golden.find('\n', at);
        const std::string mine = text.substr(at, end - at), theirs = golden.substr(at, goldenEnd - at);
        ASSERT_EQ(mine, theirs) << "line " << line;
        at = end + 1;
        ++line;
    }
    EXPECT_EQ(text.size(), golden.size());
}

}  // namespace
}  // namespace fw
