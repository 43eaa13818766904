#include <gtest/gtest.h>

#include "app/IniFile.h"

namespace fw {
namespace {

TEST(IniFile, LookupIgnoresCaseAndBlanksAndTakesTheFirstMatch) {
    const IniFile ini = IniFile::FromText(
        "; comment\n[other]\nServer=wrong\n[ LOGIN ]\n  server =  10.0.0.1  \nSERVER=second\n"
        "Quoted=\"a b\"\n");
    EXPECT_EQ(ini.Get("login", "Server"), "10.0.0.1");
    EXPECT_EQ(ini.Get("Login", "quoted"), "a b");
    EXPECT_EQ(ini.Get("other", "server"), "wrong");
    EXPECT_FALSE(ini.Get("login", "User"));
    EXPECT_FALSE(ini.Get("missing", "Server"));
}

TEST(IniFile, SettingRewritesOnlyItsOwnLine) {
    const std::string text =
        "\xEF\xBB\xBF# kept\r\n[login]\r\nserver=old\r\nDataName=bus\r\n\r\n[other]\r\nx=1";
    IniFile ini = IniFile::FromText(text);
    ini.Set("login", "Server", "new");
    ini.Set("login", "User", "张三");
    ini.Set("fresh", "Key", "v");
    EXPECT_EQ(ini.ToText(),
              "\xEF\xBB\xBF# kept\r\n[login]\r\nServer=new\r\nDataName=bus\r\nUser=张三\r\n\r\n"
              "[other]\r\nx=1\r\n[fresh]\r\nKey=v\r\n");
}

TEST(IniFile, ValuesCannotInjectLines) {
    IniFile ini = IniFile::FromText("[login]\n");
    ini.Set("login", "User", "evil\nDataName=x\r");
    EXPECT_EQ(ini.ToText(), "[login]\nUser=evil DataName=x \n");
    EXPECT_FALSE(IniFile::FromText(ini.ToText()).Get("login", "DataName"));
}

}  // namespace
}  // namespace fw
