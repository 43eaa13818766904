#include "text/OleDate.h"

#include <cmath>
#include <cstdio>

#include "text/Strings.h"

namespace fw {
namespace {

constexpr long long kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr long long kOleEpochFromUnixDays = -25569;  // 1899-12-30 is 25569 days before 1970-01-01

int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

// Reads 1..maxDigits decimal digits at pos.
bool ReadNumber(std::string_view s, std::size_t& pos, int maxDigits, int& out) {
    int digits = 0;
    out = 0;
    while (pos < s.size() && digits < maxDigits && s[pos] >= '0' && s[pos] <= '9') {
        out = out * 10 + (s[pos++] - '0');
        ++digits;
    }
    return digits > 0;
}

}  // namespace

std::optional<OleDate> ToOleDate(const CivilDateTime& c) {
    if (c.year < 100 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 ||
        c.day > DaysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
        c.minute > 59 || c.second < 0 || c.second > 59)
        return std::nullopt;
    const long long days = DaysFromCivil(c.year, c.month, c.day) - kOleEpochFromUnixDays;
    const long long secs = c.hour * 3600LL + c.minute * 60LL + c.second;
    return static_cast<double>(days) + static_cast<double>(secs) / kSecondsPerDay;
}

CivilDateTime ToCivil(OleDate date) {
    const long long total = std::llround(date * kSecondsPerDay);
    long long days = total / kSecondsPerDay;
    long long secs = total % kSecondsPerDay;
    if (secs < 0) {
        secs += kSecondsPerDay;
        --days;
    }
    CivilDateTime c;
    CivilFromDays(days + kOleEpochFromUnixDays, c.year, c.month, c.day);
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

std::optional<OleDate> ParseDateTime(std::string_view text) {
    text = TrimView(text);
    CivilDateTime c;
    std::size_t pos = 0;
    auto separator = [&](char a, char b) {
        if (pos < text.size() && (text[pos] == a || text[pos] == b)) {
            ++pos;
            return true;
        }
        return false;
    };
    if (!ReadNumber(text, pos, 4, c.year) || !separator('-', '/') ||
        !ReadNumber(text, pos, 2, c.month) || !separator('-', '/') ||
        !ReadNumber(text, pos, 2, c.day))
        return std::nullopt;
    if (pos < text.size()) {
        if (text[pos] != ' ' && text[pos] != '\t') return std::nullopt;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        if (!ReadNumber(text, pos, 2, c.hour) || !separator(':', ':') ||
            !ReadNumber(text, pos, 2, c.minute))
            return std::nullopt;
        if (separator(':', ':') && !ReadNumber(text, pos, 2, c.second)) return std::nullopt;
        if (pos != text.size()) return std::nullopt;
    }
    return ToOleDate(c);
}

std::string FormatDateTime(OleDate date) {
    const CivilDateTime c = ToCivil(date);
    // A report writes one for every event: digits by hand where they are four and two.
    if (c.year >= 0 && c.year <= 9999) {
        std::string text = "0000-00-00 00:00:00";
        auto put = [&](std::size_t at, int value, int digits) {
            for (int d = digits - 1; d >= 0; --d, value /= 10)
                text[at + static_cast<std::size_t>(d)] = static_cast<char>('0' + value % 10);
        };
        put(0, c.year, 4);
        put(5, c.month, 2);
        put(8, c.day, 2);
        put(11, c.hour, 2);
        put(14, c.minute, 2);
        put(17, c.second, 2);
        return text;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return buf;
}

std::string FormatDate(OleDate date) {
    const CivilDateTime c = ToCivil(date);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
    return buf;
}

long long SecondsBetween(OleDate later, OleDate earlier) {
    const double seconds = (later - earlier) * kSecondsPerDay;
    return static_cast<long long>(std::trunc(seconds + std::copysign(0.5, seconds)));
}

std::string_view DatePart(std::string_view dateTime) {
    const auto blank = dateTime.find(' ');
    return blank == std::string_view::npos ? dateTime : dateTime.substr(0, blank);
}

}  // namespace fw
