#pragma once

#include <string>
#include <string_view>

namespace fw {

// Every byte but the unreserved ones (letters, digits, "-._~") as %XX.
std::string PercentEncode(std::string_view bytes);

// "http://host:port", with a literal IPv6 address in brackets as a URL needs it.
std::string HttpOrigin(std::string_view host, int port);

}  // namespace fw
