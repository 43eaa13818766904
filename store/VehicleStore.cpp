#include "store/VehicleStore.h"

namespace fw {

std::string VehicleStore::VehicleIdOfPlate(std::string_view plate) const {
    for (auto it = records_.rbegin(); it != records_.rend(); ++it)
        if (it->code == plate) return it->id;
    return {};
}

std::string VehicleStore::PlateOfId(std::string_view id) const {
    for (const VehicleRecord& record : records_)
        if (record.id == id) return record.code;
    return std::string(id);
}

std::vector<std::string> VehicleStore::PlatesOfGroup(std::string_view group,
                                                     std::string_view userName) const {
    std::vector<std::string> plates;
    for (const VehicleRecord& record : records_)
        if (record.groupName == group || group == userName) plates.push_back(record.code);
    return plates;
}

}  // namespace fw
