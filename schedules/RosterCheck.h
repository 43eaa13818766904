#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/Requests.h"
#include "schedules/AssignmentGrid.h"
#include "schedules/DepartureList.h"
#include "schedules/TripTimes.h"

namespace fw {

class TextCodec;

inline constexpr int kDefaultMinTurnaround = 180;  // seconds between two batches of one vehicle

// A departure time's second of the day: "07:30", " 07:30:00", "2014-08-25 07:30:00" (the time
// after the date). Hours up to 47 are taken, for timetables that count past midnight; any
// other text gives nothing.
std::optional<int> DepartureSeconds(std::string_view text);

// When a batch has its vehicle: from its first departure to its last departure plus the trip
// time of that departure's line, in seconds of its day. A batch that runs past midnight (23:40,
// 00:20) ends above 86400; a time a little earlier than the one before it is taken as out of
// order, not as the next day.
struct BatchSpan {
    bool known = false;  // false when no departure time could be read
    int first = 0;       // the first departure
    int last = 0;        // the last departure
    int end = 0;         // the last departure's trip done
    std::string line;    // the line of the last departure
    bool tripKnown = false;  // the line's trip time came from its route
    bool outOfOrder = false; // a departure earlier than the one before it
};
// One span per batch of the list, in its order.
std::vector<BatchSpan> BatchSpans(const DepartureList& departures, const TripTimes& trips = {});
// One span per batch of `batches`, from the timetable's rows of that batch.
std::vector<BatchSpan> BatchSpans(const std::vector<std::string>& batches, const std::vector<TimetableRow>& rows,
                                  const TripTimes& trips = {});

// "06:00–08:40", "23:10–次日00:40": a span as the findings show it.
std::string SpanText(const BatchSpan& span);

enum class RosterIssue { UnknownPlate, TimeClash, NoVehicle, UnsendableName };

// Worst first (0): a clash cannot be driven, a name the server reads otherwise may meet another,
// an unknown plate reaches no vehicle, an empty cell may be meant.
int RosterIssueRank(RosterIssue issue);

// One thing wrong with one cell of the vehicle grid; row -1 for a batch's name, in the header.
struct RosterFinding {
    int row = 0;
    int column = 0;
    RosterIssue issue = RosterIssue::NoVehicle;
    std::string reason;  // what the cell's tooltip and the Save question say
};

struct RosterCheck {
    std::vector<RosterFinding> findings;  // batch names first, then rows in order, each row's batches left to right
    int unknownPlates = 0;
    int clashes = 0;
    int noVehicle = 0;
    int unsendableNames = 0;
    std::string charset;        // the wire charset the names were checked against
    bool platesChecked = true;  // false while no vehicle list has arrived

    bool Clean() const { return findings.empty(); }
    // The line under the grid; empty for a clean roster.
    std::string Summary() const;
    // What Save asks before sending a roster with findings: the summary, at most `listed` of
    // them (clashes first, then names the server cannot read, unknown plates, empty cells), then
    // how many more.
    std::string SaveQuestion(const AssignmentGrid& grid, std::size_t listed = 10) const;
};

// Checks a roster before it is sent: a plate not in the fleet (compared trimmed and without
// regard to ASCII case; skipped while the fleet is empty); one vehicle on two batches whose
// spans overlap or leave less than `minTurnaround` seconds between them, on one date or across
// midnight into the next date's batches (both cells are findings); a batch left without a
// vehicle on a date; with `wire`, a batch name with characters its charset cannot carry.
RosterCheck CheckRoster(const AssignmentGrid& grid, const std::vector<BatchSpan>& spans,
                        const std::vector<std::string>& fleetPlates, int minTurnaround,
                        const TextCodec* wire = nullptr);

}  // namespace fw
