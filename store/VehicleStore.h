#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/VehicleRecord.h"

namespace fw {

// The vehicles of the current login, in order of arrival. Duplicates are kept: the server may
// announce one plate twice, and the lookups below say which record wins.
class VehicleStore {
public:
    // While the store is refreshed, the first record of the old login with this plate takes
    // the new values (in its place) instead of a new record being added.
    void Add(VehicleRecord record);
    void Clear();

    // The login was made again and the server announces its vehicles anew. Until EndRefresh the
    // records of the old login stay (lookups and lists keep working); EndRefresh drops those not
    // announced again. How many went.
    void BeginRefresh();
    std::size_t EndRefresh();
    bool Refreshing() const { return refreshing_; }

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
    std::vector<bool> stale_;  // per record while refreshing, else empty
    // Plate → its stale records' positions, the first last.
    std::unordered_map<std::string, std::vector<std::size_t>> staleByCode_;
    bool refreshing_ = false;
};

}  // namespace fw
