#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Requests.h"
#include "schedules/AssignmentGrid.h"
#include "schedules/ScheduleDates.h"
#include "schedules/ScheduleList.h"

namespace fw {
namespace {

using testing::ElementsAre;

TEST(CarryDown, RotatesThroughTheBatchesFromTheEditedOne) {
    const struct {
        int columns, rows, column;
        std::vector<int> expected;
    } cases[] = {
        {4, 7, 2, {2, 3, 1, 2, 3, 1, 2}},  // three batches
        {4, 4, 3, {3, 1, 2, 3}},
        {2, 4, 1, {1, 1, 1, 1}},  // one batch
        {4, 0, 2, {}},
        {1, 3, 1, {}},  // no batch column
        {4, 3, 0, {}},  // the date column is never edited
    };
    for (const auto& c : cases)
        EXPECT_EQ(CarryDownColumns(c.columns, c.rows, c.column), c.expected)
            << c.columns << " columns, column " << c.column;
}

TEST(AssignmentGrid, ContentGoesRowByRowEmptyCellsIncluded) {
    AssignmentGrid grid;
    grid.SetBatches({"早", "晚"});
    grid.SetDates({"2014-08-25", "2014-08-26"});
    EXPECT_THAT(grid.StoreEdit(1, 1, "浙A1"), ElementsAre(GridCell{1, 1}));  // not the first row: one cell
    EXPECT_TRUE(grid.StoreEdit(2, 1, "x").empty());
    auto text = [](const std::vector<AssignmentRow>& rows) {
        std::vector<std::string> out;
        for (const auto& r : rows) out.push_back(r.date + "|" + r.batch + "|" + r.carCode);
        return out;
    };
    EXPECT_THAT(text(grid.Content()), ElementsAre("2014-08-25|早|", "2014-08-25|晚|", "2014-08-26|早|浙A1",
                                                  "2014-08-26|晚|"));
    EXPECT_THAT(text(grid.DayContent("2014-08-26")), ElementsAre("2014-08-26|早|浙A1", "2014-08-26|晚|"));
    EXPECT_TRUE(grid.DayContent("2014-08-27").empty());
    grid.Clear();
    EXPECT_TRUE(grid.Content().empty());
}

TEST(AssignmentGrid, BatchNamesAreSentWithAtMost255Characters) {
    std::string chinese;
    for (int i = 0; i < 300; ++i) chinese += "班";
    EXPECT_EQ(BatchForContent(chinese).size(), 255u * 3);
    EXPECT_EQ(BatchForContent(std::string(255, 'a')), std::string(255, 'a'));
    EXPECT_EQ(BatchForContent(std::string(256, 'a')), std::string(255, 'a'));
    EXPECT_EQ(BatchForContent("早班"), "早班");
}

TEST(ScheduleDays, OneRowPerDayFromStartToEnd) {
    const struct {
        const char* start;
        const char* end;
        std::size_t days;
        const char* first;
        const char* error;
    } cases[] = {
        {"2014-08-25", "2014-08-25", 1, "2014-08-25", ""},
        {" 2014-02-27 ", "2014-03-01", 3, "2014-02-27", ""},  // the start text is trimmed
        {"2016-02-28", "2016-03-01", 3, "2016-02-28", ""},
        {"2014-08-26", "2014-08-25", 0, nullptr, "开始时间不能大于结束时间"},
        {"2016-01-01", "2016-12-31", 366, "2016-01-01", ""},
        {"2014-01-01", "2015-01-02", 0, nullptr, "排班日期范围不能超过366天"},
        {"25.08.2014", "2014-08-26", 0, nullptr, ""},  // not the pickers' layout: no date, no message
        {"2014-08-25", " 2014-08-26", 0, nullptr, ""},
        {"", "2014-08-26", 0, nullptr, ""},
        {"2014-02-30", "2014-03-02", 0, nullptr, ""},
    };
    for (const auto& c : cases) {
        const ScheduleDays days = ReadScheduleDays(c.start, c.end);
        EXPECT_EQ(days.error, c.error) << c.start;
        ASSERT_EQ(days.dates.size(), c.days) << c.start;
        if (c.first) {
            EXPECT_EQ(days.dates.front(), c.first);
            EXPECT_EQ(FormatDate(*days.first), c.first);
        }
    }
    EXPECT_THAT(ReadScheduleDays("2014-12-31", "2015-01-02").dates,
                ElementsAre("2014-12-31", "2015-01-01", "2015-01-02"));
}

std::vector<std::string> Names(const ScheduleList& list, bool markedOnly = false) {
    std::vector<std::string> out;
    for (const auto& r : list.Rows())
        if (!markedOnly || r.marked) out.push_back(r.name);
    return out;
}

TEST(ScheduleList, DeletingWalksTheRowsAgainAfterEachRemoval) {
    ScheduleList list;
    for (const char* name : {"甲", "乙", "丙", "丁", "戊"}) list.Add(name, "", "");
    for (int row : {1, 2, 4}) list.ToggleMark(row);
    list.ToggleMark(4);  // unmarked again
    EXPECT_FALSE(list.ToggleMark(5));
    std::vector<std::string> sent;
    list.DeleteMarked([&](const ScheduleRow& row) {
        sent.push_back(row.name);
        return true;
    });
    EXPECT_THAT(sent, ElementsAre("乙", "丙"));  // next to each other: both in one walk
    EXPECT_THAT(Names(list), ElementsAre("甲", "丁", "戊"));

    // A send that ends the login empties the list; the walk stops there.
    list.ToggleMark(0);
    list.ToggleMark(2);
    sent.clear();
    list.DeleteMarked([&](const ScheduleRow& row) {
        sent.push_back(row.name);
        list.Clear();
        return false;
    });
    EXPECT_THAT(sent, ElementsAre("甲"));
    EXPECT_TRUE(list.Rows().empty());
}

}  // namespace
}  // namespace fw
