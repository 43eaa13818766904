#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/VehicleRecord.h"

namespace fw {

// The vehicles of the current login, in order of arrival. Duplicates are kept: the server may
// announce one plate twice, and the lookups below say which record wins.
class VehicleStore {
public:
    void Add(VehicleRecord record) { records_.push_back(std::move(record)); }
    void Clear() { records_.clear(); }

    std::size_t Size() const { return records_.size(); }
    const std::vector<VehicleRecord>& Records() const { return records_; }

    // The id of the last record whose plate equals the plate exactly; empty when none does.
    std::string VehicleIdOfPlate(std::string_view plate) const;
    // The plate of the first record whose id equals the id exactly; the id itself when none
    // does (how a server report row names its vehicle).
    std::string PlateOfId(std::string_view id) const;
    // Plates offered for a company: those of its group, or every plate when the company is the
    // logged-in user's own name. In store order, duplicates included.
    std::vector<std::string> PlatesOfGroup(std::string_view group, std::string_view userName) const;

private:
    std::vector<VehicleRecord> records_;
};

}  // namespace fw
