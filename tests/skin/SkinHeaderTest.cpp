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

TEST(IdentifierTable, EachLineYieldsNameAndNumber) {
    const struct {
        const char* line;
        const char* name;
        int number;
    } rows[] = {
        {"#define IDW_MAIN 1000", "IDW_MAIN", 1000},        {"#define    IDW_MAIN \t   1000   \t ", "IDW_MAIN", 1000},
        {"  #define\tIDC_BTN_CLOSE\t1002", "IDC_BTN_CLOSE", 1002}, {"#define IDW_HEX 0x3E8", "IDW_HEX", 0},
        {"#define IDW_WORD abc", "IDW_WORD", 0},            {"#define IDW_NEG -5", "IDW_NEG", -5},
    };
    for (const auto& r : rows) {
        const auto t = IdentifierTable::Parse(r.line);
        ASSERT_EQ(t.Entries().size(), 1u) << r.line;
        EXPECT_EQ(t.Entries()[0].name, r.name) << r.line;
        EXPECT_EQ(t.Entries()[0].number, r.number) << r.line;
    }
}

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
