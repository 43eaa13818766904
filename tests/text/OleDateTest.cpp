#include <gtest/gtest.h>

#include "text/OleDate.h"

namespace fw {
namespace {

TEST(OleDate, SerialNumbersAndTheLenientFormsOfThePlatformParser) {
    EXPECT_DOUBLE_EQ(*ParseDateTime("1899-12-30"), 0.0);
    EXPECT_DOUBLE_EQ(*ParseDateTime("1900-01-01"), 2.0);
    EXPECT_DOUBLE_EQ(*ParseDateTime("2014-08-25 06:00:00"), 41876.25);
    for (const char* text : {"2014-08-25 07:05:09", "2000-02-29 23:59:59", "2026-12-31 00:00:00",
                             "0100-01-01 00:00:00", "9999-12-31 23:59:59"})
        EXPECT_EQ(FormatDateTime(*ParseDateTime(text)), text);
    EXPECT_EQ(FormatDateTime(*ParseDateTime("9999-12-31 23:59:59") + 1), "10000-01-01 23:59:59");
    EXPECT_EQ(FormatDate(*ParseDateTime("2014-08-25 23:59:59")), "2014-08-25");
    EXPECT_EQ(FormatDateTime(*ParseDateTime("2014/8/5 7:05")), "2014-08-05 07:05:00");
    EXPECT_EQ(FormatDateTime(*ParseDateTime(" 2014-08-25  12:00:01 ")), "2014-08-25 12:00:01");
}

TEST(OleDate, RejectsWhatIsNotADate) {
    for (const char* text : {"", "abc", "2014-02-30", "2014-13-01", "2014-08-25 24:00:00",
                             "2014-08-25 12:60", "2014-08-25T12:00:00", "2014-08-25 12:00:00x"})
        EXPECT_FALSE(ParseDateTime(text)) << text;
}

TEST(OleDate, AddDaysCrossesMonthAndLeapDay) {
    EXPECT_EQ(FormatDate(AddDays(*ParseDateTime("2016-02-28"), 1)), "2016-02-29");
    EXPECT_EQ(FormatDate(AddDays(*ParseDateTime("2016-02-29"), 1)), "2016-03-01");
    EXPECT_EQ(FormatDate(AddDays(*ParseDateTime("2014-12-31"), 1)), "2015-01-01");
}

TEST(OleDate, SecondsBetweenRoundsHalvesAwayFromZero) {
    const OleDate base = *ParseDateTime("2014-08-25 08:00:00");
    EXPECT_EQ(SecondsBetween(*ParseDateTime("2014-08-25 08:20:59"), base), 1259);
    EXPECT_EQ(SecondsBetween(base, *ParseDateTime("2014-08-25 08:20:59")), -1259);
    EXPECT_EQ(SecondsBetween(base + 1.5 / 86400, base), 2);
    EXPECT_EQ(SecondsBetween(base - 1.5 / 86400, base), -2);
    EXPECT_EQ(SecondsBetween(base + 1.4 / 86400, base), 1);
}

}  // namespace
}  // namespace fw
