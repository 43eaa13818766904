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
// times of day on the base date ("1899-12-30 07:30:00", the fraction of the day only).
// `date1904`: the workbook counts days from 1904-01-01. A date outside years 1900 to 9999
// is given as a plain number.
std::string SerialText(double value, NumberKind kind, bool date1904);

}  // namespace fw
