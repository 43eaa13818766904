#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/Detection.h"
#include "reports/DetectionRule.h"
#include "store/StopTimeTable.h"

namespace fw {

class LogSink;

// A detected arrival or departure at a stop of a line, as a run gathers them from its lines.
struct LineEvent {
    std::string line;  // the route's line name
    std::string stop;  // the station's name
    StopEventKind kind = StopEventKind::Arrival;
    std::string time;  // written as it is when a row takes it
};

// Gives a vehicle's events, each line's in the order its detection found them, to its rows in
// memory, one log line per event ("stop:1:time") in that order. The rows' real times go on from
// what they hold (a run clears them first); rows of a stop are told apart as the statements tell
// them (the line's and the stop's texts exactly, ASCII letter case aside).
//   Nearest: each event to its stop's row with the nearest plan within 20:59, in turn; a real time
//   already given stays unless the new one lies nearer the plan than to it.
//   Sequence: the vehicle's rows in planned order to its events in time order (AlignInTripOrder),
//   arrivals and departures each on their own, within kSequenceToleranceSeconds.
void MatchEvents(std::vector<VehicleStopRow>& rows, const std::vector<LineEvent>& events,
                 Matching matching, LogSink* log);

// A run's record of its events in the stop-time table: the vehicle's rows read once, their real
// times cleared and given by the events (MatchEvents), and written back in one transaction,
// every row that held a real time or takes one. A write that fails changes nothing.
struct RecordedTimes {
    bool read = false;     // the rows could be read (else nothing was matched or written)
    bool written = false;  // and their real times are in the table
    std::string error;     // why not, when not
    std::vector<VehicleStopRow> rows;  // the vehicle's rows with the times this run gave them
};
RecordedTimes RecordEvents(StopTimeTable& table, LogSink* log, std::string_view vehicleCode,
                           const std::vector<LineEvent>& events, Matching matching);

}  // namespace fw
