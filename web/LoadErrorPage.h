#pragma once

#include <string>
#include <string_view>

namespace fw {

// What the web views show instead of the browser's own error page when a page cannot load.

// The browser's network error code for a load that was cut short by another navigation; that is
// no failure to report.
inline constexpr int kLoadAborted = -3;

// The reason in words: httpStatus tells whether code is an HTTP status (404) or one of the
// browser's network error codes (-102 connection refused, -105 unknown host, ...).
std::string LoadFailureReason(bool httpStatus, int code);

// A whole page in Chinese: the address tried (its password masked), the reason, and the hint to
// check the web port in the settings.
std::string LoadErrorPageHtml(std::string_view address, std::string_view reason);

// Text made safe to put between HTML tags or in an attribute.
std::string HtmlEscape(std::string_view text);

}  // namespace fw
