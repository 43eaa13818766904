#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "schedules/Sheet.h"

namespace fw {

// Why a workbook gave no sheet.
enum class WorkbookProblem {
    None,
    Unreadable,    // the file cannot be opened or read
    NotAWorkbook,  // not a spreadsheet at all
    NewerFormat,   // an Excel 2007 (.xlsx) workbook
    Protected,     // the workbook is password-protected
    Damaged,       // truncated or corrupt
    TooLongText,   // a cell with more text than the reader can take (thousands of characters)
    NoSuchSheet,   // no worksheet of the asked name
};

// Opens the worksheet `sheetName` of an Excel 97-2003 (.xls) workbook with FreeXL. The name is
// matched exactly, else without regard to ASCII case (as the spreadsheet driver matched it).
// Cells read as that driver gave them as text: numbers in their shortest form, time-of-day
// cells on the base date ("1899-12-30 07:30:00"), date cells with a midnight time.
// Null, with `problem` set, when the file is not such a workbook or has no such sheet.
std::unique_ptr<Sheet> OpenXlsSheet(const std::string& path, std::string_view sheetName,
                                    WorkbookProblem* problem);

// Which reader a file needs, from its first bytes.
enum class WorkbookFormat { Unreadable, Xls, Xlsx, Other };
WorkbookFormat SniffWorkbookFormat(const std::string& path);

}  // namespace fw
