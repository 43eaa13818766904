#pragma once

#include <cstddef>
#include <string>

namespace fw {

// Limits every timetable reader keeps, so that no file can hold the window for long or fill
// the memory. A timetable sheet has a few hundred rows; these are far above any real one.
inline constexpr std::size_t kMaxWorkbookFileBytes = 100u << 20;  // the file as read from disk
inline constexpr std::size_t kMaxSheetTextBytes = 50u << 20;      // XML of an .xlsx, or a .csv
inline constexpr int kMaxSheetRows = 65536;                       // as many as an .xls can hold
inline constexpr int kMaxSheetColumns = 16384;                    // as many as an .xlsx can hold
inline constexpr std::size_t kMaxCsvRecordBytes = 256u << 10;     // one line of a .csv
// Cells that hold something: a timetable of 200 batches with a departure every minute of the day
// has under 600,000. What is past this is no timetable, whatever its bytes.
inline constexpr std::size_t kMaxSheetCells = 10'000'000;

// Why a timetable file gave no sheet.
enum class WorkbookProblem {
    None,
    Unreadable,        // the file cannot be opened or read
    NotAWorkbook,      // not a spreadsheet at all
    ZipNotWorkbook,    // a zip archive, but no Excel workbook in it
    Protected,         // password-protected or encrypted
    Damaged,           // truncated or corrupt
    TooLongText,       // a cell with more text than the .xls reader can take
    NoSuchSheet,       // no worksheet of the asked name
    TooLarge,          // more than the limits above: file size or uncompressed XML
    TooManyRows,       // a cell below row kMaxSheetRows
    TooManyColumns,    // a cell right of column kMaxSheetColumns
    BadSharedString,   // a cell names a shared string the workbook does not have
    BadCellReference,  // a cell reference that is no cell of a sheet
    MixedEncoding,     // a .csv with lines in UTF-8 and lines in GBK
    UnknownEncoding,   // a .csv that is neither UTF-8 nor GBK
    LongLine,          // a .csv line longer than kMaxCsvRecordBytes
    OpenQuote,         // a .csv field whose quote is never closed
    RaggedRow,         // a .csv line with data right of the header's columns
    TooManyCells,      // more than kMaxSheetCells cells that hold something
    Cancelled,         // the user stopped the reading
};

// The problem and where it was found: a cell ("B5") or a line number of a .csv, when known.
struct ReadProblem {
    WorkbookProblem kind = WorkbookProblem::None;
    std::string where;
    std::string detail;  // e.g. the other line of a mixed encoding, or a count

    explicit operator bool() const { return kind != WorkbookProblem::None; }
};

// The message the user reads; empty for None and Cancelled.
std::string WorkbookProblemText(const ReadProblem& problem);

// Something in a sheet that the timetable cannot be read from as the planner wrote it: a formula
// without a result, a duplicate batch name. `place` names the cell ("C5") or, in a .csv, the
// line and column; `sheet` is empty for a .csv.
struct TimetableProblem {
    std::string sheet;
    std::string place;
    std::string text;
};

}  // namespace fw
