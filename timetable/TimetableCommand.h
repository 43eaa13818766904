#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace fw {

// How fenwarde-timetable ends.
enum TimetableExit : int {
    kTimetableClean = 0,     // every file reads clean
    kTimetableUsage = 2,     // a bad command line
    kTimetableProblems = 3,  // some file has problems (listed) or cannot be read; plan: a batch unassigned
};

// fenwarde-timetable: the import page's reading and checks without a window.
//   check FILE... [--charset NAME]   per file: batches, departures, lines, then every problem
//   show FILE [--csv]                the rows as the import page lists them
//   plan FILE --from D --to D --vehicles ... --out FILE.csv   automatic vehicle assignment
// Results go to `out`, usage errors to `err`.
int RunTimetableCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

std::string TimetableUsageText(const std::string& program);

}  // namespace fw
