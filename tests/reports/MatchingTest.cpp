// How a run gives its detected events to the stop-time rows: the nearest plan, as reports have
// always been matched, and trip order. Each case is one vehicle's day: its rows as the server
// sends them, its events as the detection finds them, and the real times each matching writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "reports/EventMatching.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

// "HH:mm[:ss]" of the day, "-" for none, "yyyy-MM-ddTHH:mm:ss" another day's; else as it is.
std::string At(std::string t) {
    if (t == "-") return "";
    if (t.size() == 5) return "2014-08-25 " + t + ":00";
    if (t.size() == 8) return "2014-08-25 " + t;
    std::replace(t.begin(), t.end(), 'T', ' ');
    return t;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

struct MatchingCase {
    const char* name;
    const char* rows;     // "stop planReach planLeave" per row, in the order the server sends them
    const char* events;   // "stop:1:HH:mm:ss" (1 arrival, 2 departure), as detected
    const char* nearest;  // per row "reach/leave", the real times written ("HH:mm[:ss]" or none)
    const char* sequence = nullptr;  // the same in trip order; null: not checked
};

void PrintTo(const MatchingCase& c, std::ostream* os) { *os << c.name; }

class Matchings : public testing::TestWithParam<MatchingCase> {
protected:
    std::string Run(Matching matching) {
        Database db;
        EXPECT_TRUE(db.OpenScratch());
        StopTimeTable table(db);
        const std::vector<std::string> rows = Words(GetParam().rows);
        for (std::size_t i = 0; i + 2 < rows.size(); i += 3)
            EXPECT_TRUE(table.InsertStopTime({"浙A1", "早班", "1路", "2014-08-25", At(rows[i + 1]),
                                              At(rows[i + 2]), rows[i], "0"},
                                             "u"));
        // Another vehicle's row at the same stop and plan is never touched.
        table.InsertStopTime({"浙B2", "早班", "1路", "2014-08-25", At("08:00"), "", "甲", "0"},
                             "u");
        std::vector<LineEvent> events;
        std::vector<std::string> logged;  // one line per event, whatever is written
        for (const std::string& e : Words(GetParam().events)) {
            const std::size_t colon = e.find(':');
            events.push_back(
                {"1路", e.substr(0, colon),
                 e[colon + 1] == '1' ? StopEventKind::Arrival : StopEventKind::Departure,
                 At(e.substr(colon + 3))});
            logged.push_back(e.substr(0, colon + 3) + events.back().time);
        }
        test::MemoryLog log;
        RecordEvents(table, &log, "浙A1", events, matching);
        EXPECT_EQ(log.lines, logged);

        std::vector<VehicleStopRow> stored, other;
        EXPECT_TRUE(table.ReadVehicleStops("浙A1", stored));
        std::string times;
        auto time = [](const std::string& t) {
            return t.empty() ? t : t.substr(11, t.ends_with(":00") ? 5 : 8);
        };
        for (const VehicleStopRow& row : stored)
            times += (times.empty() ? "" : " ") + time(row.realReach) + "/" + time(row.realLeave);
        EXPECT_TRUE(table.ReadVehicleStops("浙B2", other));
        EXPECT_EQ(other.at(0).realReach, "");
        return times;
    }
};

TEST_P(Matchings, NearestPlanAndTripOrder) {
    EXPECT_EQ(Run(Matching::Nearest), GetParam().nearest);
    if (GetParam().sequence) {
        EXPECT_EQ(Run(Matching::Sequence), GetParam().sequence);
    }
}

const MatchingCase kDays[] = {
    // 甲 is served at 08:00 and 08:30. The bus comes 20 minutes late: nearest gives that arrival
    // to the next trip's row, where the next trip's own arrival replaces it.
    {"LateByMoreThanHalfAHeadway", "甲 08:00 08:01  乙 08:10 08:11  甲 08:30 08:31",
     "甲:1:08:20 甲:2:08:21 乙:1:08:26 乙:2:08:27 甲:1:08:35 甲:2:08:36",
     "/ 08:26/08:27 08:35/08:36", "08:20/08:21 08:26/08:27 08:35/08:36"},
    // The trip from 甲 sets off 25 minutes late and catches up: beyond 20:59 nearest takes none
    // of its first stops; 甲's earlier arrival (the last trip's end) stays that trip's.
    {"LateStartThatCatchesUp", "甲 09:50 09:51  甲 09:58 10:00  乙 10:05 10:06  丙 10:12 10:13",
     "甲:1:09:51 甲:2:09:52 甲:1:10:23 甲:2:10:25 乙:1:10:28 乙:2:10:29 丙:1:10:30 丙:2:10:31",
     "09:51/09:52 / / 10:30/10:31", "09:51/09:52 10:23/10:25 10:28/10:29 10:30/10:31"},
    // 乙 is skipped on the way out; passing it on the way back (no stop planned there) is no
    // arrival of the outward row, which nearest takes within its 20:59.
    {"SkippedStop", "甲 08:00 -  乙 08:05 -  丙 08:10 -  丙 08:15 -  甲 08:30 -",
     "甲:1:08:01 丙:1:08:11 丙:1:08:16 乙:1:08:22 甲:1:08:31", "08:01/ 08:22/ 08:11/ 08:16/ 08:31/",
     "08:01/ / 08:11/ 08:16/ 08:31/"},
    // A loop that starts and ends at 甲, six minutes late at its start.
    {"StopServedTwiceInOneTrip", "甲 08:00 08:00:30  乙 08:05 08:05:30  甲 08:10 08:10:30",
     "甲:1:08:06 甲:2:08:06:30 乙:1:08:11 乙:2:08:11:30 甲:1:08:16 甲:2:08:16:30",
     "/ 08:11/08:11:30 08:16/08:16:30", "08:06/08:06:30 08:11/08:11:30 08:16/08:16:30"},
    // An hour either side is still the row's in trip order; a time that does not read, or a stop
    // without rows, is only logged.
    {"ToleranceIsAnHour", "甲 08:00 08:00  乙 10:00 10:00",
     "甲:1:09:00 甲:2:09:00:01 丁:1:09:30 乙:1:soon 乙:1:11:00", "/ /", "09:00/ 11:00/"},
    // Nearest takes an event only within 20:59 of the plan, either side.
    {"AcceptanceWindowIs20Min59SecEitherSide",
     "甲 08:00 08:00  乙 08:00 08:00  丙 08:00 08:00  丁 08:00 08:00",
     "甲:1:08:20:59 甲:2:08:20:59 乙:1:08:21 乙:2:08:21 丙:1:07:39:01 丙:2:07:39:01 丁:1:07:39 "
     "丁:2:07:39",
     "08:20:59/08:20:59 / 07:39:01/07:39:01 /"},
    // 08:15 goes to 08:10, the nearest; 08:20 lies as far from 08:30 as from 08:10: the row
    // stored first (08:30) wins.
    {"NearestPlanWinsAndTiesGoToTheRowReturnedFirst", "甲 08:30 -  甲 08:00 -  甲 08:10 -",
     "甲:1:08:15 甲:1:08:20", "08:20/ / 08:15/", "08:20/ / 08:15/"},
    // All planned 08:00. 甲: 8 min from the old value, 3 from the plan: replaced; 乙: 8 min from
    // the old value is not more than 10 from the plan: kept; 丙: equal distances keep the old
    // value; 丁: an old value that is no time holds nothing.
    {"ARealTimeGivesWayOnlyToANearerOne", "甲 08:00 -  乙 08:00 -  丙 08:00 -  丁 08:00 -",
     "甲:1:07:55 甲:1:08:03 乙:1:08:02 乙:1:08:10 丙:1:08:02 丙:1:08:01 丁:1:garbled 丁:1:08:10",
     "08:03/ 08:02/ 08:02/ 08:10/"},
    // No plan, a plan that is no time, a plan a day away (beyond the matching horizon).
    {"RowsWithoutAUsablePlanAreNeverChosen", "甲 - 08:00  甲 soon 08:00  甲 2014-08-26T08:00:00 -",
     "甲:1:08:00", "/ / /", "/ / /"},
    {"ArrivalIsNotWrittenIntoAnotherStopsRowWithTheSamePlan", "甲 08:00 -  乙 08:00 -",
     "甲:1:08:02", "08:02/ /", "08:02/ /"},
};

INSTANTIATE_TEST_SUITE_P(Days, Matchings, testing::ValuesIn(kDays),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace fw
