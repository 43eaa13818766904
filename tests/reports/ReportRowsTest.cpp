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

using Texts = std::array<std::string, kReportColumnCount>;

std::string Day(const char* hms) { return std::string("2014-08-25 ") + hms; }

TEST(FormatDelay, ShowsOnlyALaterRealTime) {
    const auto late = DelayKind::Late;
    const struct {
        DelayKind kind;
        std::string planned, real;
        const char* text;
    } cases[] = {
        {late, Day("08:00:00"), Day("08:05:30"), "迟到00:05:30"},
        {DelayKind::Overstay, Day("08:10:00"), Day("08:12:00"), "久滞00:02:00"},
        {late, Day("08:00:00"), Day("08:00:00"), ""},  // only a later real time shows
        {late, Day("08:00:00"), "", ""},
        {late, "soon", Day("08:00:00"), ""},
        {late, Day("23:59:59"), "2014-08-26 00:00:01", "迟到00:00:02"},
        // days are dropped: 1 day 2 h 3 min 4 s shows as 02:03:04
        {late, Day("08:00:00"), "2014-08-26 10:03:04", "迟到02:03:04"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDelay(c.kind, c.planned, c.real), c.text) << c.planned << " " << c.real;
}

StopTimeRecord Record(const std::string& realReach = Day("08:05:30"),
                      const std::string& realLeave = Day("08:09:00")) {
    StopTimeRecord r;
    r.vhcCode = "沪A1";
    r.batchName = "早班";
    r.lineName = "7路";
    r.batchDate = "2014-08-25";
    r.usermarkName = "人民广场";
    r.planReachTime = Day("08:00:00");
    r.realReachTime = realReach;
    r.planLeaveTime = Day("08:10:00");
    r.realLeaveTime = realLeave;
    return r;
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
    EXPECT_EQ(RowFromReportBody(body, vehicles).text,
              (Texts{"沪A1", "早班", "2014-08-25", "7路", " 人民广场 ", Day("08:00:00"), "", "",
                     Day("08:10:00"), Day("08:12:00"), "久滞00:02:00"}));
    body["vhcID"] = "404";
    EXPECT_EQ(RowFromReportBody(body, vehicles)[kColPlate], "404");
    body["vhcID"] = 11;  // not a text: reads as empty, and no vehicle has an empty id
    EXPECT_EQ(RowFromReportBody(body, vehicles)[kColPlate], "");
}

TEST(ReportList, TheFilterAndThePlateDecideWhatIsAdded) {
    using enum StatusFilter;
    const std::string set = Day("08:01:00");
    const struct {
        StatusFilter filter;
        std::string realReach, realLeave, plate;
        bool added;
    } cases[] = {{All, "", "", "沪A1", true},           {All, set, set, "", false},
                 {Completed, set, "", "沪A1", true},    {Completed, "", set, "沪A1", false},
                 {NotCompleted, "", set, "沪A1", true}, {NotCompleted, set, "", "沪A1", false}};
    for (const auto& c : cases) {
        StopTimeRecord record = Record(c.realReach, c.realLeave);
        record.vhcCode = c.plate;
        ReportList list;
        EXPECT_EQ(list.Add(RowFromRecord(record), c.filter), c.added)
            << static_cast<int>(c.filter) << " '" << c.realReach << "' '" << c.realLeave << "'";
        EXPECT_EQ(list.Size(), c.added ? 1u : 0u);
    }
}

std::vector<std::string> Stops(const ReportList& list) {
    std::vector<std::string> stops;
    for (const ReportRow& row : list.Rows()) stops.push_back(row[kColStop]);
    return stops;
}

TEST(ReportList, SortsByPlannedArrivalIgnoringCaseAndKeepsEqualsInOrder) {
    ReportList list;
    for (const auto& [plan, stop] : std::vector<std::pair<std::string, const char*>>{
             {Day("09:00:00"), "c"}, {Day("08:00:00"), "a1"}, {"B", "x1"}, {Day("08:00:00"), "a2"},
             {"b", "x2"}, {"", "first"}, {Day("08:00:00"), "a3"}}) {
        StopTimeRecord r = Record();
        r.planReachTime = plan;
        r.usermarkName = stop;
        list.Add(RowFromRecord(r), StatusFilter::All);
    }
    list.Sort();
    EXPECT_EQ(Stops(list), (std::vector<std::string>{"first", "a1", "a2", "a3", "c", "x1", "x2"}));
}

// A 9021 row goes where appending and sorting would put it: after the rows it equals.
TEST(ReportList, ServerRowsTakeTheirPlannedPlaceOnArrival) {
    VehicleStore vehicles;
    ReportList list;
    auto message = [](const std::string& plan, const std::string& stop) {
        Json::Value root = MakeMessage("9021");
        root["body"]["vhcID"] = "11";
        root["body"]["planreachtime"] = plan;
        root["body"]["userMarkName"] = stop;
        return root;
    };
    const std::vector<std::pair<std::string, std::size_t>> arrivals = {
        {Day("09:00:00"), 0}, {Day("08:00:00"), 0}, {Day("08:30:00"), 1},
        {Day("08:00:00"), 1}, {Day("10:00:00"), 4}, {"", 0}};  // (planned arrival, place)
    for (std::size_t n = 0; n < arrivals.size(); ++n)
        EXPECT_EQ(AddReportRow(list, message(arrivals[n].first, std::to_string(n)), vehicles,
                               StatusFilter::All),
                  arrivals[n].second)
            << n;
    EXPECT_EQ(Stops(list), (std::vector<std::string>{"5", "1", "3", "2", "0", "4"}));
    EXPECT_FALSE(AddReportRow(list, message(Day("07:00:00"), "x"), vehicles, StatusFilter::Completed));
    EXPECT_FALSE(AddReportRow(list, MakeMessage("9021"), vehicles, StatusFilter::All));
    EXPECT_FALSE(AddReportRow(list, Json::Value("text"), vehicles, StatusFilter::All));
    EXPECT_EQ(list.Size(), arrivals.size());
}

}  // namespace
}  // namespace fw
