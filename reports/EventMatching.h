#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/Detection.h"
#include "reports/DetectionRule.h"

namespace fw {

class LogSink;
class StopTimeTable;

// A detected arrival or departure at a stop of a line, as a run gathers them from its lines.
struct LineEvent {
    std::string line;  // the route's line name
    std::string stop;  // the station's name
    StopEventKind kind = StopEventKind::Arrival;
    std::string time;  // written as it is when a row takes it
};

// Gives a vehicle's events, each line's in the order its detection found them, to its stop-time
// rows and writes the real times, one log line per event ("stop:1:time") in that order.
//   Nearest: each event to its stop's row with the nearest plan (UpdateStopTime), as it comes.
//   Sequence: the vehicle's rows in planned order to its events in time order (AlignInTripOrder),
//   arrivals and departures each on their own, within kSequenceToleranceSeconds.
// A statement that fails loses what it would have written; the rest goes on.
void RecordEvents(StopTimeTable& table, LogSink* log, std::string_view vehicleCode,
                  const std::vector<LineEvent>& events, Matching matching);

}  // namespace fw
