#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "reports/Detection.h"
#include "reports/EventMatching.h"
#include "reports/RouteAnalysis.h"
#include "reports/StationGrid.h"
#include "routes/RouteRecord.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

constexpr double kLat = 31.0, kLng = 121.0;
constexpr double kNear = 31.0002;  // about 22 m north: inside
constexpr double kFar = 31.01;     // about 1.1 km north: outside

std::string At(const char* hms) { return std::string("2014-08-25 ") + hms; }

TrackPoint Fix(double lat, const char* hms, double lng = kLng) { return {At(hms), "", lat, lng}; }

struct DistanceCase {
    double lat1, lng1, lat2, lng2, km;
};

void PrintTo(const DistanceCase& c, std::ostream* os) {
    *os << c.lat1 << "," << c.lng1 << " to " << c.lat2 << "," << c.lng2;
}

class GroundDistance : public ::testing::TestWithParam<DistanceCase> {};

TEST_P(GroundDistance, MatchesTheFlatEarthFigures) {
    const DistanceCase& c = GetParam();
    EXPECT_NEAR(GroundDistanceKm(c.lat1, c.lng1, c.lat2, c.lng2), c.km, 0.000005);
}

INSTANTIATE_TEST_SUITE_P(Figures, GroundDistance,
                         ::testing::Values(DistanceCase{31.0, 121.0, 31.0, 121.0, 0.0},
                                           DistanceCase{31.0, 121.0, 31.00045, 121.0, 0.050040},
                                           DistanceCase{31.0, 121.0, 31.00044, 121.0, 0.048928},
                                           // east-west shrinks with the cosine of the mean latitude
                                           DistanceCase{31.0, 121.0, 31.0, 121.001, 0.095316},
                                           // any coordinate below 0.1 degree makes the distance 0
                                           DistanceCase{0.0, 121.0, 31.0, 121.5, 0.0},
                                           DistanceCase{31.0, 0.09, 31.0, 121.5, 0.0},
                                           DistanceCase{31.0, 121.0, -0.05, 121.5, 0.0},
                                           DistanceCase{31.0, 121.0, 31.0, 0.0, 0.0}));

class DetectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db.Open(home.Path(), "fleet", "")) << db.LastError();
        route.lineName = "7路";
        route.stations.push_back({"1", "Harbour", "31.0", "121.0", "", "", {}});
    }
    void AddRow(const std::string& stop, const std::string& planReach,
                const std::string& planLeave = "", const std::string& plate = "A1") {
        ASSERT_TRUE(table.InsertStopTime(
            {plate, "B1", route.lineName, "2014-08-25", planReach, planLeave, stop, "0"}, "u"));
    }
    std::vector<StopTimeRecord> Rows(const std::string& stop, const std::string& plate = "A1") {
        std::vector<StopTimeRecord> rows;
        EXPECT_TRUE(table.FindStopRows(plate, route.lineName, stop, rows));
        return rows;
    }
    // A run of vehicle A1 on the track: the route's events, given to its rows by nearest plan.
    void Analyse(const std::vector<TrackPoint>& track) {
        std::vector<LineEvent> events;
        for (const StationEvent& e : AnalyseRoute(route, track, {}, {}))
            events.push_back({route.lineName, route.stations[e.station].name, e.kind, e.time});
        RecordEvents(table, &log, "A1", events, Matching::Nearest);
    }
    // A run of vehicle A1 with these events at the route's stops, in this order.
    void Record(const std::vector<LineEvent>& events) {
        RecordEvents(table, &log, "A1", events, Matching::Nearest);
    }
    LineEvent Event(const std::string& time, StopEventKind kind = StopEventKind::Arrival,
                    const std::string& stop = "Harbour") const {
        return {route.lineName, stop, kind, time};
    }

    test::TempHome home;
    Database db;
    StopTimeTable table{db};
    test::MemoryLog log;
    RouteRecord route;
};

struct TrackCase {
    const char* name;
    std::vector<TrackPoint> track;
    std::vector<std::string> times;  // reach, leave of the rows planned 08:00-08:05, 10:00-10:05
    std::size_t logged;              // the arrivals and departures seen
    std::string lat = "31.0";        // the station's
};

void PrintTo(const TrackCase& c, std::ostream* os) { *os << c.name; }

class DetectionTrack : public DetectionTest, public ::testing::WithParamInterface<TrackCase> {};

TEST_P(DetectionTrack, FirstFixInsideArrivesAndFirstFixOutsideLeaves) {
    const TrackCase& c = GetParam();
    const std::string stop = "St. Mary's";  // a quote must not break the queries
    route.stations[0].name = stop;
    route.stations[0].latitude = c.lat;
    AddRow(stop, At("08:00:00"), At("08:05:00"));
    AddRow(stop, At("10:00:00"), At("10:05:00"));
    Analyse(c.track);
    std::vector<std::string> times;  // of the day
    for (const auto& row : Rows(stop))
        for (const std::string& t : {row.realReachTime, row.realLeaveTime})
            times.push_back(t.empty() ? t : t.substr(11));
    EXPECT_EQ(times, c.times);
    EXPECT_EQ(log.lines.size(), c.logged);
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, DetectionTrack,
    ::testing::Values(
        TrackCase{"ArrivalAndDeparture",
                  {Fix(kFar, "08:01:00"), Fix(kNear, "08:03:00"), Fix(kNear, "08:04:00"),
                   Fix(kFar, "08:05:30"), Fix(kFar, "08:06:00")},
                  {"08:03:00", "08:05:30", "", ""},
                  2},
        TrackCase{"JustOutsideTheCircle", {Fix(31.00045, "08:00:00")}, {"", "", "", ""}, 0},
        TrackCase{"JustInsideTheCircle", {Fix(31.00044, "08:00:10")}, {"08:00:10", "", "", ""}, 1},
        TrackCase{"TwoTripsPastTheStation",
                  {Fix(kNear, "07:59:00"), Fix(kFar, "08:03:00"), Fix(kNear, "10:01:00"),
                   Fix(kFar, "10:02:30")},
                  {"07:59:00", "08:03:00", "10:01:00", "10:02:30"},
                  4},
        // Below one degree a fix is no place: it neither arrives nor leaves.
        TrackCase{"FixesBelowOneDegree",
                  {Fix(0.9, "07:59:00"), Fix(kNear, "08:01:00"), Fix(0.9, "08:02:00"),
                   Fix(kNear, "08:03:00", -73.0), Fix(kNear, "08:04:00"), Fix(kFar, "08:06:00")},
                  {"08:01:00", "08:06:00", "", ""},
                  2},
        // A station without coordinates is reached at the first fix and never left.
        TrackCase{"StationWithoutCoordinates",
                  {Fix(kFar, "08:01:00"), Fix(35.0, "08:02:00"), Fix(kNear, "08:10:00")},
                  {"08:01:00", "", "", ""},
                  1,
                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StationCircle, RadiusIsStrict) {
    EXPECT_FALSE(IsInsideStation(0.05));
    EXPECT_TRUE(IsInsideStation(std::nextafter(0.05, 0.0)));
    EXPECT_FALSE(IsInsideStation(NAN));
}

// The shortcut must decide exactly as the full distance does, near the circle and far off it,
// for degenerate station coordinates too.
TEST(StationCircle, ShortcutDecidesLikeTheFullDistance) {
    std::uint64_t seed = 42;
    auto uniform = [&](double lo, double hi) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return lo + (hi - lo) * static_cast<double>(seed >> 11) / 9007199254740992.0;
    };
    const double stations[][2] = {{31.0, 121.0}, {1.05, 1.05},   {0.0, 121.0},
                                  {31.0, 0.05},  {-33.9, 151.2}, {64.1, -21.9}};
    int inside = 0;
    for (const auto& s : stations) {
        for (int n = 0; n < 20000; ++n) {
            const double reach = n % 2 ? 0.0006 : 0.05;
            const double lat = s[0] + uniform(-reach, reach);
            const double lng = s[1] + uniform(-reach, reach);
            const bool full = IsInsideStation(GroundDistanceKm(s[0], s[1], lat, lng));
            ASSERT_EQ(IsInsideStation(s[0], s[1], lat, lng), full) << lat << "," << lng;
            inside += full;
        }
    }
    EXPECT_GT(inside, 20000);  // the cases cover both sides of the circle
}

// The grid only narrows the search: every station a fix is inside of is among its candidates,
// at every latitude, for stations the distance treats as everywhere and far off the globe.
TEST(StationGrid, EveryStationAFixIsInsideOfIsACandidate) {
    std::uint64_t seed = 7;
    auto uniform = [&](double lo, double hi) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return lo + (hi - lo) * static_cast<double>(seed >> 11) / 9007199254740992.0;
    };
    const std::vector<StationPlace> stations = {
        {31.0, 121.0},  {31.0004, 121.0005}, {0.05, 121.0}, {31.0, 0.0},   {-33.9, 151.2},
        {64.1, -21.9},  {88.95, 10.0},       {89.5, 10.0},  {31.0, 179.9999}, {1e9, 121.0},
        {31.0019, 121.0019}};
    const StationGrid grid(stations);
    int inside = 0;
    std::vector<std::size_t> candidates;
    for (const StationPlace& s : stations) {
        for (int n = 0; n < 5000; ++n) {
            const double reach = n % 2 ? 0.0008 : 0.01;
            const double lat = std::clamp(s.latitude, -90.0, 90.0) + uniform(-reach, reach);
            const double lng = s.longitude + uniform(-reach, reach) * (std::fabs(lat) > 80 ? 20 : 1);
            candidates.clear();
            grid.Candidates(lat, lng, candidates);
            for (std::size_t i = 0; i < stations.size(); ++i)
                if (IsInsideStation(stations[i].latitude, stations[i].longitude, lat, lng)) {
                    ++inside;
                    ASSERT_NE(std::find(candidates.begin(), candidates.end(), i), candidates.end())
                        << "station " << i << " fix " << lat << "," << lng;
                }
        }
    }
    EXPECT_GT(inside, 20000);
}

struct WindowCase {
    const char* label;
    const char* gps;
    bool recorded;
};

void PrintTo(const WindowCase& c, std::ostream* os) { *os << c.label; }

class DetectionWindow : public DetectionTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(DetectionWindow, AcceptsUpTo20Min59SecOnEitherSide) {
    AddRow("Harbour", At("08:00:00"), At("08:00:00"));
    Record({Event(At(GetParam().gps)), Event(At(GetParam().gps), StopEventKind::Departure)});
    const auto rows = Rows("Harbour");
    const std::string expected = GetParam().recorded ? At(GetParam().gps) : "";
    EXPECT_EQ(rows[0].realReachTime, expected);
    EXPECT_EQ(rows[0].realLeaveTime, expected);
}

INSTANTIATE_TEST_SUITE_P(Bounds, DetectionWindow,
                         ::testing::Values(WindowCase{"Late2059", "08:20:59", true},
                                           WindowCase{"Late2100", "08:21:00", false},
                                           WindowCase{"Early2059", "07:39:01", true},
                                           WindowCase{"Early2100", "07:39:00", false},
                                           WindowCase{"OnTime", "08:00:00", true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(DetectionTest, NearestPlannedTimeWinsAndTiesGoToTheRowReturnedFirst) {
    AddRow("Harbour", At("08:30:00"));
    AddRow("Harbour", At("08:00:00"));
    AddRow("Harbour", At("08:10:00"));
    // 08:15 is 5 min from 08:10, the nearest; then 08:20 lies as far from 08:30 as from 08:10:
    // the row stored first (08:30) wins.
    Record({Event(At("08:15:00")), Event(At("08:20:00"))});
    const auto rows = Rows("Harbour");
    EXPECT_EQ(rows[0].realReachTime, At("08:20:00"));
    EXPECT_EQ(rows[1].realReachTime, "");
    EXPECT_EQ(rows[2].realReachTime, At("08:15:00"));
}

TEST_F(DetectionTest, RowsWithoutAUsablePlanAreNeverChosen) {
    AddRow("Harbour", "", At("08:00:00"));
    AddRow("Harbour", "soon", At("08:00:00"));
    AddRow("Harbour", "2014-08-26 08:00:00");  // a day away: beyond the matching horizon
    Record({Event(At("08:00:00"))});
    for (const auto& row : Rows("Harbour")) EXPECT_EQ(row.realReachTime, "");
}

struct ReplaceCase {
    const char* existing;
    const char* gps;
    const char* result;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) {
    *os << "existing " << c.existing << " new " << c.gps;
}

class DetectionReplace : public DetectionTest, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(DetectionReplace, ExistingRealTimeGivesWayOnlyToANearerOne) {
    AddRow("Harbour", At("08:00:00"));
    Record({Event(GetParam().existing), Event(At(GetParam().gps))});
    EXPECT_EQ(Rows("Harbour")[0].realReachTime, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Rule, DetectionReplace,
                         ::testing::Values(
                             // 8 min from the old value, 3 from the plan: replaced
                             ReplaceCase{"2014-08-25 07:55:00", "08:03:00", "2014-08-25 08:03:00"},
                             // 8 min from the old value is not more than 10 from the plan: kept
                             ReplaceCase{"2014-08-25 08:02:00", "08:10:00", "2014-08-25 08:02:00"},
                             // equal distances keep the old value
                             ReplaceCase{"2014-08-25 08:02:00", "08:01:00", "2014-08-25 08:02:00"},
                             // an event that is no time takes nothing
                             ReplaceCase{"garbled", "08:10:00", "2014-08-25 08:10:00"}));

TEST_F(DetectionTest, ArrivalIsNotWrittenIntoAnotherStopsRowWithTheSamePlan) {
    route.stations.push_back({"2", "Market", "31.05", "121.05", "", "", {}});
    AddRow("Harbour", At("08:00:00"));
    AddRow("Market", At("08:00:00"));
    AddRow("Market", At("08:00:00"), "", "B2");  // another vehicle, same plan
    Analyse({Fix(kNear, "08:02:00")});
    EXPECT_EQ(Rows("Harbour")[0].realReachTime, At("08:02:00"));
    EXPECT_EQ(Rows("Market")[0].realReachTime, "");
    EXPECT_EQ(Rows("Market", "B2")[0].realReachTime, "");
}

// A vehicle still at the station at the end of the track must not carry that into the next run.
TEST_F(DetectionTest, PresenceStartsOutsideForEveryAnalysis) {
    AddRow("Harbour", At("08:00:00"), At("08:05:00"));
    const std::vector<TrackPoint> track = {Fix(kFar, "08:04:00"), Fix(kNear, "08:06:00")};
    Analyse(track);
    ASSERT_EQ(route.stations[0].presenceState, PresenceState::Inside);
    const auto first = Rows("Harbour");
    Analyse(track);
    const auto second = Rows("Harbour");
    EXPECT_EQ(second[0].realReachTime, first[0].realReachTime);
    EXPECT_EQ(second[0].realLeaveTime, "");  // not a departure at 08:04 from the old state
    EXPECT_EQ(first[0].realLeaveTime, "");
}

TEST_F(DetectionTest, EventsWithoutRowsOrTimesOnlyLog) {
    AddRow("Elsewhere", At("08:00:00"));
    Record({Event(At("08:00:00")), Event("not a time", StopEventKind::Arrival, "Elsewhere")});
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"Harbour:1:" + At("08:00:00"), "Elsewhere:1:not a time"}));
    EXPECT_EQ(Rows("Elsewhere")[0].realReachTime, "");
}

TEST_F(DetectionTest, ClosedDatabaseLosesTheEventsWithoutHarm) {
    AddRow("Harbour", At("08:00:00"));
    db.Close();
    Analyse({Fix(kNear, "08:00:00"), Fix(kFar, "08:01:00")});
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Harbour:1:" + At("08:00:00"),
                                                   "Harbour:2:" + At("08:01:00")}));
    EXPECT_EQ(route.stations[0].presenceState, PresenceState::Left);
}

}  // namespace
}  // namespace fw
