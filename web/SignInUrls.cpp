#include "web/SignInUrls.h"

#include "text/Encoding.h"
#include "text/Strings.h"
#include "text/Url.h"

namespace fw {
std::string MonitorSignInUrl(std::string_view server, int webPort, std::string_view user,
                             std::string_view password, const TextCodec& wire) {
    return HttpOrigin(server, webPort) + "/myquorvel/quorvel/jsp/AutomaticLogin.jsp?uName=" +
           PercentEncode(wire.FromUtf8(user)) + "&uPass=" + PercentEncode(wire.FromUtf8(password)) +
           "&uType=100";
}

std::string WebReportSignInUrl(std::string_view server, int webPort, std::string_view user,
                               std::string_view password) {
    return HttpOrigin(server, webPort) + "/tamstatic/jsp/login/loginx.jsp?uName=" +
           PercentEncode(user) + "&uPass=" + PercentEncode(password) + "&uType=tamsid";
}

bool IsLoginSuccess(std::string_view result) { return TrimView(result) == "succeed"; }

}  // namespace fw
