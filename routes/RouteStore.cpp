#include "routes/RouteStore.h"

#include <algorithm>
#include <string>
#include <utility>

#include "text/LogSink.h"
#include "text/Strings.h"

namespace fw {

bool RouteStore::AddRoute(RouteRecord record) {
    for (Entry& stored : routes_) {
        if (stored.record->lineName != record.lineName) continue;
        if (stored.stale) {
            // The route comes again after a new login: the new values, and its stations follow.
            record.stations = std::move(stored.record->stations);
            *stored.record = std::move(record);
            stored.stale = false;
            stored.stationsStale = true;
            return true;
        }
        if (log_ != nullptr) log_->WriteLog("线路名称：" + record.lineName + "已经存在");
        return false;
    }
    routes_.push_back({std::make_unique<RouteRecord>(std::move(record))});
    return true;
}

RouteRecord& RouteStore::Append(RouteRecord record) {
    routes_.push_back({std::make_unique<RouteRecord>(std::move(record))});
    return *routes_.back().record;
}

RouteStore::Entry* RouteStore::FindEntry(const RouteRecord& route) {
    for (Entry& entry : routes_)
        if (entry.record.get() == &route) return &entry;
    return nullptr;
}

void RouteStore::AttachStations(RouteRecord& route, std::vector<StationRecord> stations) {
    Entry* entry = FindEntry(route);
    if (entry != nullptr && entry->stationsStale) {
        entry->stationsStale = false;
        route.stations = std::move(stations);
        return;
    }
    route.stations.insert(route.stations.end(), std::make_move_iterator(stations.begin()),
                          std::make_move_iterator(stations.end()));
}

std::size_t RouteStore::RemoveRoute(std::string_view lineName) {
    return std::erase_if(routes_, [&](const Entry& e) { return e.record->lineName == lineName; });
}

const RouteRecord* RouteStore::FindRoute(std::string_view key, int by) const {
    if (by != 0 && by != 1) return nullptr;
    for (const Entry& entry : routes_) {
        const std::string& field = by == 0 ? entry.record->lineId : entry.record->lineName;
        if (field == key) return entry.record.get();
    }
    return nullptr;
}

RouteRecord* RouteStore::FindRoute(std::string_view key, int by) {
    return const_cast<RouteRecord*>(std::as_const(*this).FindRoute(key, by));
}

bool RouteStore::HasName(std::string_view lineName) const {
    const std::string_view wanted = TrimView(lineName);
    return std::any_of(routes_.begin(), routes_.end(),
                       [&](const Entry& e) { return TrimView(e.record->lineName) == wanted; });
}

std::size_t RouteStore::ListedRouteCount() const {
    return static_cast<std::size_t>(std::count_if(routes_.begin(), routes_.end(), [](const Entry& e) {
        return e.record->stations.size() >= kMinListedStations;
    }));
}

const RouteRecord* RouteStore::ListedRouteAt(std::size_t position) const {
    if (position == 0) return nullptr;
    for (const Entry& entry : routes_) {
        if (entry.record->stations.size() < kMinListedStations) continue;
        if (--position == 0) return entry.record.get();
    }
    return nullptr;
}

void RouteStore::Clear() {
    routes_.clear();
    refreshing_ = false;
}

void RouteStore::BeginRefresh() {
    refreshing_ = true;
    for (Entry& entry : routes_) {
        entry.stale = true;
        entry.stationsStale = false;
    }
}

std::size_t RouteStore::EndRefresh() {
    refreshing_ = false;
    return std::erase_if(routes_, [](const Entry& e) { return e.stale; });
}

}  // namespace fw
