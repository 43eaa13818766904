#pragma once

#include <string>
#include <string_view>

namespace fw {

// What a spreadsheet number stands for, by its cell's number format.
enum class NumberKind { Number, Date, Time, DateTime };

// The built-in formats of Excel by number, those of the Chinese edition included (27 to 36
// and 50 to 58, which an .xlsx names only by number).
NumberKind BuiltInFormatKind(int id);
// A custom format code such as "yyyy-mm-dd hh:mm" or "h\"时\"mm\"分\"". Quoted text, escaped
// characters, colours and locales in brackets are not read as date or time letters; "m" is a
// month unless hours or seconds stand in the format.
NumberKind FormatCodeKind(std::string_view code);

// A number as the spreadsheet driver gave it as text: its shortest form with up to fifteen
// significant digits, as "%.15g" writes it.
std::string NumberText(double value);

// The text the .xls reader gives for a number of that kind, so that every workbook format
// yields the same texts: dates as "yyyy-mm-dd 00:00:00", date-times as "yyyy-mm-dd hh:mm:ss",
// times of day on the base date ("1899-12-30 07:30:00", the fraction of the day only). A time
// of a day and more but under two days keeps its day, past midnight ("1899-12-30 24:10:00" for
// 1.0069, as "[h]:mm" shows it); from two days on it is a date shown as its time of day.
// `date1904`: the workbook counts days from 1904-01-01. A date outside years 1900 to 9999
// is given as a plain number.
std::string SerialText(double value, NumberKind kind, bool date1904);

// The code of a built-in number format as the Chinese edition shows it ("h:mm" for 20,
// "yyyy/m/d" for 14); "General" for 0 and for numbers it does not know.
std::string_view BuiltInFormatCode(int id);

// A number as a cell of that format code shows it: "6:30" for 0.2708 in "h:mm", "2014/8/25" in
// "yyyy/m/d", "7.50" in "0.00", "75%" in "0%". Dates and times take every part of a code
// (quoted text, escapes, elapsed hours, AM/PM and 上午/下午, 年月日); numbers their decimals,
// thousands and percent; other codes give the number in its shortest form.
std::string ShownText(double value, std::string_view code, bool date1904);

}  // namespace fw
