#include "web/PageAddresses.h"

#include "text/Url.h"

namespace fw {

std::string MapPageUrl(std::string_view server, int webPort) {
    return HttpOrigin(server, webPort) + "/myquorvel/quorvel/jsp/cmonitor/markerBD.jsp";
}

std::string MaskedAddress(std::string_view url) {
    const std::size_t query = url.find('?');
    if (query == std::string_view::npos) return std::string(url);
    const std::size_t fragment = url.find('#', query);
    const std::size_t queryEnd = fragment == std::string_view::npos ? url.size() : fragment;
    std::string out(url.substr(0, query + 1));
    std::string_view params = url.substr(query + 1, queryEnd - query - 1);
    for (bool first = true;; first = false) {
        const std::size_t amp = params.find('&');
        const std::string_view param = params.substr(0, amp);
        if (!first) out += '&';
        out += param.starts_with("uPass=") ? std::string_view("uPass=******") : param;
        if (amp == std::string_view::npos) break;
        params.remove_prefix(amp + 1);
    }
    out += url.substr(queryEnd);
    return out;
}

}  // namespace fw
