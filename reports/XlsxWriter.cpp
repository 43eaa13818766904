#include "reports/XlsxWriter.h"

#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <pugixml.hpp>
#include <set>

#include "reports/ReplacingFile.h"
#include "text/Encoding.h"
#include "text/OleDate.h"

namespace fw {
namespace {

constexpr std::size_t kProgressEvery = 500;  // rows
constexpr double kMaxColumnWidth = 50;
constexpr std::size_t kMaxCellBytes = 32767;  // what a cell may hold
constexpr lxw_color_t kRed = 0xFF0000;
constexpr std::size_t kKinds = 5;

// The formats of a workbook: one per cell kind, plain and red, and those of the blocks.
struct Formats {
    std::array<std::array<lxw_format*, 2>, kKinds> cell{};
    lxw_format* title = nullptr;
    lxw_format* label = nullptr;
    lxw_format* heading = nullptr;

    lxw_format* For(CellKind kind, bool red) const {
        return cell[static_cast<std::size_t>(kind)][red ? 1 : 0];
    }
};

Formats MakeFormats(lxw_workbook* book) {
    Formats f;
    for (std::size_t kind = 0; kind < kKinds; ++kind)
        for (int red = 0; red < 2; ++red) {
            // Plain text needs no format; each format a cell names costs a lookup per cell.
            if (static_cast<CellKind>(kind) == CellKind::Text && red == 0) continue;
            lxw_format* format = workbook_add_format(book);
            switch (static_cast<CellKind>(kind)) {
                case CellKind::DateTime:
                    format_set_num_format(format, "yyyy-mm-dd hh:mm:ss");
                    break;
                case CellKind::Date:
                    format_set_num_format(format, "yyyy-mm-dd");
                    break;
                case CellKind::Count:
                    format_set_num_format(format, "0");
                    break;
                case CellKind::Share:
                    format_set_num_format(format, "0.0%");
                    break;
                case CellKind::Text:
                    break;
            }
            if (red) format_set_font_color(format, kRed);
            f.cell[kind][static_cast<std::size_t>(red)] = format;
        }
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    format_set_font_size(f.title, 14);
    f.label = workbook_add_format(book);
    format_set_bold(f.label);
    f.heading = workbook_add_format(book);
    format_set_bold(f.heading);
    format_set_bg_color(f.heading, 0xDDE4EE);
    format_set_bottom(f.heading, LXW_BORDER_THIN);
    return f;
}

// A sheet name Excel accepts: none of []:*?/\, at most 31 characters, not used before.
std::string SheetName(std::string_view title, std::set<std::string>& used) {
    std::string name;
    for (char c : title)
        if (std::string_view("[]:*?/\\").find(c) == std::string_view::npos) name += c;
    if (name.empty()) name = "Sheet";
    name = std::string(TruncateUtf8(name, 31 * 3));
    std::string unique = name;
    for (int n = 2; used.count(unique) > 0; ++n) unique = name + " (" + std::to_string(n) + ")";
    used.insert(unique);
    return unique;
}

class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, const Formats& formats) : sheet_(sheet), formats_(formats) {}

    void Text(lxw_row_t row, lxw_col_t col, std::string_view text, lxw_format* format) {
        if (text.empty()) return;
        scratch_.assign(TruncateUtf8(text, kMaxCellBytes));
        worksheet_write_string(sheet_, row, col, scratch_.c_str(), format);
    }

    void Cell(lxw_row_t row, lxw_col_t col, const ExportColumn& column, std::string_view text) {
        if (text.empty()) return;
        lxw_format* format = formats_.For(column.kind, column.red);
        switch (column.kind) {
            case CellKind::DateTime:
            case CellKind::Date:
                if (const std::optional<OleDate> when = ParseDateTime(text)) {
                    worksheet_write_number(sheet_, row, col, *when, format);
                    return;
                }
                break;
            case CellKind::Count:
            case CellKind::Share:
                if (const std::optional<double> number = Number(text)) {
                    worksheet_write_number(sheet_, row, col, *number, format);
                    return;
                }
                break;
            case CellKind::Text:
                break;
        }
        Text(row, col, text, formats_.For(CellKind::Text, column.red));
    }

    // Title and header block, a blank row, then the table under its heading row.
    bool Table(const ExportDocument& document, const ExportTable& table,
               const ExportProgress& progress) {
        lxw_row_t row = 0;
        Text(row++, 0, document.title, formats_.title);
        for (const HeaderLine& line : document.header) {
            Text(row, 0, line.label, formats_.label);
            Text(row++, 1, line.value, nullptr);
        }
        ++row;
        const lxw_row_t headingRow = row;
        const auto columns = static_cast<lxw_col_t>(table.columns.size());
        for (lxw_col_t c = 0; c < columns; ++c)
            Text(headingRow, c, table.columns[c].heading, formats_.heading);
        FitColumns(table);
        for (std::size_t r = 0; r < table.rowCount; ++r) {
            const auto at = static_cast<lxw_row_t>(headingRow + 1 + r);
            for (lxw_col_t c = 0; c < columns; ++c) Cell(at, c, table.columns[c], table.cell(r, c));
            if (progress && (r + 1) % kProgressEvery == 0 && !progress(r + 1)) return false;
        }
        if (columns > 0) {
            const auto last = static_cast<lxw_row_t>(headingRow + table.rowCount);
            worksheet_freeze_panes(sheet_, headingRow + 1, 0);
            worksheet_autofilter(sheet_, headingRow, 0, last, columns - 1);
            worksheet_repeat_rows(sheet_, headingRow, headingRow);
        }
        worksheet_set_landscape(sheet_);
        worksheet_set_paper(sheet_, 9);  // A4
        worksheet_fit_to_pages(sheet_, 1, 0);
        return true;
    }

private:
    static std::optional<double> Number(std::string_view text) {
        const std::string s(text);
        char* end = nullptr;
        const double value = std::strtod(s.c_str(), &end);
        if (end == s.c_str() || *end != '\0') return std::nullopt;
        return value;
    }

    void FitColumns(const ExportTable& table) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            std::size_t widest = DisplayWidth(table.columns[c].heading) + 4;  // the filter button
            if (table.columns[c].kind == CellKind::Share)
                widest = std::max<std::size_t>(widest, 7);
            else
                for (std::size_t r = 0; r < table.rowCount; ++r)
                    widest = std::max(widest, DisplayWidth(table.cell(r, c)));
            const double width = std::min(kMaxColumnWidth, static_cast<double>(widest) + 2);
            worksheet_set_column(sheet_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                 width, nullptr);
        }
    }

    lxw_worksheet* sheet_;
    const Formats& formats_;
    std::string scratch_;
};

// libxlsxwriter keeps the parts of a workbook in temporary files while it writes and does not
// notice when those writes fail (a full temporary folder): it then zips truncated parts and
// reports success. So the workbook is read back before it takes its name: every part must be
// whole (its checksum right) and every XML part well formed.
bool WorkbookIsWhole(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr) return false;
    bool whole = true;
    std::string content;
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; whole && i < entries; ++i) {
        zip_stat_t info;
        zip_file_t* part = nullptr;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &info) != 0 ||
            (part = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0)) == nullptr) {
            whole = false;
            break;
        }
        content.resize(info.size);
        // Reading to the end checks the part's CRC.
        const zip_int64_t read = zip_fread(part, content.data(), info.size);
        char extra;
        whole = read == static_cast<zip_int64_t>(info.size) && zip_fread(part, &extra, 1) == 0;
        zip_fclose(part);
        const std::string_view name(info.name);
        if (whole && (name.ends_with(".xml") || name.ends_with(".rels"))) {
            pugi::xml_document document;
            whole =
                document.load_buffer_inplace(content.data(), content.size(), pugi::parse_minimal);
        }
    }
    zip_discard(archive);
    return whole && entries > 0;
}

}  // namespace

ExportResult WriteXlsx(const ExportDocument& document, const std::string& path,
                       const ExportProgress& progress) {
    std::size_t longest = document.detail.rowCount;
    for (const ExportTable& summary : document.summaries)
        longest = std::max(longest, summary.rowCount);
    if (longest + document.header.size() + 4 > LXW_ROW_MAX)
        return ExportResult::Failure(
            "行数超过 Excel 工作表的上限（1048576 行），请缩小时间范围或改用 CSV");

    ReplacingFile file(path);
    std::string error;
    if (!file.Open(&error)) return ExportResult::Failure(error);
    file.CloseForWriter();

    // Rows go to disk as they are written, so a long list does not sit in memory twice.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(file.TempPath().c_str(), &options);
    if (book == nullptr) return ExportResult::Failure(WriteErrorText(path, ENOMEM));
    lxw_doc_properties properties{};
    std::string title = document.title;
    properties.title = title.data();
    workbook_set_properties(book, &properties);
    const Formats formats = MakeFormats(book);

    std::set<std::string> names;
    std::vector<const ExportTable*> tables{&document.detail};
    for (const ExportTable& summary : document.summaries) tables.push_back(&summary);
    std::vector<lxw_worksheet*> sheets;
    for (const ExportTable* table : tables)
        sheets.push_back(workbook_add_worksheet(book, SheetName(table->title, names).c_str()));

    // Every sheet carries the header block; only the detail's rows are long enough to report on.
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        SheetWriter writer(sheets[i], formats);
        if (!writer.Table(document, *tables[i], i == 0 ? progress : ExportProgress{})) {
            lxw_workbook_free(book);
            return {ExportResult::Status::Cancelled, {}};
        }
    }

    errno = 0;
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        if (errno != 0) return ExportResult::Failure(WriteErrorText(path, errno));
        return ExportResult::Failure("无法写入“" + path + "”：" + lxw_strerror(closed));
    }
    if (!WorkbookIsWhole(file.TempPath()))
        return ExportResult::Failure("无法写入“" + path + "”：磁盘空间不足，工作簿未能写完整");
    if (!file.Commit(&error)) return ExportResult::Failure(error);
    return {};
}

}  // namespace fw
