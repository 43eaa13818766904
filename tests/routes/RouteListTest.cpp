#include <gtest/gtest.h>

#include "routes/RouteList.h"
#include "routes/RouteRecord.h"
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

std::vector<std::string> Ordered(const std::vector<std::string>& keys, bool descending) {
    std::vector<std::string> out;
    for (std::size_t i : SortOrder(keys, descending)) out.push_back(keys[i]);
    return out;
}

TEST(RouteList, RowShowsTheStationsJoinedInOrder) {
    const RouteRow row = MakeRouteRow(Route("7路", {"A", "B", "C"}));
    EXPECT_EQ(row.name + "|" + row.stations + "|" + row.length + "|" + row.time, "7路|A — B — C|12.50|00:40");
    EXPECT_EQ(MakeRouteRow(Route("x", {"A", "B", "C"}), "only these").stations, "only these");
}

TEST(RouteList, RowsAreAppendedOnlyBelowAPageAndOnlyForListedRoutes) {
    const RouteRecord listed = Route("r", {"A", "B", "C"});
    EXPECT_TRUE(MayAppendRow(listed, 0));
    EXPECT_TRUE(MayAppendRow(listed, 19));
    EXPECT_FALSE(MayAppendRow(listed, 20));
    // A route of two stations is one the server takes: it is listed, so it can be deleted.
    EXPECT_TRUE(MayAppendRow(Route("two", {"A", "B"}), 0));
    EXPECT_FALSE(MayAppendRow(Route("one", {"A"}), 0));
    EXPECT_FALSE(MayAppendRow(Route("none", {}), 0));
}

TEST(RouteList, FindComparesTrimmedNamesExactlyAndWithCase) {
    const std::vector<std::string> names = {"Line 7", " Line 7 ", "line 7", "Line 77", ""};
    EXPECT_EQ(FindRows(names, "  Line 7\t"), (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(FindRows(names, "line 7"), (std::vector<bool>{false, false, true, false, false}));
    // An empty search finds only rows without a name.
    EXPECT_EQ(FindRows(names, "   "), (std::vector<bool>{false, false, false, false, true}));
}

TEST(RouteList, SortComparesTextWithoutCaseSoHundredComesBeforeTwenty) {
    EXPECT_EQ(Ordered({"20", "100", "3"}, false), (std::vector<std::string>{"100", "20", "3"}));
    EXPECT_EQ(Ordered({"20", "100", "3"}, true), (std::vector<std::string>{"3", "20", "100"}));
    EXPECT_EQ(Ordered({"b", "A", "a", "B"}, false), (std::vector<std::string>{"A", "a", "b", "B"}));
    EXPECT_EQ(RouteColumnKind(0), ValueKind::Text);
    EXPECT_EQ(RouteColumnKind(1), ValueKind::Text);
    // Equal keys keep their order in both directions.
    EXPECT_EQ(SortOrder({"x", "X", "x"}, true), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(Ordered({"abcd", "ABC", "MiXeD"}, false), (std::vector<std::string>{"ABC", "abcd", "MiXeD"}));
}

// The length and time columns sort by value, both ways; what is no value goes after the values
// (before them when descending).
TEST(RouteList, LengthAndTimeSortByValue) {
    const struct {
        int column;
        std::vector<std::string> keys;
        std::vector<std::string> ascending;
    } rows[] = {
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
    EXPECT_TRUE(ClickSortColumn(state, 0));
    EXPECT_FALSE(ClickSortColumn(state, 0));
    EXPECT_FALSE(ClickSortColumn(state, 2));
    EXPECT_TRUE(ClickSortColumn(state, 2));
    EXPECT_FALSE(ClickSortColumn(state, 3));
    EXPECT_FALSE(ClickSortColumn(state, 0));
}

}  // namespace
}  // namespace fw
