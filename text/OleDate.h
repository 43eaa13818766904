#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fw {

// Date-times as OLE automation dates: days since 1899-12-30 00:00 as a double, the time of day
// in the fraction. Every date text of the system goes through these.
using OleDate = double;

struct CivilDateTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

// Accepts "yyyy-MM-dd HH:mm:ss" and "yyyy-MM-dd" (also single-digit fields, '/' between date
// parts, and a time without seconds), as the platform's date parser does for these forms.
// Anything else, or an impossible date such as 2014-02-30, gives nothing.
std::optional<OleDate> ParseDateTime(std::string_view text);

std::optional<OleDate> ToOleDate(const CivilDateTime& c);
// Rounded to the nearest second first, so 0.999999 s before midnight still reads as midnight.
CivilDateTime ToCivil(OleDate date);

std::string FormatDateTime(OleDate date);  // "yyyy-MM-dd HH:mm:ss"
std::string FormatDate(OleDate date);      // "%Y-%m-%d"

inline OleDate AddDays(OleDate date, int days) { return date + days; }

// (later - earlier) in whole seconds, halves rounded away from zero.
long long SecondsBetween(OleDate later, OleDate earlier);

// The date part of a date-time text: the text before its first blank.
std::string_view DatePart(std::string_view dateTime);

}  // namespace fw
