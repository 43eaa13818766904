#include "schedules/NumberFormats.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "text/OleDate.h"

namespace fw {
namespace {

constexpr double kLastSerial = 2958465;  // 9999-12-31
constexpr int kDays1904 = 1462;          // 1904-01-01 in the 1900 count

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
    if (kind == NumberKind::Time) return "1899-12-30 " + TimeOfDay(fraction);
    if (day < 0 || day > kLastSerial) return NumberText(value);
    const std::string date = DayText(static_cast<long long>(day), date1904);
    return date + " " + (kind == NumberKind::Date ? std::string("00:00:00") : TimeOfDay(fraction));
}

}  // namespace fw
