#include <gtest/gtest.h>

#include "app/CommandLine.h"

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

}  // namespace
}  // namespace fw
