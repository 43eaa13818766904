#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "schedules/ReadControl.h"
#include "schedules/Sheet.h"
#include "schedules/WorkbookProblem.h"

namespace fw {

// Which encoding a .csv file is in. Only lines that are valid in one of UTF-8 and GBK alone
// decide: a line valid in both (GBK's pairs are often valid UTF-8 too, "路" is C2 B7 in GBK) is
// no evidence. A byte order mark says UTF-8; a file of lines valid in both is read as UTF-8.
// A file with lines valid only in UTF-8 and lines valid only in GBK (two exports pasted
// together) is refused, as is one with a line valid in neither. False with `problem` set.
enum class CsvEncoding { Utf8, Utf8WithBom, Gbk };
bool DetectCsvEncoding(std::string_view bytes, CsvEncoding* encoding, ReadProblem* problem);
// The text of a .csv file as UTF-8, by DetectCsvEncoding.
bool DecodeCsvText(std::string_view bytes, std::string* utf8, ReadProblem* problem);

// A .csv cell as the spreadsheet would have read the text: a time of day ("7:30", "07:30:00")
// as a time cell on the base date ("1899-12-30 07:30:00"), past midnight too ("24:10" as
// "1899-12-30 24:10:00", as a workbook's value of a day and more reads), a date or date-time ("2014/8/25",
// "2014-08-25 7:30") as "yyyy-mm-dd hh:mm:ss"; any other text as it stands. A .csv has no cell
// types, so this is what makes its departure times the same texts as a workbook's.
std::string CsvCellText(std::string field);

// Reads a .csv held in memory as one sheet, row 0 its header line, whose texts are names and
// stay as they are; other cells read by CsvCellText. Fields are separated by commas or
// semicolons (tabs too), whichever the header line uses most; fields in double quotes may hold
// separators, line breaks and doubled quotes. Refused with `problem` set, and never half read:
// more than kMaxSheetTextBytes, a line longer than kMaxCsvRecordBytes, a quote never closed,
// more than kMaxSheetRows lines, kMaxSheetColumns fields or kMaxSheetCells cells that hold
// something, and a line with data right of the header's columns (a separator inside an unquoted
// field shifts every later cell, and the times would go to the wrong batches). A missing line
// header of the last pair counts as a column. The sheet keeps the fields' text once and four
// bytes a field besides. A cancelled reading gives nothing, with the problem Cancelled.
std::unique_ptr<Sheet> OpenCsvSheet(std::string_view bytes, ReadProblem* problem, ReadStage stage = {});

}  // namespace fw
