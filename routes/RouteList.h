#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/ValueOrder.h"

namespace fw {

class RouteStore;
struct RouteRecord;

// The rules of the route management list; the window only shows what they decide.

// A list row: route name, stations joined by " — ", length, time (the fifth column stays empty).
struct RouteRow {
    std::string name;
    std::string stations;
    std::string length;
    std::string time;
};

inline constexpr int kRouteListColumns = 5;
inline constexpr int kMaxRouteListRows = 20;

RouteRow MakeRouteRow(const RouteRecord& route, std::string joinedStations);
RouteRow MakeRouteRow(const RouteRecord& route);

// The rows of one page: the listed routes at the page's positions, in store order.
std::vector<RouteRow> PageRows(const RouteStore& routes, int page);

// A row is added to the list (stations arriving, a route saved here) only while it shows less
// than a page, and only for a route the list shows at all (one with at least two stations).
bool MayAppendRow(const RouteRecord& route, int rowCount);

// Column widths for a window of this client width: the stations column takes what the other
// four leave.
std::vector<int> RouteColumnWidths(int clientWidth);

// Find: which rows' names equal the search text, both trimmed, exactly and case-sensitively.
std::vector<bool> FindRows(const std::vector<std::string>& names, std::string_view search);

// Sorting by a column, with the state all route lists share: a click on a new column sorts it
// ascending, a second click on the same column flips the order. The state starts on column 0
// ascending, so the first click on column 0 sorts it descending.
struct SortState {
    int column = 0;
    bool descending = false;
};
// Records the click and returns whether to sort descending.
bool ClickSortColumn(SortState& state, int column);
// The one state of the route list, kept for the life of the process.
SortState& RouteListSort();

// What each column holds: the length is a number, the time a time; the rest is text.
ValueKind RouteColumnKind(int column);

// The order in which rows with these keys are shown: texts compared ignoring ASCII case, numbers
// and times by value (CompareValues), a stable sort with the comparison reversed when
// descending, so equal keys keep their order either way.
std::vector<std::size_t> SortOrder(const std::vector<std::string>& keys, bool descending,
                                   ValueKind kind = ValueKind::Text);

}  // namespace fw
