#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/Requests.h"
#include "schedules/Sheet.h"
#include "schedules/XlsWorkbook.h"

namespace fw {

// What an import yields: the batches, which become the grid's columns, and the departures,
// grouped by batch in the batches' order, each batch's departures in sheet order.
struct ImportedTimetable {
    std::vector<std::string> batches;
    std::vector<TimetableRow> rows;
};

inline constexpr const char* kTimetableSheet = "Sheet1";

// The name the spreadsheet driver gave a column: its header, or "F" and the column's number
// (counted from 1) when the header is blank.
std::string ColumnName(std::string_view header, int column);

// Reads a timetable sheet: headers in row 0, columns in pairs of batch and line. A pair whose
// column name, trimmed, begins with "F" is skipped (so is a pair without a header); an empty
// batch cell is skipped; "1899-12-30" is removed from departure times, the blank before the
// time staying; line cells are taken as they are. The sheet is walked once.
ImportedTimetable BuildTimetable(const Sheet& sheet);

struct TimetableImport {
    ImportedTimetable timetable;
    // What to tell the user when the import gave nothing; empty when it gave departures.
    std::string error;
};

// Reads the timetable of the worksheet "Sheet1" of a workbook file. A file that cannot be read,
// is not an .xls workbook, or holds no departures gives an empty timetable and an error.
TimetableImport ImportTimetableWorkbook(const std::string& path);

std::string WorkbookProblemText(WorkbookProblem problem);

}  // namespace fw
