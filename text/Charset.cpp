#include "text/Charset.h"

#include <array>

#include "text/Strings.h"

namespace fw {
namespace {

struct Alias {
    std::string_view alias;
    WireCharset charset;
};

// The server speaks a Windows code page, so each name maps to iconv's converter for that code
// page: iconv's own "SHIFT_JIS" turns 0x5C into a yen sign, which would break every JSON escape.
constexpr WireCharset kGbk{"GBK", "CP936", CharsetFamily::Gbk};
constexpr WireCharset kGb18030{"GB18030", "GB18030", CharsetFamily::Gb18030};
constexpr WireCharset kBig5{"Big5", "CP950", CharsetFamily::Big5};
constexpr WireCharset kShiftJis{"Shift_JIS", "CP932", CharsetFamily::ShiftJis};
constexpr WireCharset kUtf8{"UTF-8", "UTF-8", CharsetFamily::Ascii};

constexpr std::array<Alias, 12> kAliases{{
    {"GBK", kGbk},
    {"CP936", kGbk},
    {"GB2312", kGbk},
    {"GB18030", kGb18030},
    {"Big5", kBig5},
    {"CP950", kBig5},
    {"Shift_JIS", kShiftJis},
    {"SJIS", kShiftJis},
    {"CP932", kShiftJis},
    {"Windows-31J", kShiftJis},
    {"UTF-8", kUtf8},
    {"UTF8", kUtf8},
}};

bool In(unsigned char b, unsigned char lo, unsigned char hi) { return b >= lo && b <= hi; }

bool IsLead(CharsetFamily family, unsigned char b) {
    switch (family) {
        case CharsetFamily::Ascii: return false;
        case CharsetFamily::ShiftJis: return In(b, 0x81, 0x9F) || In(b, 0xE0, 0xFC);
        default: return In(b, 0x81, 0xFE);
    }
}

bool IsTrail(CharsetFamily family, unsigned char b) {
    switch (family) {
        case CharsetFamily::Ascii: return false;
        case CharsetFamily::Big5: return In(b, 0x40, 0x7E) || In(b, 0xA1, 0xFE);
        case CharsetFamily::ShiftJis: return In(b, 0x40, 0x7E) || In(b, 0x80, 0xFC);
        default: return In(b, 0x40, 0x7E) || In(b, 0x80, 0xFE);
    }
}

bool IsDigit(unsigned char b) { return In(b, 0x30, 0x39); }

}  // namespace

std::optional<WireCharset> FindWireCharset(std::string_view name) {
    const std::string_view trimmed = TrimView(name);
    for (const Alias& a : kAliases)
        if (EqualsNoCase(a.alias, trimmed)) return a.charset;
    return std::nullopt;
}

std::string CharsetRefusal(std::string_view name) {
    if (FindWireCharset(name)) return {};
    return "不支持的字符集 Charset=" + std::string(name) +
           "（conf.ini），可用的字符集：GBK、GB18030、Big5、Shift_JIS、UTF-8";
}

bool CharacterScanner::Continues(unsigned char b) {
    switch (state_) {
        case State::Start:
            break;
        case State::Lead:
            state_ = State::Start;
            if (IsTrail(family_, b)) return true;
            if (family_ == CharsetFamily::Gb18030 && IsDigit(b)) {
                state_ = State::FourSecond;
                return true;
            }
            break;
        case State::FourSecond:
            state_ = State::Start;
            if (In(b, 0x81, 0xFE)) {
                state_ = State::FourThird;
                return true;
            }
            break;
        case State::FourThird:
            if (IsDigit(b)) {
                state_ = State::Start;
                return true;
            }
            // The four-byte character broke off; its third byte may still lead a pair.
            state_ = State::Lead;
            return Continues(b);
    }
    if (IsLead(family_, b)) state_ = State::Lead;
    return false;
}

std::size_t CharacterScanner::CharacterLength(CharsetFamily family, std::string_view bytes) {
    if (bytes.empty()) return 0;
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() < 2 || !IsLead(family, at(0))) return 1;
    if (IsTrail(family, at(1))) return 2;
    if (family == CharsetFamily::Gb18030 && bytes.size() >= 4 && IsDigit(at(1)) &&
        In(at(2), 0x81, 0xFE) && IsDigit(at(3)))
        return 4;
    return 1;
}

}  // namespace fw
