#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "text/Strings.h"

namespace fw {
namespace {

TEST(Strings, AtoiReadsLeadingDigitsOnly) {
    const struct {
        const char* text;
        int value;
    } rows[] = {{"1000", 1000}, {"  42abc", 42}, {"-7", -7},  {"+9", 9},
                {"yes", 0},     {"", 0},         {"1 2", 1},  {"- 3", 0},
                {"99999999999", 2147483647},     {"-99999999999", -2147483647 - 1}};
    for (const auto& r : rows) EXPECT_EQ(AtoiLike(r.text), r.value) << '"' << r.text << '"';
}

TEST(Strings, AtofReadsTheLeadingNumberWhateverTheLocale) {
    EXPECT_DOUBLE_EQ(AtofLike("121.473701"), 121.473701);
    EXPECT_DOUBLE_EQ(AtofLike(" -1.5km"), -1.5);
    EXPECT_DOUBLE_EQ(AtofLike(".25"), 0.25);
    EXPECT_DOUBLE_EQ(AtofLike("1e3"), 1000.0);
    EXPECT_EQ(AtofLike(""), 0.0);
    EXPECT_EQ(AtofLike("abc"), 0.0);
    EXPECT_EQ(AtofLike("inf"), 0.0);
}

TEST(Strings, CaseInsensitiveComparisonIsAsciiOnly) {
    EXPECT_TRUE(EqualsNoCase("DataName", "dataname"));
    EXPECT_FALSE(EqualsNoCase("Data", "DataName"));
    EXPECT_TRUE(StartsWithNoCase("沪A12345", "沪a"));
    EXPECT_FALSE(StartsWithNoCase("A1", "A12"));
}

TEST(Strings, NaturalOrderReadsNumbersAsNumbers) {
    std::vector<std::string> lines = {"西湖观光线", "201路", "155路", "7路", "K7路", "1路", "k10路",
                                      "B2", "b10", ""};
    std::sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return NaturalLess(a, b); });
    EXPECT_EQ(lines, (std::vector<std::string>{"", "1路", "7路", "155路", "201路", "B2",
                                               "b10", "K7路", "k10路", "西湖观光线"}));
    EXPECT_FALSE(NaturalLess("7路", "7路"));
    EXPECT_TRUE(NaturalLess("007路", "7路") && !NaturalLess("7路", "007路"));
    EXPECT_TRUE(NaturalLess("A1", "a1") && !NaturalLess("a1", "A1"));
}

// The arithmetic rounding equals printing and reading back, bit for bit: on random values of every
// scale, on exact ties (odd multiples of 1/128 are the doubles that end in a 5 at the 7th
// decimal), on both sides of the rounding points, on signed zeros and on huge values.
TEST(Strings, RoundToSixDecimalsIsPrintingAndReadingBack) {
    std::vector<double> values = {0.0, -0.0, 1e-7, -4e-7, 5e-7, 0.5, 31.2345675, 4e9, -4.5e9, 1e300, 5e-324};
    for (int k = -40000; k <= 40000; k += 7) {
        values.push_back(k / 128.0);
        values.push_back((k + 0.5) / 1e6);
        values.push_back(std::nextafter((k + 0.5) / 1e6, 1e9));
        values.push_back(std::nextafter((k + 0.5) / 1e6, -1e9));
    }
    std::mt19937_64 rng(20141225);
    for (int i = 0; i < 200000; ++i) {
        const double unit = std::uniform_real_distribution<double>(-1, 1)(rng);
        values.push_back(unit * std::pow(10.0, std::uniform_int_distribution<int>(-9, 10)(rng)));
    }
    for (const double v : values) {
        const double expected = AtofLike(FormatFixed6(v));
        const double got = RoundToSixDecimals(v);
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << std::hexfloat << v << " " << got << " " << expected;
    }
}

}  // namespace
}  // namespace fw
