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

TEST(RouteStore, DuplicateNameFromTheServerIsDroppedWithALogLine) {
    test::MemoryLog log;
    RouteStore store(&log);
    EXPECT_TRUE(store.AddRoute(Route("7路", "100", 0)));
    EXPECT_FALSE(store.AddRoute(Route("7路", "200", 0)));
    EXPECT_EQ(store.Size(), 1u);
    EXPECT_EQ(log.lines, std::vector<std::string>{"线路名称：7路已经存在"});
    // The second one's id is unknown, so its stations would find no route.
    EXPECT_EQ(store.FindRoute("200", 0), nullptr);
    // Names differing in case are different routes.
    EXPECT_TRUE(store.AddRoute(Route("Line a", "300", 0)));
    EXPECT_TRUE(store.AddRoute(Route("Line A", "301", 0)));
}

TEST(RouteStore, AppendKeepsDuplicatesAndFindReturnsTheOlder) {
    RouteStore store;  // no log at all must be fine
    store.AddRoute(Route("7路", "100", 3));
    store.Append(Route("7路", "101", 4));
    EXPECT_EQ(store.Size(), 2u);
    ASSERT_NE(store.FindRoute("7路", 1), nullptr);
    EXPECT_EQ(store.FindRoute("7路", 1)->lineId, "100");
    EXPECT_EQ(store.FindRoute("101", RouteStore::FindBy::LineId)->stations.size(), 4u);
}

TEST(RouteStore, FindByIdOrNameExactlyAndNothingForOtherKinds) {
    RouteStore store;
    store.AddRoute(Route("Harbour", "100", 3));
    EXPECT_NE(store.FindRoute("100", 0), nullptr);
    EXPECT_EQ(store.FindRoute("Harbour", 0), nullptr);
    EXPECT_NE(store.FindRoute("Harbour", 1), nullptr);
    EXPECT_EQ(store.FindRoute("harbour", 1), nullptr);
    EXPECT_EQ(store.FindRoute("100", 1), nullptr);
    EXPECT_EQ(store.FindRoute("100", 2), nullptr);
    EXPECT_EQ(store.FindRoute("100", -1), nullptr);
}

TEST(RouteStore, ListedRoutesHaveAtLeastThreeStations) {
    RouteStore store;
    store.AddRoute(Route("A", "1", 3));
    store.AddRoute(Route("B", "2", 2));
    store.AddRoute(Route("C", "3", 0));
    store.AddRoute(Route("D", "4", 25));
    EXPECT_EQ(store.ListedRouteCount(), 2u);
    EXPECT_EQ(store.ListedRouteAt(0), nullptr);
    EXPECT_EQ(store.ListedRouteAt(1)->lineName, "A");
    EXPECT_EQ(store.ListedRouteAt(2)->lineName, "D");
    EXPECT_EQ(store.ListedRouteAt(3), nullptr);
    EXPECT_NE(store.FindRoute("B", 1), nullptr);  // unlisted yet stored
    EXPECT_EQ(store.At(1)->lineName, "B");
    EXPECT_EQ(store.At(4), nullptr);

    // Stations attached later make a route listed.
    store.FindRoute("2", 0)->stations.push_back({});
    EXPECT_EQ(store.ListedRouteCount(), 3u);
    EXPECT_EQ(store.ListedRouteAt(2)->lineName, "B");
}

TEST(RouteStore, FoundRoutesStayValidWhileMoreArriveAndClearEmptiesAll) {
    RouteStore store;
    store.AddRoute(Route("first", "1", 0));
    RouteRecord* first = store.FindRoute("1", 0);
    for (int i = 0; i < 1000; ++i) store.AddRoute(Route("r" + std::to_string(i), "x", 0));
    first->stations.push_back({"9", "late stop", "", "", "", "", PresenceState::Outside});
    EXPECT_EQ(store.FindRoute("first", 1)->stations.size(), 1u);

    store.Clear();
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_EQ(store.FindRoute("first", 1), nullptr);
    EXPECT_EQ(store.ListedRouteCount(), 0u);
}

}  // namespace
}  // namespace fw
