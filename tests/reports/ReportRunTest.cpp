// A report run without its window, on a synthetic day whose true passing times are known.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "reports/ReportRun.h"
#include "routes/RouteStore.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "tests/reports/SyntheticDay.h"
#include "tests/support/TestSupport.h"
#include "text/OleDate.h"

namespace fw {
namespace {

const char* kUser = "调度员";

class ReportRunTest : public ::testing::Test {
protected:
    // The rows the dispatcher stores for the request, in the order the server sends them.
    void SetUp() override {
        ASSERT_TRUE(db.Open(home.Path(), "fleet", "pw")) << db.LastError();
        vehicles.Add({plate, "old-id", "东区"});
        vehicles.Add({plate, "77", "东区"});
        for (const RouteRecord& route : day.routes) routes.AddRoute(route);
        for (const auto& stop : day.stops) {
            ASSERT_TRUE(table.InsertStopTime(stop.entry, kUser));
            inRange += stop.entry.planReachTime >= Query().start;
        }
    }
    ReportForm Query() const {
        ReportForm query;
        query.plate = plate;
        query.start = "2014-08-25 05:00:00";
        query.end = "2014-08-25 21:00:00";
        query.userName = kUser;
        query.serverAddress = "127.0.0.1";
        query.webPort = 8089;
        return query;
    }
    // Every stored row's real times.
    std::vector<std::string> Stored(const std::string& vehicle) {
        std::vector<StopTimeRecord> rows;
        EXPECT_TRUE(table.ReadReportRows(vehicle, kUser, "2014", "2015", rows));
        std::vector<std::string> times;
        for (const auto& r : rows) times.push_back(r.realReachTime + "/" + r.realLeaveTime);
        return times;
    }
    // Begin, then Finish with the body the transfer brought.
    ReportRun::Outcome Run(const ReportForm& query, const std::string& body, ReportList& list) {
        ReportRun run(table, routes, vehicles, &log);
        const ReportRun::Start start = run.Begin(query);
        EXPECT_TRUE(start.proceed);
        EXPECT_EQ(start.request.query.substr(0, 10), "vhcid=77&c");  // the plate's last record
        return run.Finish(query, body, list);
    }

    test::TempHome home;
    Database db;
    StopTimeTable table{db};
    test::MemoryLog log;
    RouteStore routes{&log};
    VehicleStore vehicles;
    test::SyntheticDay day = test::MakeSyntheticDay(
        test::DayShape{.routes = 3, .stationsPerRoute = 8, .tripsPerRoute = 3, .junkEvery = 37});
    std::string plate = day.stops[0].entry.code;
    std::size_t inRange = 0;  // stops planned within the query's range
};

// A real time against the first fix of a stay (or past it): the first-fix rule takes that fix,
// the interpolated rule the instant the track crossed the circle, between the fix before and it.
bool Matches(const std::string& real, const std::string& firstFix, DetectionRule rule) {
    if (rule == DetectionRule::FirstFix || firstFix.empty() || real.size() != 19)
        return real == firstFix;
    const long long before = SecondsBetween(*ParseDateTime(firstFix), *ParseDateTime(real));
    return before >= 1 && before <= 5;
}

// The whole day under both rules: every real time the report shows is the instant the track
// really reached or left the stop, or empty where the plan lies beyond the acceptance window.
TEST_F(ReportRunTest, SyntheticDayGivesTheKnownPassingTimes) {
    ASSERT_GT(day.fixes, 2000);
    // Rows the report must not touch or show: another vehicle with the same plans, another
    // user's, and a line the route store does not know.
    for (const auto& stop : day.stops) {
        StopTimeEntry other = stop.entry;
        other.code = "沪B2";
        table.InsertStopTime(other, kUser);
    }
    table.InsertStopTime(day.stops[3].entry, "另一个用户");
    StopTimeEntry unknownLine = day.stops[3].entry;
    unknownLine.lineName = "无此线路";
    table.InsertStopTime(unknownLine, kUser);
    // Stale real times from an earlier run are cleared first.
    std::vector<StopTimeRecord> stale;
    ASSERT_TRUE(table.FindStopRows(plate, day.stops[5].entry.lineName,
                                   day.stops[5].entry.userMarkName, stale));
    ASSERT_TRUE(
        table.WriteRealTimes({{stale[0].rowId, "", "", "", "", "2014-08-25 04:00:00", ""}}));

    std::size_t reached = 0;
    for (DetectionRule rule : {DetectionRule::Interpolated, DetectionRule::FirstFix}) {
        ReportForm query = Query();
        query.detection.rule = rule;
        ReportList list;
        const ReportRun::Outcome outcome = Run(query, day.trackBody, list);
        EXPECT_EQ(outcome.message, "");
        EXPECT_TRUE(outcome.linesRead && outcome.written && outcome.rowsRead);
        EXPECT_EQ(outcome.rule, rule);
        // Every stop planned inside the range, and the row of the unknown line, in planned order.
        ASSERT_EQ(list.Size(), inRange + 1);
        std::size_t left = 0, late = 0;
        std::string previousPlan;
        reached = 0;
        for (const ReportRow& row : list.Rows()) {
            EXPECT_EQ(row[kColPlate], plate);
            EXPECT_LE(previousPlan, row[kColPlanReach]);
            previousPlan = row[kColPlanReach];
            const auto stop = std::find_if(day.stops.begin(), day.stops.end(), [&](auto& s) {
                return s.entry.lineName == row[kColLine] && s.entry.userMarkName == row[kColStop] &&
                       s.entry.planReachTime == row[kColPlanReach];
            });
            const bool known = row[kColLine] != "无此线路";
            ASSERT_TRUE(stop != day.stops.end() || !known) << row[kColStop];
            EXPECT_TRUE(Matches(row[kColRealReach], known ? stop->expectedReach : "", rule))
                << row[kColStop] << " " << row[kColRealReach];
            EXPECT_TRUE(Matches(row[kColRealLeave], known ? stop->expectedLeave : "", rule))
                << row[kColStop] << " " << row[kColRealLeave];
            reached += !row[kColRealReach].empty();
            left += !row[kColRealLeave].empty();
            late += row[kColLate].starts_with("迟到00:05:");
        }
        // The cycle of offsets puts some events beyond the window and some 5 1/2 minutes late.
        EXPECT_TRUE(reached > 40 && reached < inRange && left < inRange && late > 0);
    }
    // The other vehicle's rows share every planned time and stay untouched.
    EXPECT_EQ(Stored("沪B2"), std::vector<std::string>(day.stops.size(), "/"));

    // Only the rows with a real arrival when asked.
    ReportForm completed = Query();
    completed.filter = StatusFilter::Completed;
    ReportList served;
    Run(completed, day.trackBody, served);
    EXPECT_EQ(served.Size(), reached);
    // The range may end at its start (an end before it is the window's test).
    completed.end = completed.start;
    EXPECT_TRUE(ReportRun(table, routes, vehicles, &log).Begin(completed).proceed);
}

// The run's real times go in at once or not at all: a store that refuses one of the writes
// keeps every real time of the run before, the run says so, and the list still shows what the
// run found. A broken database lists nothing and does not crash.
TEST_F(ReportRunTest, AFailedWriteRollsBackSaysSoAndABrokenDatabaseListsNothing) {
    ReportList first;
    ASSERT_TRUE(Run(Query(), day.trackBody, first).written);
    const std::vector<std::string> before = Stored(plate);
    ASSERT_LT(std::count(before.begin(), before.end(), "/"), static_cast<long>(before.size()) - 10);
    // The last row's write fails, after the others have been made.
    ASSERT_TRUE(
        db.Execute("CREATE TRIGGER refuse BEFORE UPDATE ON busbatch WHEN OLD.rowid = "
                   "(SELECT max(rowid) FROM busbatch) BEGIN SELECT "
                   "RAISE(ABORT, 'database or disk is full'); END"));
    ReportList second;
    const ReportRun::Outcome outcome = Run(Query(), "", second);  // nothing found: all cleared
    EXPECT_FALSE(outcome.written);
    const std::string told =
        "本次结果未能存入本地数据库，库中保留此前的实际时间：constraint failed: "
        "database or disk is full";
    EXPECT_EQ(outcome.message, "轨迹数据为空\n" + told);
    EXPECT_EQ(log.lines.back(), told);
    EXPECT_EQ(Stored(plate), before);
    ASSERT_EQ(second.Size(), inRange);
    for (const ReportRow& row : second.Rows())
        EXPECT_EQ(row[kColRealReach] + row[kColRealLeave], "");

    // A database that cannot be read lists nothing and does not crash.
    db.Close();
    ReportList third;
    const ReportRun::Outcome closed = Run(Query(), day.trackBody, third);
    EXPECT_FALSE(closed.linesRead || closed.rowsRead || closed.written);
    EXPECT_EQ(third.Size(), 0u);
}

}  // namespace
}  // namespace fw
