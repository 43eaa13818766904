#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/Requests.h"
#include "schedules/AssignmentGrid.h"

namespace fw {

inline constexpr int kDefaultMinTurnaround = 180;  // seconds between two batches of one vehicle

// A departure time's second of the day: "07:30", " 07:30:00", "2014-08-25 07:30:00" (the time
// after the date). Hours up to 47 are taken, for timetables that count past midnight; any
// other text gives nothing.
std::optional<int> DepartureSeconds(std::string_view text);

// When a batch is on the road: its first and last departure, in seconds of its day. A batch
// that runs past midnight (23:40, 00:20) ends above 86400; a time a little earlier than the one
// before it is taken as out of order, not as the next day.
struct BatchSpan {
    bool known = false;  // false when no departure time could be read
    int first = 0;
    int last = 0;
};
// One span per batch, in the order of `batches`, from the timetable's rows of that batch.
std::vector<BatchSpan> BatchSpans(const std::vector<std::string>& batches,
                                  const std::vector<TimetableRow>& rows);

enum class RosterIssue { UnknownPlate, TimeClash, NoVehicle };

// One thing wrong with one cell of the vehicle grid.
struct RosterFinding {
    int row = 0;
    int column = 0;
    RosterIssue issue = RosterIssue::NoVehicle;
    std::string reason;  // what the cell's tooltip and the Save question say
};

struct RosterCheck {
    std::vector<RosterFinding> findings;  // rows in order, each row's batches left to right
    int unknownPlates = 0;
    int clashes = 0;
    int noVehicle = 0;
    bool platesChecked = true;  // false while no vehicle list has arrived

    bool Clean() const { return findings.empty(); }
    // The line under the grid; empty for a clean roster.
    std::string Summary() const;
    // What Save asks before sending a roster with findings: the summary, at most `listed` of
    // them (clashes first, then unknown plates, then empty cells), then how many more.
    std::string SaveQuestion(const AssignmentGrid& grid, std::size_t listed = 10) const;
};

// Checks a roster before it is sent: a plate not in the fleet (compared trimmed and without
// regard to ASCII case; skipped while the fleet is empty); one vehicle on two batches of one
// date whose spans overlap or leave less than `minTurnaround` seconds between them (both cells
// are findings); a batch left without a vehicle on a date.
RosterCheck CheckRoster(const AssignmentGrid& grid, const std::vector<BatchSpan>& spans,
                        const std::vector<std::string>& fleetPlates, int minTurnaround);

}  // namespace fw
