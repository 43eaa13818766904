#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "app/LoginForm.h"
#include "net/ReconnectPlan.h"

namespace fw {
namespace {

TEST(LoginForm, PasswordIsShownOnlyWhenRemembered) {
    LoginConfig c;
    c.user = "张三";
    c.server = "10.0.0.1";
    c.password = "pw";
    for (const char* remember : {"1", "0", "", "yes"}) {
        c.remember = remember;
        const LoginForm f = PrefillLoginForm(c);
        const bool kept = std::string(remember) == "1";
        EXPECT_EQ(f.user, "张三");
        EXPECT_EQ(f.server, "10.0.0.1");
        EXPECT_EQ(f.password, kept ? "pw" : "") << remember;
        EXPECT_EQ(f.remember, kept) << remember;
    }
}

TEST(LoginForm, UntickedAttemptClearsTheStoredPasswordAtOnce) {
    test::TempHome dir;
    const std::string path = dir.File("conf.ini");
    test::WriteFile(path, "[login]\nPass=old\nRemember=1\n");
    LoginConfig c = ReadConfig(path);
    ApplyLoginForm({"u", "typed", "", false}, c);
    EXPECT_EQ(c.remember, "0");
    ASSERT_TRUE(WriteConfig(path, c));
    const LoginConfig back = ReadConfig(path);
    EXPECT_EQ(back.password, "");
    EXPECT_EQ(back.server, "");  // empty fields are written as they are
    // The rejected login comes back with server and user, without the password.
    const LoginForm again = PrefillLoginForm(c);
    EXPECT_EQ(again.user, "u");
    EXPECT_EQ(again.password, "");
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
    EXPECT_EQ(ReconnectPlan::BandText(3), "连接已断开，正在重新连接…(第 3 次)");
}

}  // namespace
}  // namespace fw
