#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "schedules/Sheet.h"
#include "schedules/WorkbookProblem.h"

namespace fw {

// The text of a .csv file as UTF-8. UTF-8 with or without a byte order mark, else GBK, decided
// line by line: a file whose lines are partly UTF-8 and partly GBK (two exports pasted
// together) is refused, as is one with lines in neither. False with `problem` set.
bool DecodeCsvText(std::string_view bytes, std::string* utf8, ReadProblem* problem);

// A .csv cell as the spreadsheet would have read the text: a time of day ("7:30", "07:30:00")
// as a time cell on the base date ("1899-12-30 07:30:00"), a date or date-time ("2014/8/25",
// "2014-08-25 7:30") as "yyyy-mm-dd hh:mm:ss"; any other text as it stands. A .csv has no cell
// types, so this is what makes its departure times the same texts as a workbook's.
std::string CsvCellText(std::string field);

// Reads a .csv held in memory as one sheet, row 0 its header line. Fields are separated by
// commas or semicolons (tabs too), whichever the header line uses most; fields in double
// quotes may hold separators, line breaks and doubled quotes. Refused with `problem` set, and
// never half read: more than kMaxSheetTextBytes, a line longer than kMaxCsvRecordBytes, a quote
// never closed, more than kMaxSheetRows lines or kMaxSheetColumns fields, and a line with data
// right of the header's columns (a separator inside an unquoted field shifts every later cell,
// and the times would go to the wrong batches). A missing line header of the last pair counts
// as a column.
std::unique_ptr<Sheet> OpenCsvSheet(std::string_view bytes, ReadProblem* problem);

}  // namespace fw
