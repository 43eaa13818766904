#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/StopTimeTable.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

class StopTimeTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.Open(home.Path(), "fleet", "pw")) << db.LastError(); }

    static StopTimeEntry Entry(std::string plate, std::string line, std::string stop, std::string planReach,
                               std::string planLeave = "") {
        return {plate, "B01", line, "2014-08-25", planReach, planLeave, stop, "7"};
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

// Every field of the message is stored as given (quotes and SQL-looking text are values), the
// real times empty; the range query takes the vehicle's and the user's rows planned within the
// range, in planned order.
TEST_F(StopTimeTableTest, InsertStoresTheMessageFieldsAndTheRangeQueryFindsThem) {
    const std::string line = "Line'); delete from busbatch; --";
    ASSERT_TRUE(table.InsertStopTime({"O'Neil-1", "早班", line, "2014-08-25", "2014-08-25 08:00:00",
                                      "2014-08-25 08:01:00", "St. Mary's Gate", "12"},
                                     "u'1"));
    const auto stored = Report("O'Neil-1", "u'1");
    ASSERT_EQ(stored.size(), 1u);
    const StopTimeRecord& r = stored[0];
    EXPECT_EQ(r.vhcCode + "|" + r.batchName + "|" + r.lineName + "|" + r.batchDate + "|" + r.userName + "|" +
                  r.planReachTime + "|" + r.planLeaveTime + "|" + r.usermarkName + "|" + std::to_string(r.flag),
              "O'Neil-1|早班|" + line + "|2014-08-25|u'1|2014-08-25 08:00:00|2014-08-25 08:01:00|St. Mary's Gate|12");
    EXPECT_EQ(r.realReachTime + r.realLeaveTime + r.classeName, "");
    std::vector<StopTimeRecord> rows;
    ASSERT_TRUE(table.FindStopRows("O'Neil-1", line, "St. Mary's Gate", rows));
    EXPECT_EQ(rows.size(), 1u);

    using Stop = std::tuple<const char*, const char*, const char*, const char*>;  // plate, stop, plan, user
    for (const auto& [plate, stop, plan, user] : std::vector<Stop>{
             {"A1", "s3", "2014-08-25 09:00:00", "u"}, {"A1", "s1", "2014-08-25 07:00:00", "u"},
             {"A1", "s2", "2014-08-25 08:00:00", "u"}, {"A1", "other user", "2014-08-25 08:00:00", "v"},
             {"B2", "other bus", "2014-08-25 08:00:00", "u"}, {"A1", "no plan", "", "u"},
             {"A1", "late", "2014-08-25 21:00:01", "u"}})
        table.InsertStopTime(Entry(plate, "L", stop, plan), user);
    std::vector<std::string> stops;
    for (const auto& found : Report("A1", "u", "2014-08-25 07:00:00", "2014-08-25 21:00:00"))
        stops.push_back(found.usermarkName);
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
    // Deleting all empties the store.
    ASSERT_TRUE(table.DeleteAllStopTimes());
    EXPECT_TRUE(Report("沪A12345", "dispatcher").empty());
}

}  // namespace
}  // namespace fw
