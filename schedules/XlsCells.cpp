#include "schedules/XlsCells.h"

#include <cstring>

#include "schedules/CompoundFile.h"
#include "schedules/NumberFormats.h"
#include "text/Encoding.h"
#include "text/Strings.h"

namespace fw {
namespace {

enum : std::uint32_t {
    kFormula = 0x0006, kEof = 0x000A, kDateMode = 0x0022, kFilePass = 0x002F, kContinue = 0x003C,
    kBoundSheet = 0x0085, kMulRk = 0x00BD, kXf = 0x00E0, kNumber = 0x0203, kString = 0x0207,
    kRk = 0x027E, kFormat = 0x041E, kBof = 0x0809, kSharedFormula = 0x04BC, kArray = 0x0221, kTable = 0x0236,
};

struct Record {
    std::uint32_t type = 0;
    std::string_view data;
};

// The records of a stream from `at`, each checked to lie inside it.
class Records {
public:
    Records(std::string_view stream, std::size_t at) : stream_(stream), at_(at) {}
    std::optional<Record> Next() {
        if (at_ + 4 > stream_.size()) return std::nullopt;
        const std::uint32_t type = LittleU16(stream_, at_), size = LittleU16(stream_, at_ + 2);
        if (at_ + 4 + size > stream_.size()) return std::nullopt;
        Record r{type, stream_.substr(at_ + 4, size)};
        at_ += 4 + size;
        return r;
    }
    std::optional<Record> Peek() const { return Records(*this).Next(); }

private:
    std::string_view stream_;
    std::size_t at_;
};

// A BIFF8 string of `characters` characters from `pieces`: the first from `at`, each later one
// (a CONTINUE record) beginning with its own flags byte. False when the bytes run out.
bool ReadChars(const std::vector<std::string_view>& pieces, std::size_t at, std::uint32_t characters, bool wide,
               std::string* out) {
    std::u16string units;
    std::size_t piece = 0;
    while (units.size() < characters) {
        std::string_view p = pieces[piece];
        const std::size_t width = wide ? 2 : 1;
        if (at + width > p.size()) {
            if (++piece >= pieces.size() || pieces[piece].empty()) return false;
            wide = (pieces[piece][0] & 0x01) != 0;
            at = 1;
            continue;
        }
        units += static_cast<char16_t>(wide ? LittleU16(p, at) : static_cast<unsigned char>(p[at]));
        at += width;
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t cp = units[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        AppendUtf8(*out, cp);
    }
    return true;
}

// An XLUnicodeString (16-bit count) at `at`, or a short one (8-bit count).
std::optional<std::string> UnicodeString(const std::vector<std::string_view>& pieces, std::size_t at, bool shortCount) {
    const std::string_view p = pieces[0];
    const std::size_t head = shortCount ? 2 : 3;
    if (at + head > p.size()) return std::nullopt;
    const std::uint32_t characters = shortCount ? static_cast<unsigned char>(p[at]) : LittleU16(p, at);
    const auto flags = static_cast<unsigned char>(p[at + head - 1]);
    at += head;
    if (flags & 0x08) at += 2;  // rich text runs, after the characters
    if (flags & 0x04) at += 4;  // phonetic data, after the characters
    std::string out;
    if (!ReadChars(pieces, at, characters, (flags & 0x01) != 0, &out)) return std::nullopt;
    return out;
}

double Double(std::string_view s, std::size_t at) {
    std::uint64_t bits = static_cast<std::uint64_t>(LittleU32(s, at)) | static_cast<std::uint64_t>(LittleU32(s, at + 4)) << 32;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double RkValue(std::uint32_t rk) {
    double v;
    if (rk & 0x02) {
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return rk & 0x01 ? v / 100 : v;
}

std::string ErrorText(unsigned code) {
    switch (code) {
        case 0x00: return "#NULL!";
        case 0x07: return "#DIV/0!";
        case 0x0F: return "#VALUE!";
        case 0x17: return "#REF!";
        case 0x1D: return "#NAME?";
        case 0x24: return "#NUM!";
        case 0x2A: return "#N/A";
        default: return "#" + std::to_string(code);
    }
}

// The workbook's globals: number formats by cell format, the date system, where each sheet is.
struct Globals {
    std::map<std::uint32_t, std::string> formats;  // custom format codes by number
    std::vector<std::uint32_t> xfFormats;           // each cell format's number format
    bool date1904 = false;
    bool encrypted = false;
    std::vector<std::pair<std::string, std::uint32_t>> sheets;  // worksheet name, stream offset

    std::string CodeOf(std::uint32_t xf) const {
        const std::uint32_t id = xf < xfFormats.size() ? xfFormats[xf] : 0;
        const auto custom = formats.find(id);
        return custom != formats.end() ? custom->second : std::string(BuiltInFormatCode(static_cast<int>(id)));
    }
};

Globals ReadGlobals(std::string_view stream) {
    Globals g;
    Records records(stream, 0);
    while (const auto r = records.Next()) {
        const std::string_view d = r->data;
        if (r->type == kEof) break;
        if (r->type == kFilePass) g.encrypted = true;
        else if (r->type == kDateMode && d.size() >= 2) g.date1904 = LittleU16(d, 0) == 1;
        else if (r->type == kXf && d.size() >= 4) g.xfFormats.push_back(LittleU16(d, 2));
        else if (r->type == kFormat && d.size() >= 2) {
            if (const auto code = UnicodeString({d}, 2, false)) g.formats[LittleU16(d, 0)] = *code;
        } else if (r->type == kBoundSheet && d.size() >= 8 && d[5] == 0) {  // a worksheet
            if (const auto name = UnicodeString({d}, 6, true)) g.sheets.emplace_back(*name, LittleU32(d, 0));
        }
    }
    return g;
}

class SheetCells {
public:
    explicit SheetCells(const Globals& g) : g_(g) {}

    // A number cell: the header row as shown, a time of a day and more with its day.
    void Number(int row, int column, std::uint32_t xf, double value) {
        const std::string code = g_.CodeOf(xf);
        if (row == 0) {
            if (code != "General") cells_.texts[{row, column}] = ShownText(value, code, g_.date1904);
        } else if (FormatCodeKind(code) == NumberKind::Time && value >= 1 && value < 2) {
            cells_.texts[{row, column}] = SerialText(value, NumberKind::Time, g_.date1904);
        }
    }

    // A formula's stored result; a text result comes in the STRING record that follows.
    void Formula(std::string_view d, Records& records) {
        if (d.size() < 14) return;
        const int row = static_cast<int>(LittleU16(d, 0)), column = static_cast<int>(LittleU16(d, 2));
        const std::uint32_t xf = LittleU16(d, 4);
        if (LittleU16(d, 12) != 0xFFFF) {
            const double value = Double(d, 6);
            const std::string code = g_.CodeOf(xf);
            cells_.texts[{row, column}] = row == 0 ? ShownText(value, code, g_.date1904)
                                                   : SerialText(value, FormatCodeKind(code), g_.date1904);
            return;
        }
        const auto kind = static_cast<unsigned char>(d[6]);
        const auto detail = static_cast<unsigned char>(d[8]);
        switch (kind) {
            case 0: {  // text: the next STRING record, after any shared or array formula records
                std::optional<Record> next;
                while ((next = records.Peek()) && (next->type == kSharedFormula || next->type == kArray || next->type == kTable))
                    records.Next();
                if (!next || next->type != kString) return Missing(row, column);
                records.Next();
                std::vector<std::string_view> pieces{next->data};
                while (const auto more = records.Peek()) {
                    if (more->type != kContinue) break;
                    pieces.push_back(more->data);
                    records.Next();
                }
                if (const auto text = UnicodeString(pieces, 0, false)) cells_.texts[{row, column}] = *text;
                else Missing(row, column);
                return;
            }
            case 1:
                cells_.texts[{row, column}] = detail ? "TRUE" : "FALSE";
                Problem(row, column, std::string("公式的结果是逻辑值") + (detail ? "TRUE" : "FALSE") + "，不是时间或名称");
                return;
            case 2:
                cells_.texts[{row, column}] = ErrorText(detail);
                Problem(row, column, "公式的结果是错误值" + ErrorText(detail));
                return;
            case 3:  // an empty text: the cell shows nothing
                return;
            default:
                return Missing(row, column);
        }
    }

    XlsCells Take() { return std::move(cells_); }

private:
    void Missing(int row, int column) { Problem(row, column, "公式没有保存计算结果，请在Excel中打开并重新保存"); }
    void Problem(int row, int column, std::string text) { cells_.problems.push_back({row, column, std::move(text)}); }

    const Globals& g_;
    XlsCells cells_;
};

}  // namespace

std::optional<XlsCells> ReadXlsCells(std::string_view file, std::string_view sheetName) {
    CompoundFile compound(file);
    if (!compound.Open()) return std::nullopt;
    const auto stream = compound.Workbook();
    if (!stream) return std::nullopt;
    const Globals g = ReadGlobals(*stream);
    if (g.encrypted) return std::nullopt;
    std::optional<std::uint32_t> offset;
    for (int pass = 0; pass < 2 && !offset; ++pass)
        for (const auto& [name, at] : g.sheets)
            if (pass == 0 ? name == sheetName : EqualsNoCase(name, sheetName)) {
                offset = at;
                break;
            }
    if (!offset) return std::nullopt;

    SheetCells cells(g);
    Records records(*stream, *offset);
    int depth = 0;
    while (const auto r = records.Next()) {
        const std::string_view d = r->data;
        if (r->type == kBof) {
            ++depth;
        } else if (r->type == kEof) {
            if (--depth <= 0) break;
        } else if (depth > 1) {
            continue;  // a chart inside the sheet
        } else if (r->type == kNumber && d.size() >= 14) {
            cells.Number(static_cast<int>(LittleU16(d, 0)), static_cast<int>(LittleU16(d, 2)), LittleU16(d, 4), Double(d, 6));
        } else if (r->type == kRk && d.size() >= 10) {
            cells.Number(static_cast<int>(LittleU16(d, 0)), static_cast<int>(LittleU16(d, 2)), LittleU16(d, 4),
                         RkValue(LittleU32(d, 6)));
        } else if (r->type == kMulRk && d.size() >= 6) {
            const int row = static_cast<int>(LittleU16(d, 0));
            int column = static_cast<int>(LittleU16(d, 2));
            for (std::size_t at = 4; at + 6 + 2 <= d.size(); at += 6, ++column)
                cells.Number(row, column, LittleU16(d, at), RkValue(LittleU32(d, at + 2)));
        } else if (r->type == kFormula) {
            cells.Formula(d, records);
        }
    }
    return cells.Take();
}

}  // namespace fw
