#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <tuple>
#include <string>
#include <vector>

#include "schedules/AssignmentGrid.h"
#include "schedules/AutoAssign.h"
#include "schedules/RosterCheck.h"

namespace fw {
namespace {

using testing::ElementsAre;

BatchSpan Span(int first, int end, std::string line = "1路", bool tripKnown = true) {
    BatchSpan s;
    std::tie(s.known, s.first, s.last, s.end, s.line, s.tripKnown) = std::tuple(true, first, end, end, std::move(line), tripKnown);
    return s;
}

constexpr int H = 3600;

// Two batches that one vehicle cannot both hold, by the rule of the roster checks.
bool Clash(const BatchSpan& a, const BatchSpan& b, int turnaround) {
    const int gap = std::max(b.first - a.end, a.first - b.end);
    return !(gap >= turnaround && gap >= 0);
}

// The fewest vehicles for the batches, by trying every assignment to k vehicles, k = 1, 2, ….
int BruteForceMinimum(const std::vector<BatchSpan>& spans, int turnaround) {
    const int n = static_cast<int>(spans.size());
    std::vector<int> vehicleOf(static_cast<std::size_t>(n), -1);
    std::function<bool(int, int)> place = [&](int b, int k) {
        if (b == n) return true;
        for (int v = 0; v < k; ++v) {
            bool free = true;
            for (int o = 0; o < b && free; ++o)
                free = vehicleOf[static_cast<std::size_t>(o)] != v || !Clash(spans[static_cast<std::size_t>(o)], spans[static_cast<std::size_t>(b)], turnaround);
            if (!free) continue;
            vehicleOf[static_cast<std::size_t>(b)] = v;
            if (place(b + 1, k)) return true;
        }
        vehicleOf[static_cast<std::size_t>(b)] = -1;
        return false;
    };
    for (int k = 1; k <= n; ++k)
        if (place(0, k)) return k;
    return 0;
}

// The plan as a grid the roster checks can look at: dates one after another.
RosterCheck CheckPlan(const AutoAssignment& plan, const std::vector<BatchSpan>& spans, int turnaround) {
    AssignmentGrid grid;
    std::vector<std::string> batches(spans.size(), "班"), dates;
    for (std::size_t b = 0; b < spans.size(); ++b) batches[b] += std::to_string(b + 1);
    for (std::size_t d = 0; d < plan.days.size(); ++d) dates.push_back("2014-08-" + std::to_string(10 + d));
    grid.SetBatches(batches);
    grid.SetDates(dates);
    for (std::size_t d = 0; d < plan.days.size(); ++d)
        for (std::size_t b = 0; b < spans.size(); ++b) grid.SetCell(static_cast<int>(d), static_cast<int>(b) + 1, plan.days[d].plates[b]);
    return CheckRoster(grid, spans, {}, turnaround);
}

std::vector<std::string> Plates(int n) {
    std::vector<std::string> out;
    for (int i = 1; i <= n; ++i) out.push_back("浙A" + std::to_string(i));
    return out;
}

// Random batches (fixed seeds), some past midnight. A day's plan is sound and uses as few
// vehicles as trying every assignment finds; over a week the batches past midnight meet the next
// day's early ones, no vehicle holds both, and each day gets by with what it needs.
TEST(AutoAssign, RandomDaysUseTheFewestVehiclesAndRandomWeeksNeverClash) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        auto uniform = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
        AutoAssignRequest request;
        request.minTurnaround = std::vector<int>{0, 180, 600, 1800}[static_cast<std::size_t>(uniform(0, 3))];
        const int count = uniform(1, 8);
        for (int b = 0; b < count; ++b) {
            const int first = uniform(0, 95) * 900;
            request.spans.push_back(Span(first, first + uniform(0, 36) * 600));
        }
        request.vehicles = Plates(count);
        const AutoAssignment day = AutoAssign(request);
        const int minimum = BruteForceMinimum(request.spans, request.minTurnaround);
        ASSERT_EQ(day.days.size(), 1u);
        EXPECT_EQ(std::tuple(day.days[0].unassigned, day.days[0].used, day.days[0].need), std::tuple(0, minimum, minimum))
            << "seed " << seed;
        EXPECT_EQ(CheckPlan(day, request.spans, request.minTurnaround).clashes, 0) << "seed " << seed;

        request.vehicles = Plates(count + 2);
        request.days = 7;
        const AutoAssignment week = AutoAssign(request);
        EXPECT_EQ(CheckPlan(week, request.spans, request.minTurnaround).clashes, 0) << "seed " << seed;
        for (const DayAssignment& d : week.days) EXPECT_EQ(std::pair(d.unassigned, d.used), std::pair(0, d.need)) << "seed " << seed;
    }
}

// Three batches at once every day, five vehicles: each day starts one vehicle further on, so
// the early batch goes round the fleet as the carry-down turns a plate.
TEST(AutoAssign, EachDayStartsOneVehicleFurtherOn) {
    AutoAssignRequest request;
    request.batches = {"早", "中", "晚"};
    request.spans = {Span(6 * H, 14 * H), Span(7 * H, 15 * H), Span(8 * H, 16 * H)};
    request.vehicles = Plates(5);
    request.days = 7;
    const AutoAssignment plan = AutoAssign(request);
    std::vector<std::string> early;
    for (const DayAssignment& d : plan.days) {
        early.push_back(d.plates[0]);
        EXPECT_EQ(std::tuple(d.need, d.used, d.unassigned), std::tuple(3, 3, 0));
    }
    EXPECT_THAT(early, ElementsAre("浙A1", "浙A2", "浙A3", "浙A4", "浙A5", "浙A1", "浙A2"));
    EXPECT_THAT(plan.days[1].plates, ElementsAre("浙A2", "浙A3", "浙A4"));
    EXPECT_EQ(plan.Summary(), "自动配车：需 3 辆，已配 3 辆，每天轮换");
    EXPECT_TRUE(plan.findings.empty());
}

TEST(AutoAssign, TypedCellsStayAndArePlannedAround) {
    AutoAssignRequest request;
    request.batches = {"早", "中", "夜", "晨"};
    // 夜 runs to 00:40; 晨 starts at 00:20 the next day.
    request.spans = {Span(6 * H, 10 * H), Span(9 * H, 13 * H), Span(22 * H, 24 * H + 2400), Span(1200, 5 * H)};
    request.vehicles = Plates(4);
    request.days = 2;
    request.fixed = {{"", "浙A1", "浙Z9", ""}, {"", "", "", "浙A3"}};
    const AutoAssignment plan = AutoAssign(request);
    // Day 1: 浙A1 typed on 中 (09-13) cannot take 早 (06-10); 浙Z9 (not in the list) stays on 夜.
    EXPECT_THAT(plan.days[0].plates, ElementsAre("浙A2", "浙A1", "浙Z9", "浙A1"));
    EXPECT_THAT(plan.days[0].planned, ElementsAre(true, false, false, true));
    // Day 2: 浙A3 typed on 晨 the next day, so day 1's plan left it off 夜's night.
    EXPECT_EQ(std::pair(plan.days[1].plates[3], bool(plan.days[1].planned[3])), std::pair(std::string("浙A3"), false));
    EXPECT_EQ(CheckPlan(plan, request.spans, request.minTurnaround).clashes, 0);
    EXPECT_EQ(plan.days[0].used, 3);  // 浙A1, 浙A2 and the typed 浙Z9
}

TEST(AutoAssign, BadInputGivesFindingsNeverAClashOrACrash) {
    BatchSpan unknown;  // no readable time
    BatchSpan outOfOrder = Span(7 * H, 9 * H);
    outOfOrder.outOfOrder = true;
    AutoAssignRequest request;
    request.batches = {"甲", "乙", "丙", "丁"};
    request.spans = {Span(6 * H, 8 * H, "9路", false), unknown, outOfOrder, Span(23 * H, 25 * H)};
    request.vehicles = {"浙A1", " 浙a1 ", "浙A2", "", "浙A3"};
    request.days = 2;
    const AutoAssignment plan = AutoAssign(request);
    EXPECT_THAT(plan.findings, ElementsAre("车牌“浙a1”在车辆列表中不止一次，只算一辆",
                                           "班次“甲”的线路“9路”没有行程时间，按末班发车时间计",
                                           "班次“乙”没有可读的发车时间，未自动配车",
                                           "班次“丙”的发车时间先后颠倒，按最早到最晚计"));
    EXPECT_EQ(plan.vehicles, 3);
    for (const DayAssignment& d : plan.days)  // a batch without times is not counted as short
        EXPECT_EQ(std::pair(d.plates[1], d.unassigned), std::pair(std::string(), 0));
    EXPECT_EQ(CheckPlan(plan, request.spans, request.minTurnaround).clashes, 0);

    request.vehicles.clear();
    const AutoAssignment none = AutoAssign(request);
    EXPECT_EQ(none.Summary(), "自动配车：需 2 辆，只有 0 辆：6 个班次未配车");
    request.spans.clear();
    request.batches.clear();
    EXPECT_EQ(AutoAssign(request).Unassigned(), 0);
}

}  // namespace
}  // namespace fw
