#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Requests.h"
#include "schedules/AssignmentGrid.h"
#include "schedules/SaveExchange.h"
#include "schedules/ScheduleDates.h"
#include "schedules/ScheduleLayout.h"
#include "schedules/ScheduleList.h"

namespace fw {
namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;

TEST(CarryDown, RotatesThroughTheBatchesFromTheEditedOne) {
    const struct {
        int columns, rows, column;
        std::vector<int> expected;
    } cases[] = {
        {4, 7, 2, {2, 3, 1, 2, 3, 1, 2}},  // three batches
        {4, 4, 3, {3, 1, 2, 3}},
        {4, 3, 1, {1, 2, 3}},
        {2, 4, 1, {1, 1, 1, 1}},  // one batch
        {4, 0, 2, {}},
        {1, 3, 1, {}},  // no batch column
        {4, 3, 4, {}},
        {4, 3, 0, {}},  // the date column is never edited
    };
    for (const auto& c : cases)
        EXPECT_EQ(CarryDownColumns(c.columns, c.rows, c.column), c.expected)
            << c.columns << " columns, column " << c.column;
}

AssignmentGrid ThreeBatchesFiveDays() {
    AssignmentGrid grid;
    grid.SetBatches({"早1", "早2", "早3"});
    grid.SetDates({"2014-08-25", "2014-08-26", "2014-08-27", "2014-08-28", "2014-08-29"});
    return grid;
}

TEST(AssignmentGrid, AnEditOfTheFirstRowIsCarriedDownOthersStayInTheirCell) {
    AssignmentGrid grid = ThreeBatchesFiveDays();
    EXPECT_THAT(grid.StoreEdit(3, 1, "浙A2"), ElementsAre(GridCell{3, 1}));
    EXPECT_THAT(grid.StoreEdit(0, 2, "浙A1"),
                ElementsAre(GridCell{0, 2}, GridCell{1, 3}, GridCell{2, 1}, GridCell{3, 2}, GridCell{4, 3}));
    EXPECT_EQ(grid.Cell(3, 1), "浙A2");  // off the carried path, kept
    EXPECT_EQ(grid.Cell(2, 1), "浙A1");
    EXPECT_EQ(grid.Cell(1, 2), "");
    EXPECT_TRUE(grid.StoreEdit(5, 1, "x").empty());  // no such row
    EXPECT_TRUE(grid.StoreEdit(0, 4, "x").empty());  // no such batch

    grid.SetDates({"2014-09-01"});  // new rows, empty; the batches stay
    EXPECT_EQ(grid.ColumnCount(), 4);
    EXPECT_EQ(grid.Cell(0, 2), "");
}

TEST(AssignmentGrid, ContentGoesRowByRowEmptyCellsIncluded) {
    AssignmentGrid grid;
    grid.SetBatches({"早", "晚"});
    grid.SetDates({"2014-08-25", "2014-08-26"});
    grid.StoreEdit(1, 1, "浙A1");
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

TEST(ScheduleList, SearchMarksEveryRowOfTheTrimmedName) {
    ScheduleList list;
    for (const char* name : {"夏季", " 冬季", "夏季", "夏季排班", ""}) list.Add(name, "2014-06-01", "2014-08-31");
    EXPECT_EQ(list.Search("  夏季 "), "夏季");
    EXPECT_THAT(Names(list, true), ElementsAre("夏季", "夏季"));
    EXPECT_EQ(list.Search("冬季"), "冬季");  // the row's name is trimmed too
    EXPECT_THAT(Names(list, true), ElementsAre(" 冬季"));
    list.Search("秋季");
    EXPECT_TRUE(Names(list, true).empty());
    list.Search("");  // only the row without a name
    EXPECT_THAT(Names(list, true), ElementsAre(""));
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

TEST(ScheduleList, SortingTurnsTheDirectionOnTheSameColumn) {
    ScheduleList list;
    list.Add("b夏", "2014-8-1", "2014-09-30");
    list.Add("A春", "2014-03-01", "2014-05-31");
    list.Add("c秋", "2014-10-01", "2014-11-30");
    list.SortBy(0);  // column 0 counts as sorted: the first click sorts descending
    EXPECT_THAT(Names(list), ElementsAre("c秋", "b夏", "A春"));
    EXPECT_TRUE(list.Sort().descending);
    list.SortBy(0);
    EXPECT_THAT(Names(list), ElementsAre("A春", "b夏", "c秋"));
    list.SortBy(1);  // dates sort as text: "2014-8-1" after "2014-10-01"
    EXPECT_THAT(Names(list), ElementsAre("A春", "c秋", "b夏"));
    EXPECT_EQ(list.Sort().column, 1);
    EXPECT_FALSE(list.Sort().descending);
}

TEST(SaveExchange, EachDayRequestTakesTheNextDayOnlyWhileASaveRuns) {
    SaveExchange save;
    EXPECT_FALSE(save.NextDay());
    EXPECT_FALSE(save.Finish());
    save.Begin(*ReadPickerDate("2014-12-30"), 3);
    EXPECT_EQ(save.ProgressText(), "已发送 0 / 3 天");
    EXPECT_EQ(save.NextDay(), "2014-12-30");
    EXPECT_EQ(save.NextDay(), "2014-12-31");
    EXPECT_EQ(save.NextDay(), "2015-01-01");
    EXPECT_EQ(save.NextDay(), "2015-01-02");  // the server decides how many days it asks for
    EXPECT_EQ(save.ProgressText(), "已发送 4 / 3 天");
    EXPECT_TRUE(save.Finish());
    EXPECT_FALSE(save.Running());
    EXPECT_FALSE(save.NextDay());
    EXPECT_EQ(FormatDate(save.DayCursor()), "2015-01-03");
}

TEST(ScheduleLayout, CreateModeStacksImportOverSetup) {
    const skin::Rect body{1, 95, 1599, 899};
    const CreateModeLayout l = SplitCreateArea(body, 255);
    EXPECT_EQ(l.import, (skin::Rect{1, 95, 1599, 350}));
    EXPECT_EQ(l.setup, (skin::Rect{1, 350, 1599, 899}));
    EXPECT_EQ(SplitCreateArea({1, 95, 1599, 200}, 255).setup, (skin::Rect{1, 350, 1599, 350}));
}

}  // namespace
}  // namespace fw
