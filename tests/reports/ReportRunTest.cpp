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
    void SetUp() override {
        ASSERT_TRUE(db.Open(home.Path(), "fleet", "pw")) << db.LastError();
        vehicles.Add({day.stops[0].entry.code, "old-id", "东区"});
        vehicles.Add({"沪B2", "22", "东区"});
        vehicles.Add({day.stops[0].entry.code, "77", "东区"});
        for (const RouteRecord& route : day.routes) routes.AddRoute(route);
        // A route the vehicle does not serve.
        routes.AddRoute(day.routes[0]);  // a duplicate name, dropped
        RouteRecord idle = day.routes[1];
        idle.lineName = "99路";
        routes.AddRoute(idle);
    }
    // The rows the dispatcher stores for the request, in the order the server sends them.
    void StoreStopTimes() {
        for (const auto& stop : day.stops) ASSERT_TRUE(table.InsertStopTime(stop.entry, kUser));
    }
    ReportForm Query() const {
        ReportForm query;
        query.plate = day.stops[0].entry.code;
        query.start = "2014-08-25 05:00:00";
        query.end = "2014-08-25 21:00:00";
        query.userName = kUser;
        query.serverAddress = "127.0.0.1";
        query.webPort = 8089;
        return query;
    }
    std::size_t InRange(const ReportForm& query) const {
        std::size_t count = 0;
        for (const auto& stop : day.stops)
            count +=
                stop.entry.planReachTime >= query.start && stop.entry.planReachTime <= query.end;
        return count;
    }
    // The synthetic stop a report row lists.
    const test::SyntheticStop* StopOf(const ReportRow& row) const {
        for (const auto& stop : day.stops)
            if (stop.entry.lineName == row[kColLine] && stop.entry.userMarkName == row[kColStop] &&
                stop.entry.planReachTime == row[kColPlanReach])
                return &stop;
        return nullptr;
    }
    // A real arrival in the first row of a stop, as an earlier run left it.
    void LeaveRealArrival(const StopTimeEntry& stop, const std::string& time) {
        std::vector<StopTimeRecord> rows;
        ASSERT_TRUE(table.FindStopRows(stop.code, stop.lineName, stop.userMarkName, rows));
        ASSERT_TRUE(table.WriteRealTimes({{rows[0].rowId, "", "", "", "", time, ""}}));
    }
    std::vector<StopTimeRecord> Stored() {
        std::vector<StopTimeRecord> rows;
        EXPECT_TRUE(table.ReadReportRows(day.stops[0].entry.code, kUser, "2014", "2015", rows));
        return rows;
    }
    // Begin, then Finish with the body the transfer brought.
    ReportRun::Outcome Run(const ReportForm& query, const std::string& body, ReportList& list) {
        ReportRun run(table, routes, vehicles, &log);
        const ReportRun::Start start = run.Begin(query);
        EXPECT_TRUE(start.proceed);
        EXPECT_EQ(start.vehicleId, "77");
        EXPECT_EQ(start.request.port, 8089);
        EXPECT_NE(start.request.query.find("vhcid=77&"), std::string::npos);
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
};

// The whole day: every real time the report shows is the instant the track really reached or
// left the stop, or empty where the plan lies beyond the acceptance window.
TEST_F(ReportRunTest, SyntheticDayGivesTheKnownPassingTimes) {
    ASSERT_GT(day.fixes, 2000);
    StoreStopTimes();
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
    LeaveRealArrival(day.stops[5].entry, "2014-08-25 04:00:00");

    ReportList list;
    const ReportRun::Outcome outcome = Run(Query(), day.trackBody, list);
    EXPECT_TRUE(outcome.message.empty());
    EXPECT_TRUE(outcome.linesRead && outcome.written);
    EXPECT_TRUE(outcome.rowsRead);
    // Every stop planned inside the range, and the row of the unknown line.
    ASSERT_EQ(list.Size(), InRange(Query()) + 1);

    int reached = 0, left = 0, late = 0;
    std::string previousPlan;
    for (const ReportRow& row : list.Rows()) {
        EXPECT_EQ(row[kColPlate], day.stops[0].entry.code);
        EXPECT_LE(previousPlan, row[kColPlanReach]);
        previousPlan = row[kColPlanReach];
        if (row[kColLine] == "无此线路") {
            EXPECT_EQ(row[kColRealReach] + row[kColRealLeave], "");
            continue;
        }
        const test::SyntheticStop* stop = StopOf(row);
        ASSERT_NE(stop, nullptr) << row[kColStop];
        EXPECT_EQ(row[kColRealReach], stop->expectedReach) << row[kColStop];
        EXPECT_EQ(row[kColRealLeave], stop->expectedLeave) << row[kColStop];
        reached += !row[kColRealReach].empty();
        left += !row[kColRealLeave].empty();
        late += row[kColLate] == "迟到00:05:30";
    }
    // The cycle of offsets puts some events beyond the window and some 5 min 30 s late.
    EXPECT_GT(reached, 0);
    EXPECT_LT(reached, static_cast<int>(day.stops.size()));
    EXPECT_LT(left, static_cast<int>(day.stops.size()));
    EXPECT_GT(late, 0);

    // The other vehicle's rows share every planned time and stay untouched.
    std::vector<StopTimeRecord> others;
    ASSERT_TRUE(table.ReadReportRows("沪B2", kUser, "2014", "2015", others));
    for (const auto& r : others) EXPECT_EQ(r.realReachTime + r.realLeaveTime, "");
    for (const char* line : {"开始获取轨迹数据", "轨迹数据获取结束", "线路名称：1路已经存在"})
        EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), line), log.lines.end()) << line;

    // The same report again gives the same rows.
    ReportList again;
    Run(Query(), day.trackBody, again);
    ASSERT_EQ(again.Size(), list.Size());
    for (std::size_t i = 0; i < list.Size(); ++i)
        EXPECT_EQ(again.Rows()[i].text, list.Rows()[i].text) << i;
}

// The interpolated rule on the same day: every time is the instant the track crossed the circle,
// between the fix before and the first fix on the other side, which the first-fix rule takes.
TEST_F(ReportRunTest, InterpolatedRuleGivesTheCrossingInstantsBeforeTheFirstFixes) {
    StoreStopTimes();
    ReportForm query = Query();
    query.detection.rule = DetectionRule::Interpolated;
    ReportList list;
    const ReportRun::Outcome outcome = Run(query, day.trackBody, list);
    EXPECT_EQ(outcome.rule, DetectionRule::Interpolated);
    ASSERT_EQ(list.Size(), InRange(query));

    int times = 0;
    for (const ReportRow& row : list.Rows()) {
        const test::SyntheticStop* stop = StopOf(row);
        ASSERT_NE(stop, nullptr) << row[kColStop];
        for (auto [real, firstFix] : {std::pair{row[kColRealReach], stop->expectedReach},
                                      std::pair{row[kColRealLeave], stop->expectedLeave}}) {
            if (firstFix.empty()) {
                EXPECT_EQ(real, "") << row[kColStop];
                continue;
            }
            ASSERT_EQ(real.size(), 19u) << row[kColStop];
            const long long before = SecondsBetween(*ParseDateTime(firstFix), *ParseDateTime(real));
            EXPECT_TRUE(before >= 1 && before <= 5) << row[kColStop] << " " << real;
            ++times;
        }
    }
    EXPECT_GT(times, 40);
}

TEST_F(ReportRunTest, EndBeforeStartStopsBeforeAnythingIsCleared) {
    StoreStopTimes();
    LeaveRealArrival(day.stops[0].entry, "2014-08-25 06:00:00");

    ReportForm query = Query();
    query.end = "2014-08-25 04:59:59";
    ReportRun run(table, routes, vehicles, &log);
    const ReportRun::Start start = run.Begin(query);
    EXPECT_FALSE(start.proceed);
    EXPECT_EQ(start.message, "终止时间不能小于起始时间");
    EXPECT_TRUE(log.lines.empty() || log.lines.back() != "开始获取轨迹数据");
    std::vector<StopTimeRecord> rows;
    table.FindStopRows(day.stops[0].entry.code, day.stops[0].entry.lineName,
                       day.stops[0].entry.userMarkName, rows);
    EXPECT_EQ(rows[0].realReachTime, "2014-08-25 06:00:00");

    EXPECT_TRUE(IsReportRangeValid("2014-08-25 05:00:00", "2014-08-25 05:00:00"));
}

TEST_F(ReportRunTest, EmptyTrackIsToldAndTheRowsAreStillListedWithTheFilter) {
    StoreStopTimes();
    ReportForm query = Query();
    query.end = day.stops[4].entry.planReachTime;
    ReportList list;
    const ReportRun::Outcome outcome = Run(query, "", list);
    EXPECT_EQ(outcome.message, "轨迹数据为空");
    EXPECT_EQ(list.Size(), InRange(query));
    for (const ReportRow& row : list.Rows()) EXPECT_EQ(row[kColRealReach], "");

    query.filter = StatusFilter::Completed;
    ReportList completed;
    Run(query, "", completed);
    EXPECT_EQ(completed.Size(), 0u);
}

// The run's real times go in at once or not at all: a store that refuses one of the writes
// keeps every real time of the run before, the run says so, and the list still shows what the
// run found.
TEST_F(ReportRunTest, AFailedWriteRollsBackSaysSoAndLeavesThePreviousRealTimes) {
    StoreStopTimes();
    ReportList first;
    ASSERT_TRUE(Run(Query(), day.trackBody, first).written);
    const std::vector<StopTimeRecord> before = Stored();
    ASSERT_GT(std::count_if(before.begin(), before.end(),
                            [](const StopTimeRecord& r) { return !r.realReachTime.empty(); }),
              10);
    // The last row's write fails, after the others have been made.
    ASSERT_TRUE(db.Execute("CREATE TRIGGER refuse BEFORE UPDATE ON busbatch WHEN OLD.rowid = "
                           "(SELECT max(rowid) FROM busbatch) BEGIN SELECT "
                           "RAISE(ABORT, 'database or disk is full'); END"));
    log.lines.clear();
    ReportList second;
    const ReportRun::Outcome outcome = Run(Query(), "", second);  // nothing found: all cleared
    EXPECT_FALSE(outcome.written);
    const std::string told = "本次结果未能存入本地数据库，库中保留此前的实际时间：constraint failed: "
                             "database or disk is full";
    EXPECT_EQ(outcome.message, "轨迹数据为空\n" + told);
    EXPECT_EQ(log.lines.back(), told);
    const std::vector<StopTimeRecord> after = Stored();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].realReachTime + after[i].realLeaveTime,
                  before[i].realReachTime + before[i].realLeaveTime)
            << i;
    ASSERT_EQ(second.Size(), InRange(Query()));
    for (const ReportRow& row : second.Rows()) EXPECT_EQ(row[kColRealReach] + row[kColRealLeave], "");
}

TEST_F(ReportRunTest, ABrokenDatabaseListsNothingAndDoesNotCrash) {
    StoreStopTimes();
    db.Close();
    ReportList list;
    ReportRun run(table, routes, vehicles, &log);
    ASSERT_TRUE(run.Begin(Query()).proceed);
    const ReportRun::Outcome outcome = run.Finish(Query(), day.trackBody, list);
    EXPECT_FALSE(outcome.linesRead);
    EXPECT_FALSE(outcome.rowsRead);
    EXPECT_EQ(list.Size(), 0u);
}

}  // namespace
}  // namespace fw
