#pragma once

#include <string>
#include <string_view>

namespace fw {

class TextCodec;

// The GET request for one vehicle's track. The HTTP transfer itself belongs to the window.
struct TrackRequest {
    std::string host;
    int port = 0;
    std::string path;   // "/Interface/GetJsonVdata"
    std::string query;  // without the leading '?'

    std::string Url() const;
};

inline constexpr std::string_view kTrackPath = "/Interface/GetJsonVdata";
inline constexpr std::string_view kTrackKey = "3c9d0a7e51b2f6480d1e9a7c25b4f063";
inline constexpr int kDefaultWebPort = 89;

// Query values are converted to the wire charset (GBK unless given) and percent-encoded, so a
// blank or a Chinese plate reaches the service as the bytes it expects.
TrackRequest BuildTrackRequest(std::string_view serverAddress, int webPort,
                               std::string_view vehicleId, std::string_view plate,
                               std::string_view beginTime, std::string_view endTime);
TrackRequest BuildTrackRequest(std::string_view serverAddress, int webPort,
                               std::string_view vehicleId, std::string_view plate,
                               std::string_view beginTime, std::string_view endTime,
                               const TextCodec& wire);

}  // namespace fw
