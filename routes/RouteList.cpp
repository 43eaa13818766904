#include "routes/RouteList.h"

#include <algorithm>
#include <numeric>

#include "net/Dispatcher.h"
#include "routes/RoutePager.h"
#include "routes/RouteStore.h"
#include "text/Strings.h"

namespace fw {

RouteRow MakeRouteRow(const RouteRecord& route, std::string joinedStations) {
    return {route.lineName, std::move(joinedStations), route.length, route.time};
}

RouteRow MakeRouteRow(const RouteRecord& route) {
    return MakeRouteRow(route, Dispatcher::JoinStationNames(route.stations));
}

std::vector<RouteRow> PageRows(const RouteStore& routes, int page) {
    std::vector<RouteRow> rows;
    const PageSpan span = PagePositions(page);
    if (span.first == 0) return rows;
    // One walk over the store, counting listed routes, rather than a lookup per position.
    std::size_t position = 0;
    for (std::size_t i = 0; i < routes.Size() && position < span.last; ++i) {
        const RouteRecord* route = routes.At(i);
        if (route->stations.size() < RouteStore::kMinListedStations) continue;
        if (++position >= span.first) rows.push_back(MakeRouteRow(*route));
    }
    return rows;
}

bool MayAppendRow(const RouteRecord& route, int rowCount) {
    return rowCount < kMaxRouteListRows && route.stations.size() >= RouteStore::kMinListedStations;
}

std::vector<int> RouteColumnWidths(int clientWidth) {
    // Name 200, stations the rest, length, time and the operation column 100 each; the
    // stations column never shrinks below something readable.
    return {200, std::max(120, clientWidth - 500), 100, 100, 100};
}

std::vector<bool> FindRows(const std::vector<std::string>& names, std::string_view search) {
    const std::string_view wanted = TrimView(search);
    std::vector<bool> found;
    found.reserve(names.size());
    for (const std::string& name : names) found.push_back(TrimView(name) == wanted);
    return found;
}

bool ClickSortColumn(SortState& state, int column) {
    if (column != state.column) {
        state.column = column;
        state.descending = false;
    } else {
        state.descending = !state.descending;
    }
    return state.descending;
}

SortState& RouteListSort() {
    static SortState state;
    return state;
}

ValueKind RouteColumnKind(int column) {
    switch (column) {
        case 2: return ValueKind::Number;
        case 3: return ValueKind::Time;
        default: return ValueKind::Text;
    }
}

std::vector<std::size_t> SortOrder(const std::vector<std::string>& keys, bool descending, ValueKind kind) {
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        const int c = CompareValues(keys[x], keys[y], kind);
        return descending ? c > 0 : c < 0;
    });
    return order;
}

}  // namespace fw
