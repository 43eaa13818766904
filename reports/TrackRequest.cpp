#include "reports/TrackRequest.h"

#include "text/Encoding.h"

namespace fw {
namespace {

TrackRequest Build(std::string_view serverAddress, int webPort, std::string_view vehicleId,
                   std::string_view plate, std::string_view beginTime, std::string_view endTime,
                   const TextCodec& wire) {
    auto value = [&](std::string_view text) { return PercentEncode(wire.FromUtf8(text)); };
    TrackRequest request;
    request.host = std::string(serverAddress);
    request.port = webPort;
    request.path = std::string(kTrackPath);
    request.query = "vhcid=" + value(vehicleId) + "&cret=&vehicle=" + value(plate) +
                    "&key=" + std::string(kTrackKey) + "&begin_time=" + value(beginTime) +
                    "&end_time=" + value(endTime) + "&datatype=1&intermin=0&timeorder=0";
    return request;
}

}  // namespace

std::string TrackRequest::Url() const {
    // A literal IPv6 address needs its brackets in a URL.
    const bool bracket = host.find(':') != std::string::npos && !host.starts_with('[');
    std::string url = "http://";
    url += bracket ? "[" + host + "]" : host;
    url += ":" + std::to_string(port) + path;
    if (!query.empty()) url += "?" + query;
    return url;
}

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

TrackRequest BuildTrackRequest(std::string_view serverAddress, int webPort,
                               std::string_view vehicleId, std::string_view plate,
                               std::string_view beginTime, std::string_view endTime) {
    const TextCodec gbk("GBK");
    return Build(serverAddress, webPort, vehicleId, plate, beginTime, endTime, gbk);
}

TrackRequest BuildTrackRequest(std::string_view serverAddress, int webPort,
                               std::string_view vehicleId, std::string_view plate,
                               std::string_view beginTime, std::string_view endTime,
                               const TextCodec& wire) {
    return Build(serverAddress, webPort, vehicleId, plate, beginTime, endTime, wire);
}

}  // namespace fw
