#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "store/StopTimeTable.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

class StopTimeTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.Open(home.Path(), "fleet", "pw")) << db.LastError(); }

    StopTimeEntry Entry(std::string plate, std::string line, std::string stop,
                        std::string planReach, std::string planLeave = "") {
        return {std::move(plate),     "B01",
                std::move(line),      "2014-08-25",
                std::move(planReach), std::move(planLeave),
                std::move(stop),      "7"};
    }
    std::vector<StopTimeRecord> Report(const std::string& plate, const std::string& user,
                                       const char* from = "2014-08-25 00:00:00",
                                       const char* to = "2014-08-25 23:59:59") {
        std::vector<StopTimeRecord> rows;
        EXPECT_TRUE(table.ReadReportRows(plate, user, from, to, rows)) << db.LastError();
        return rows;
    }

    test::TempHome home;
    Database db;
    StopTimeTable table{db};
};

TEST_F(StopTimeTableTest, InsertStoresTheMessageFieldsWithEmptyRealTimes) {
    ASSERT_TRUE(table.InsertStopTime({"沪A1", "早班", "7路", "2014-08-25", "2014-08-25 08:00:00",
                                      "2014-08-25 08:01:00", "人民广场", "12"},
                                     "调度员"));
    const auto rows = Report("沪A1", "调度员");
    ASSERT_EQ(rows.size(), 1u);
    const StopTimeRecord& r = rows[0];
    EXPECT_EQ(r.vhcCode + "|" + r.batchName + "|" + r.lineName + "|" + r.batchDate + "|" + r.userName + "|" +
                  r.planReachTime + "|" + r.planLeaveTime + "|" + r.usermarkName + "|" + std::to_string(r.flag),
              "沪A1|早班|7路|2014-08-25|调度员|2014-08-25 08:00:00|2014-08-25 08:01:00|人民广场|12");
    EXPECT_EQ(r.realReachTime + r.realLeaveTime + r.classeName, "");
}

// Quotes and SQL-looking text are values, stored and matched unchanged.
TEST_F(StopTimeTableTest, ApostropheAndSqlInValuesAreStoredAndMatchedUnchanged) {
    const std::string stop = "St. Mary's Gate";
    const std::string line = "Line'); delete from busbatch; --";
    ASSERT_TRUE(table.InsertStopTime(Entry("O'Neil-1", line, stop, "2014-08-25 08:00:00"), "u'1"));
    std::vector<StopTimeRecord> rows;
    ASSERT_TRUE(table.FindStopRows("O'Neil-1", line, stop, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].usermarkName, stop);
    EXPECT_EQ(rows[0].lineName, line);
    std::vector<std::string> lines;
    ASSERT_TRUE(table.ListVehicleLines("O'Neil-1", lines));
    EXPECT_EQ(lines, std::vector<std::string>{line});
    EXPECT_EQ(Report("O'Neil-1", "u'1").size(), 1u);
}

TEST_F(StopTimeTableTest, ReportRowsFilterByVehicleUserAndRangeInPlannedOrder) {
    table.InsertStopTime(Entry("A1", "L", "s3", "2014-08-25 09:00:00"), "u");
    table.InsertStopTime(Entry("A1", "L", "s1", "2014-08-25 07:00:00"), "u");
    table.InsertStopTime(Entry("A1", "L", "s2", "2014-08-25 08:00:00"), "u");
    table.InsertStopTime(Entry("A1", "L", "other user", "2014-08-25 08:00:00"), "v");
    table.InsertStopTime(Entry("B2", "L", "other bus", "2014-08-25 08:00:00"), "u");
    table.InsertStopTime(Entry("A1", "L", "no plan", ""), "u");
    table.InsertStopTime(Entry("A1", "L", "late", "2014-08-25 21:00:01"), "u");

    const auto rows = Report("A1", "u", "2014-08-25 07:00:00", "2014-08-25 21:00:00");
    std::vector<std::string> stops;
    for (const auto& r : rows) stops.push_back(r.usermarkName);
    EXPECT_EQ(stops, (std::vector<std::string>{"s1", "s2", "s3"}));
}

// Two stops share a planned time: writing one row's real times leaves the other alone. The
// writes of a run are all or nothing: one that fails leaves every row as it was.
TEST_F(StopTimeTableTest, RealTimesGoIntoTheirRowsAllOrNothing) {
    table.InsertStopTime(Entry("A1", "L", "north", "2014-08-25 08:00:00", "2014-08-25 08:02:00"), "u");
    table.InsertStopTime(Entry("A1", "L", "south", "2014-08-25 08:00:00", "2014-08-25 08:02:00"), "u");
    table.InsertStopTime(Entry("B2", "L", "north", "2014-08-25 08:00:00", "2014-08-25 08:02:00"), "u");
    std::vector<VehicleStopRow> rows;
    ASSERT_TRUE(table.ReadVehicleStops("a1", rows));  // in the order stored, case aside
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].stopName + rows[1].stopName, "northsouth");
    rows[0].realReach = "2014-08-25 08:00:30";
    rows[0].realLeave = "2014-08-25 08:02:30";
    ASSERT_TRUE(table.WriteRealTimes({rows[0]}));
    for (const auto& r : Report("A1", "u")) {
        const bool north = r.usermarkName == "north";
        EXPECT_EQ(r.realReachTime, north ? "2014-08-25 08:00:30" : "") << r.usermarkName;
        EXPECT_EQ(r.realLeaveTime, north ? "2014-08-25 08:02:30" : "") << r.usermarkName;
    }
    EXPECT_EQ(Report("B2", "u")[0].realReachTime, "");

    // The second row's write fails (the store refuses it): the first row keeps its old times.
    ASSERT_TRUE(db.Execute("CREATE TRIGGER refuse BEFORE UPDATE ON busbatch WHEN "
                           "NEW.usermarkName = 'south' BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    rows[0].realReach = rows[1].realReach = "2014-08-25 09:00:00";
    EXPECT_FALSE(table.WriteRealTimes(rows));
    EXPECT_NE(db.LastError().find("disk full"), std::string::npos) << db.LastError();
    EXPECT_EQ(Report("A1", "u")[0].realReachTime, "2014-08-25 08:00:30");
    ASSERT_TRUE(table.WriteRealTimes({rows[0]}));  // the connection is usable again
    EXPECT_EQ(Report("A1", "u")[0].realReachTime, "2014-08-25 09:00:00");
}

// As the original's database did: ASCII letters match without regard to case, nothing else does.
TEST_F(StopTimeTableTest, TextsCompareWithoutRegardToAsciiCase) {
    table.InsertStopTime(Entry("沪a12345", "line 7", "Harbour Gate", "2014-08-25 08:00:00"), "Dispatcher");
    table.InsertStopTime(Entry("沪a12345", "LINE 7", "Ｈarbour Gate", "2014-08-25 09:00:00"), "Dispatcher");
    std::vector<StopTimeRecord> rows;
    ASSERT_TRUE(table.FindStopRows("沪A12345", "Line 7", "HARBOUR GATE", rows));
    ASSERT_EQ(rows.size(), 1u);  // the full-width Ｈ is another letter
    EXPECT_EQ(rows[0].lineName, "line 7");
    std::vector<std::string> lines;
    ASSERT_TRUE(table.ListVehicleLines("沪A12345", lines));
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(Report("沪A12345", "dispatcher").size(), 2u);
    std::vector<VehicleStopRow> stops;
    ASSERT_TRUE(table.ReadVehicleStops("沪A12345", stops));
    EXPECT_EQ(stops.size(), 2u);
}

TEST_F(StopTimeTableTest, LinesAreDistinctStopRowsInInsertionOrderAndDeleteAllEmpties) {
    for (const char* plan : {"2014-08-25 10:00:00", "2014-08-25 08:00:00", "2014-08-25 09:00:00"})
        table.InsertStopTime(Entry("A1", "L1", "s", plan), "u");
    table.InsertStopTime(Entry("A1", "L1", "elsewhere", "2014-08-25 08:00:00"), "u");
    table.InsertStopTime(Entry("A1", "L2", "s", "2014-08-25 08:00:00"), "u");
    table.InsertStopTime(Entry("B2", "L3", "s", "2014-08-25 09:00:00"), "v");
    std::vector<StopTimeRecord> rows;
    ASSERT_TRUE(table.FindStopRows("A1", "L1", "s", rows));
    std::vector<std::string> plans;
    for (const auto& r : rows) plans.push_back(r.planReachTime);
    EXPECT_EQ(plans, (std::vector<std::string>{"2014-08-25 10:00:00", "2014-08-25 08:00:00",
                                               "2014-08-25 09:00:00"}));
    std::vector<std::string> lines;
    ASSERT_TRUE(table.ListVehicleLines("A1", lines));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"L1", "L2"}));

    ASSERT_TRUE(table.DeleteAllStopTimes());
    lines.clear();
    ASSERT_TRUE(table.ListVehicleLines("A1", lines));
    ASSERT_TRUE(table.ListVehicleLines("B2", lines));
    EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace fw
