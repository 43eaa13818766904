#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "net/JsonWriter.h"
#include "sim/Geo.h"
#include "sim/ReportRows.h"
#include "sim/Scenario.h"
#include "sim/ScenarioGenerator.h"
#include "sim/TripPlanner.h"

namespace fw::sim {
namespace {

const Scenario& Default() {
    static const Scenario sc = GenerateScenario(1, "2026-12-07");
    return sc;
}

long long Sec(const std::string& t) { return *ParseSeconds(t); }

std::string Styled(const Scenario& sc) { return WriteStyled(ScenarioToJson(sc)); }

TEST(Scenario, TheSameSeedGivesTheSameScenarioAnotherSeedAnotherAndJsonKeepsIt) {
    const std::string a = Styled(GenerateScenario(42, "2026-12-07"));
    EXPECT_EQ(a, Styled(GenerateScenario(42, "2026-12-07")));
    EXPECT_NE(a, Styled(GenerateScenario(43, "2026-12-07")));
    std::string error;
    const auto back = ScenarioFromJson(ScenarioToJson(Default()), &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(Styled(*back), Styled(Default()));
}

// --vehicles: the built-in part stays as it is, and every added vehicle has a line of its own
// and a day's work on every day of the schedules (detection on those lines is the track test's).
TEST(Scenario, AFleetOfAnySizeKeepsTheBuiltInPartAndKeepsEveryVehicleBusy) {
    const Scenario& base = Default();
    const Scenario big = GenerateScenario(1, "2026-12-07", 200);
    ASSERT_EQ(big.vehicles.size(), 200u);
    for (std::size_t i = 0; i < base.vehicles.size(); ++i) EXPECT_EQ(big.vehicles[i].code, base.vehicles[i].code);
    for (std::size_t i = 0; i < base.lines.size(); ++i) EXPECT_EQ(big.lines[i].name, base.lines[i].name);
    std::set<std::string> plates;
    for (const auto& v : big.vehicles) plates.insert(v.code);
    EXPECT_EQ(plates.size(), 200u);
    for (std::size_t i = base.lines.size(); i < big.lines.size(); ++i) EXPECT_GE(big.lines[i].stops.size(), 12u);
    const Scenario small = GenerateScenario(1, "2026-12-07", 5);  // the last lines give up their vehicles
    ASSERT_EQ(small.vehicles.size(), 5u);
    for (const auto& [sc, date] : {std::pair(&big, "2026-12-05"), {&big, "2026-12-11"}, {&small, "2026-12-07"}}) {
        std::set<std::string> busy;
        for (const auto& t : PlanTripsFromSchedules(*sc, date)) busy.insert(t.vehicle);
        EXPECT_EQ(busy.size(), sc->vehicles.size()) << date;
    }
}

TEST(Scenario, TripsFollowTheSchedulesAndRunEarlyLateAndLingerByKnownAmounts) {
    const Scenario& sc = Default();
    // The planned part of every trip is what the schedules give for the date.
    const auto planned = PlanTripsFromSchedules(sc, sc.date);
    ASSERT_EQ(planned.size(), sc.trips.size());
    std::set<std::string> vehiclesWithTrips;
    int late = 0, early = 0, lingered = 0, beyondWindow = 0;
    for (std::size_t i = 0; i < planned.size(); ++i) {
        const Trip& p = planned[i];
        const Trip& t = sc.trips[i];
        ASSERT_EQ(p.batch, t.batch);
        ASSERT_EQ(p.stops.size(), t.stops.size());
        vehiclesWithTrips.insert(t.vehicle);
        for (std::size_t k = 0; k < t.stops.size(); ++k) {
            const StopEvent& e = t.stops[k];
            EXPECT_EQ(std::pair(e.planReach, e.planLeave), std::pair(p.stops[k].planReach, p.stops[k].planLeave));
            EXPECT_LE(Sec(e.planReach), Sec(e.planLeave));
            EXPECT_LT(Sec(e.trueReach), Sec(e.trueLeave));
            EXPECT_TRUE(k == 0 || Sec(e.trueReach) > Sec(t.stops[k - 1].trueLeave));
            const long long arrival = Sec(e.trueReach) - Sec(e.planReach);
            const long long departure = Sec(e.trueLeave) - Sec(e.planLeave);
            late += arrival > 120 && arrival <= kAcceptSeconds;
            early += arrival < -90;
            lingered += departure - std::max(arrival, 0LL) > 150;
            beyondWindow += arrival > kAcceptSeconds;
        }
    }
    EXPECT_EQ(vehiclesWithTrips.size(), sc.vehicles.size());
    EXPECT_TRUE(late > 10 && early > 3 && lingered > 10 && beyondWindow > 0)
        << late << " late, " << early << " early, " << lingered << " lingered, " << beyondWindow << " beyond";
}

TEST(Scenario, MovingToAnotherDateShiftsEveryTimeByWholeDays) {
    Scenario sc = Default();
    MoveScenarioToDate(sc, "2026-12-10");
    EXPECT_EQ(sc.date + sc.trips.back().date, "2026-12-102026-12-10");
    for (std::size_t i = 0; i < sc.trips.size(); ++i)
        for (std::size_t k = 0; k < sc.trips[i].stops.size(); ++k) {
            const StopEvent &moved = sc.trips[i].stops[k], &was = Default().trips[i].stops[k];
            EXPECT_EQ(std::pair(Sec(moved.trueReach) - Sec(was.trueReach), Sec(moved.planLeave) - Sec(was.planLeave)),
                      std::pair(3 * 86400LL, 3 * 86400LL));
        }
}

// The server's report rows (the window's 查询): a vehicle's planned stops within the range in
// planned order, true times only within the window, and the lateness as text.
TEST(ReportRows, UseTrueTimesWithinTheWindowAndOnlyTheRange) {
    const Scenario& sc = Default();
    const Vehicle* v = &sc.vehicles[0];
    const auto rows = ComputeReportRows(sc, {v}, sc.date + " 05:00:00", sc.date + " 08:00:00");
    ASSERT_GT(rows.size(), 5u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(i == 0 || rows[i - 1].planreachtime <= rows[i].planreachtime);
        EXPECT_LE(rows[i].planreachtime, sc.date + " 08:00:00");
        EXPECT_TRUE(rows[i].realreachtime.empty() ||
                    std::llabs(Sec(rows[i].realreachtime) - Sec(rows[i].planreachtime)) <= kAcceptSeconds);
    }
    // A group query takes the group's vehicles; the user's own name stands for every vehicle.
    EXPECT_EQ(VehiclesOfQuery(sc, "", "", "公交二公司", "admin").size(), 3u);
    EXPECT_EQ(VehiclesOfQuery(sc, "", "", "admin", "admin").size(), sc.vehicles.size());
    EXPECT_EQ(Lateness("迟到", "2014-08-25 08:00:00", "2014-08-25 08:05:30"), "迟到00:05:30");
    EXPECT_EQ(Lateness("迟到", "2014-08-25 08:00:00", "2014-08-25 07:58:00") + Lateness("迟到", "soon", ""), "");
}

}  // namespace
}  // namespace fw::sim
