#include <gtest/gtest.h>
#include <json/json.h>

#include <string>
#include <utility>
#include <vector>

#include "net/Message.h"
#include "reports/ReportRows.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"

namespace fw {
namespace {

struct DelayCase {
    DelayKind kind;
    const char* planned;
    const char* real;
    const char* text;
};

void PrintTo(const DelayCase& c, std::ostream* os) {
    *os << (c.kind == DelayKind::Late ? "late " : "overstay ") << c.planned << " -> " << c.real;
}

class FormatDelayTest : public ::testing::TestWithParam<DelayCase> {};

TEST_P(FormatDelayTest, ShowsOnlyALaterRealTime) {
    const DelayCase& c = GetParam();
    EXPECT_EQ(FormatDelay(c.kind, c.planned, c.real), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatDelayTest,
    ::testing::Values(
        DelayCase{DelayKind::Late, "2014-08-25 08:00:00", "2014-08-25 08:05:30", "迟到00:05:30"},
        DelayCase{DelayKind::Overstay, "2014-08-25 08:10:00", "2014-08-25 08:12:00",
                  "久滞00:02:00"},
        DelayCase{DelayKind::Late, "2014-08-25 08:00:00", "2014-08-25 07:58:00", ""},
        DelayCase{DelayKind::Late, "2014-08-25 08:00:00", "2014-08-25 08:00:00", ""},
        DelayCase{DelayKind::Late, "2014-08-25 08:00:00", "", ""},
        DelayCase{DelayKind::Late, "", "2014-08-25 08:00:00", ""},
        DelayCase{DelayKind::Late, "soon", "2014-08-25 08:00:00", ""},
        DelayCase{DelayKind::Late, "2014-08-25 23:59:59", "2014-08-26 00:00:01", "迟到00:00:02"},
        // days are dropped: 1 day 2 h 3 min 4 s shows as 02:03:04
        DelayCase{DelayKind::Late, "2014-08-25 08:00:00", "2014-08-26 10:03:04", "迟到02:03:04"},
        DelayCase{DelayKind::Overstay, "2014-08-25 08:00:00", "2014-08-25 19:59:59",
                  "久滞11:59:59"}));

StopTimeRecord Record() {
    StopTimeRecord r;
    r.vhcCode = "沪A1";
    r.batchName = "早班";
    r.lineName = "7路";
    r.batchDate = "2014-08-25";
    r.usermarkName = "人民广场";
    r.planReachTime = "2014-08-25 08:00:00";
    r.realReachTime = "2014-08-25 08:05:30";
    r.planLeaveTime = "2014-08-25 08:10:00";
    r.realLeaveTime = "2014-08-25 08:09:00";
    return r;
}

TEST(ReportRow, FromATableRecord) {
    const ReportRow row = RowFromRecord(Record());
    EXPECT_EQ(row.text, (std::array<std::string, kReportColumnCount>{
                            "沪A1", "早班", "2014-08-25", "7路", "人民广场", "2014-08-25 08:00:00",
                            "2014-08-25 08:05:30", "迟到00:05:30", "2014-08-25 08:10:00",
                            "2014-08-25 08:09:00", ""}));
}

TEST(ReportRow, FromAServerReportBody) {
    VehicleStore vehicles;
    vehicles.Add({"沪A1", "11", "东区"});
    vehicles.Add({"沪A9", "11", "东区"});
    // Message texts are used as received.
    Json::Value body = *ParseDocument(
        R"({"vhcID":"11","batchname":"早班","batchdate":"2014-08-25","linenaem":"7路",)"
        R"("userMarkName":" 人民广场 ","planreachtime":"2014-08-25 08:00:00","realreachtime":"",)"
        R"("planleavetime":"2014-08-25 08:10:00","realleavetime":"2014-08-25 08:12:00"})");
    ReportRow row = RowFromReportBody(body, vehicles);
    EXPECT_EQ(row.text,
              (std::array<std::string, kReportColumnCount>{
                  "沪A1", "早班", "2014-08-25", "7路", " 人民广场 ", "2014-08-25 08:00:00", "", "",
                  "2014-08-25 08:10:00", "2014-08-25 08:12:00", "久滞00:02:00"}));

    body["vhcID"] = "404";
    EXPECT_EQ(RowFromReportBody(body, vehicles)[kColPlate], "404");
    body["vhcID"] = 11;  // not a text: reads as empty, and no vehicle has an empty id
    EXPECT_EQ(RowFromReportBody(body, vehicles)[kColPlate], "");
}

struct FilterCase {
    StatusFilter filter;
    const char* realReach;
    const char* realLeave;
    bool added;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << "filter " << static_cast<int>(c.filter) << " reach '" << c.realReach << "' leave '"
        << c.realLeave << "'";
}

class ReportFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(ReportFilter, OnlyTheRealArrivalDecides) {
    StopTimeRecord record = Record();
    record.realReachTime = GetParam().realReach;
    record.realLeaveTime = GetParam().realLeave;
    ReportList list;
    EXPECT_EQ(list.Add(RowFromRecord(record), GetParam().filter), GetParam().added);
    EXPECT_EQ(list.Size(), GetParam().added ? 1u : 0u);
}

const char* kSet = "2014-08-25 08:01:00";

INSTANTIATE_TEST_SUITE_P(Radios, ReportFilter,
                         ::testing::Values(FilterCase{StatusFilter::All, "", "", true},
                                           FilterCase{StatusFilter::All, kSet, kSet, true},
                                           FilterCase{StatusFilter::Completed, kSet, "", true},
                                           FilterCase{StatusFilter::Completed, "", kSet, false},
                                           FilterCase{StatusFilter::NotCompleted, "", kSet, true},
                                           FilterCase{StatusFilter::NotCompleted, kSet, "",
                                                      false}));

TEST(ReportList, RowsWithoutAPlateAreNotAdded) {
    StopTimeRecord record = Record();
    record.vhcCode = "";
    ReportList list;
    EXPECT_FALSE(list.Add(RowFromRecord(record), StatusFilter::All));
    EXPECT_EQ(list.Size(), 0u);
}

TEST(ReportList, SortsByPlannedArrivalIgnoringCaseAndKeepsEqualsInOrder) {
    ReportList list;
    auto add = [&](const char* plan, const char* stop) {
        StopTimeRecord r = Record();
        r.planReachTime = plan;
        r.usermarkName = stop;
        list.Add(RowFromRecord(r), StatusFilter::All);
    };
    add("2014-08-25 09:00:00", "c");
    add("2014-08-25 08:00:00", "a1");
    add("b", "x1");
    add("2014-08-25 08:00:00", "a2");
    add("B", "x2");
    add("", "first");
    add("2014-08-25 08:00:00", "a3");
    list.Sort();
    std::vector<std::string> stops;
    for (const auto& row : list.Rows()) stops.push_back(row[kColStop]);
    EXPECT_EQ(stops, (std::vector<std::string>{"first", "a1", "a2", "a3", "c", "x1", "x2"}));
}

TEST(ReportList, ServerRowsTakeTheirPlannedPlaceOnArrival) {
    VehicleStore vehicles;
    ReportList list;
    auto message = [](const char* plan, const char* stop) {
        Json::Value root;
        root["header"]["cmd"] = "9021";
        root["body"]["vhcID"] = "11";
        root["body"]["planreachtime"] = plan;
        root["body"]["userMarkName"] = stop;
        return root;
    };
    // (planned arrival, where it lands): an equal planned time goes after the rows it equals,
    // as appending and sorting would put it.
    const std::vector<std::pair<const char*, std::size_t>> arrivals = {
        {"2014-08-25 09:00:00", 0}, {"2014-08-25 08:00:00", 0}, {"2014-08-25 08:30:00", 1},
        {"2014-08-25 08:00:00", 1}, {"2014-08-25 10:00:00", 4}, {"", 0}};
    int n = 0;
    for (const auto& [plan, at] : arrivals)
        EXPECT_EQ(AddReportRow(list, message(plan, std::to_string(n++).c_str()), vehicles,
                               StatusFilter::All),
                  at)
            << plan;
    std::vector<std::string> stops;
    for (const ReportRow& row : list.Rows()) stops.push_back(row[kColStop]);
    EXPECT_EQ(stops, (std::vector<std::string>{"5", "1", "3", "2", "0", "4"}));

    EXPECT_FALSE(
        AddReportRow(list, message("2014-08-25 07:00:00", "x"), vehicles, StatusFilter::Completed));
    Json::Value noBody;
    noBody["header"]["cmd"] = "9021";
    EXPECT_FALSE(AddReportRow(list, noBody, vehicles, StatusFilter::All));
    EXPECT_FALSE(AddReportRow(list, Json::Value("text"), vehicles, StatusFilter::All));
    EXPECT_EQ(list.Size(), arrivals.size());
}

}  // namespace
}  // namespace fw
