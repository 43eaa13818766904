#include <gtest/gtest.h>

#include <ostream>

#include "base/IniFile.h"

namespace fw {
namespace {

TEST(IniFile, LookupIgnoresCaseAndBlanksAndTakesTheFirstMatch) {
    const IniFile ini = IniFile::FromText(
        "; comment\n[other]\nServer=wrong\n[ LOGIN ]\n  server =  10.0.0.1  \nSERVER=second\n"
        "Quoted=\"a b\"\nSingle=' c '\n");
    EXPECT_EQ(ini.Get("login", "Server"), "10.0.0.1");
    EXPECT_EQ(ini.Get("Login", "quoted"), "a b");
    EXPECT_EQ(ini.Get("Login", "single"), " c ");
    EXPECT_EQ(ini.Get("other", "server"), "wrong");
    EXPECT_FALSE(ini.Get("login", "User"));
    EXPECT_FALSE(ini.Get("missing", "Server"));
}

struct EditCase {
    const char* name;
    std::string before;
    std::vector<std::pair<const char*, const char*>> sets;  // key → value, section "login"
    std::string after;
    friend std::ostream& operator<<(std::ostream& os, const EditCase& c) { return os << c.name; }
};

class Edit : public testing::TestWithParam<EditCase> {};

TEST_P(Edit, RewritesOnlyTheLinesItSets) {
    IniFile ini = IniFile::FromText(GetParam().before);
    for (const auto& [key, value] : GetParam().sets) ini.Set("login", key, value);
    EXPECT_EQ(ini.ToText(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Edit,
    testing::Values(
        EditCase{"CrLfWithBom",
                 "\xEF\xBB\xBF# kept\r\n[login]\r\nserver=old\r\nDataName=bus\r\n\r\n[other]\r\nx=1",
                 {{"Server", "new"}, {"User", "张三"}},
                 "\xEF\xBB\xBF# kept\r\n[login]\r\nServer=new\r\nDataName=bus\r\nUser=张三\r\n\r\n"
                 "[other]\r\nx=1"},
        // Each line keeps its own ending; new lines take the first line's.
        EditCase{"MixedEndings", "[login]\nDataName=a\r\nServer=old\r\nb=1\n",
                 {{"Server", "new"}, {"User", "u"}},
                 "[login]\nDataName=a\r\nServer=new\r\nb=1\nUser=u\n"},
        EditCase{"FinalLoneCr", "[login]\r\nServer=old\r", {{"Server", "new"}},
                 "[login]\r\nServer=new\r"},
        EditCase{"FinalLoneCrThenANewLine", "[login]\r\nServer=old\r", {{"User", "u"}},
                 "[login]\r\nServer=old\r\nUser=u\r\n"},
        EditCase{"NewSectionAfterAnUnendedLine", "[other]\r\nx=1", {{"Server", "s"}},
                 "[other]\r\nx=1\r\n[login]\r\nServer=s\r\n"},
        EditCase{"ValuesCannotInjectLines", "[login]\n", {{"User", "evil\nDataName=x\r"}},
                 "[login]\nUser=\"evil DataName=x \"\n"}));

TEST(IniFile, EveryValueReadsBackExactly) {
    // Reading trims blanks and takes off one pair of quotes, as Windows does; what it would alter
    // is written quoted.
    for (const char* value : {"", "plain", " pw", "pw ", " ", "\"pw\"", "'pw'", "\"\"", "\"pw",
                              "pw'", "a \"b\" c", "调度员\t", "\"'x'\""}) {
        IniFile ini = IniFile::FromText("[login]\r\nPass=old\r\n");
        ini.Set("login", "Pass", value);
        EXPECT_EQ(IniFile::FromText(ini.ToText()).Get("login", "Pass"), value) << ini.ToText();
    }
}

}  // namespace
}  // namespace fw
