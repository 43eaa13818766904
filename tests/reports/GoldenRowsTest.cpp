// The real times report runs write, held to what they wrote when every event still ran its own
// statements (golden/report-rows.txt; FENWARDE_WRITE_GOLDEN=1 writes it): every row of every
// vehicle of the simulator's day (30 s fixes, 10 m noise) and of the synthetic day, whose plans
// lie up to 25 minutes off, under both rules and both matchings; per run the number and a
// checksum of the log lines and of the list, which fenwarde-report's run must list alike.
#include <gtest/gtest.h>

#include <algorithm>
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
    std::string name, date;
    std::vector<RouteRecord> routes;
    std::vector<VehicleDayInput> vehicles;
};

Day SimulatorDay() {
    sim::Scenario sc = sim::GenerateScenario(1, "2014-08-25");
    sc.track.intervalSeconds = 30;
    sc.track.noiseMetres = 10;
    Day day{"simulator 2014-08-25 30 s 10 m", sc.date, {}, {}};
    for (const sim::Line& line : sc.lines) day.routes.push_back(sim::RouteOfLine(sc, line));
    for (const sim::Vehicle& v : sc.vehicles) {
        const std::string track = sim::WriteTrackReply(sim::GenerateTrack(sc, v.code)->fixes);
        VehicleDayInput& input =
            day.vehicles.emplace_back(VehicleDayInput{{v.code, "1", sc.date}, {}, track, {}});
        for (const sim::Trip& trip : sim::TripsOfVehicle(sc, v.code, sc.date))
            for (const sim::StopEvent& stop : trip.stops)
                input.stops.push_back({v.code, trip.batch, trip.line, trip.date, stop.planReach,
                                       stop.planLeave, sc.FindStation(stop.stationId)->name,
                                       trip.flag});
    }
    return day;
}

Day SyntheticDayOfReports() {
    const test::SyntheticDay synthetic = test::MakeSyntheticDay(
        test::DayShape{.routes = 3, .stationsPerRoute = 8, .tripsPerRoute = 3, .junkEvery = 37});
    Day day{"synthetic",
            "2014-08-25",
            synthetic.routes,
            {{{synthetic.stops[0].entry.code, "1", "2014-08-25"}, {}, synthetic.trackBody, {}}}};
    for (const auto& stop : synthetic.stops) day.vehicles[0].stops.push_back(stop.entry);
    return day;
}

// A checksum of texts, as the golden file's header lines give them.
std::uint64_t Fnv(std::uint64_t hash, std::string_view text) {
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ULL;
    return (hash ^ 0xFF) * 1099511628211ULL;
}

template <typename Rows>
std::uint64_t ListSum(const Rows& rows) {
    std::uint64_t sum = 14695981039346656037ULL;
    for (const ReportRow& row : rows)
        for (const std::string& text : row.text) sum = Fnv(sum, text);
    return sum;
}

void Dump(const Day& day, const DetectionOptions& options, std::string& out) {
    RouteStore routes;
    for (const RouteRecord& route : day.routes) routes.AddRoute(route);
    VehicleStore vehicles;
    for (const VehicleDayInput& v : day.vehicles) vehicles.Add({v.day.plate, "1", "东区"});
    for (const VehicleDayInput& v : day.vehicles) {
        Database db;
        ASSERT_TRUE(db.OpenScratch());
        StopTimeTable table(db);
        for (const StopTimeEntry& stop : v.stops) ASSERT_TRUE(table.InsertStopTime(stop, "调度员"));
        test::MemoryLog log;
        ReportForm form;
        form.plate = v.day.plate;
        form.start = day.date + " 00:00:00";
        form.end = day.date + " 23:59:59";
        form.userName = "调度员";
        form.serverAddress = "127.0.0.1";
        form.detection = options;
        ReportRun run(table, routes, vehicles, &log);
        ASSERT_TRUE(run.Begin(form).proceed);
        ReportList list;
        run.Finish(form, v.trackBody, list);
        std::uint64_t logged = 14695981039346656037ULL;
        for (const std::string& line : log.lines) logged = Fnv(logged, line);
        const std::uint64_t listed = ListSum(list.Rows());
        // fenwarde-report's run of the vehicle-day lists the same rows.
        const VehicleDayResult fleet =
            RunVehicleDay({"调度员", "127.0.0.1", 8089, options}, v, routes);
        EXPECT_EQ(ListSum(fleet.rows), listed) << v.day.plate << " " << fleet.failure;

        std::vector<VehicleStopRow> rows;
        ASSERT_TRUE(table.ReadVehicleStops(v.day.plate, rows));
        out += "# " + day.name + " | " + v.day.plate + " | " +
               std::string(DetectionRuleKey(options.rule)) + " | " +
               std::string(MatchingKey(options.matching)) + " | log " +
               std::to_string(log.lines.size()) + " " + std::to_string(logged % 1000000007) +
               " | list " + std::to_string(list.Size()) + " " +
               std::to_string(listed % 1000000007) + "\n";
        // A time of the day as "HH:mm:ss", another day's whole.
        auto shortened = [&](const std::string& time) {
            return time.size() == 19 && time.compare(0, 10, day.date) == 0 ? time.substr(11) : time;
        };
        for (const VehicleStopRow& row : rows)
            out += shortened(row.realReach) + " " + shortened(row.realLeave) + "\n";
    }
}

TEST(GoldenRows, EveryRowAsTheRunsWroteItBefore) {
    std::string text;
    for (const Day& day : {SimulatorDay(), SyntheticDayOfReports()})
        for (DetectionRule rule : {DetectionRule::FirstFix, DetectionRule::Interpolated})
            for (Matching matching : {Matching::Nearest, Matching::Sequence})
                ASSERT_NO_FATAL_FAILURE(Dump(day, {rule, matching, {}}, text));
    const char* source = std::getenv("FENWARDE_SOURCE_DIR");
    const std::string path =
        std::string(source != nullptr ? source : ".") + "/tests/reports/golden/report-rows.txt";
    if (std::getenv("FENWARDE_WRITE_GOLDEN") != nullptr) test::WriteFile(path, text);
    const std::string golden = test::ReadFile(path);
    ASSERT_FALSE(golden.empty()) << path;
    // The first line that differs, so that a difference is shown where it is.
    const auto [mine, theirs] =
        std::mismatch(text.begin(), text.end(), golden.begin(), golden.end());
    if (mine != text.end() || theirs != golden.end()) {
        const std::size_t pos = mine - text.begin();
        const std::size_t at = pos == 0 ? 0 : text.rfind('\n', pos - 1) + 1;  // npos + 1 is 0
        FAIL() << "line " << std::count(text.begin(), text.begin() + at, '\n') + 1 << ": "
               << text.substr(at, text.find('\n', at) - at)
               << "\ngolden: " << golden.substr(at, golden.find('\n', at) - at);
    }
}

}  // namespace
}  // namespace fw
