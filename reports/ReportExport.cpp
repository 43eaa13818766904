#include "reports/ReportExport.h"

#include "text/Encoding.h"
#include "text/OleDate.h"

namespace fw {
namespace {

// Decodes one UTF-8 character at `i`, advancing it; a broken sequence reads as one byte.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int length = b < 0x80           ? 1
                       : (b >> 5) == 0x6  ? 2
                       : (b >> 4) == 0xE  ? 3
                       : (b >> 3) == 0x1E ? 4
                                          : 1;
    if (length == 1 || i + static_cast<std::size_t>(length) > s.size()) {
        ++i;
        return b;
    }
    char32_t c = b & (0xFF >> (length + 1));
    for (int k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += static_cast<std::size_t>(length);
    return c;
}

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

// Keeps a name part usable on Linux, Windows and macOS alike.
std::string FileNamePart(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        const bool forbidden = b < 0x20 || b == 0x7F || c == '/' || c == '\\' || c == ':' ||
                               c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
        out += forbidden ? '_' : c;
    }
    return out;
}

}  // namespace

std::string_view ExtensionOf(ExportFormat format) {
    switch (format) {
        case ExportFormat::Xlsx:
            return "xlsx";
        case ExportFormat::Csv:
            return "csv";
        case ExportFormat::Pdf:
            return "pdf";
    }
    return "xlsx";
}

std::vector<HeaderLine> HeaderBlock(const ReportHeading& heading) {
    return {
        {"公司", heading.company},
        {"车牌号", heading.plate.empty() ? std::string("（全部车辆）") : heading.plate},
        {"时间范围", heading.start + " 至 " + heading.end},
        {"判定规则", heading.rule},
        {"匹配方式", heading.matching},
        {"生成时间", heading.generatedAt},
    };
}

std::vector<ExportColumn> DetailColumns() {
    static constexpr CellKind kinds[kReportColumnCount] = {
        CellKind::Text,     CellKind::Text,     CellKind::Date,     CellKind::Text,
        CellKind::Text,     CellKind::DateTime, CellKind::DateTime, CellKind::Text,
        CellKind::DateTime, CellKind::DateTime, CellKind::Text};
    std::vector<ExportColumn> columns;
    columns.reserve(kReportColumnCount);
    for (std::size_t c = 0; c < kReportColumnCount; ++c) {
        const ReportColumnInfo& info = kReportColumns[c];
        std::string heading(info.heading);
        // They pair with "计划到达时间" and "计划离开时间".
        if (c == kColLate) heading = "到达迟到";
        if (c == kColOverstay) heading = "离开久滞";
        columns.push_back({std::move(heading), kinds[c], info.highlighted, info.width});
    }
    return columns;
}

ExportTable DetailTable(std::span<const ReportRow> rows) {
    ExportTable table;
    table.title = "明细";
    table.columns = DetailColumns();
    table.rowCount = rows.size();
    table.cell = [rows](std::size_t row, std::size_t column) -> std::string_view {
        return rows[row].text[column];
    };
    return table;
}

std::string ExportFileName(const ReportHeading& heading, std::string_view prefix,
                           std::string_view extension) {
    std::string name(prefix);
    const std::string& subject = heading.plate.empty() ? heading.company : heading.plate;
    if (!subject.empty()) name += "_" + FileNamePart(subject);
    const std::string_view startDay = DatePart(heading.start);
    const std::string_view endDay = DatePart(heading.end);
    if (!startDay.empty()) {
        name += "_" + FileNamePart(startDay);
        if (!endDay.empty() && endDay != startDay) name += "至" + FileNamePart(endDay);
    }
    // Room for the extension and a temporary suffix within the usual 255-byte limit.
    name = std::string(TruncateUtf8(name, 200));
    return name + "." + std::string(extension);
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) width += IsWide(NextCodePoint(utf8, i)) ? 2 : 1;
    return width;
}

}  // namespace fw
