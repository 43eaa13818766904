#pragma once

#include <string>
#include <string_view>

namespace fw {

class TextCodec;

// The two pages signed in after a successful login. The user name and password are
// percent-encoded: as wire-charset bytes (GBK) for the monitoring page, as UTF-8 bytes for
// the web report site, which is what each site decodes them as.
std::string MonitorSignInUrl(std::string_view server, int webPort, std::string_view user,
                             std::string_view password, const TextCodec& wire);
std::string WebReportSignInUrl(std::string_view server, int webPort, std::string_view user,
                               std::string_view password);

// The login reply's result counts as success when it is "succeed" after trimming blanks.
bool IsLoginSuccess(std::string_view result);

}  // namespace fw
