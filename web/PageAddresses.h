#pragma once

#include <string>
#include <string_view>

namespace fw {

// The route map page of the dispatch server's web site.
std::string MapPageUrl(std::string_view server, int webPort);

// An address as it may be shown or logged: the value of a uPass parameter is masked.
std::string MaskedAddress(std::string_view url);

}  // namespace fw
