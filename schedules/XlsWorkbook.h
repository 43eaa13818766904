#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "schedules/Sheet.h"
#include "schedules/WorkbookProblem.h"

namespace fw {

// Opens the worksheet `sheetName` of an Excel 97-2003 (.xls) workbook with FreeXL, which reads
// it from `path`; `bytes` are the same file's contents, looked at first for what FreeXL would
// misread (XlsStrings.h) or not recognise (an encrypted .xlsx package in the same container).
// The name is matched exactly, else without regard to ASCII case (as the spreadsheet driver
// matched it). Cells read as that driver gave them as text: numbers in their shortest form,
// time-of-day cells on the base date ("1899-12-30 07:30:00"), date cells with a midnight time.
// Null, with `problem` set, when the file is not such a workbook or has no such sheet.
std::unique_ptr<Sheet> OpenXlsSheet(const std::string& path, std::string_view bytes, std::string_view sheetName,
                                    ReadProblem* problem);

}  // namespace fw
