#pragma once

#include <string>

namespace fw {

// One vehicle as the server announces it; never changed once stored.
struct VehicleRecord {
    std::string code;  // licence plate
    std::string id;    // the server's vehicle id
    std::string groupName;
};

}  // namespace fw
