#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "routes/RouteRecord.h"

namespace fw {

class LogSink;

// The routes of the current login in order of arrival. Records are held by unique pointers so
// that a route found once stays valid while later routes arrive (stations are attached to it).
class RouteStore {
public:
    enum class FindBy { LineId = 0, LineName = 1 };

    // log may be null: then the duplicate-name line goes nowhere.
    explicit RouteStore(LogSink* log = nullptr) : log_(log) {}
    void SetLog(LogSink* log) { log_ = log; }

    // Stores a route from the server unless one with the same line name is stored already;
    // a duplicate is dropped with a log line. True when stored.
    bool AddRoute(RouteRecord record);
    // Stores a route at the end without any check (a route just drawn and saved here).
    RouteRecord& Append(RouteRecord record);

    // The first route whose line id (0) or line name (1) equals key exactly; null when none
    // does or when by is any other value.
    RouteRecord* FindRoute(std::string_view key, int by);
    const RouteRecord* FindRoute(std::string_view key, int by) const;
    RouteRecord* FindRoute(std::string_view key, FindBy by) {
        return FindRoute(key, static_cast<int>(by));
    }

    // Listed routes: those with at least three stations, in store order.
    static constexpr std::size_t kMinListedStations = 3;
    std::size_t ListedRouteCount() const;
    // 1-based; null outside 1..ListedRouteCount().
    const RouteRecord* ListedRouteAt(std::size_t position) const;

    std::size_t Size() const { return routes_.size(); }
    // 0-based over every stored route; null outside the store.
    const RouteRecord* At(std::size_t index) const {
        return index < routes_.size() ? routes_[index].get() : nullptr;
    }
    void Clear() { routes_.clear(); }

private:
    std::vector<std::unique_ptr<RouteRecord>> routes_;
    LogSink* log_;
};

}  // namespace fw
