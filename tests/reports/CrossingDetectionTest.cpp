#include <gtest/gtest.h>

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

constexpr StationPlace kHarbour{31.0, 121.0};

struct Leg {
    double east, north, second;  // metres from the place, seconds after 08:00:00
};

// Fixes in the flat frame of the station circles around a place.
std::vector<TrackPoint> Track(const std::vector<Leg>& legs, StationPlace at = kHarbour) {
    std::vector<TrackPoint> track;
    for (const Leg& leg : legs) {
        const double lng = at.longitude + leg.east / (std::cos(at.latitude * kDegreesToRadians) *
                                                      kMetresPerDegree);
        track.push_back({Clock(leg.second), at.latitude + leg.north / kMetresPerDegree,
                         lng > 180.0 ? lng - 360.0 : lng});
    }
    return track;
}

// The interpolated rule's events at one station: "A 08:00:07 D 08:00:17".
std::string Interpolated(const std::vector<TrackPoint>& track, StationPlace station) {
    std::string out;
    for (const StationEvent& e : DetectCrossings({station}, TimeTrack(track, {}), {}))
        out += std::string(out.empty() ? "" : " ") +
               (e.kind == StopEventKind::Arrival ? "A " : "D ") + e.time.substr(11);
    return out;
}

// Wandering 40-58 m from the station while it stands.
const std::vector<Leg> kJitter = {{0, -150, 0}, {0, -40, 11}, {0, -55, 21}, {0, -42, 31},
                                  {0, -58, 41}, {0, -44, 51}, {0, 60, 61},  {0, 200, 75}};

std::vector<TrackPoint> With(std::vector<TrackPoint> track, std::vector<TrackPoint> more) {
    track.insert(track.end(), more.begin(), more.end());
    return track;
}

TEST(Crossing, GivesTheInstantsTheLineMeetsTheCircle) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const StationPlace dateLine{-16.5, 180.0}, nearThePole{89.999, 45.0};
    const std::vector<TrackPoint> through = Track({{0, -150, 0}, {0, 150, 30}});
    const struct {
        const char* label;
        std::vector<TrackPoint> track;
        const char* expected;
        StationPlace station = kHarbour;
    } cases[] = {
        // Northward at 10 m/s unless said otherwise; the circle's edge is 50 m from the station.
        {"ThroughTheCentreWithAFixInside",
         Track({{0, -120, 0}, {0, -20, 10}, {0, 80, 20}, {0, 180, 30}}), "A 08:00:07 D 08:00:17"},
        // 30 m off the centre the line runs 40 m either side of it inside the circle.
        {"PassOffCentre", Track({{30, -200, 0}, {30, 200, 40}}), "A 08:00:16 D 08:00:24"},
        {"TangentJustInside", Track({{49.9, -100, 0}, {49.9, 100, 20}}), "A 08:00:10 D 08:00:10"},
        {"TangentJustOutside", Track({{50.1, -100, 0}, {50.1, 100, 20}}), ""},
        {"TrackStartsInside", Track({{0, 10, 0}, {0, 200, 19}}), "A 08:00:00 D 08:00:04"},
        {"JitterAtTheEdgeIsOneStay", Track(kJitter), "A 08:00:10 D 08:01:00"},
        {"BackAfterTheRejoinTimeIsASecondStay",
         Track({{0, -150, 0}, {0, -40, 11}, {0, -60, 21}, {0, -62, 51}, {0, -61, 81},
                {0, -40, 91}}),
         "A 08:00:10 D 08:00:16 A 08:01:26"},
        // A passage through the edge within the rejoin time also rejoins the stay.
        {"PassBackThroughTheEdgeRejoins",
         Track({{0, -150, 0}, {0, -40, 11}, {0, -60, 21}, {-40, -45, 31}, {40, -45, 41},
                {0, -300, 71}}),
         "A 08:00:10 D 08:00:39"},
        // Over a long gap the fix beyond gives the time, and no pass is looked for.
        {"LongGapTakesTheFixBeyond",
         Track({{0, -500, 0}, {0, -20, 1000}, {0, 200, 1010}, {0, -500, 2000}}),
         "A 08:16:40 D 08:16:43"},
        // What a receiver or the service gets wrong neither crashes nor invents events.
        {"OutOfTimeOrder", Track({{0, 180, 30}, {0, -120, 0}, {0, 80, 20}, {0, -20, 10}}),
         "A 08:00:07 D 08:00:17"},
        // The same instant at two places: the one that fits the track stays.
        {"OneTimeTwoPlaces", Track({{0, -150, 0}, {3000, 0, 15}, {0, 0, 15}, {0, 150, 30}}),
         "A 08:00:10 D 08:00:20"},
        // A stray between the fixes around a departure: the departure is read across it.
        {"LoneJumpAcrossADeparture", Track({{0, 0, 0}, {0, 20, 10}, {0, 50000, 20}, {0, 120, 30}}),
         "A 08:00:00 D 08:00:16"},
        // Appearing inside out of a jump is no arrival; the departure is still seen.
        {"JumpIntoTheCircle",
         Track({{0, -300000, 0}, {0, -299990, 10}, {0, 0, 20}, {0, 10, 30}, {0, 200, 40}}),
         "D 08:00:32"},
        {"NaNAndEmptyCoordinatesAndTimes",
         With(through, {{Clock(5), nan, 121.0}, {Clock(12), 31.0, nan},
                        {Clock(15), 0.0, 0.0}, {Clock(18), 91.0, 121.0},
                        {"", 31.0, 121.0}, {"not a time", 31.0, 121.0}}),
         "A 08:00:10 D 08:00:20"},
        {"NoFixes", {}, ""},
        {"StationWithoutCoordinates", through, "", {0.0, 0.0}},
        {"StationOnTheDateLine", Track({{-150, 0, 0}, {150, 0, 30}}, dateLine),
         "A 08:00:10 D 08:00:20", dateLine},
        {"StationNearThePole",
         With(Track({{-150, 0, 0}, {150, 0, 30}}, nearThePole), {{Clock(60), 90.0, 0.0}}),
         "A 08:00:10 D 08:00:20", nearThePole},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Interpolated(c.track, c.station), c.expected) << c.label;
}

}  // namespace
}  // namespace fw
