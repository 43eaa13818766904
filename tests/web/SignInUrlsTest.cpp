#include <gtest/gtest.h>

#include "text/Encoding.h"
#include "web/SignInUrls.h"

namespace fw {
namespace {

TEST(SignInUrls, ChineseUserIsGbkForMonitoringAndUtf8ForReports) {
    TextCodec gbk("GBK");
    EXPECT_EQ(MonitorSignInUrl("10.0.0.5", 89, "调度员", "p&w d", gbk),
              "http://10.0.0.5:89/myquorvel/quorvel/jsp/AutomaticLogin.jsp"
              "?uName=%B5%F7%B6%C8%D4%B1&uPass=p%26w%20d&uType=100");
    EXPECT_EQ(WebReportSignInUrl("host", 8089, "调度员", "pw"),
              "http://host:8089/tamstatic/jsp/login/loginx.jsp"
              "?uName=%E8%B0%83%E5%BA%A6%E5%91%98&uPass=pw&uType=tamsid");
}

TEST(SignInUrls, LoginSuccessIsTheTrimmedExactWord) {
    EXPECT_TRUE(IsLoginSuccess("succeed") && IsLoginSuccess("  succeed\r\n"));
    EXPECT_FALSE(IsLoginSuccess("Succeed") || IsLoginSuccess("succeeded") || IsLoginSuccess(""));
}

}  // namespace
}  // namespace fw
