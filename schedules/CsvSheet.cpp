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

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

bool Fail(ReadProblem* problem, WorkbookProblem kind, int line, std::string detail = {}) {
    problem->kind = kind;
    // The size limits name a place of any format: here a line.
    const bool sizeLimit =
        kind == WorkbookProblem::TooManyRows || kind == WorkbookProblem::TooManyColumns;
    problem->where = sizeLimit ? "第" + std::to_string(line) + "行" : std::to_string(line);
    problem->detail = std::move(detail);
    return false;
}

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// "7:30" or "07:30:15": a time of day as a clock shows it.
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
    return at == t.size() && *h <= 23 && *m <= 59 && *s <= 59;
}

// Splits the text into records of fields. Quotes open a field only at its start, as
// spreadsheets read them; a quote inside an unquoted field is a character.
class CsvParser {
public:
    CsvParser(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool Run(std::vector<std::vector<std::string>>* rows, std::vector<int>* lines,
             ReadProblem* problem) {
        int line = 1;
        std::size_t i = 0;
        const std::size_t n = text_.size();
        while (i < n) {
            const int recordLine = line;
            const std::size_t recordStart = i;
            std::vector<std::string> fields;
            std::string field;
            bool quoted = false, atStart = true;
            int quoteLine = line;
            while (i < n) {
                if (i - recordStart > kMaxCsvRecordBytes)
                    return quoted ? Fail(problem, WorkbookProblem::OpenQuote, quoteLine)
                                  : Fail(problem, WorkbookProblem::LongLine, recordLine);
                const char c = text_[i];
                if (quoted) {
                    if (c == '"') {
                        if (i + 1 < n && text_[i + 1] == '"') {
                            field += '"';
                            i += 2;
                        } else {
                            quoted = false;
                            ++i;
                        }
                        continue;
                    }
                    if (c == '\n' || (c == '\r' && (i + 1 >= n || text_[i + 1] != '\n'))) ++line;
                    field += c;
                    ++i;
                } else if (c == '"' && atStart) {
                    quoted = true;
                    atStart = false;
                    quoteLine = line;
                    ++i;
                } else if (c == separator_) {
                    fields.push_back(std::move(field));
                    field.clear();
                    atStart = true;
                    ++i;
                    if (fields.size() >= static_cast<std::size_t>(kMaxSheetColumns))
                        return Fail(problem, WorkbookProblem::TooManyColumns, recordLine);
                } else if (c == '\r' || c == '\n') {
                    i += c == '\r' && i + 1 < n && text_[i + 1] == '\n' ? 2 : 1;
                    ++line;
                    break;
                } else {
                    field += c;
                    atStart = false;
                    ++i;
                }
            }
            if (quoted) return Fail(problem, WorkbookProblem::OpenQuote, quoteLine);
            fields.push_back(std::move(field));
            if (rows->size() >= static_cast<std::size_t>(kMaxSheetRows))
                return Fail(problem, WorkbookProblem::TooManyRows, recordLine);
            if (fields.size() == 1 && fields[0].empty()) fields.clear();  // an empty line
            rows->push_back(std::move(fields));
            lines->push_back(recordLine);
        }
        return true;
    }

private:
    std::string_view text_;
    char separator_;
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

bool DecodeCsvText(std::string_view bytes, std::string* utf8, ReadProblem* problem) {
    *problem = {};
    if (bytes.size() > kMaxSheetTextBytes) {
        problem->kind = WorkbookProblem::TooLarge;
        problem->detail = "超过" + std::to_string(kMaxSheetTextBytes >> 20) + " MB";
        return false;
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return Fail(problem, WorkbookProblem::UnknownEncoding,
                    1);  // UTF-16, which no export here writes
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    if (bom) bytes.remove_prefix(3);
    int utf8Line = 0, gbkLine = 0, lineNumber = 0;
    // Lines end in LF, CR LF or a lone CR, and are counted as the parser counts them.
    for (std::size_t start = 0; start <= bytes.size();) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        ++lineNumber;
        start = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
        if (IsAscii(line)) continue;
        if (IsUtf8(line)) {
            if (utf8Line == 0) utf8Line = lineNumber;
        } else if (IsGbk(line)) {
            if (gbkLine == 0) gbkLine = lineNumber;
        } else {
            return Fail(problem, WorkbookProblem::UnknownEncoding, lineNumber);
        }
        // A byte order mark says UTF-8 as plainly as a UTF-8 line does.
        if (gbkLine != 0 && (utf8Line != 0 || bom))
            return Fail(problem, WorkbookProblem::MixedEncoding, utf8Line != 0 ? utf8Line : 1,
                        std::to_string(gbkLine));
    }
    *utf8 = gbkLine != 0 ? GbkToUtf8(bytes) : std::string(bytes);
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

std::unique_ptr<Sheet> OpenCsvSheet(std::string_view bytes, ReadProblem* problem) {
    ReadProblem ignored;
    if (problem == nullptr) problem = &ignored;
    std::string text;
    if (!DecodeCsvText(bytes, &text, problem)) return nullptr;
    if (text.find('\0') != std::string::npos) {
        problem->kind = WorkbookProblem::NotAWorkbook;  // binary data, not text
        return nullptr;
    }
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;
    if (!CsvParser(text, SeparatorOf(text)).Run(&rows, &lines, problem)) return nullptr;

    // A batch's line column may lack its header: the header's width is counted in pairs.
    const std::size_t width = rows.empty() ? 0 : (rows[0].size() + 1) / 2 * 2;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& fields = rows[r];
        std::size_t used = fields.size();
        while (used > 0 && TrimView(fields[used - 1]).empty()) --used;
        if (used > width) {
            Fail(problem, WorkbookProblem::RaggedRow, lines[r], std::to_string(used));
            return nullptr;
        }
    }
    for (auto& fields : rows)
        for (auto& f : fields) f = CsvCellText(std::move(f));
    return std::make_unique<TableSheet>(std::move(rows));
}

}  // namespace fw
