#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "skin/SkinHeader.h"

namespace fw::skin {
namespace {

// Every "#define NAME NUMBER" line in order, whatever its blanks; a number that is not decimal
// reads as 0; nameless lines and other text are skipped. The first definition of a name counts,
// and reserved names keep their own values and never answer for a skin number.
TEST(IdentifierTable, ReadsEveryDefineAndAnswersBothWays) {
    const auto t = IdentifierTable::Parse(
        "// generated\r\n#define IDOK 1234\n#define IDC_STATIC 1000\r\n#define IDW_MAIN 1000\r\n"
        "#define    IDC_A \t   1001   \t \n  #define\tIDC_TAB\t1002\n#define IDW_HEX 0x3E8\n#define IDW_WORD abc\n"
        "#define IDW_NEG -5\n#include <x>\nint x = 1;\n#define\n#define   \n#define ONLYNAME\n#define IDC_A 6");
    std::string read;
    for (const auto& e : t.Entries()) read += e.name + "=" + std::to_string(e.number) + " ";
    EXPECT_EQ(read, "IDOK=1234 IDC_STATIC=1000 IDW_MAIN=1000 IDC_A=1001 IDC_TAB=1002 IDW_HEX=0 IDW_WORD=0 "
                    "IDW_NEG=-5 IDC_A=6 ");
    EXPECT_EQ(std::tuple(t.NameOf(1000), t.NameOf(999)), std::tuple("IDW_MAIN", std::nullopt));
    EXPECT_EQ(std::tuple(t.NumberOf("IDC_A"), t.NumberOf("IDOK"), t.NumberOf("IDC_STATIC"), t.NumberOf("IDCANCEL"),
                         t.NumberOf("IDW_NONE")),
              std::tuple(1001, 1, -1, 2, std::nullopt));
}

}  // namespace
}  // namespace fw::skin
