#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "schedules/Sheet.h"

namespace fw {

// What FreeXL does not give of an .xls worksheet, read from the workbook's own records:
//  - formulas (FreeXL leaves their cells empty): their stored results, a number by its cell's
//    format, a text from the STRING record after them; a result of true/false or an error, or
//    none at all, is a problem of the cell;
//  - numbers in the header row as the sheet shows them ("6:30", not a time on the base date);
//  - times of a day and more (FreeXL keeps only the time of day, so 24:10 would read 00:10).
// Cells FreeXL reads rightly are not here.
struct XlsCells {
    std::map<std::pair<int, int>, std::string> texts;  // (row, column) → the cell's text
    std::vector<CellProblem> problems;
};

// The cells of the worksheet `sheetName` (matched exactly, else without regard to ASCII case)
// in the bytes of an .xls file. Nothing when the file cannot be read this way (FreeXL judges
// it then) or is encrypted.
std::optional<XlsCells> ReadXlsCells(std::string_view file, std::string_view sheetName);

}  // namespace fw
