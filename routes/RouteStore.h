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
    // a duplicate is dropped with a log line. True when stored. While the store is refreshed,
    // a route of the old login with that name takes the new values instead, and its stations
    // are replaced by the next ones that arrive.
    bool AddRoute(RouteRecord record);
    // Stores a route at the end without any check (a route just drawn and saved here).
    RouteRecord& Append(RouteRecord record);
    // Stations that arrived for a route: added after those it has, or in place of them when
    // it was refreshed and these are the first to arrive since.
    void AttachStations(RouteRecord& route, std::vector<StationRecord> stations);
    // Takes out every route of this name (deleted on the server); how many went.
    std::size_t RemoveRoute(std::string_view lineName);

    // The first route whose line id (0) or line name (1) equals key exactly; null when none
    // does or when by is any other value.
    RouteRecord* FindRoute(std::string_view key, int by);
    const RouteRecord* FindRoute(std::string_view key, int by) const;
    RouteRecord* FindRoute(std::string_view key, FindBy by) {
        return FindRoute(key, static_cast<int>(by));
    }
    // Whether a route of this name is stored, both names trimmed: a name the server already
    // has, which a new route may not take (the server deletes routes by name).
    bool HasName(std::string_view lineName) const;

    // Listed routes: those with at least two stations (every route the server accepts), in
    // store order.
    static constexpr std::size_t kMinListedStations = 2;
    std::size_t ListedRouteCount() const;
    // 1-based; null outside 1..ListedRouteCount().
    const RouteRecord* ListedRouteAt(std::size_t position) const;

    std::size_t Size() const { return routes_.size(); }
    // 0-based over every stored route; null outside the store.
    const RouteRecord* At(std::size_t index) const {
        return index < routes_.size() ? routes_[index].record.get() : nullptr;
    }
    void Clear();

    // The login was made again: the server sends its routes anew. Until EndRefresh the routes
    // of the old login stay (the lists keep showing them), each taking the values that arrive
    // for its name; EndRefresh drops those the server did not send again. How many went.
    void BeginRefresh();
    std::size_t EndRefresh();
    bool Refreshing() const { return refreshing_; }

private:
    struct Entry {
        std::unique_ptr<RouteRecord> record;
        bool stale = false;         // of the old login, not sent again yet
        bool stationsStale = false; // sent again: the next stations replace the old ones
    };
    Entry* FindEntry(const RouteRecord& route);

    std::vector<Entry> routes_;
    LogSink* log_;
    bool refreshing_ = false;
};

}  // namespace fw
