#include <gtest/gtest.h>

#include "routes/RouteStore.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

RouteRecord Route(std::string name, std::string id, int stations) {
    RouteRecord route;
    route.lineName = std::move(name);
    route.lineId = std::move(id);
    for (int i = 0; i < stations; ++i)
        route.stations.push_back({std::to_string(i), "stop " + std::to_string(i), "31.2", "121.4",
                                  "", "", PresenceState::Outside});
    return route;
}

// The listed routes' names by position, from 0 to one past the last: "-" where there is none.
std::string Listed(const RouteStore& store) {
    std::string names;
    for (std::size_t i = 0; i <= store.ListedRouteCount() + 1; ++i)
        names += store.ListedRouteAt(i) != nullptr ? store.ListedRouteAt(i)->lineName : "-";
    return names;
}

// A name the server sends twice is dropped with a log line (its id, so its stations, find no
// route); names differing in case are different routes. Append keeps duplicates; finding gives
// the older. Ids and names match exactly, with case, and there is no third kind of key.
TEST(RouteStore, DuplicateNamesAndFindingByIdOrName) {
    test::MemoryLog log;
    RouteStore store(&log);
    EXPECT_TRUE(store.AddRoute(Route("Harbour", "100", 3)));
    EXPECT_FALSE(store.AddRoute(Route("Harbour", "200", 0)));
    EXPECT_EQ(log.lines, std::vector<std::string>{"线路名称：Harbour已经存在"});
    EXPECT_TRUE(store.AddRoute(Route("harbour", "300", 0)));
    store.Append(Route("Harbour", "101", 4));
    EXPECT_EQ(store.Size(), 3u);
    EXPECT_EQ(store.FindRoute("Harbour", 1)->lineId, "100");
    EXPECT_EQ(store.FindRoute("101", RouteStore::FindBy::LineId)->stations.size(), 4u);
    for (auto [key, kind] : {std::pair{"200", 0}, {"Harbour", 0}, {"HARBOUR", 1}, {"100", 1}, {"100", 2}, {"100", -1}})
        EXPECT_EQ(store.FindRoute(key, kind), nullptr) << key << " " << kind;
}

TEST(RouteStore, ListedRoutesHaveAtLeastTwoStations) {
    RouteStore store;  // no log at all must be fine
    for (auto [name, stations] : {std::pair{"A", 2}, {"B", 1}, {"C", 0}, {"D", 25}})
        store.AddRoute(Route(name, name, stations));
    EXPECT_FALSE(store.AddRoute(Route("A", "A2", 2)));
    EXPECT_EQ(Listed(store), "-AD-");
    EXPECT_EQ(store.At(1)->lineName, "B");  // unlisted yet stored
    EXPECT_EQ(store.At(4), nullptr);
    // Stations attached later make a route listed.
    store.FindRoute("B", 0)->stations.push_back({});
    EXPECT_EQ(Listed(store), "-ABD-");
}

TEST(RouteStore, FoundRoutesStayValidWhileMoreArrive) {
    RouteStore store;
    store.AddRoute(Route("first", "1", 0));
    RouteRecord* first = store.FindRoute("1", 0);
    for (int i = 0; i < 100; ++i) store.AddRoute(Route("r" + std::to_string(i), "x", 0));
    first->stations.push_back({"9", "late stop", "", "", "", "", PresenceState::Outside});
    EXPECT_EQ(store.FindRoute("first", 1)->stations.size(), 1u);
}

// A name the store has, trimmed as a saved name is, cannot be taken by a new route; deleting a
// route frees its name.
TEST(RouteStore, NamesTakenAndFreedByDeletion) {
    RouteStore store;
    store.AddRoute(Route(" 7路", "1", 3));
    store.Append(Route("8路", "", 2));
    for (const char* taken : {"7路", " 7路 ", "8路\t"}) EXPECT_TRUE(store.HasName(taken)) << taken;
    for (const char* free : {"7", "7路路", "9路", ""}) EXPECT_FALSE(store.HasName(free)) << free;
    EXPECT_EQ(store.RemoveRoute("8路"), 1u);
    EXPECT_FALSE(store.HasName("8路"));
    EXPECT_EQ(store.RemoveRoute("7路"), 0u);  // the server's name is " 7路"
}

// A re-login: the old routes stay while the server sends its own again; one that comes again
// takes the new values and, with its next stations, loses the old ones; one that does not come
// is gone once the refresh ends. A route that is new is added as usual.
TEST(RouteStore, RefreshKeepsTheRoutesUntilTheServerHasSentItsOwn) {
    test::MemoryLog log;
    RouteStore store(&log);
    store.AddRoute(Route("1路", "10", 3));
    store.AddRoute(Route("2路", "20", 3));
    RouteRecord* one = store.FindRoute("1路", 1);
    store.BeginRefresh();
    EXPECT_TRUE(store.Refreshing());
    RouteRecord again = Route("1路", "11", 0);
    again.length = "9.90";
    EXPECT_TRUE(store.AddRoute(again));
    EXPECT_TRUE(store.AddRoute(Route("3路", "30", 0)));
    EXPECT_FALSE(store.AddRoute(Route("1路", "12", 0)));  // sent twice in one login: dropped
    EXPECT_EQ(store.FindRoute("1路", 1), one);             // the same record, still listed
    EXPECT_EQ(one->lineId + " " + one->length, "11 9.90");
    EXPECT_EQ(one->stations.size(), 3u);
    EXPECT_EQ(Listed(store), "-1路2路-");

    store.AttachStations(*one, Route("", "", 2).stations);  // replaces
    store.AttachStations(*one, Route("", "", 1).stations);  // then adds, as ever
    EXPECT_EQ(one->stations.size(), 3u);
    store.AttachStations(*store.FindRoute("3路", 1), Route("", "", 2).stations);
    EXPECT_EQ(store.EndRefresh(), 1u);  // 2路 was not sent again
    EXPECT_FALSE(store.Refreshing());
    EXPECT_EQ(Listed(store), "-1路3路-");
    EXPECT_EQ(log.lines, std::vector<std::string>{"线路名称：1路已经存在"});
}

}  // namespace
}  // namespace fw
