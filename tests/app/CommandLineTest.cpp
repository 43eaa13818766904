#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "base/Home.h"
#include "tests/support/TestSupport.h"

#include <sys/stat.h>

namespace fw {
namespace {

struct ArgsCase {
    std::vector<std::string> args;
    std::string home;
    bool autoLogin;
    int page;
    bool help, version;
    std::string errorPart;  // empty: no error
};

TEST(CommandLine, ReadsItsOptionsAndRefusesTheRest) {
    const ArgsCase cases[] = {
        {{"--home", "/srv/fw", "--autologin"}, "/srv/fw", true, -1, false, false, ""},
        {{"--home=/x", "--page", "monitor"}, "/x", false, 3, false, false, ""},
        {{"--page=routes"}, "", false, 0, false, false, ""},
        {{"--page", "schedules", "--help"}, "", false, 1, true, false, ""},
        {{"-v"}, "", false, -1, false, true, ""},
        {{"--home"}, "", false, -1, false, false, "--home needs"},
        {{"--home", ""}, "", false, -1, false, false, "--home needs"},
        {{"--page"}, "", false, -1, false, false, "--page needs"},
        {{"--page", "Routes"}, "", false, -1, false, false, "unknown page: Routes"},
        {{"--bogus"}, "", false, -1, false, false, "unknown option: --bogus"},
    };
    for (const ArgsCase& c : cases) {
        const CommandLine cl = ParseCommandLine(c.args);
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
        if (!c.errorPart.empty()) {
            EXPECT_NE(cl.error.find(c.errorPart), std::string::npos) << cl.error;
            continue;
        }
        EXPECT_EQ(cl.error, "");
        EXPECT_EQ(cl.home, c.home);
        EXPECT_EQ(cl.autoLogin, c.autoLogin);
        EXPECT_EQ(cl.page, c.page);
        EXPECT_EQ(cl.help, c.help);
        EXPECT_EQ(cl.version, c.version);
    }
    EXPECT_NE(UsageText("fenwarde").find("--page PAGE"), std::string::npos);
}

TEST(CommandLine, QtOptionsAreLeftToQt) {
    EXPECT_EQ(WithoutQtOptions({"-platform", "xcb", "--autologin", "-style=fusion", "-reverse",
                                "--page", "reports"}),
              (std::vector<std::string>{"--autologin", "--page", "reports"}));
}

TEST(Home, OptionThenVariableThenProgramFolder) {
    EXPECT_EQ(ResolveHome("/opt", "/env", "/bin"), "/opt");
    EXPECT_EQ(ResolveHome("", "/env", "/bin"), "/env");
    EXPECT_EQ(ResolveHome("", "", "/bin"), "/bin");
    EXPECT_EQ(ResolveHome("", nullptr, "/bin"), "/bin");
}

TEST(Home, WarnsOnceNamingTheFolderWhenItCannotKeepItsFiles) {
    test::TempHome dir;
    EXPECT_EQ(HomeWriteWarning(dir.Path(), dir.File("bus.mdb")), "");
    test::WriteFile(dir.File("plain"), "x");
    const std::string notAFolder = HomeWriteWarning(dir.File("plain"), "");
    EXPECT_EQ(notAFolder, "无法写入程序文件夹：" + dir.File("plain") + "\n设置、日志和数据库将无法保存。");
    ::mkdir(dir.File("conf.ini").c_str(), 0700);  // there, but not a file that can be written
    EXPECT_EQ(HomeWriteWarning(dir.Path(), ""),
              "无法写入程序文件夹：" + dir.Path() + "\n设置（conf.ini）将无法保存。");
}

}  // namespace
}  // namespace fw
