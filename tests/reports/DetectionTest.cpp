// The station circle and the first-fix rule. How events become real times: MatchingTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "reports/Detection.h"
#include "reports/RouteAnalysis.h"
#include "reports/StationGrid.h"
#include "routes/RouteRecord.h"

namespace fw {
namespace {

constexpr double kLng = 121.0;
constexpr double kNear = 31.0002;  // about 22 m north of the station: inside
constexpr double kFar = 31.01;     // about 1.1 km north: outside

TrackPoint Fix(double lat, const char* hms, double lng = kLng) {
    return {std::string("2014-08-25 ") + hms, lat, lng};
}

RouteRecord Harbour(const std::string& latitude = "31.0") {
    RouteRecord route;
    route.lineName = "7路";
    route.stations.push_back({"1", "Harbour", latitude, "121.0", "", "", {}});
    return route;
}

// "A 08:03:00 D 08:05:30": the arrivals and departures the route's analysis finds.
std::string Analyse(RouteRecord& route, const std::vector<TrackPoint>& track) {
    std::string out;
    for (const StationEvent& e : AnalyseRoute(route, track, {}, {}))
        out += (out.empty() ? "" : " ") +
               std::string(e.kind == StopEventKind::Arrival ? "A " : "D ") + e.time.substr(11);
    return out;
}

TEST(GroundDistance, MatchesTheFlatEarthFigures) {
    // East-west shrinks with the mean latitude's cosine; any coordinate below 0.1 degree makes
    // the distance 0.
    const double cases[][5] = {
        {31.0, 121.0, 31.00045, 121.0, 0.050040}, {31.0, 121.0, 31.00044, 121.0, 0.048928},
        {31.0, 121.0, 31.0, 121.001, 0.095316},   {0.0, 121.0, 31.0, 121.5, 0.0},
        {31.0, 0.09, 31.0, 121.5, 0.0},           {31.0, 121.0, -0.05, 121.5, 0.0},
        {31.0, 121.0, 31.0, 0.0, 0.0}};
    for (const auto& c : cases)
        EXPECT_NEAR(GroundDistanceKm(c[0], c[1], c[2], c[3]), c[4], 0.000005)
            << c[0] << "," << c[1] << " to " << c[2] << "," << c[3];
}

TEST(StationCircle, RadiusIsStrict) {
    EXPECT_FALSE(IsInsideStation(0.05));
    EXPECT_TRUE(IsInsideStation(std::nextafter(0.05, 0.0)));
    EXPECT_FALSE(IsInsideStation(NAN));
}

// The shortcut decides exactly as the full distance does, and the grid only narrows the search:
// every station a fix is inside of is among its candidates. Random fixes near the circles and
// farther off, for stations the distance treats as everywhere, near the poles, on the date line
// and far off the globe.
TEST(StationCircle, ShortcutAndGridDecideLikeTheFullDistance) {
    std::uint64_t seed = 42;
    auto uniform = [&](double reach) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return reach * (2.0 * static_cast<double>(seed >> 11) / 9007199254740992.0 - 1.0);
    };
    const std::vector<StationPlace> stations = {
        {31.0, 121.0}, {31.0004, 121.0005}, {0.05, 121.0}, {31.0, 0.0},     {1.05, 1.05},
        {31.0, 0.05},  {-33.9, 151.2},      {64.1, -21.9}, {88.95, 10.0},   {89.5, 10.0},
        {1e9, 121.0},  {31.0, 179.9999},    {31.0019, 121.0019}};
    const StationGrid grid(stations);
    int inside = 0;
    std::vector<std::size_t> candidates;
    for (const StationPlace& s : stations) {
        for (int n = 0; n < 500; ++n) {
            const double reach = n % 2 ? 0.0008 : 0.01;
            const double lat = std::clamp(s.latitude, -90.0, 90.0) + uniform(reach);
            const double lng = s.longitude + uniform(reach) * (std::fabs(lat) > 80 ? 20 : 1);
            candidates.clear();
            grid.Candidates(lat, lng, candidates);
            for (std::size_t i = 0; i < stations.size(); ++i) {
                const StationPlace& t = stations[i];
                const bool in = IsInsideStation(GroundDistanceKm(t.latitude, t.longitude, lat, lng));
                ASSERT_EQ(IsInsideStation(t.latitude, t.longitude, lat, lng), in)
                    << "station " << i << " fix " << lat << "," << lng;
                ASSERT_TRUE(!in || std::count(candidates.begin(), candidates.end(), i) == 1)
                    << "station " << i << " fix " << lat << "," << lng;
                inside += in;
            }
        }
    }
    EXPECT_GT(inside, 2500);  // the cases cover both sides of the circles
}

TEST(FirstFixRule, FirstFixInsideArrivesAndFirstFixOutsideLeaves) {
    const struct {
        const char* name;
        std::vector<TrackPoint> track;
        const char* events;
        std::string latitude = "31.0";  // the station's
    } cases[] = {
        {"ArrivalAndDeparture",
         {Fix(kFar, "08:01:00"), Fix(kNear, "08:03:00"), Fix(kNear, "08:04:00"),
          Fix(kFar, "08:05:30"), Fix(kFar, "08:06:00")},
         "A 08:03:00 D 08:05:30"},
        // Below one degree a fix is no place: it neither arrives nor leaves.
        {"FixesBelowOneDegree",
         {Fix(0.9, "07:59:00"), Fix(kNear, "08:01:00"), Fix(0.9, "08:02:00"),
          Fix(kNear, "08:03:00", -73.0), Fix(kNear, "08:04:00"), Fix(kFar, "08:06:00")},
         "A 08:01:00 D 08:06:00"},
        // A station without coordinates is reached at the first fix and never left.
        {"StationWithoutCoordinates",
         {Fix(kFar, "08:01:00"), Fix(35.0, "08:02:00"), Fix(kNear, "08:10:00")}, "A 08:01:00", ""},
    };
    for (const auto& c : cases) {
        RouteRecord route = Harbour(c.latitude);
        EXPECT_EQ(Analyse(route, c.track), c.events) << c.name;
    }
}

// A vehicle still at the station at the end of the track must not carry that into the next run.
TEST(FirstFixRule, PresenceStartsOutsideForEveryAnalysis) {
    RouteRecord route = Harbour();
    const std::vector<TrackPoint> track = {Fix(kFar, "08:04:00"), Fix(kNear, "08:06:00")};
    EXPECT_EQ(Analyse(route, track), "A 08:06:00");
    EXPECT_EQ(route.stations[0].presenceState, PresenceState::Inside);
    EXPECT_EQ(Analyse(route, track), "A 08:06:00");  // no departure at 08:04 from the old state
    Analyse(route, {Fix(kNear, "08:00:00"), Fix(kFar, "08:01:00")});
    EXPECT_EQ(route.stations[0].presenceState, PresenceState::Left);
}

}  // namespace
}  // namespace fw
