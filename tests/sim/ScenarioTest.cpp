#include <gtest/gtest.h>

#include <cmath>
#include <map>
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

TEST(Scenario, DefaultHasTheFleetAndLinesADispatcherWorksWith) {
    const Scenario& sc = Default();
    EXPECT_GE(sc.groups.size(), 2u);
    EXPECT_EQ(sc.vehicles.size(), 12u);
    std::set<std::string> plates;
    for (const auto& v : sc.vehicles) plates.insert(v.code.substr(0, 4) == "浙A" ? v.code : "");
    EXPECT_EQ(plates.size(), sc.vehicles.size()) << "each plate once, all of 浙A";
    EXPECT_TRUE(std::any_of(sc.users.begin(), sc.users.end(), [](const User& u) { return u.name == "调度员"; }));

    int twoStationLines = 0;
    std::map<std::string, int> linesOfStation;
    for (const auto& line : sc.lines) {
        twoStationLines += line.stops.size() == 2;
        EXPECT_TRUE(line.stops.size() == 2 || (line.stops.size() >= 8 && line.stops.size() <= 25)) << line.name;
        for (const auto& stop : line.stops) {
            ++linesOfStation[stop.stationId];
            const Station* st = sc.FindStation(stop.stationId);
            ASSERT_NE(st, nullptr);
            EXPECT_LT(GroundDistanceMetres(30.2741, 120.1551, st->lat, st->lng), 15000) << st->name;
        }
    }
    EXPECT_EQ(twoStationLines, 1);
    int shared = 0;
    for (const auto& [id, count] : linesOfStation) shared += count > 1;
    EXPECT_EQ(shared, 1) << "one interchange station is called at by two lines";
}

// --vehicles: the built-in part stays as it is, and every added vehicle has a line of its own
// kind (stations well apart, named once) and a day's work on every day of the schedules.
TEST(Scenario, AFleetOfAnySizeKeepsTheBuiltInPartAndKeepsEveryVehicleBusy) {
    const Scenario& base = Default();
    const Scenario big = GenerateScenario(1, "2026-12-07", 200);
    ASSERT_EQ(big.vehicles.size(), 200u);
    for (std::size_t i = 0; i < base.vehicles.size(); ++i) EXPECT_EQ(big.vehicles[i].code, base.vehicles[i].code);
    for (std::size_t i = 0; i < base.lines.size(); ++i) EXPECT_EQ(big.lines[i].name, base.lines[i].name);
    for (std::size_t i = 0; i < base.stations.size(); ++i) EXPECT_EQ(big.stations[i].name, base.stations[i].name);
    EXPECT_EQ(big.lines.size(), 4u + 47u);
    std::set<std::string> plates, stationNames;
    for (const auto& v : big.vehicles) plates.insert(v.code);
    EXPECT_EQ(plates.size(), 200u);
    for (const auto& st : big.stations) stationNames.insert(st.name);
    EXPECT_EQ(stationNames.size(), big.stations.size());
    for (std::size_t i = base.lines.size(); i < big.lines.size(); ++i) {
        const Line& line = big.lines[i];
        EXPECT_GE(line.stops.size(), 12u) << line.name;
        for (std::size_t k = 1; k < line.stops.size(); ++k) {
            const Station* a = big.FindStation(line.stops[k - 1].stationId);
            const Station* b = big.FindStation(line.stops[k].stationId);
            EXPECT_GT(GroundDistanceMetres(a->lat, a->lng, b->lat, b->lng), 400) << line.name;
        }
    }
    for (const char* date : {"2026-12-05", "2026-12-07", "2026-12-11"}) {
        std::set<std::string> busy;
        for (const auto& t : PlanTripsFromSchedules(big, date)) busy.insert(t.vehicle);
        EXPECT_EQ(busy.size(), 200u) << date;
    }
    // A smaller fleet: the last lines give up their vehicles.
    const Scenario small = GenerateScenario(1, "2026-12-07", 5);
    ASSERT_EQ(small.vehicles.size(), 5u);
    EXPECT_EQ(small.vehicles[0].code, base.vehicles[0].code);
    std::set<std::string> busy;
    for (const auto& t : small.trips) busy.insert(t.vehicle);
    EXPECT_EQ(busy.size(), 5u);
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
            EXPECT_EQ(e.planReach, p.stops[k].planReach);
            EXPECT_EQ(e.planLeave, p.stops[k].planLeave);
            EXPECT_LE(Sec(e.planReach), Sec(e.planLeave));
            EXPECT_LT(Sec(e.trueReach), Sec(e.trueLeave));
            if (k > 0) {
                EXPECT_GT(Sec(e.trueReach), Sec(t.stops[k - 1].trueLeave));
            }
            const long long arrival = Sec(e.trueReach) - Sec(e.planReach);
            const long long departure = Sec(e.trueLeave) - Sec(e.planLeave);
            late += arrival > 120 && arrival <= kAcceptSeconds;
            early += arrival < -90;
            lingered += departure - std::max(arrival, 0LL) > 150;
            beyondWindow += arrival > kAcceptSeconds;
        }
    }
    EXPECT_EQ(vehiclesWithTrips.size(), sc.vehicles.size());
    EXPECT_GT(late, 10);
    EXPECT_GT(early, 3);
    EXPECT_GT(lingered, 10);
    EXPECT_GT(beyondWindow, 0);
}

TEST(Scenario, LoadingAFileReportsWhatIsWrong) {
    const struct {
        const char* path;
        Json::Value value;
        const char* expected;
    } cases[] = {
        {".date", "07.12.2026", "date"},
        {".lines[0].stops[0].station", "nope", "nope"},                // an unknown station
        {".stations[1].id", Default().stations[0].id, "twice"},       // a duplicate station
        {".trips[0].stops[0].planReach", "8 o'clock", "yyyy-MM-dd"},
        {".trips[0].stops[1].trueLeave", "2000-01-01 00:00:00", "true"},  // departure before arrival
        {".track.interval", 0, "interval"},
        {".trips[0].vehicle", "沪C00000", "plate"},
        {".trips[0].line", "99路", "99路"},
        {".vehicles[0].code", "", "plate"},
    };
    for (const auto& c : cases) {
        Json::Value json = ScenarioToJson(Default());
        Json::Path(c.path).make(json) = c.value;
        std::string error;
        EXPECT_FALSE(ScenarioFromJson(json, &error)) << c.path;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.path << ": " << error;
    }
}

TEST(Scenario, MovingToAnotherDateShiftsEveryTimeByWholeDays) {
    Scenario sc = Default();
    MoveScenarioToDate(sc, "2026-12-10");
    EXPECT_EQ(sc.date, "2026-12-10");
    for (std::size_t i = 0; i < sc.trips.size(); ++i) {
        EXPECT_EQ(sc.trips[i].date, "2026-12-10");
        for (std::size_t k = 0; k < sc.trips[i].stops.size(); ++k) {
            EXPECT_EQ(Sec(sc.trips[i].stops[k].trueReach) - Sec(Default().trips[i].stops[k].trueReach), 3 * 86400);
            EXPECT_EQ(Sec(sc.trips[i].stops[k].planLeave) - Sec(Default().trips[i].stops[k].planLeave), 3 * 86400);
        }
    }
}

TEST(ReportRows, UseTrueTimesWithinTheWindowAndOnlyTheRange) {
    const Scenario& sc = Default();
    const Vehicle* v = &sc.vehicles[0];
    const auto rows = ComputeReportRows(sc, {v}, sc.date + " 05:00:00", sc.date + " 21:00:00");
    std::size_t events = 0;
    for (const auto& t : sc.trips)
        if (t.vehicle == v->code) events += t.stops.size();
    ASSERT_EQ(rows.size(), events);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i) {
            EXPECT_LE(rows[i - 1].planreachtime, rows[i].planreachtime);
        }
        EXPECT_EQ(rows[i].vhcID, v->id);
        if (!rows[i].realreachtime.empty()) {
            EXPECT_LE(std::llabs(Sec(rows[i].realreachtime) - Sec(rows[i].planreachtime)), kAcceptSeconds);
        }
    }
    const auto morning = ComputeReportRows(sc, {v}, sc.date + " 05:00:00", sc.date + " 08:00:00");
    EXPECT_LT(morning.size(), rows.size());
    for (const auto& r : morning) EXPECT_LE(r.planreachtime, sc.date + " 08:00:00");
    EXPECT_TRUE(ComputeReportRows(sc, {v}, sc.date + " 21:00:00", sc.date + " 05:00:00").empty());

    // A group query takes the group's vehicles; the user's own name stands for every vehicle.
    EXPECT_EQ(VehiclesOfQuery(sc, "", "", "公交二公司", "admin").size(), 3u);
    EXPECT_EQ(VehiclesOfQuery(sc, "", "", "admin", "admin").size(), sc.vehicles.size());
    EXPECT_EQ(VehiclesOfQuery(sc, "", v->code, "", "admin").front(), v);
    EXPECT_TRUE(VehiclesOfQuery(sc, "", "", "", "admin").empty());
}

TEST(ReportRows, LatenessTexts) {
    EXPECT_EQ(Lateness("迟到", "2014-08-25 08:00:00", "2014-08-25 08:05:30"), "迟到00:05:30");
    EXPECT_EQ(Lateness("久滞", "2014-08-25 08:10:00", "2014-08-25 08:12:00"), "久滞00:02:00");
    EXPECT_EQ(Lateness("迟到", "2014-08-25 08:00:00", "2014-08-25 07:58:00"), "");
    EXPECT_EQ(Lateness("迟到", "2014-08-25 08:00:00", ""), "");
    EXPECT_EQ(Lateness("迟到", "soon", "2014-08-25 08:00:00"), "");
}

}  // namespace
}  // namespace fw::sim
