#include <gtest/gtest.h>

#include "web/LoadErrorPage.h"
#include "web/PageAddresses.h"

namespace fw {
namespace {

TEST(PageAddresses, MapPageOfAnIpv6SiteHasTheHostInBrackets) {
    EXPECT_EQ(MapPageUrl("::1", 8089), "http://[::1]:8089/myquorvel/quorvel/jsp/cmonitor/markerBD.jsp");
}

TEST(PageAddresses, PasswordsNeverShow) {
    const struct {
        const char* url;
        const char* shown;
    } rows[] = {
        {"http://h:89/a.jsp?uName=x&uPass=secret&uType=100", "http://h:89/a.jsp?uName=x&uPass=******&uType=100"},
        {"http://h/a?uPass=%E5%AF%86", "http://h/a?uPass=******"},
        {"http://h/a?uPass=&b=1#uPass=x", "http://h/a?uPass=******&b=1#uPass=x"},
        {"http://h/a?xuPass=1&uPassword=2", "http://h/a?xuPass=1&uPassword=2"},
        {"http://h/a", "http://h/a"},
        {"http://h/a?", "http://h/a?"},
    };
    for (const auto& row : rows) EXPECT_EQ(MaskedAddress(row.url), row.shown) << row.url;
}

// The error page says why in words, shows the address it could not open, password masked and
// markup escaped, and runs no script.
TEST(LoadErrorPage, SaysWhyAndShowsTheAddressMaskedAndEscaped) {
    EXPECT_EQ(LoadFailureReason(false, -102) + "|" + LoadFailureReason(true, 404),
              "服务器拒绝连接（端口上没有网页服务）|服务器返回错误 404");
    const std::string html = LoadErrorPageHtml("http://h:9/x?uName=<b>&uPass=pw\"&uType=1", "服务器拒绝连接");
    EXPECT_NE(html.find("http://h:9/x?uName=&lt;b&gt;&amp;uPass=******&amp;uType=1"), std::string::npos) << html;
    EXPECT_EQ(html.find("pw"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(HtmlEscape("a<'&\">"), "a&lt;&#39;&amp;&quot;&gt;");
}

}  // namespace
}  // namespace fw
