#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/Requests.h"
#include "schedules/DepartureList.h"
#include "schedules/ReadControl.h"
#include "schedules/Sheet.h"
#include "schedules/WorkbookProblem.h"

namespace fw {

// What an import yields: the batches, which become the grid's columns, and the departures,
// grouped by batch in the batches' order, each batch's departures in sheet order. `problems`:
// what in the sheet cannot be read as the planner wrote it (the import refuses the file then).
struct ImportedTimetable {
    std::vector<std::string> batches;
    DepartureList rows;
    std::vector<TimetableProblem> problems;
};

inline constexpr const char* kTimetableSheet = "Sheet1";

// The name the spreadsheet driver gave a column: its header, or "F" and the column's number
// (counted from 1) when the header is blank.
std::string ColumnName(std::string_view header, int column);

// Reads a timetable sheet: headers in row 0, columns in pairs of batch and line. A pair whose
// column name, trimmed, begins with "F" is skipped (so is a pair without a header); an empty
// batch cell is skipped; "1899-12-30" is removed from departure times, the blank before the
// time staying; line cells are taken as they are. The sheet is walked once. The same rules for
// every file format: the readers differ only in how they turn a file into a Sheet.
// Problems: two batches of one name (trimmed, ASCII letters in any case: the server would take
// them for one), and a cell problem of the sheet in a batch's header, a departure, or the line of
// a departure.
ImportedTimetable BuildTimetable(const Sheet& sheet, ReadStage stage = {});

struct TimetableImport {
    ImportedTimetable timetable;
    // What to tell the user when the import gave nothing; empty when it gave departures or was
    // cancelled.
    std::string error;
    // The problems of the sheet behind `error`, each with its place.
    std::vector<TimetableProblem> problems;
    bool cancelled = false;
};

// One problem as the user reads it: "单元格C5：…", or in a .csv "第5行第3列：…".
std::string TimetableProblemLine(const TimetableProblem& problem);

// Which reader a file needs: .xls and .xlsx by their first bytes, whatever the file is
// called; other bytes are read as a .csv only when the name ends in ".csv".
enum class WorkbookFormat { Xls, Xlsx, Csv, Other };
WorkbookFormat SniffWorkbookFormat(std::string_view bytes, std::string_view fileName);

// Reads the timetable of a file: the worksheet "Sheet1" of an .xls or .xlsx workbook, or the
// one table of a .csv. A file that cannot be read, is none of these, breaks a reader's limits,
// has problems or holds no departures gives an empty timetable and an error: nothing is ever
// half imported. `control` (may be null) follows the reading from another thread and stops it.
TimetableImport ImportTimetableWorkbook(const std::string& path, ReadControl* control = nullptr);
// The same on bytes in memory (what a fuzzer drives); .xls bytes go through a temporary file,
// since FreeXL reads only files.
TimetableImport ImportTimetableBytes(std::string_view bytes, WorkbookFormat format, ReadControl* control = nullptr);

}  // namespace fw
