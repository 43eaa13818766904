#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Requests.h"
#include "schedules/AssignmentGrid.h"
#include "schedules/RosterCheck.h"
#include "schedules/SaveExchange.h"
#include "schedules/ScheduleDates.h"
#include "schedules/ScheduleList.h"
#include "text/Encoding.h"

namespace fw {
namespace {

using testing::ElementsAre;

TEST(CarryDown, RotatesThroughTheBatchesFromTheEditedOne) {
    const struct { int columns, rows, column; std::vector<int> expected; } cases[] = {
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
}

// Batch names are sent with at most 255 characters, not bytes.
TEST(AssignmentGrid, BatchNamesAreSentWithAtMost255Characters) {
    std::string chinese;
    for (int i = 0; i < 256; ++i) chinese += "班";
    EXPECT_EQ(BatchForContent(chinese), chinese.substr(0, 255 * 3));
    EXPECT_EQ(BatchForContent(std::string(256, 'a')), std::string(255, 'a'));
}

TEST(ScheduleDays, OneRowPerDayFromStartToEnd) {
    const struct { const char *start, *end; std::size_t days; const char *first, *error; } cases[] = {
        {"2014-08-25", "2014-08-25", 1, "2014-08-25", ""},
        {" 2014-02-27 ", "2014-03-01", 3, "2014-02-27", ""},  // the start text is trimmed
        {"2016-02-28", "2016-03-01", 3, "2016-02-28", ""},
        {"2014-08-26", "2014-08-25", 0, nullptr, "开始时间不能大于结束时间"},
        {"2016-01-01", "2016-12-31", 366, "2016-01-01", ""},
        {"2014-01-01", "2015-01-02", 0, nullptr, "排班日期范围不能超过366天"},
        {"25.08.2014", "2014-08-26", 0, nullptr, ""},  // not the pickers' layout: no date, no message
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

TEST(RosterCheck, DepartureTimesGiveEachBatchItsSpan) {
    const struct { const char* text; int seconds; /* -1: no time */ } times[] = {{" 07:30:00", 27000}, {"07:30", 27000}, {"2014-08-25 07:30:15", 27015}, {"25:10", 90600},
                 {"7.5", -1}, {"", -1}, {"07:60", -1}, {"123:00", -1}, {"07:", -1}, {"早班", -1}};
    for (const auto& t : times) EXPECT_EQ(DepartureSeconds(t.text).value_or(-1), t.seconds) << t.text;

    const std::vector<TimetableRow> rows = {
        {"夜", "23:10", ""}, {"早", "06:00", ""}, {"夜", "23:50", ""}, {"早", "07:55", ""}, {"夜", "00:20", ""},
        {"乱", "08:00", ""}, {"乱", "07:40", ""}, {"乱", "08:10", ""}, {"无", "7.5", ""},
        {"跨", " 23:30:00", ""}, {"跨", " 24:10:00", ""},
    };
    std::vector<std::string> got;
    for (const BatchSpan& s : BatchSpans({"早", "夜", "乱", "无", "缺", "跨"}, rows))
        got.push_back(s.known ? std::to_string(s.first) + "-" + std::to_string(s.last) : std::string("?"));
    // Past midnight the night batch ends the next day (written 00:20 or 24:10); a time out of
    // order widens the span.
    EXPECT_THAT(got, ElementsAre("21600-28500", "83400-87600", "27600-29400", "?", "?", "84600-87000"));
}

// A batch keeps its vehicle until its last trip is done: its line's route time, else
// DefaultTripTime. Batches: 早 06:00, 07:00 on 1路; 中 07:45 on 2路; 夜 23:30, 24:10 on 1路;
// 晨 00:20 on 2路. One vehicle on 早 and 中 of a day, and on 夜 and the next day's 晨.
TEST(RosterCheck, BatchesRunUntilTheirLastTripIsDoneAcrossMidnightToo) {
    const std::vector<std::string> batches = {"早", "中", "夜", "晨"};
    const std::vector<TimetableRow> rows = {{"早", "06:00", "1路"}, {"早", "07:00", " 1路 "}, {"中", "07:45", "2路"},
                                            {"夜", "23:30", "1路"}, {"夜", " 24:10:00", "1路"}, {"晨", "00:20", "2路"}};
    auto trips = [](int route1, int fallback) {
        TripTimes t;
        if (route1 >= 0) t.Set("1路", route1 * 60);
        t.SetFallback(fallback * 60);
        return t;
    };
    const struct { const char* name; TripTimes trips; std::vector<std::string> findings; /* "row,column" */ } cases[] = {
        {"no trip times: the departures alone", trips(-1, 0), {}},
        {"1路 takes 40 minutes: five left before 中", trips(40, 0), {"0,3", "1,4"}},
        {"1路 takes 60 minutes: still driving at 07:45", trips(60, 0), {"0,1", "0,2", "0,3", "1,4"}},
        {"no route: DefaultTripTime 50 minutes", trips(-1, 50), {"0,1", "0,2", "0,3", "1,4"}},
        {"the route's time before DefaultTripTime", trips(5, 50), {}},
    };
    for (const auto& c : cases) {
        AssignmentGrid grid;
        grid.SetBatches(batches);
        grid.SetDates({"2014-08-25", "2014-08-26"});
        for (int column = 1; column <= 3; ++column) grid.StoreEdit(0, column, "浙A1");
        for (int column = 1; column <= 4; ++column) grid.StoreEdit(1, column, column == 4 ? "浙A1" : "");
        const RosterCheck check = CheckRoster(grid, BatchSpans(batches, rows, c.trips), {}, 180);
        std::vector<std::string> got, reasons;
        for (const RosterFinding& f : check.findings)
            if (f.issue == RosterIssue::TimeClash) {
                got.push_back(std::to_string(f.row) + "," + std::to_string(f.column));
                reasons.push_back(f.reason);
            }
        EXPECT_EQ(got, c.findings) << c.name;
        if (c.findings.size() == 2) {
            EXPECT_THAT(reasons, ElementsAre("浙A1次日还在“晨”（00:20–00:20），与本班次（23:30–次日00:50）时间重叠",
                                             "浙A1前一天还在“夜”（23:30–次日00:50），与本班次（00:20–00:20）时间重叠"));
        }
    }
}

// Names the server's charset cannot carry would arrive with '?' and may meet another name.
TEST(RosterCheck, BatchNamesTheWireCharsetCannotCarryAreFindings) {
    AssignmentGrid grid;
    grid.SetBatches({"早班😀", "晚班", "서울"});
    grid.SetDates({"2014-08-25"});
    for (int column = 1; column <= 3; ++column) grid.StoreEdit(0, column, "浙A" + std::to_string(column));
    const TextCodec gbk("GBK"), gb18030("GB18030");
    const std::vector<std::string> fleet = {"浙A1", "浙A2", "浙A3"};
    const RosterCheck check = CheckRoster(grid, {}, fleet, 180, &gbk);
    ASSERT_EQ(check.findings.size(), 2u);
    EXPECT_EQ(std::tuple(check.findings[0].row, check.findings[0].column, check.findings[0].reason),
              std::tuple(-1, 1, std::string("班次名称中的“😀”无法以GBK发送，服务器收到的是“?”")));
    EXPECT_EQ(check.findings[1].reason, "班次名称中的“서”“울”无法以GBK发送，服务器收到的是“?”");
    EXPECT_EQ(check.Summary(), "排班检查：2个班次名称含GBK无法发送的字符");
    EXPECT_EQ(check.SaveQuestion(grid, 1), "排班检查：2个班次名称含GBK无法发送的字符\n\n班次“早班😀”：" + check.findings[0].reason +
                                               "\n……另有1处\n\n仍要发送这个排班，还是返回修改？");
    EXPECT_TRUE(CheckRoster(grid, {}, fleet, 180, &gb18030).Clean());
}

// A roster of two dates over the batches 早 06:00-08:00, 中 08:02-09:00, 长 07:30-12:30 and 夜,
// whose times cannot be read.
RosterCheck CheckRosterOf(const std::vector<std::vector<std::string>>& cells, const std::vector<std::string>& fleet,
                          int turnaround, AssignmentGrid& grid) {
    const std::vector<std::string> batches = {"早", "中", "长", "夜"};
    const std::vector<TimetableRow> rows = {{"早", " 06:00:00", ""}, {"早", " 08:00:00", ""}, {"中", " 08:02:00", ""},
                                            {"中", " 09:00:00", ""}, {"长", " 07:30:00", ""}, {"长", " 12:30:00", ""},
                                            {"夜", "晚上", ""}};
    grid.SetBatches(batches);
    grid.SetDates({"2014-08-25", "2014-08-26"});
    // The first row first: its carry-down is then overwritten by the later rows.
    for (std::size_t r = 0; r < cells.size(); ++r)
        for (std::size_t c = 0; c < cells[r].size(); ++c)
            grid.StoreEdit(static_cast<int>(r), static_cast<int>(c) + 1, cells[r][c]);
    return CheckRoster(grid, BatchSpans(batches, rows), fleet, turnaround);
}

TEST(RosterCheck, EachFindingOnItsCellsAndNoneOnASoundRoster) {
    const std::vector<std::string> fleet = {"浙A1", "浙A2", "浙A3", "浙A4", "浙A5", "浙A6", "浙A7", "浙A8"};
    // findings: "row,column,issue", P plate, C clash, N no vehicle
    const struct { const char* name; std::vector<std::vector<std::string>> cells; std::vector<std::string> fleet; int turnaround;
                   std::vector<std::string> findings; } cases[] = {
        {"sound, plates compared trimmed and in any case", {{" 浙a1 ", "浙A2", "浙A3", "浙A4"}, {"浙A5", "浙A6", "浙A7", "浙A8"}}, fleet, 180, {}},
        {"exactly the turnaround", {{"浙A1", "浙A1", "浙A3", "浙A4"}, {"浙A5", "浙A6", "浙A7", "浙A8"}}, fleet, 120, {}},
        {"overlapping batches", {{"浙A1", "浙A2", "浙A3", "浙A4"}, {"浙A5", "浙A6", "浙A6", "浙A8"}}, fleet, 0,
         {"1,2,C", "1,3,C"}},
        {"one vehicle on two dates", {{"浙A1", "浙A2", "浙A3", "浙A4"}, {"浙A1", "浙A6", "浙A7", "浙A8"}}, fleet, 180, {}},
        {"a batch without times", {{"浙A1", "浙A2", "浙A3", "浙A1"}, {"浙A5", "浙A6", "浙A7", "浙A8"}}, fleet, 180, {}},
        {"no fleet yet: plates not checked", {{"浙Z1", "浙Z2", "浙Z3", "浙Z4"}, {"浙Z5", "浙Z6", "浙Z7", "浙Z8"}}, {}, 180, {}},
        {"all at once", {{"浙Z9", "浙A1", "浙Z9", ""}, {"浙A5", "浙A6", "浙A7", "浙A8"}}, fleet, 180,
         {"0,1,P", "0,1,C", "0,3,P", "0,3,C", "0,4,N"}},
    };
    for (const auto& c : cases) {
        AssignmentGrid grid;
        const RosterCheck check = CheckRosterOf(c.cells, c.fleet, c.turnaround, grid);
        std::vector<std::string> got;
        for (const RosterFinding& f : check.findings)
            got.push_back(std::to_string(f.row) + "," + std::to_string(f.column) + "," +
                          (f.issue == RosterIssue::UnknownPlate ? "P" : f.issue == RosterIssue::TimeClash ? "C" : "N"));
        EXPECT_EQ(got, c.findings) << c.name;
        EXPECT_EQ(check.Clean(), c.findings.empty()) << c.name;
        EXPECT_EQ(check.Summary().empty(), c.findings.empty()) << c.name;
    }
}

TEST(RosterCheck, TheUserReadsWhyAndWhatSaveWouldSend) {
    AssignmentGrid grid;
    const RosterCheck check = CheckRosterOf({{"浙Z9", "浙A1", "浙Z9", ""}, {"浙A1", "浙A1", "", ""}},
                                           {"浙A1"}, 180, grid);
    std::vector<std::string> reasons;
    for (const RosterFinding& f : check.findings) reasons.push_back(f.reason);
    EXPECT_THAT(reasons, ElementsAre("车牌“浙Z9”不在车辆列表中",
                                     "浙Z9同日还在“长”（07:30–12:30），与本班次（06:00–08:00）时间重叠",
                                     "车牌“浙Z9”不在车辆列表中",
                                     "浙Z9同日还在“早”（06:00–08:00），与本班次（07:30–12:30）时间重叠", "没有配车",
                                     "浙A1同日还在“中”（08:02–09:00），与本班次（06:00–08:00）间隔只有2分钟，少于周转时间3分钟",
                                     "浙A1同日还在“早”（06:00–08:00），与本班次（08:02–09:00）间隔只有2分钟，少于周转时间3分钟",
                                     "没有配车", "没有配车"));
    EXPECT_EQ(check.Summary(), "排班检查：2处车牌不在车辆列表中，4处时间冲突，3处没有配车");
    // Clashes first, then unknown plates, then empty cells; the rest counted.
    EXPECT_EQ(check.SaveQuestion(grid, 5),
              "排班检查：2处车牌不在车辆列表中，4处时间冲突，3处没有配车\n\n"
              "2014-08-25 早：" + reasons[1] + "\n2014-08-25 长：" + reasons[3] + "\n2014-08-26 早：" + reasons[5] +
                  "\n2014-08-26 中：" + reasons[6] + "\n2014-08-25 早：" + reasons[0] + "\n……另有4处\n\n"
                  "仍要发送这个排班，还是返回修改？");
    // One row typed: the carry-down fills the second, but for the empty cell it carries.
    EXPECT_EQ(CheckRosterOf({{"浙Z1", "浙Z2", "浙Z3", ""}}, {}, 180, grid).Summary(),
              "排班检查：2处没有配车（尚未收到车辆列表，车牌未核对）");
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

// A re-login: the rows stay until the server's list comes, which then takes their place; a row
// that comes again (same name and dates) keeps its mark. Later lists add to it, as ever.
TEST(ScheduleList, RefreshReplacesTheRowsWhenTheServersListArrives) {
    ScheduleList list;
    for (const char* name : {"甲", "乙", "丙"}) list.Add(name, "2014-08-01", "2014-08-31");
    list.ToggleMark(0);
    list.ToggleMark(2);
    list.ListArrives();  // no refresh asked for: nothing happens
    list.BeginRefresh();
    EXPECT_EQ(list.Rows().size(), 3u);
    list.ListArrives();
    EXPECT_TRUE(list.Rows().empty());
    list.Add("丙", "2014-08-01", "2014-08-31");
    list.Add("甲", "2014-08-01", "2014-09-30");  // other dates: another schedule
    list.Add("丁", "2014-08-01", "2014-08-31");
    EXPECT_THAT(Names(list, true), ElementsAre("丙"));
    list.ListArrives();  // a later list adds
    list.Add("戊", "", "");
    EXPECT_THAT(Names(list), ElementsAre("丙", "甲", "丁", "戊"));
}

TEST(ScheduleList, DatesSortAsDates) {
    ScheduleList list;
    for (const char* start : {"2014-10-01", "2014-8-1", "2014-08-05", "?"}) list.Add(start, start, "");
    list.SortBy(1);
    EXPECT_THAT(Names(list), ElementsAre("2014-8-1", "2014-08-05", "2014-10-01", "?"));
    list.SortBy(1);
    EXPECT_THAT(Names(list), ElementsAre("?", "2014-10-01", "2014-08-05", "2014-8-1"));
}

// A save given up for the server's silence is taken up again by its late answers; one cut by a
// lost connection (Abandon) is not. The cut names how far it got.
TEST(SaveExchange, LateAnswersTakeAGivenUpSaveUpAgain) {
    SaveExchange save;
    save.Begin(*ParseDateTime("2014-08-25"), 3);
    EXPECT_EQ(save.NextDay(), "2014-08-25");
    save.DaySent();
    save.GiveUp();
    EXPECT_EQ(std::tuple(save.GivenUp(), save.Running(), save.Late()), std::tuple(true, false, false));
    EXPECT_EQ(save.NextDay(), "2014-08-26");
    EXPECT_EQ(std::pair(save.Running(), save.Late()), std::pair(true, true));
    EXPECT_EQ(save.CutText(), "连接中断，排班未保存完整（已发送 1 / 3 天）");  // this day's rows did not go
    save.DaySent();
    EXPECT_EQ(save.CutText(), "连接中断，排班未保存完整（已发送 2 / 3 天）");
    save.GiveUp();
    EXPECT_TRUE(save.Finish());
    EXPECT_FALSE(save.Finish());

    save.Begin(*ParseDateTime("2014-08-25"), 3);
    EXPECT_FALSE(save.Late());
    save.Abandon();
    save.GiveUp();  // nothing to give up
    EXPECT_EQ(save.NextDay(), std::nullopt);
    EXPECT_FALSE(save.Finish());
}

}  // namespace
}  // namespace fw
