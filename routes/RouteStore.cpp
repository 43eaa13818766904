#include "routes/RouteStore.h"

#include <string>
#include <utility>

#include "text/LogSink.h"

namespace fw {

bool RouteStore::AddRoute(RouteRecord record) {
    for (const auto& stored : routes_) {
        if (stored->lineName == record.lineName) {
            if (log_ != nullptr) log_->WriteLog("线路名称：" + record.lineName + "已经存在");
            return false;
        }
    }
    routes_.push_back(std::make_unique<RouteRecord>(std::move(record)));
    return true;
}

RouteRecord& RouteStore::Append(RouteRecord record) {
    routes_.push_back(std::make_unique<RouteRecord>(std::move(record)));
    return *routes_.back();
}

const RouteRecord* RouteStore::FindRoute(std::string_view key, int by) const {
    if (by != 0 && by != 1) return nullptr;
    for (const auto& route : routes_) {
        const std::string& field = by == 0 ? route->lineId : route->lineName;
        if (field == key) return route.get();
    }
    return nullptr;
}

RouteRecord* RouteStore::FindRoute(std::string_view key, int by) {
    return const_cast<RouteRecord*>(std::as_const(*this).FindRoute(key, by));
}

std::size_t RouteStore::ListedRouteCount() const {
    std::size_t count = 0;
    for (const auto& route : routes_)
        if (route->stations.size() >= kMinListedStations) ++count;
    return count;
}

const RouteRecord* RouteStore::ListedRouteAt(std::size_t position) const {
    if (position == 0) return nullptr;
    for (const auto& route : routes_) {
        if (route->stations.size() < kMinListedStations) continue;
        if (--position == 0) return route.get();
    }
    return nullptr;
}

}  // namespace fw
