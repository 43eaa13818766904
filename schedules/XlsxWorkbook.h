#pragma once

#include <memory>
#include <string_view>

#include "schedules/ReadControl.h"
#include "schedules/Sheet.h"
#include "schedules/WorkbookProblem.h"

namespace fw {

// Opens the worksheet `sheetName` of an Excel 2007+ (.xlsx) workbook held in memory: a zip
// package read with libzip, its XML parts with pugixml. The name is matched exactly, else
// without regard to ASCII case, as for .xls. Cells read as the .xls reader gives them: shared
// and inline strings as written, numbers by their cell's number format (NumberFormats.h), the
// header row's numbers as the sheet shows them. A formula whose result is not stored, or is an
// error or true/false, is a problem of its cell (Sheet::Problems).
//
// Refused with `problem` set, and never half read: a zip without a workbook, encrypted parts,
// more than kMaxSheetTextBytes of XML in all (a zip bomb, whatever sizes the archive declares),
// a cell below row kMaxSheetRows, more than kMaxSheetCells cells that hold something, a shared
// string index the workbook lacks, a malformed cell reference or XML. The sheet's declared
// dimension is not trusted: only cells that hold something take memory.
std::unique_ptr<Sheet> OpenXlsxSheet(std::string_view bytes, std::string_view sheetName,
                                     ReadProblem* problem, ReadStage stage = {});

}  // namespace fw
