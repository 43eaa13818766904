#include "store/VehicleStore.h"

namespace fw {

void VehicleStore::Add(VehicleRecord record) {
    const auto it = refreshing_ ? staleByCode_.find(record.code) : staleByCode_.end();
    if (it != staleByCode_.end() && !it->second.empty()) {
        const std::size_t i = it->second.back();
        it->second.pop_back();
        records_[i] = std::move(record);
        stale_[i] = false;
        return;
    }
    records_.push_back(std::move(record));
    if (refreshing_) stale_.push_back(false);
}

void VehicleStore::Clear() {
    records_.clear();
    stale_.clear();
    staleByCode_.clear();
    refreshing_ = false;
}

void VehicleStore::BeginRefresh() {
    refreshing_ = true;
    stale_.assign(records_.size(), true);
    staleByCode_.clear();
    for (std::size_t i = records_.size(); i-- > 0;) staleByCode_[records_[i].code].push_back(i);
}

std::size_t VehicleStore::EndRefresh() {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (i >= stale_.size() || !stale_[i]) {
            if (kept != i) records_[kept] = std::move(records_[i]);
            ++kept;
        }
    const std::size_t dropped = records_.size() - kept;
    records_.resize(kept);
    stale_.clear();
    staleByCode_.clear();
    refreshing_ = false;
    return dropped;
}

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
