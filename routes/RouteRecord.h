#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fw {

// Where a vehicle was, as the arrival detection last saw it at a station.
enum class PresenceState : std::int32_t {
    Outside = 0,  // not seen at the station
    Inside = 1,   // within the radius: an arrival was recorded
    Left = 2,     // was inside and has been seen outside since: a departure was recorded
};

// One station (stop) of a route. The texts are kept as the server sent them.
struct StationRecord {
    std::string id;
    std::string name;
    std::string latitude;
    std::string longitude;
    std::string serialNumber;  // only filled when a route is drawn here
    std::string time;          // time from the previous station
    PresenceState presenceState = PresenceState::Outside;
};

// One route (line) with its ordered stations, which it owns.
struct RouteRecord {
    std::vector<StationRecord> stations;
    std::string lineName;
    std::string length;
    std::string time;
    std::string lineId;
};

}  // namespace fw
