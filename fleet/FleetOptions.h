#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reports/DetectionRule.h"

namespace fw {

// How fenwarde-report ends.
enum FleetExit : int {
    kFleetAllDone = 0,     // every vehicle-day reported
    kFleetNotWritten = 1,  // the report could not be written
    kFleetUsage = 2,       // bad command line, home or output, or the sign-in failed
    kFleetSomeFailed = 3,  // written, but some vehicle-days failed (listed in the summary)
    kFleetInterrupted = 130,
};

// The longest date range without --force: a quarter of a year.
inline constexpr int kFleetMaxDays = 92;

enum class FleetFormat { Xlsx, Csv };

struct FleetOptions {
    std::string home;
    std::string from;                   // "yyyy-MM-dd"
    std::string to;
    std::vector<std::string> plates;    // --plates (or the file of --plates @FILE), in the order given
    std::string group;                  // --group
    std::optional<DetectionRule> rule;  // --rule
    std::optional<Matching> matching;   // --matching
    int jobs = 1;                       // detection workers
    int fetches = 4;                    // track transfers at once
    int timeoutSeconds = 60;            // longest wait for the server: stop rows, a track
    std::string out;
    FleetFormat format = FleetFormat::Xlsx;
    bool force = false;
    bool sequential = false;  // one vehicle-day at a time, as the report window goes (to compare)
    bool listPlates = false;  // only list the plates the run would cover, with their groups
    bool help = false;
    bool version = false;
    std::string error;  // set when the command line cannot be used
};

// cores: the default of --jobs.
FleetOptions ParseFleetOptions(const std::vector<std::string>& args, int cores);
std::string FleetUsageText(const std::string& program);

// The dates from..to, both included, as "yyyy-MM-dd"; empty when either is no date.
std::vector<std::string> DatesBetween(const std::string& from, const std::string& to);

}  // namespace fw
