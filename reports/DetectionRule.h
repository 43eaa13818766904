#pragma once

#include <optional>
#include <string_view>

namespace fw {

// How a report turns a track into arrivals and departures, chosen per report run.
enum class DetectionRule {
    FirstFix,      // the time of the first fix inside a circle, of the first fix outside it
    Interpolated,  // the instant the track crosses the circle, between the fixes around it
};

// The conf.ini values ("first-fix", "interpolated") and the names the windows show.
std::string_view DetectionRuleKey(DetectionRule rule);
std::string_view DetectionRuleTitle(DetectionRule rule);
// A key as written in conf.ini or on a command line, blanks and case aside.
std::optional<DetectionRule> ParseDetectionRule(std::string_view key);

// The bounds of the interpolated rule.
struct CrossingSettings {
    // An exit followed within this time by a re-entry, the fixes between never farther than the
    // radius plus the margin, is one stay: GPS wander at the circle's edge while the bus stands.
    double rejoinSeconds = 60.0;
    double rejoinMarginMetres = 20.0;
    // A segment faster than this is a jump: one of its fixes is wrong, nothing is read from it.
    double jumpSpeedKmh = 150.0;
    // A segment longer than this says nothing about when the bus moved on it (parked with the
    // receiver off, say): its crossing takes the time of the fix beyond, as the first-fix rule
    // does, and a pass between its fixes is not looked for.
    double longGapSeconds = 300.0;
};

// How a report run gives each detected arrival and departure to a stop-time row.
enum class Matching {
    Nearest,   // each event to its stop's row with the nearest plan, within 20 min 59 s
    Sequence,  // a vehicle's rows in planned order to its events in time order, within 60 min
};

std::string_view MatchingKey(Matching matching);    // "nearest", "sequence"
std::string_view MatchingTitle(Matching matching);  // "最近计划", "按班次顺序"
std::optional<Matching> ParseMatching(std::string_view key);

struct DetectionOptions {
    DetectionRule rule = DetectionRule::FirstFix;
    Matching matching = Matching::Nearest;
    CrossingSettings crossing;
};

}  // namespace fw
