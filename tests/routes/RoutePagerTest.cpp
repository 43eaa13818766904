#include <gtest/gtest.h>

#include <string>

#include "routes/RouteList.h"
#include "routes/RoutePager.h"
#include "routes/RouteStore.h"

namespace fw {
namespace {

// A store of `total` routes named R1, R2, ..., of which those in `shortOnes` have one station.
RouteStore Store(int total, std::vector<int> shortOnes = {}) {
    RouteStore store;
    for (int i = 1; i <= total; ++i) {
        RouteRecord route;
        route.lineName = "R" + std::to_string(i);
        const bool isShort = std::find(shortOnes.begin(), shortOnes.end(), i) != shortOnes.end();
        route.stations.resize(isShort ? 1 : 2);
        store.Append(std::move(route));
    }
    return store;
}

std::vector<std::string> Names(const std::vector<RouteRow>& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows) names.push_back(row.name);
    return names;
}

TEST(RoutePager, ButtonsFollowThePage) {
    const struct {
        int records, current, pages;
        const char* buttons;  // first, previous, next, last: 1 where pressable
    } rows[] = {
        {0, 1, 0, "0000"},  {1, 1, 1, "0000"},  {20, 1, 1, "0000"}, {21, 1, 2, "0011"}, {21, 2, 2, "1100"},
        {45, 2, 3, "1111"}, {60, 3, 3, "1100"},
        {45, 7, 3, "1111"},  // a page beyond the end (the store shrank) can go back
    };
    for (const auto& r : rows) {
        const PagerView v = ComputePager(r.records, r.current);
        SCOPED_TRACE(std::to_string(r.records) + " records, page " + std::to_string(r.current));
        EXPECT_EQ(v.pageCount, r.pages);
        EXPECT_EQ(v.recordCount, r.records);
        EXPECT_EQ(v.currentPage, r.current);
        const std::string buttons = {v.first ? '1' : '0', v.previous ? '1' : '0', v.next ? '1' : '0', v.last ? '1' : '0'};
        EXPECT_EQ(buttons, r.buttons);
    }
}

TEST(RoutePager, PagesHoldTwentyListedRoutesInStoreOrderAndTheLastIsShort) {
    const RouteStore store = Store(25);
    EXPECT_EQ(PageRows(store, 1).size(), 20u);
    EXPECT_EQ(Names(PageRows(store, 2)), (std::vector<std::string>{"R21", "R22", "R23", "R24", "R25"}));
    EXPECT_TRUE(PageRows(store, 3).empty());
    EXPECT_TRUE(PageRows(store, 0).empty());
    EXPECT_TRUE(PageRows(Store(0), 1).empty());

    const RouteStore twentyOne = Store(21);
    EXPECT_EQ(PageRows(twentyOne, 1).size(), 20u);
    EXPECT_EQ(Names(PageRows(twentyOne, 2)), std::vector<std::string>{"R21"});
}

TEST(RoutePager, RoutesOfOneStationAreNeitherCountedNorListed) {
    // 25 routes of which 6 have one station: 19 records on one page.
    const RouteStore store = Store(25, {2, 5, 9, 13, 20, 24});
    EXPECT_EQ(store.ListedRouteCount(), 19u);
    EXPECT_EQ(ComputePager(19, 1).pageCount, 1);
    const auto rows = PageRows(store, 1);
    ASSERT_EQ(rows.size(), 19u);
    EXPECT_EQ(rows[0].name, "R1");
    EXPECT_EQ(rows[1].name, "R3");
    EXPECT_EQ(rows.back().name, "R25");
}

TEST(RoutePager, GoReadsThePageTheWayAtoiDoes) {
    const struct {
        const char* typed;
        int pages;
        std::optional<int> page;
    } rows[] = {
        {"0", 3, std::nullopt},    {"-1", 3, std::nullopt}, {"", 3, std::nullopt},
        {"abc", 3, std::nullopt},  {"4", 3, std::nullopt},  {"1", 0, std::nullopt},
        {"2abc", 2, 2},            {" 3", 3, 3},            {"1", 1, 1},
        {"99999999999", 3, std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ParseGoPage(row.typed, row.pages), row.page) << '"' << row.typed << "\" of " << row.pages;
}

}  // namespace
}  // namespace fw
