#include <gtest/gtest.h>

#include "skin/SkinHeader.h"

namespace fw::skin {
namespace {

TEST(IdentifierTable, ReadsNamesAndNumbersBothWays) {
    const auto t = IdentifierTable::Parse(
        "// generated\r\n#define IDW_MAIN 1000\r\n#define IDC_BTN_MIN 1001\r\n#include <x>\r\n");
    ASSERT_EQ(t.Entries().size(), 2u);
    EXPECT_EQ(t.NumberOf("IDW_MAIN"), 1000);
    EXPECT_EQ(t.NameOf(1000), "IDW_MAIN");
    EXPECT_EQ(t.NameOf(1001), "IDC_BTN_MIN");
    EXPECT_FALSE(t.NumberOf("IDW_NONE"));
    EXPECT_FALSE(t.NameOf(999));
}

struct LineCase {
    const char* line;
    const char* name;
    int number;
};

class HeaderLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(HeaderLineTest, YieldsNameAndNumber) {
    const auto t = IdentifierTable::Parse(GetParam().line);
    ASSERT_EQ(t.Entries().size(), 1u) << GetParam().line;
    EXPECT_EQ(t.Entries()[0].name, GetParam().name);
    EXPECT_EQ(t.Entries()[0].number, GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HeaderLineTest,
    testing::Values(LineCase{"#define IDW_MAIN 1000", "IDW_MAIN", 1000},
                    LineCase{"#define    IDW_MAIN \t   1000   \t ", "IDW_MAIN", 1000},
                    LineCase{"  #define\tIDC_BTN_CLOSE\t1002", "IDC_BTN_CLOSE", 1002},
                    LineCase{"#define IDW_HEX 0x3E8", "IDW_HEX", 0},
                    LineCase{"#define IDW_WORD abc", "IDW_WORD", 0},
                    LineCase{"#define IDW_NEG -5", "IDW_NEG", -5}));

TEST(IdentifierTable, SkipsNamelessLinesKeepsReservedValuesAndTheFirstDefinition) {
    EXPECT_TRUE(IdentifierTable::Parse("#define\n#define   \n#define ONLYNAME\nint x = 1;\n").Empty());
    const auto t = IdentifierTable::Parse(
        "#define IDOK 1234\n#define IDC_STATIC 1001\n#define IDC_A 1001\n#define IDC_A 6\n");
    EXPECT_EQ(t.NumberOf("IDOK"), 1);
    EXPECT_EQ(t.NumberOf("IDCANCEL"), 2);
    EXPECT_EQ(t.NumberOf("IDC_STATIC"), -1);
    EXPECT_EQ(t.NumberOf("IDCONTINUE"), 11);
    EXPECT_EQ(t.NameOf(1001), "IDC_A");  // a reserved name never answers for a skin number
    EXPECT_EQ(t.NumberOf("IDC_A"), 1001);
}

}  // namespace
}  // namespace fw::skin
