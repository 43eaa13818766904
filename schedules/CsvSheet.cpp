#include "schedules/CsvSheet.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "text/Encoding.h"
#include "text/OleDate.h"
#include "text/Strings.h"

namespace fw {
namespace {

bool InRange(unsigned char c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

// The length of the well-formed UTF-8 sequence at `at` (no overlong forms, no surrogates), or 0.
std::size_t Utf8At(std::string_view s, std::size_t at) {
    const auto b = [&](std::size_t k) {
        return static_cast<unsigned char>(at + k < s.size() ? s[at + k] : 0);
    };
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    auto tail = [&](std::size_t k) { return InRange(b(k), 0x80, 0xBF); };
    if (InRange(c, 0xC2, 0xDF)) return tail(1) ? 2 : 0;
    if (c == 0xE0) return InRange(b(1), 0xA0, 0xBF) && tail(2) ? 3 : 0;
    if (InRange(c, 0xE1, 0xEC) || c == 0xEE || c == 0xEF) return tail(1) && tail(2) ? 3 : 0;
    if (c == 0xED) return InRange(b(1), 0x80, 0x9F) && tail(2) ? 3 : 0;
    if (c == 0xF0) return InRange(b(1), 0x90, 0xBF) && tail(2) && tail(3) ? 4 : 0;
    if (InRange(c, 0xF1, 0xF3)) return tail(1) && tail(2) && tail(3) ? 4 : 0;
    if (c == 0xF4) return InRange(b(1), 0x80, 0x8F) && tail(2) && tail(3) ? 4 : 0;
    return 0;
}

bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8At(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// GBK's byte structure: ASCII, or a lead byte 0x81-0xFE and a trail byte 0x40-0xFE but 0x7F.
bool IsGbk(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) continue;
        if (!InRange(c, 0x81, 0xFE) || i + 1 >= s.size()) return false;
        const auto t = static_cast<unsigned char>(s[++i]);
        if (!InRange(t, 0x40, 0xFE) || t == 0x7F) return false;
    }
    return true;
}

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

bool Fail(ReadProblem* problem, WorkbookProblem kind, int line, std::string detail = {}) {
    problem->kind = kind;
    // The size limits name a place of any format: here a line.
    const bool sizeLimit = kind == WorkbookProblem::TooManyRows || kind == WorkbookProblem::TooManyColumns ||
                           kind == WorkbookProblem::TooManyCells;
    problem->where = sizeLimit ? "第" + std::to_string(line) + "行" : std::to_string(line);
    problem->detail = std::move(detail);
    return false;
}

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// "7:30" or "07:30:15": a time as a clock shows it, up to 47:59:59 for the small hours of the
// next day.
bool ClockTime(std::string_view t, int* h, int* m, int* s) {
    auto number = [&t](std::size_t& at, int maxDigits, int* out) {
        int digits = 0;
        *out = 0;
        for (; at < t.size() && digits < maxDigits && t[at] >= '0' && t[at] <= '9'; ++at, ++digits)
            *out = *out * 10 + (t[at] - '0');
        return digits;
    };
    std::size_t at = 0;
    if (number(at, 2, h) == 0 || at >= t.size() || t[at++] != ':' || number(at, 2, m) != 2)
        return false;
    *s = 0;
    if (at < t.size() && (t[at++] != ':' || number(at, 2, s) != 2)) return false;
    return at == t.size() && *h <= 47 && *m <= 59 && *s <= 59;
}

// A .csv as a sheet: the text of every field once, one after the other, and where each ends.
class CsvSheet : public Sheet {
public:
    int RowCount() const override { return static_cast<int>(lines_.size()); }
    int ColumnCount() const override { return columns_; }

    std::string CellText(int row, int column) const override {
        if (row < 0 || row >= RowCount() || column < 0 || column >= FieldCount(row)) return {};
        return Shown(row, Field(row, column));
    }

    void ForEachCell(int row, const CellVisitor& visit) const override {
        if (row < 0 || row >= RowCount()) return;
        for (int column = 0; column < FieldCount(row); ++column)
            if (const std::string_view field = Field(row, column); !field.empty()) visit(column, Shown(row, field));
    }

    std::string CellPlace(int row, int column) const override {
        const int line = row >= 0 && row < RowCount() ? lines_[static_cast<std::size_t>(row)] : row + 1;
        return "第" + std::to_string(line) + "行第" + std::to_string(column + 1) + "列";
    }

    // Building, record by record.
    void BeginRow(int line) {
        lines_.push_back(line);
        rowFirst_.push_back(static_cast<std::uint32_t>(ends_.size()));
    }
    void EndField() { ends_.push_back(static_cast<std::uint32_t>(text_.size())); }
    std::string& Text() { return text_; }
    int FieldCount(int row) const {
        const auto r = static_cast<std::size_t>(row);
        const std::size_t last = r + 1 < rowFirst_.size() ? rowFirst_[r + 1] : ends_.size();
        return static_cast<int>(last - rowFirst_[r]);
    }
    std::string_view Field(int row, int column) const {
        const std::size_t k = rowFirst_[static_cast<std::size_t>(row)] + static_cast<std::size_t>(column);
        const std::uint32_t begin = k == 0 ? 0 : ends_[k - 1];
        return std::string_view(text_).substr(begin, ends_[k] - begin);
    }
    void Finish() {
        for (int row = 0; row < RowCount(); ++row) columns_ = std::max(columns_, FieldCount(row));
        text_.shrink_to_fit();
        ends_.shrink_to_fit();
    }

private:
    // Header cells are names, kept as written; the others as a spreadsheet reads them.
    static std::string Shown(int row, std::string_view field) {
        return row == 0 ? std::string(field) : CsvCellText(std::string(field));
    }

    std::string text_;
    std::vector<std::uint32_t> ends_;      // each field's end in text_
    std::vector<std::uint32_t> rowFirst_;  // each row's first field
    std::vector<int> lines_;               // the line each row begins on
    int columns_ = 0;
};

// Splits the text into records of fields, straight into the sheet. Quotes open a field only at
// its start, as spreadsheets read them; a quote inside an unquoted field is a character.
class CsvParser {
public:
    CsvParser(std::string_view text, char separator, ReadStage stage)
        : text_(text), separator_(separator), stage_(stage) {}

    bool Run(CsvSheet& sheet, ReadProblem* problem) {
        int line = 1;
        std::size_t i = 0, cells = 0, headerWidth = 0, reported = 0;
        const std::size_t n = text_.size();
        std::string& out = sheet.Text();
        out.reserve(n);
        while (i < n) {
            if (i - reported >= (1u << 16)) {
                if (stage_.Cancelled()) {
                    problem->kind = WorkbookProblem::Cancelled;
                    return false;
                }
                stage_.Report(static_cast<double>(i) / static_cast<double>(n));
                reported = i;
            }
            const int recordLine = line;
            const std::size_t recordStart = i;
            if (sheet.RowCount() >= kMaxSheetRows) return Fail(problem, WorkbookProblem::TooManyRows, recordLine);
            sheet.BeginRow(recordLine);
            std::size_t fields = 0, used = 0;  // used: up to the last field that is not blank
            std::size_t fieldStart = out.size();
            bool quoted = false, atStart = true, blank = true;
            int quoteLine = line;
            auto endField = [&] {
                if (!blank) {
                    used = fields + 1;
                    ++cells;
                }
                sheet.EndField();
                ++fields;
                fieldStart = out.size();
                atStart = blank = true;
            };
            while (i < n) {
                if (i - recordStart > kMaxCsvRecordBytes)
                    return quoted ? Fail(problem, WorkbookProblem::OpenQuote, quoteLine)
                                  : Fail(problem, WorkbookProblem::LongLine, recordLine);
                const char c = text_[i];
                if (quoted) {
                    if (c == '"') {
                        if (i + 1 < n && text_[i + 1] == '"') {
                            out += '"';
                            blank = false;
                            i += 2;
                        } else {
                            quoted = false;
                            ++i;
                        }
                        continue;
                    }
                    if (c == '\n' || (c == '\r' && (i + 1 >= n || text_[i + 1] != '\n'))) ++line;
                    out += c;
                    blank = blank && IsBlankChar(c);
                    ++i;
                } else if (c == '"' && atStart) {
                    quoted = true;
                    atStart = false;
                    quoteLine = line;
                    ++i;
                } else if (c == separator_) {
                    endField();
                    ++i;
                    if (fields >= static_cast<std::size_t>(kMaxSheetColumns))
                        return Fail(problem, WorkbookProblem::TooManyColumns, recordLine);
                } else if (c == '\r' || c == '\n') {
                    i += c == '\r' && i + 1 < n && text_[i + 1] == '\n' ? 2 : 1;
                    ++line;
                    break;
                } else {
                    out += c;
                    atStart = false;
                    blank = blank && IsBlankChar(c);
                    ++i;
                }
            }
            if (quoted) return Fail(problem, WorkbookProblem::OpenQuote, quoteLine);
            const bool emptyLine = fields == 0 && out.size() == fieldStart;
            if (emptyLine) continue;  // no fields at all
            endField();
            if (sheet.RowCount() == 1) {
                // A batch's line column may lack its header: the header's width is counted in pairs.
                headerWidth = (fields + 1) / 2 * 2;
            } else if (used > headerWidth) {
                return Fail(problem, WorkbookProblem::RaggedRow, recordLine, std::to_string(used));
            }
            if (cells > kMaxSheetCells) return Fail(problem, WorkbookProblem::TooManyCells, recordLine);
        }
        return true;
    }

private:
    std::string_view text_;
    char separator_;
    ReadStage stage_;
};
// The separator the header line uses most, outside quotes; a comma when it uses none.
char SeparatorOf(std::string_view text) {
    std::array<int, 3> counts{};
    static constexpr std::array<char, 3> kSeparators{',', ';', '\t'};
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        for (std::size_t k = 0; k < kSeparators.size(); ++k) counts[k] += c == kSeparators[k];
    }
    const auto most = std::max_element(counts.begin(), counts.end());  // the first of equals
    return kSeparators[static_cast<std::size_t>(most - counts.begin())];
}

}  // namespace

bool DetectCsvEncoding(std::string_view bytes, CsvEncoding* encoding, ReadProblem* problem) {
    *problem = {};
    if (bytes.size() > kMaxSheetTextBytes) {
        problem->kind = WorkbookProblem::TooLarge;
        problem->detail = "超过" + std::to_string(kMaxSheetTextBytes >> 20) + " MB";
        return false;
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return Fail(problem, WorkbookProblem::UnknownEncoding, 1);  // UTF-16, which no export here writes
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    if (bom) bytes.remove_prefix(3);
    // The first line that only UTF-8 reads, and the first that only GBK reads.
    int utf8Line = 0, gbkLine = 0, lineNumber = 0;
    // Lines end in LF, CR LF or a lone CR, and are counted as the parser counts them.
    for (std::size_t start = 0; start <= bytes.size();) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        ++lineNumber;
        start = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
        if (IsAscii(line)) continue;
        const bool utf8 = IsUtf8(line), gbk = IsGbk(line);
        if (!utf8 && !gbk) return Fail(problem, WorkbookProblem::UnknownEncoding, lineNumber);
        if (utf8 && !gbk && utf8Line == 0) utf8Line = lineNumber;
        if (gbk && !utf8 && gbkLine == 0) gbkLine = lineNumber;
        // A byte order mark says UTF-8 as plainly as a line only UTF-8 reads.
        if (gbkLine != 0 && (utf8Line != 0 || bom))
            return Fail(problem, WorkbookProblem::MixedEncoding, utf8Line != 0 ? utf8Line : 1, std::to_string(gbkLine));
    }
    *encoding = gbkLine != 0 ? CsvEncoding::Gbk : bom ? CsvEncoding::Utf8WithBom : CsvEncoding::Utf8;
    return true;
}

bool DecodeCsvText(std::string_view bytes, std::string* utf8, ReadProblem* problem) {
    CsvEncoding encoding = CsvEncoding::Utf8;
    if (!DetectCsvEncoding(bytes, &encoding, problem)) return false;
    if (encoding == CsvEncoding::Gbk) *utf8 = GbkToUtf8(bytes);
    else *utf8 = std::string(bytes.substr(encoding == CsvEncoding::Utf8WithBom ? 3 : 0));
    return true;
}

std::string CsvCellText(std::string field) {
    const std::string_view t = TrimView(field);
    int h = 0, m = 0, s = 0;
    if (ClockTime(t, &h, &m, &s))
        return "1899-12-30 " + TwoDigits(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
    if (t.size() >= 8 &&
        std::all_of(t.begin(), t.begin() + 4, [](char c) { return c >= '0' && c <= '9'; }) &&
        (t[4] == '-' || t[4] == '/'))
        if (const auto date = ParseDateTime(t)) return FormatDateTime(*date);
    return field;
}

std::unique_ptr<Sheet> OpenCsvSheet(std::string_view bytes, ReadProblem* problem, ReadStage stage) {
    ReadProblem ignored;
    if (problem == nullptr) problem = &ignored;
    CsvEncoding encoding = CsvEncoding::Utf8;
    if (!DetectCsvEncoding(bytes, &encoding, problem)) return nullptr;
    stage.Report(0.1);
    // UTF-8 is read where it lies; only GBK needs a converted copy.
    std::string converted;
    std::string_view text = bytes;
    if (encoding == CsvEncoding::Gbk) text = converted = GbkToUtf8(bytes);
    else if (encoding == CsvEncoding::Utf8WithBom) text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos) {
        problem->kind = WorkbookProblem::NotAWorkbook;  // binary data, not text
        return nullptr;
    }
    auto sheet = std::make_unique<CsvSheet>();
    if (!CsvParser(text, SeparatorOf(text), stage.Part(0.2, 1)).Run(*sheet, problem)) return nullptr;
    sheet->Finish();
    return sheet;
}

}  // namespace fw
