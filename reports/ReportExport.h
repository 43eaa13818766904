#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "reports/ReportRows.h"

namespace fw {

// How a writer types the texts of a column.
enum class CellKind {
    Text,      // as it is
    DateTime,  // a date-time text becomes a date-time cell; a text that is none stays text
    Date,      // likewise for a date
    Count,     // a whole number
    Share,     // a fraction (0.953) shown as a percentage; empty when there is none
};

struct ExportColumn {
    std::string heading;
    CellKind kind = CellKind::Text;
    bool red = false;  // drawn in red, as the list draws its lateness columns
    int width = 100;   // share of the page width, in list pixels
};

// One table, read cell by cell so that a long list is not copied for its export. The cell
// function keeps whatever it reads alive.
struct ExportTable {
    std::string title;  // the sheet's name, the heading of its page
    std::vector<ExportColumn> columns;
    std::size_t rowCount = 0;
    std::function<std::string_view(std::size_t row, std::size_t column)> cell;
};

struct HeaderLine {
    std::string label;
    std::string value;
};

// What every export writes: a title, the header block, the rows as listed and the summaries.
struct ExportDocument {
    std::string title;
    std::vector<HeaderLine> header;
    ExportTable detail;
    std::vector<ExportTable> summaries;
};

// Told the rows written so far, now and then; false stops the export.
using ExportProgress = std::function<bool(std::size_t rowsWritten)>;

struct ExportResult {
    enum class Status { Written, Cancelled, Failed };
    Status status = Status::Written;
    std::string error;  // when Failed: the reason, for the user

    static ExportResult Failure(std::string why) { return {Status::Failed, std::move(why)}; }
    bool Written() const { return status == Status::Written; }
};

enum class ExportFormat { Xlsx, Csv, Pdf };
std::string_view ExtensionOf(ExportFormat format);  // "xlsx", "csv", "pdf"

inline constexpr std::string_view kReportTitle = "线路运行报表";
// The rule of a list the server computed ("查询"); a run names its detection rule.
inline constexpr std::string_view kServerRuleName = "服务器报表";

// Where a listed report came from, for its header block and its file name.
struct ReportHeading {
    std::string company;
    std::string plate;  // empty for a whole company's report
    std::string start;  // "yyyy-MM-dd HH:mm:ss"
    std::string end;
    std::string rule;  // the detection rule that made the list, or that the server made it
    std::string generatedAt;
    std::string matching;  // how the run gave events to rows; empty for the server's list
};

// 公司, 车牌号, 时间范围, 判定规则, 匹配方式, 生成时间.
std::vector<HeaderLine> HeaderBlock(const ReportHeading& heading);

// The eleven columns of the list, the lateness ones red and named (the list leaves them
// without a heading, which a filter row in a spreadsheet cannot do with).
std::vector<ExportColumn> DetailColumns();
// The rows as the list shows them, in its order; the rows must outlive the table.
ExportTable DetailTable(std::span<const ReportRow> rows);

// "报表_<plate>_<date>.<ext>": the plate (the company for a company's report) and the start's
// date, or "<start>至<end>" when the range spans days. Characters that a file name cannot
// hold on any common system become '_'.
std::string ExportFileName(const ReportHeading& heading, std::string_view prefix,
                           std::string_view extension);

// Columns a text takes in a fixed-width grid: CJK and other wide characters take two.
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace fw
