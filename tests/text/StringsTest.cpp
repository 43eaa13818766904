#include <gtest/gtest.h>

#include <ostream>

#include "text/Strings.h"

namespace fw {
namespace {

struct AtoiCase {
    const char* text;
    int value;
    friend std::ostream& operator<<(std::ostream& os, const AtoiCase& c) {
        return os << '"' << c.text << '"';
    }
};

class AtoiTest : public testing::TestWithParam<AtoiCase> {};

TEST_P(AtoiTest, ReadsLeadingDigitsOnly) { EXPECT_EQ(AtoiLike(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Runtime, AtoiTest,
                         testing::Values(AtoiCase{"1000", 1000}, AtoiCase{"  42abc", 42},
                                         AtoiCase{"-7", -7}, AtoiCase{"+9", 9},
                                         AtoiCase{"yes", 0}, AtoiCase{"", 0},
                                         AtoiCase{"1 2", 1}, AtoiCase{"- 3", 0},
                                         AtoiCase{"99999999999", 2147483647},
                                         AtoiCase{"-99999999999", -2147483647 - 1}));

TEST(Strings, AtofReadsTheLeadingNumberWhateverTheLocale) {
    EXPECT_DOUBLE_EQ(AtofLike("121.473701"), 121.473701);
    EXPECT_DOUBLE_EQ(AtofLike(" -1.5km"), -1.5);
    EXPECT_DOUBLE_EQ(AtofLike(".25"), 0.25);
    EXPECT_DOUBLE_EQ(AtofLike("1e3"), 1000.0);
    EXPECT_EQ(AtofLike(""), 0.0);
    EXPECT_EQ(AtofLike("abc"), 0.0);
    EXPECT_EQ(AtofLike("inf"), 0.0);
}

TEST(Strings, TrimRemovesBlanksOnBothSidesOnly) {
    EXPECT_EQ(Trim("  succeed \r\n"), "succeed");
    EXPECT_EQ(Trim("a b"), "a b");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Strings, CaseInsensitiveComparisonIsAsciiOnly) {
    EXPECT_TRUE(EqualsNoCase("DataName", "dataname"));
    EXPECT_FALSE(EqualsNoCase("Data", "DataName"));
    EXPECT_TRUE(StartsWithNoCase("沪A12345", "沪a"));
    EXPECT_FALSE(StartsWithNoCase("A1", "A12"));
}

TEST(Strings, FormatFixed6RoundsToSixDecimals) {
    EXPECT_EQ(FormatFixed6(31.2345675), "31.234568");
    EXPECT_EQ(FormatFixed6(0.0), "0.000000");
    EXPECT_EQ(FormatFixed6(-121.5), "-121.500000");
}

}  // namespace
}  // namespace fw
