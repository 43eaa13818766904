// How a run gives its detected events to the stop-time rows: the nearest plan, as reports have
// always been matched, and trip order. Each case is one vehicle's day: its rows as the server
// sends them, its events as the detection finds them, and the real times each matching writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/EventMatching.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

std::string At(const std::string& hms) { return hms.empty() ? hms : "2014-08-25 " + hms; }

struct PlannedStop {
    const char* stop;
    const char* reach;  // "HH:mm:ss", "" for none
    const char* leave;
};

struct MatchingCase {
    const char* name;
    std::vector<PlannedStop> rows;
    std::vector<std::string> events;    // "stop:1:HH:mm:ss" (1 arrival, 2 departure), as detected
    std::vector<std::string> nearest;   // per row "reach/leave" real times, "HH:mm:ss" or empty
    std::vector<std::string> sequence;
};

void PrintTo(const MatchingCase& c, std::ostream* os) { *os << c.name; }

class Matchings : public testing::TestWithParam<MatchingCase> {
protected:
    // The real times of the rows after the events were given to them with the matching.
    std::vector<std::string> Run(Matching matching) {
        Database db;
        EXPECT_TRUE(db.OpenScratch());
        StopTimeTable table(db);
        for (const PlannedStop& row : GetParam().rows)
            EXPECT_TRUE(table.InsertStopTime(
                {"浙A1", "早班", "1路", "2014-08-25", At(row.reach), At(row.leave), row.stop, "0"}, "u"));
        // Another vehicle's row at the same stop and plan is never touched.
        table.InsertStopTime({"浙B2", "早班", "1路", "2014-08-25", At("08:00:00"), "", "甲", "0"}, "u");
        std::vector<LineEvent> events;
        for (const std::string& e : GetParam().events) {
            const std::size_t colon = e.find(':');
            events.push_back({"1路", e.substr(0, colon),
                              e[colon + 1] == '1' ? StopEventKind::Arrival : StopEventKind::Departure,
                              At(e.substr(colon + 3))});
        }
        test::MemoryLog log;
        RecordEvents(table, &log, "浙A1", events, matching);
        EXPECT_EQ(log.lines.size(), events.size());  // one line per event, whatever is written

        std::vector<VehicleStopRow> rows;
        EXPECT_TRUE(table.ReadVehicleStops("浙A1", rows));
        std::vector<std::string> times;
        for (const VehicleStopRow& row : rows)
            times.push_back((row.realReach.empty() ? "" : row.realReach.substr(11)) + "/" +
                            (row.realLeave.empty() ? "" : row.realLeave.substr(11)));
        std::vector<VehicleStopRow> other;
        EXPECT_TRUE(table.ReadVehicleStops("浙B2", other));
        EXPECT_EQ(other.at(0).realReach, "");
        return times;
    }
};

TEST_P(Matchings, NearestPlanAndTripOrder) {
    EXPECT_EQ(Run(Matching::Nearest), GetParam().nearest);
    EXPECT_EQ(Run(Matching::Sequence), GetParam().sequence);
}

INSTANTIATE_TEST_SUITE_P(
    Days, Matchings,
    testing::Values(
        // 甲 is served at 08:00 and 08:30. The bus comes 20 minutes late: nearest gives that
        // arrival to the next trip's row, where the next trip's own arrival replaces it.
        MatchingCase{"LateByMoreThanHalfAHeadway",
                     {{"甲", "08:00:00", "08:01:00"}, {"乙", "08:10:00", "08:11:00"},
                      {"甲", "08:30:00", "08:31:00"}},
                     {"甲:1:08:20:00", "甲:2:08:21:00", "乙:1:08:26:00", "乙:2:08:27:00",
                      "甲:1:08:35:00", "甲:2:08:36:00"},
                     {"/", "08:26:00/08:27:00", "08:35:00/08:36:00"},
                     {"08:20:00/08:21:00", "08:26:00/08:27:00", "08:35:00/08:36:00"}},
        // The trip from 甲 sets off 25 minutes late and catches up: beyond 20:59 nearest takes
        // none of its first stops; 甲's earlier arrival (the last trip's end) stays that trip's.
        MatchingCase{"LateStartThatCatchesUp",
                     {{"甲", "09:50:00", "09:51:00"}, {"甲", "09:58:00", "10:00:00"},
                      {"乙", "10:05:00", "10:06:00"}, {"丙", "10:12:00", "10:13:00"}},
                     {"甲:1:09:51:00", "甲:2:09:52:00", "甲:1:10:23:00", "甲:2:10:25:00",
                      "乙:1:10:28:00", "乙:2:10:29:00", "丙:1:10:30:00", "丙:2:10:31:00"},
                     {"09:51:00/09:52:00", "/", "/", "10:30:00/10:31:00"},
                     {"09:51:00/09:52:00", "10:23:00/10:25:00", "10:28:00/10:29:00",
                      "10:30:00/10:31:00"}},
        // 乙 is skipped on the way out; passing it on the way back (no stop planned there) is no
        // arrival of the outward row, which nearest takes within its 20:59.
        MatchingCase{"SkippedStop",
                     {{"甲", "08:00:00", ""}, {"乙", "08:05:00", ""}, {"丙", "08:10:00", ""},
                      {"丙", "08:15:00", ""}, {"甲", "08:30:00", ""}},
                     {"甲:1:08:01:00", "丙:1:08:11:00", "丙:1:08:16:00", "乙:1:08:22:00",
                      "甲:1:08:31:00"},
                     {"08:01:00/", "08:22:00/", "08:11:00/", "08:16:00/", "08:31:00/"},
                     {"08:01:00/", "/", "08:11:00/", "08:16:00/", "08:31:00/"}},
        // A loop that starts and ends at 甲, six minutes late at its start.
        MatchingCase{"StopServedTwiceInOneTrip",
                     {{"甲", "08:00:00", "08:00:30"}, {"乙", "08:05:00", "08:05:30"},
                      {"甲", "08:10:00", "08:10:30"}},
                     {"甲:1:08:06:00", "甲:2:08:06:30", "乙:1:08:11:00", "乙:2:08:11:30",
                      "甲:1:08:16:00", "甲:2:08:16:30"},
                     {"/", "08:11:00/08:11:30", "08:16:00/08:16:30"},
                     {"08:06:00/08:06:30", "08:11:00/08:11:30", "08:16:00/08:16:30"}},
        MatchingCase{"VehicleWithoutEvents",
                     {{"甲", "08:00:00", "08:01:00"}, {"乙", "08:05:00", ""}},
                     {},
                     {"/", "/"},
                     {"/", "/"}},
        // An hour either side is still the row's in trip order; a time that does not read, or a
        // stop without rows, is only logged.
        MatchingCase{"ToleranceIsAnHour",
                     {{"甲", "08:00:00", "08:00:00"}, {"乙", "10:00:00", "10:00:00"}},
                     {"甲:1:09:00:00", "甲:2:09:00:01", "丁:1:09:30:00", "乙:1:soon", "乙:1:11:00:00"},
                     {"/", "/"},
                     {"09:00:00/", "11:00:00/"}}),
    [](const testing::TestParamInfo<MatchingCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace fw
