#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "reports/CrossingDetection.h"
#include "reports/Detection.h"
#include "reports/TimedTrack.h"
#include "text/OleDate.h"

namespace fw {
namespace {

const OleDate kEight = *ParseDateTime("2014-08-25 08:00:00");

std::string Clock(double seconds) { return FormatDateTime(kEight + seconds / 86400.0); }

// A fix `east` and `north` metres from a place, `second`s after 08:00:00, in the flat frame of
// the station circles.
TrackPoint Near(StationPlace at, double east, double north, double second) {
    const double lat = at.latitude + north / kMetresPerDegree;
    double lng =
        at.longitude + east / (std::cos(at.latitude * kDegreesToRadians) * kMetresPerDegree);
    if (lng > 180.0) lng -= 360.0;
    return {Clock(second), "", lat, lng};
}

constexpr StationPlace kHarbour{31.0, 121.0};

struct Leg {
    double east, north, second;
};

std::vector<TrackPoint> Track(const std::vector<Leg>& legs, StationPlace at = kHarbour) {
    std::vector<TrackPoint> track;
    for (const Leg& leg : legs) track.push_back(Near(at, leg.east, leg.north, leg.second));
    return track;
}

// "A 08:00:07" for an arrival, "D ..." for a departure, with the station's index when several.
std::vector<std::string> Texts(const std::vector<StationEvent>& events, bool withStation) {
    std::vector<std::string> out;
    for (const StationEvent& e : events)
        out.push_back(std::string(e.kind == StopEventKind::Arrival ? "A" : "D") +
                      (withStation ? std::to_string(e.station) : "") + " " + e.time.substr(11));
    return out;
}

std::vector<std::string> Interpolated(const std::vector<TrackPoint>& track,
                                      std::vector<StationPlace> stations = {kHarbour},
                                      CrossingSettings settings = {}) {
    return Texts(DetectCrossings(stations, TimeTrack(track, settings), settings),
                 stations.size() > 1);
}

std::vector<std::string> FirstFix(const std::vector<TrackPoint>& track) {
    std::vector<StationEvent> events;
    DetectFirstFix({kHarbour}, track, [&](const StationEvent& e) { events.push_back(e); });
    return Texts(events, false);
}

using Events = std::vector<std::string>;

struct CrossingCase {
    const char* label;
    std::vector<Leg> legs;
    Events expected;
};

void PrintTo(const CrossingCase& c, std::ostream* os) { *os << c.label; }

class Crossing : public ::testing::TestWithParam<CrossingCase> {};

TEST_P(Crossing, GivesTheInstantsTheLineMeetsTheCircle) {
    EXPECT_EQ(Interpolated(Track(GetParam().legs)), GetParam().expected);
}

// Northward at 10 m/s unless said otherwise; the circle's edge is 50 m from the station.
INSTANTIATE_TEST_SUITE_P(
    Geometry, Crossing,
    ::testing::Values(
        CrossingCase{"ThroughTheCentreWithAFixInside",
                     {{0, -120, 0}, {0, -20, 10}, {0, 80, 20}, {0, 180, 30}},
                     {"A 08:00:07", "D 08:00:17"}},
        CrossingCase{"ThroughTheCentreBetweenTwoFixes",
                     {{0, -150, 0}, {0, 150, 30}},
                     {"A 08:00:10", "D 08:00:20"}},
        // 30 m off the centre the line runs 40 m either side of it inside the circle.
        CrossingCase{"PassOffCentreBetweenTwoFixes",
                     {{30, -200, 0}, {30, 200, 40}},
                     {"A 08:00:16", "D 08:00:24"}},
        CrossingCase{
            "TangentJustInside", {{49.9, -100, 0}, {49.9, 100, 20}}, {"A 08:00:10", "D 08:00:10"}},
        CrossingCase{"TangentJustOutside", {{50.1, -100, 0}, {50.1, 100, 20}}, {}},
        CrossingCase{"TrackStartsInside", {{0, 10, 0}, {0, 200, 19}}, {"A 08:00:00", "D 08:00:04"}},
        CrossingCase{"TrackEndsInside", {{0, -150, 0}, {0, -40, 11}, {0, 0, 30}}, {"A 08:00:10"}},
        // Standing still outside, then on through: zero-length segments cross nothing.
        CrossingCase{"ZeroLengthSegments",
                     {{0, -100, 0}, {0, -100, 10}, {0, -100, 20}, {0, 100, 40}, {0, 100, 50}},
                     {"A 08:00:25", "D 08:00:35"}},
        // Wandering 40-58 m from the station while it stands: one stay.
        CrossingCase{"JitterAtTheEdgeIsOneStay",
                     {{0, -150, 0},
                      {0, -40, 11},
                      {0, -55, 21},
                      {0, -42, 31},
                      {0, -58, 41},
                      {0, -44, 51},
                      {0, 60, 61},
                      {0, 200, 75}},
                     {"A 08:00:10", "D 08:01:00"}},
        CrossingCase{
            "BackAfterTheRejoinTimeIsASecondStay",
            {{0, -150, 0}, {0, -40, 11}, {0, -60, 21}, {0, -62, 51}, {0, -61, 81}, {0, -40, 91}},
            {"A 08:00:10", "D 08:00:16", "A 08:01:26"}},
        CrossingCase{"BeyondTheMarginIsASecondStay",
                     {{0, -150, 0}, {0, -40, 11}, {0, -90, 21}, {0, -40, 31}},
                     {"A 08:00:10", "D 08:00:13", "A 08:00:29"}},
        // A passage through the edge within the rejoin time also rejoins the stay.
        CrossingCase{"PassBackThroughTheEdgeRejoins",
                     {{0, -150, 0},
                      {0, -40, 11},
                      {0, -60, 21},
                      {-40, -45, 31},
                      {40, -45, 41},
                      {0, -300, 71}},
                     {"A 08:00:10", "D 08:00:39"}},
        // Over a long gap the fix beyond gives the time, and no pass is looked for.
        CrossingCase{"LongGapTakesTheFixBeyond",
                     {{0, -500, 0}, {0, -20, 1000}, {0, 200, 1010}, {0, -500, 2000}},
                     {"A 08:16:40", "D 08:16:43"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CrossingRules, JitterAtTheEdgeGivesTheFirstFixRuleThreeStays) {
    const std::vector<TrackPoint> track = Track({{0, -150, 0},
                                                 {0, -40, 11},
                                                 {0, -55, 21},
                                                 {0, -42, 31},
                                                 {0, -58, 41},
                                                 {0, -44, 51},
                                                 {0, 60, 61},
                                                 {0, 200, 75}});
    EXPECT_EQ(FirstFix(track), (Events{"A 08:00:11", "D 08:00:21", "A 08:00:31", "D 08:00:41",
                                       "A 08:00:51", "D 08:01:01"}));
    EXPECT_EQ(Interpolated(track), (Events{"A 08:00:10", "D 08:01:00"}));
}

TEST(CrossingRules, StationsPassedOneAfterAnotherComeInTimeOrder) {
    // Three stations 300 m apart northwards, passed at 10 m/s with a fix every 60 s: no fix
    // falls inside any circle.
    const std::vector<StationPlace> stations = {{31.0, 121.0},
                                                {31.0 + 300 / kMetresPerDegree, 121.0},
                                                {31.0 + 600 / kMetresPerDegree, 121.0}};
    const std::vector<TrackPoint> track = Track({{0, -200, 0}, {0, 400, 60}, {0, 1000, 120}});
    EXPECT_EQ(Interpolated(track, stations), (Events{"A0 08:00:15", "D0 08:00:25", "A1 08:00:45",
                                                     "D1 08:00:55", "A2 08:01:15", "D2 08:01:25"}));
    EXPECT_TRUE(FirstFix(track).empty());
}

struct BadInputCase {
    const char* label;
    std::vector<TrackPoint> track;
    Events expected;
    StationPlace station = kHarbour;
};

void PrintTo(const BadInputCase& c, std::ostream* os) { *os << c.label; }

class CrossingBadInput : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(CrossingBadInput, NeitherCrashesNorInventsEvents) {
    EXPECT_EQ(Interpolated(GetParam().track, {GetParam().station}), GetParam().expected);
}

std::vector<TrackPoint> Through() { return Track({{0, -150, 0}, {0, 150, 30}}); }

std::vector<TrackPoint> With(std::vector<TrackPoint> track, std::vector<TrackPoint> more) {
    track.insert(track.end(), more.begin(), more.end());
    return track;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr StationPlace kDateLine{-16.5, 180.0};
constexpr StationPlace kNearThePole{89.999, 45.0};

INSTANTIATE_TEST_SUITE_P(
    Track, CrossingBadInput,
    ::testing::Values(
        BadInputCase{"OutOfTimeOrder",
                     Track({{0, 180, 30}, {0, -120, 0}, {0, 80, 20}, {0, -20, 10}}),
                     {"A 08:00:07", "D 08:00:17"}},
        BadInputCase{"DuplicateFixes", With(Through(), Through()), {"A 08:00:10", "D 08:00:20"}},
        // The same instant at two places: the one that fits the track stays.
        BadInputCase{"OneTimeTwoPlaces",
                     Track({{0, -150, 0}, {3000, 0, 15}, {0, 0, 15}, {0, 150, 30}}),
                     {"A 08:00:10", "D 08:00:20"}},
        BadInputCase{"LoneJumpOf50Km",
                     Track({{0, 0, 0}, {0, 5, 10}, {0, 50000, 20}, {0, 3, 30}, {0, 200, 50}}),
                     {"A 08:00:00", "D 08:00:35"}},
        // A stray between the fixes around a departure: the departure is read across it.
        BadInputCase{"LoneJumpAcrossADeparture",
                     Track({{0, 0, 0}, {0, 20, 10}, {0, 50000, 20}, {0, 120, 30}}),
                     {"A 08:00:00", "D 08:00:16"}},
        BadInputCase{
            "SeveralFixes50KmAway",
            Track(
                {{0, 0, 0}, {0, 5, 10}, {0, 50000, 20}, {0, 50010, 30}, {0, 3, 40}, {0, 200, 60}}),
            {"A 08:00:00", "D 08:00:45"}},
        // Appearing inside out of a jump is no arrival; the departure is still seen.
        BadInputCase{
            "JumpIntoTheCircle",
            Track({{0, -300000, 0}, {0, -299990, 10}, {0, 0, 20}, {0, 10, 30}, {0, 200, 40}}),
            {"D 08:00:32"}},
        BadInputCase{"NaNAndEmptyCoordinatesAndTimes",
                     With(Through(), {{Clock(5), "", kNaN, 121.0},
                                      {Clock(12), "", 31.0, kNaN},
                                      {Clock(15), "", 0.0, 0.0},
                                      {Clock(18), "", 91.0, 121.0},
                                      {"", "", 31.0, 121.0},
                                      {"not a time", "", 31.0, 121.0}}),
                     {"A 08:00:10", "D 08:00:20"}},
        BadInputCase{"NoFixes", {}, {}},
        BadInputCase{"StationWithoutCoordinates", Through(), {}, {0.0, 0.0}},
        BadInputCase{"StationNotANumber", Through(), {}, {kNaN, 121.0}},
        BadInputCase{"StationOnTheDateLine",
                     Track({{-150, 0, 0}, {150, 0, 30}}, kDateLine),
                     {"A 08:00:10", "D 08:00:20"},
                     kDateLine},
        BadInputCase{
            "StationNearThePole",
            With(Track({{-150, 0, 0}, {150, 0, 30}}, kNearThePole), {{Clock(60), "", 90.0, 0.0}}),
            {"A 08:00:10", "D 08:00:20"},
            kNearThePole}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(TimeTrack, KeepsPlaceableFixesInTimeOrderAndMarksEveryLeg) {
    const auto timed = TimeTrack(Track({{0, 0, 20},
                                        {0, 0, 0},
                                        {0, 0, 0},  // a repeat
                                        {0, 50, 10},
                                        {0, 90000, 30},  // a stray
                                        {0, 60, 40},
                                        {0, 70, 400},  // after a long gap
                                        {0, 80000, 410},
                                        {0, 80010, 420}}),
                                 {});
    std::vector<std::pair<double, TrackLeg>> legs;
    for (const TimedFix& f : timed) legs.push_back({f.seconds - timed[0].seconds, f.leg});
    EXPECT_EQ(legs, (std::vector<std::pair<double, TrackLeg>>{{0, TrackLeg::First},
                                                              {10, TrackLeg::Drive},
                                                              {20, TrackLeg::Drive},
                                                              {40, TrackLeg::Drive},
                                                              {400, TrackLeg::Gap},
                                                              {410, TrackLeg::Jump},
                                                              {420, TrackLeg::Drive}}));
}

TEST(FlatMetres, TakesTheShortWayAcrossTheDateLine) {
    EXPECT_NEAR(FlatMetres(0.5, 179.9995, 0.5, -179.9995), 111.19, 0.01);
    EXPECT_NEAR(FlatMetres(31.0, 121.0, 31.00045, 121.0),
                GroundDistanceKm(31.0, 121.0, 31.00045, 121.0) * 1000, 1e-6);
}

}  // namespace
}  // namespace fw
