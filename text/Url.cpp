#include "text/Url.h"

namespace fw {

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                                (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' ||
                                b == '~';
        if (unreserved) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

std::string HttpOrigin(std::string_view host, int port) {
    const bool bracket = host.find(':') != std::string_view::npos && !host.starts_with('[');
    std::string origin = "http://";
    if (bracket) origin += '[';
    origin += host;
    if (bracket) origin += ']';
    return origin + ":" + std::to_string(port);
}

}  // namespace fw
