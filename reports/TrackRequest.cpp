#include "reports/TrackRequest.h"

#include "text/Encoding.h"
#include "text/Url.h"

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
    std::string url = HttpOrigin(host, port) + path;
    if (!query.empty()) url += "?" + query;
    return url;
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
