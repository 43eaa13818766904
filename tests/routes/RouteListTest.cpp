// The route list page's rules: rows, pages, the pager, finding and sorting.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "routes/RouteList.h"
#include "routes/RoutePager.h"
#include "routes/RouteStore.h"
#include "text/Encoding.h"

namespace fw {
namespace {

RouteRecord Route(const std::string& name, std::vector<std::string> stations) {
    RouteRecord route;
    route.lineName = name;
    route.length = "12.50";
    route.time = "00:40";
    for (auto& s : stations) route.stations.push_back({"id", s, "", "", "", "", PresenceState::Outside});
    return route;
}

// A store of `total` routes named R1, R2, ..., of which those in `shortOnes` have one station.
RouteStore Store(int total, std::vector<int> shortOnes = {}) {
    RouteStore store;
    for (int i = 1; i <= total; ++i) {
        const bool isShort = std::find(shortOnes.begin(), shortOnes.end(), i) != shortOnes.end();
        store.Append(Route("R" + std::to_string(i), std::vector<std::string>(isShort ? 1 : 2, "s")));
    }
    return store;
}

std::vector<std::string> Names(const std::vector<RouteRow>& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows) names.push_back(row.name);
    return names;
}

std::vector<std::string> Ordered(const std::vector<std::string>& keys, bool descending) {
    std::vector<std::string> out;
    for (std::size_t i : SortOrder(keys, descending)) out.push_back(keys[i]);
    return out;
}

// A route of two stations is one the server takes: it is listed, so it can be deleted. Routes of
// one station are neither counted nor listed; pages hold twenty in store order.
TEST(RouteList, PagesHoldTwentyListedRoutesInStoreOrderAndTheLastIsShort) {
    const RouteStore store = Store(45, {2, 5});
    EXPECT_EQ(store.ListedRouteCount(), 43u);
    const std::vector<std::string> first = Names(PageRows(store, 1));
    ASSERT_EQ(first.size(), 20u);
    EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 4), (std::vector<std::string>{"R1", "R3", "R4", "R6"}));
    EXPECT_EQ(Names(PageRows(store, 3)), (std::vector<std::string>{"R43", "R44", "R45"}));
    for (int page : {0, 4}) EXPECT_TRUE(PageRows(store, page).empty()) << page;
    EXPECT_TRUE(PageRows(Store(0), 1).empty());
    // Arriving stations add a row only below a full page.
    const RouteRecord listed = Route("r", {"A", "B"});
    EXPECT_TRUE(MayAppendRow(listed, 19));
    EXPECT_FALSE(MayAppendRow(listed, 20));
    EXPECT_FALSE(MayAppendRow(Route("one", {"A"}), 0));
}

TEST(RouteList, PagerButtonsFollowThePage) {
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
        const std::string buttons = {v.first ? '1' : '0', v.previous ? '1' : '0', v.next ? '1' : '0', v.last ? '1' : '0'};
        EXPECT_EQ(std::to_string(v.pageCount) + " " + buttons, std::to_string(r.pages) + " " + r.buttons)
            << r.records << " records, page " << r.current;
    }
}

TEST(RouteList, GoReadsThePageTheWayAtoiDoes) {
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

TEST(RouteList, FindComparesTrimmedNamesExactlyAndWithCase) {
    const std::vector<std::string> names = {"Line 7", " Line 7 ", "line 7", "Line 77", ""};
    EXPECT_EQ(FindRows(names, "  Line 7\t"), (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(FindRows(names, "line 7"), (std::vector<bool>{false, false, true, false, false}));
    // An empty search finds only rows without a name.
    EXPECT_EQ(FindRows(names, "   "), (std::vector<bool>{false, false, false, false, true}));
}

// Names compare as text without case, so 100 comes before 20; equal keys keep their order in
// both directions. The length and time columns sort by value, both ways; what is no value goes
// after the values (before them when descending).
TEST(RouteList, NamesSortAsTextLengthAndTimeByValue) {
    EXPECT_EQ(Ordered({"b", "A", "a", "B"}, false), (std::vector<std::string>{"A", "a", "b", "B"}));
    EXPECT_EQ(SortOrder({"x", "X", "x"}, true), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(Ordered({"abcd", "ABC", "MiXeD"}, false), (std::vector<std::string>{"ABC", "abcd", "MiXeD"}));
    const struct {
        int column;
        std::vector<std::string> keys;
        std::vector<std::string> ascending;
    } rows[] = {
        {0, {"20", "100", "3"}, {"100", "20", "3"}},
        {2, {"10.07", "13.20", "8.10", "-", "9", "8.2"}, {"8.10", "8.2", "9", "10.07", "13.20", "-"}},
        {2, {"1e1", " 2 ", "", "nan", "100"}, {" 2 ", "1e1", "100", "", "nan"}},
        {3, {"00:41", "1:05", "10:00", "9:59", "00:41:30", "x"}, {"00:41", "00:41:30", "1:05", "9:59", "10:00", "x"}},
    };
    for (const auto& r : rows) {
        std::vector<std::string> up, down;
        for (std::size_t i : SortOrder(r.keys, false, RouteColumnKind(r.column))) up.push_back(r.keys[i]);
        for (std::size_t i : SortOrder(r.keys, true, RouteColumnKind(r.column))) down.push_back(r.keys[i]);
        EXPECT_EQ(up, r.ascending) << r.column;
        EXPECT_EQ(down, std::vector<std::string>(r.ascending.rbegin(), r.ascending.rend())) << r.column;
    }
}

TEST(RouteList, ChineseNamesSortInPinyinOrderThroughTheirGbkBytes) {
    TextCodec gbk("GBK");
    const std::vector<std::string> names = {"西湖", "北山", "动物园"};  // xi, bei, dong
    std::vector<std::string> keys;
    for (const auto& n : names) keys.push_back(gbk.FromUtf8(n));
    std::vector<std::string> sorted;
    for (std::size_t i : SortOrder(keys, false)) sorted.push_back(names[i]);
    EXPECT_EQ(sorted, (std::vector<std::string>{"北山", "动物园", "西湖"}));
}

TEST(RouteList, FirstClickOnNameSortsDescendingOtherColumnsStartAscending) {
    SortState state;
    for (auto [column, descending] : {std::pair{0, true}, {0, false}, {2, false}, {2, true}, {3, false}, {0, false}})
        EXPECT_EQ(ClickSortColumn(state, column), descending) << column;
}

}  // namespace
}  // namespace fw
