#pragma once

#include <cstddef>
#include <string>

namespace fw {

struct VehicleDay;

// Where a fleet run stands, for its progress output.
struct ProgressState {
    std::size_t done = 0;    // vehicle-days finished, failed ones included
    std::size_t failed = 0;
    std::size_t total = 0;
    double seconds = 0;      // since the first stop-row request
};

// The line a terminal shows and rewrites: "[ 37/200]  18.5 vehicle-days/s  2 failed  ETA 0:09".
std::string ProgressLine(const ProgressState& state);

// The line written for each finished vehicle-day when stderr is no terminal (a log, cron's mail):
// "37/200 浙A12345 2014-08-25 ok, 52 stops" or "... failed: 轨迹数据为空".
std::string VehicleDayLine(const ProgressState& state, const VehicleDay& day, std::size_t stops,
                           const std::string& failure);

// "0:09", "12:30", "1:02:03".
std::string FormatDuration(double seconds);

}  // namespace fw
