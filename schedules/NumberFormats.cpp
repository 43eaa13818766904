#include "schedules/NumberFormats.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#include "text/OleDate.h"

namespace fw {
namespace {

constexpr double kLastSerial = 2958465;  // 9999-12-31
constexpr int kDays1904 = 1462;          // 1904-01-01 in the 1900 count

std::string_view TrimViewOf(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string TwoDigits(long long v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02lld", v);
    return buf;
}

// The time of day in a fraction of a day, rounded to the second as the .xls reader rounds it
// (so a fraction just short of a day reads "24:00:00", as there).
std::string TimeOfDay(double fraction) {
    long long secs = std::llround(fraction * 86400.0);
    const long long hours = secs / 3600;
    secs -= hours * 3600;
    const long long minutes = secs / 60;
    secs -= minutes * 60;
    return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(secs);
}

// The date of a day count, with the 1900 system's 29 February 1900 (day 60) that never was.
std::string DayText(long long days, bool date1904) {
    if (date1904) {
        days += kDays1904;
    } else if (days <= 60) {
        if (days < 1) days = 1;
        const int month = days <= 31 ? 1 : 2;
        const long long day = month == 1 ? days : days - 31;
        return "1900-" + TwoDigits(month) + "-" + TwoDigits(day);
    }
    return FormatDate(static_cast<OleDate>(days));
}

}  // namespace

NumberKind BuiltInFormatKind(int id) {
    // 27 to 36 and 50 to 58 are the Chinese edition's own ("yyyy年m月d日", "h时mm分").
    static constexpr int kDates[] = {14, 15, 16, 17, 27, 28, 29, 30, 31,
                                     36, 50, 51, 52, 53, 54, 57, 58};
    static constexpr int kTimes[] = {18, 19, 20, 21, 32, 33, 34, 35, 45, 46, 47, 55, 56};
    if (id == 22) return NumberKind::DateTime;
    if (std::ranges::find(kDates, id) != std::end(kDates)) return NumberKind::Date;
    if (std::ranges::find(kTimes, id) != std::end(kTimes)) return NumberKind::Time;
    return NumberKind::Number;
}

NumberKind FormatCodeKind(std::string_view code) {
    bool y = false, m = false, d = false, h = false, s = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(code[i])));
        if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            if (close == std::string_view::npos) break;
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;  // an escaped character, or the one a padding or fill stands for
        } else if (c == '[') {
            const std::size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos) break;
            // Elapsed time ([h], [mm], [ss]) counts; colours, conditions and locales do not.
            const std::string_view inside = code.substr(i + 1, close - i - 1);
            if (!inside.empty() && inside.find_first_not_of(inside[0]) == std::string_view::npos) {
                const char e =
                    static_cast<char>(std::tolower(static_cast<unsigned char>(inside[0])));
                h |= e == 'h';
                m |= e == 'm';
                s |= e == 's';
            }
            i = close;
        } else if (code.substr(i).size() >= 5 &&
                   (code.compare(i, 5, "AM/PM") == 0 || code.compare(i, 5, "am/pm") == 0)) {
            h = true;
            i += 4;
        } else if (code.substr(i).size() >= 3 &&
                   (code.compare(i, 3, "A/P") == 0 || code.compare(i, 3, "a/p") == 0)) {
            h = true;
            i += 2;
        } else {
            y |= c == 'y';
            m |= c == 'm';
            d |= c == 'd';
            h |= c == 'h';
            s |= c == 's';
        }
    }
    const bool time = h || s;
    const bool date = y || d || (m && !time);
    if (date && time) return NumberKind::DateTime;
    if (date) return NumberKind::Date;
    if (time) return NumberKind::Time;
    return NumberKind::Number;
}

std::string NumberText(double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

std::string SerialText(double value, NumberKind kind, bool date1904) {
    if (kind == NumberKind::Number || !std::isfinite(value)) return NumberText(value);
    const double day = std::floor(value);
    const double fraction = value - day;
    if (kind == NumberKind::Time) return "1899-12-30 " + TimeOfDay(day == 1 ? value : fraction);
    if (day < 0 || day > kLastSerial) return NumberText(value);
    const std::string date = DayText(static_cast<long long>(day), date1904);
    return date + " " + (kind == NumberKind::Date ? std::string("00:00:00") : TimeOfDay(fraction));
}

std::string_view BuiltInFormatCode(int id) {
    switch (id) {
        case 1: return "0";
        case 2: return "0.00";
        case 3: return "#,##0";
        case 4: return "#,##0.00";
        case 9: return "0%";
        case 10: return "0.00%";
        case 14: return "yyyy/m/d";
        case 15: return "d-mmm-yy";
        case 16: return "d-mmm";
        case 17: return "mmm-yy";
        case 18: return "h:mm AM/PM";
        case 19: return "h:mm:ss AM/PM";
        case 20: return "h:mm";
        case 21: return "h:mm:ss";
        case 22: return "yyyy/m/d h:mm";
        case 27: case 36: case 50: case 57: return "yyyy\"年\"m\"月\"";
        case 28: case 29: case 51: case 53: case 54: case 58: return "m\"月\"d\"日\"";
        case 30: return "m-d-yy";
        case 31: case 52: return "yyyy\"年\"m\"月\"d\"日\"";
        case 32: return "h\"时\"mm\"分\"";
        case 33: return "h\"时\"mm\"分\"ss\"秒\"";
        case 34: case 55: return "上午/下午h\"时\"mm\"分\"";
        case 35: case 56: return "上午/下午h\"时\"mm\"分\"ss\"秒\"";
        case 45: return "mm:ss";
        case 46: return "[h]:mm:ss";
        case 47: return "mm:ss.0";
        default: return "General";
    }
}

namespace {

// The sections of a format code: positive; negative; zero; text.
std::vector<std::string_view> Sections(std::string_view code) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (code[i] == '"') quoted = !quoted;
        else if (!quoted && code[i] == '\\') ++i;
        else if (!quoted && code[i] == ';') {
            out.push_back(code.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(code.substr(start));
    return out;
}

bool StartsNoCase(std::string_view text, std::size_t at, std::string_view what) {
    if (text.size() - at < what.size()) return false;
    for (std::size_t k = 0; k < what.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(text[at + k])) != std::tolower(static_cast<unsigned char>(what[k])))
            return false;
    return true;
}

// One piece of a date or time code.
struct Token {
    enum Kind { Literal, Year, Month, MonthName, Day, Weekday, Hour, Minute, Second, Elapsed, AmPm } kind;
    int width = 0;         // how many letters: "mm" 2
    std::string text;      // a literal; for AmPm the two words; for Elapsed the unit letter
};

std::vector<Token> DateTokens(std::string_view code) {
    std::vector<Token> tokens;
    auto literal = [&tokens](std::string_view t) {
        if (!tokens.empty() && tokens.back().kind == Token::Literal) tokens.back().text += t;
        else tokens.push_back({Token::Literal, 0, std::string(t)});
    };
    for (std::size_t i = 0; i < code.size();) {
        const char c = code[i];
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? code.size() : close;
            literal(code.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '\\' && i + 1 < code.size()) {
            // An escaped character may be the first byte of a longer one.
            std::size_t n = 1;
            while (i + 1 + n < code.size() && (static_cast<unsigned char>(code[i + 1 + n]) & 0xC0) == 0x80) ++n;
            literal(code.substr(i + 1, n));
            i += 1 + n;
        } else if (c == '_' && i + 1 < code.size()) {
            literal(" ");
            i += 2;
        } else if (c == '*' && i + 1 < code.size()) {
            i += 2;
        } else if (c == '[') {
            const std::size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos) break;
            const std::string_view inside = code.substr(i + 1, close - i - 1);
            const char e = inside.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(inside[0])));
            if ((e == 'h' || e == 'm' || e == 's') && inside.find_first_not_of(inside[0]) == std::string_view::npos)
                tokens.push_back({Token::Elapsed, static_cast<int>(inside.size()), std::string(1, e)});
            i = close + 1;  // colours, conditions and locales show nothing
        } else if (StartsNoCase(code, i, "AM/PM")) {
            tokens.push_back({Token::AmPm, 0, code[i] == 'a' ? "am/pm" : "AM/PM"});
            i += 5;
        } else if (StartsNoCase(code, i, "A/P")) {
            tokens.push_back({Token::AmPm, 0, code[i] == 'a' ? "a/p" : "A/P"});
            i += 3;
        } else if (code.substr(i).starts_with("上午/下午")) {
            tokens.push_back({Token::AmPm, 0, "上午/下午"});
            i += std::string_view("上午/下午").size();
        } else if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's' || lower == 'a' ||
                   lower == 'e') {
            std::size_t n = 1;
            while (i + n < code.size() && std::tolower(static_cast<unsigned char>(code[i + n])) == lower) ++n;
            Token t{Token::Literal, static_cast<int>(n), {}};
            switch (lower) {
                case 'e':
                case 'y': t.kind = Token::Year; break;
                case 'm': t.kind = n >= 3 ? Token::MonthName : Token::Month; break;
                case 'd': t.kind = n >= 3 ? Token::Weekday : Token::Day; break;
                case 'a': t.kind = Token::Weekday; t.text = "a"; break;  // aaa, aaaa: 一, 星期一
                case 'h': t.kind = Token::Hour; break;
                default: t.kind = Token::Second; break;
            }
            if (lower == 'a' && n < 3) {
                literal(code.substr(i, n));
            } else {
                tokens.push_back(std::move(t));
            }
            i += n;
        } else if (c == '.' && !tokens.empty() && tokens.back().kind == Token::Second) {
            // Fractions of a second: shown as zeros, since times are kept to the second.
            std::size_t n = 0;
            while (i + 1 + n < code.size() && code[i + 1 + n] == '0') ++n;
            literal("." + std::string(n, '0'));
            i += 1 + n;
        } else {
            std::size_t n = 1;
            while (i + n < code.size() && (static_cast<unsigned char>(code[i + n]) & 0xC0) == 0x80) ++n;
            literal(code.substr(i, n));
            i += n;
        }
    }
    // "m" after hours or before seconds is minutes.
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind != Token::Month) continue;
        auto neighbour = [&tokens](std::size_t from, int step) -> const Token* {
            for (auto j = static_cast<std::ptrdiff_t>(from) + step; j >= 0 && j < static_cast<std::ptrdiff_t>(tokens.size()); j += step)
                if (tokens[static_cast<std::size_t>(j)].kind != Token::Literal) return &tokens[static_cast<std::size_t>(j)];
            return nullptr;
        };
        const Token* before = neighbour(k, -1);
        const Token* after = neighbour(k, 1);
        if ((before && (before->kind == Token::Hour || (before->kind == Token::Elapsed && before->text == "h"))) ||
            (after && (after->kind == Token::Second || (after->kind == Token::Elapsed && after->text == "s"))))
            tokens[k].kind = Token::Minute;
    }
    return tokens;
}

std::string Padded(long long v, int width) {
    std::string digits = std::to_string(v);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

std::string DateTimeShown(double value, const std::vector<Token>& tokens, bool date1904) {
    const long long total = std::llround(value * 86400.0);  // to the second
    long long days = total / 86400;
    const long long secs = total - days * 86400;
    int year = 1900, month = 1, day = 0, weekday = 0;
    if (date1904) days += kDays1904;
    if (days >= 1 && days <= 60 && !date1904) {
        month = days <= 31 ? 1 : 2;
        day = static_cast<int>(month == 1 ? days : days - 31);
    } else if (days > 60 && days <= kLastSerial) {
        const CivilDateTime c = ToCivil(static_cast<OleDate>(days));
        year = c.year;
        month = c.month;
        day = c.day;
    }
    weekday = static_cast<int>(((days - 1) % 7 + 7) % 7);  // day 1 (1900-01-01) counted a Sunday, as Excel does
    const bool twelve = std::any_of(tokens.begin(), tokens.end(), [](const Token& t) { return t.kind == Token::AmPm; });
    const long long hour = secs / 3600;
    static constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};
    static constexpr const char* kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    static constexpr const char* kChineseDays[] = {"日", "一", "二", "三", "四", "五", "六"};
    std::string out;
    for (const Token& t : tokens) {
        switch (t.kind) {
            case Token::Literal: out += t.text; break;
            case Token::Year: out += t.width <= 2 ? Padded(year % 100, 2) : Padded(year, 4); break;
            case Token::Month: out += Padded(month, t.width); break;
            case Token::MonthName:
                out += t.width == 4 ? std::string(kMonths[month - 1])
                       : t.width == 5 ? std::string(1, kMonths[month - 1][0])
                                      : std::string(kMonths[month - 1]).substr(0, 3);
                break;
            case Token::Day: out += Padded(day, t.width); break;
            case Token::Weekday:
                if (t.text == "a") out += (t.width >= 4 ? "星期" : "") + std::string(kChineseDays[weekday]);
                else out += t.width >= 4 ? std::string(kDays[weekday]) : std::string(kDays[weekday]).substr(0, 3);
                break;
            case Token::Hour: {
                long long h = hour;
                if (twelve) h = h % 12 == 0 ? 12 : h % 12;
                out += Padded(h, std::min(t.width, 2));
                break;
            }
            case Token::Minute: out += Padded(secs / 60 % 60, std::min(t.width, 2)); break;
            case Token::Second: out += Padded(secs % 60, std::min(t.width, 2)); break;
            case Token::Elapsed:
                out += Padded(t.text == "h" ? total / 3600 : t.text == "m" ? total / 60 : total, t.width);
                break;
            case Token::AmPm: {
                const bool pm = hour >= 12;
                if (t.text == "上午/下午") out += pm ? "下午" : "上午";
                else if (t.text == "AM/PM") out += pm ? "PM" : "AM";
                else if (t.text == "am/pm") out += pm ? "pm" : "am";
                else if (t.text == "A/P") out += pm ? "P" : "A";
                else out += pm ? "p" : "a";
                break;
            }
        }
    }
    return out;
}

// A number in a code of digits: its decimals, thousands and percent, with the code's text
// around it.
std::string NumberShown(double value, std::string_view code) {
    if (code.find_first_of("Ee") != std::string_view::npos && code.find_first_of("0#") != std::string_view::npos)
        return NumberText(value);  // scientific: the shortest form says it as well
    std::string before, after;
    int decimals = 0;
    bool digits = false, inFraction = false, thousands = false, percent = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        std::string& literal = digits ? after : before;
        if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? code.size() : close;
            literal += code.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '\\' && i + 1 < code.size()) {
            literal += code[++i];
        } else if (c == '_' || c == '*') {
            if (c == '_') literal += ' ';
            ++i;
        } else if (c == '[') {
            const std::size_t close = code.find(']', i + 1);
            i = close == std::string_view::npos ? code.size() : close;
        } else if (c == '0' || c == '#' || c == '?') {
            digits = true;
            if (inFraction) ++decimals;
        } else if (c == '.' && (digits || i + 1 < code.size())) {
            digits = true;
            inFraction = true;
        } else if (c == ',' && digits && !inFraction) {
            thousands = true;
        } else if (c == '%') {
            percent = true;
            literal += '%';
        } else {
            literal += c;
        }
    }
    if (!digits) return before;  // a code of text alone shows its text
    if (percent) value *= 100;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
    std::string number = buf;
    if (thousands) {
        const std::size_t point = number.find('.');
        for (auto at = static_cast<std::ptrdiff_t>(point == std::string::npos ? number.size() : point) - 3; at > 0; at -= 3)
            number.insert(static_cast<std::size_t>(at), ",");
    }
    return before + number + after;
}

}  // namespace

std::string ShownText(double value, std::string_view code, bool date1904) {
    if (!std::isfinite(value)) return NumberText(value);
    const std::vector<std::string_view> sections = Sections(code);
    std::string_view section = sections[0];
    bool negative = value < 0;
    if (value < 0 && sections.size() >= 2 && !TrimViewOf(sections[1]).empty()) {
        section = sections[1];
        value = -value;
        negative = false;  // the section writes its own sign, if any
    } else if (value == 0 && sections.size() >= 3) {
        section = sections[2];
    }
    if (TrimViewOf(section).empty() || StartsNoCase(section, 0, "General") || section == "@") return NumberText(value);
    if (FormatCodeKind(section) == NumberKind::Number) return (negative ? "-" : "") + NumberShown(value, section);
    if (negative || value > kLastSerial + 1) return NumberText(value);  // no date shows a negative day
    return DateTimeShown(value, DateTokens(section), date1904);
}

}  // namespace fw
