// The shell's rules without a window: the command line, the login form and the reconnect timing.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/CommandLine.h"
#include "app/LoginForm.h"
#include "net/ReconnectPlan.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

TEST(CommandLine, ReadsItsOptionsAndRefusesTheRest) {
    const struct {
        std::vector<std::string> args;
        std::string home;
        bool autoLogin;
        int page;
        bool help, version;
        std::string errorPart;  // empty: no error
    } cases[] = {
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
    for (const auto& c : cases) {
        const CommandLine cl = ParseCommandLine(c.args);
        SCOPED_TRACE(c.args[0]);
        if (!c.errorPart.empty()) {
            EXPECT_NE(cl.error.find(c.errorPart), std::string::npos) << cl.error;
            continue;
        }
        EXPECT_EQ(cl.error, "");
        EXPECT_EQ(std::tie(cl.home, cl.autoLogin, cl.page, cl.help, cl.version),
                  std::tie(c.home, c.autoLogin, c.page, c.help, c.version));
    }
}

TEST(CommandLine, QtOptionsAreLeftToQt) {
    EXPECT_EQ(WithoutQtOptions({"-platform", "xcb", "--autologin", "-style=fusion", "-reverse", "--page", "reports"}),
              (std::vector<std::string>{"--autologin", "--page", "reports"}));
}

TEST(LoginForm, PasswordIsShownOnlyWhenRemembered) {
    LoginConfig c;
    c.user = "张三";
    c.server = "10.0.0.1";
    c.password = "pw";
    for (const char* remember : {"1", "0", "", "yes"}) {
        c.remember = remember;
        const LoginForm f = PrefillLoginForm(c);
        const bool kept = std::string(remember) == "1";
        EXPECT_EQ(f.user + "|" + f.server + "|" + f.password, kept ? "张三|10.0.0.1|pw" : "张三|10.0.0.1|") << remember;
        EXPECT_EQ(f.remember, kept) << remember;
    }
}

// A rejected login comes back with server and user, without the password.
TEST(LoginForm, UntickedAttemptClearsTheStoredPasswordAtOnce) {
    test::TempHome dir;
    const std::string path = dir.File("conf.ini");
    test::WriteFile(path, "[login]\nPass=old\nRemember=1\n");
    LoginConfig c = ReadConfig(path);
    ApplyLoginForm({"u", "typed", "", false}, c);
    ASSERT_TRUE(WriteConfig(path, c));
    const LoginConfig back = ReadConfig(path);
    EXPECT_EQ(back.remember + "|" + back.password + "|" + back.server, "0||");  // empty fields written as they are
    const LoginForm again = PrefillLoginForm(c);
    EXPECT_EQ(again.user + "|" + again.password, "u|");
}

TEST(LoginForm, UnattendedLoginNeedsARememberedPasswordAndSomewhereToGo) {
    LoginConfig c;
    c.server = "s";
    c.user = "u";
    EXPECT_FALSE(CanLogInUnattended(c));
    c.remember = "1";
    EXPECT_TRUE(CanLogInUnattended(c));
    c.server.clear();
    EXPECT_FALSE(CanLogInUnattended(c));
}

TEST(ReconnectPlan, BacksOffThenTriesEveryHalfMinuteForFiveMinutes) {
    std::vector<int> delays;
    int elapsed = 0;
    for (int attempt = 1; auto delay = ReconnectPlan::DelayBefore(attempt, elapsed); ++attempt) {
        delays.push_back(*delay / 1000);
        elapsed += *delay;
    }
    EXPECT_EQ(delays, (std::vector<int>{2, 4, 8, 16, 30, 30, 30, 30, 30, 30, 30, 30, 30}));
    EXPECT_EQ(elapsed, ReconnectPlan::kGiveUpAfterMs);
}

}  // namespace
}  // namespace fw
