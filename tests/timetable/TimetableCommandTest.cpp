#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/support/XlsWriter.h"
#include "text/Encoding.h"
#include "timetable/TimetableCommand.h"

namespace fw {
namespace {

using testing::HasSubstr;

class TimetableCommand : public testing::Test {
protected:
    struct Run { int status; std::string out, err; };
    Run Command(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = RunTimetableCommand(args, out, err);
        return {status, out.str(), err.str()};
    }
    std::string Save(const std::string& name, const std::string& bytes) {
        test::WriteFile(home.File(name), bytes);
        return home.File(name);
    }
    test::TempHome home;
};

TEST_F(TimetableCommand, CheckListsEachFileOrEachOfItsProblems) {
    const std::string clean = Save("早班.csv", "早班,线路,晚班,线路\n06:00,1路,16:00,7路\n06:30,1路,,\n07:00,2路,,\n");
    const std::string gbk = Save("gbk.csv", Utf8ToGbk("早班,线路\n06:00,1路\n"));
    const std::string twice = Save("twice.csv", "班,线路,班,线路\n06:00,1路,07:00,1路\n");
    const std::string emoji = Save("emoji.csv", "早班😀,线路\n06:00,1路\n");
    test::XlsWriter book;
    book.AddSheet("Sheet1").Text(0, 0, "早班").Formula(1, 0, test::XlsWriter::Result::Nothing());
    const std::string formula = Save("formula.xls", book.Bytes());

    const struct { std::vector<std::string> args; int status; std::string out; } cases[] = {
        {{"check", clean, gbk}, 0, clean + ": 2 个批次，4 个发车，3 条线路\n" + gbk + ": 1 个批次，1 个发车，1 条线路\n"},
        {{"check", clean, twice, formula, home.File("missing.xls")}, 3,
         clean + ": 2 个批次，4 个发车，3 条线路\n" + twice +
             ": 第1行第1列、第1行第3列: 批次名称“班”重复，服务器会把两列当作同一个批次\n" + formula +
             ": Sheet1!A2: 公式没有保存计算结果，请在Excel中打开并重新保存\n" + home.File("missing.xls") +
             ": 无法读取所选文件，请确认文件存在并且可以打开\n"},
        {{"check", emoji}, 3, emoji + ": 1 个批次，1 个发车，1 条线路\n" + emoji + ": 批次“早班😀”: 名称中的“😀”无法以GBK发送，服务器收到的是“?”\n"},
        {{"check", "--charset=GB18030", emoji}, 0, emoji + ": 1 个批次，1 个发车，1 条线路\n"},
        {{"show", clean, "--csv"}, 0,
         "批次,出发时间,线路\r\n早班,\" 06:00:00\",1路\r\n早班,\" 06:30:00\",1路\r\n早班,\" 07:00:00\",2路\r\n晚班,\" 16:00:00\",7路\r\n"},
        {{"show", gbk}, 0, "批次\t出发时间\t线路\n早班\t 06:00:00\t1路\n"},
        {{"show", twice}, 3, ""},
    };
    for (const auto& c : cases) {
        const Run run = Command(c.args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(run.out, c.out) << c.args[0] << " " << c.args[1];
    }
}

// plan: the CSV of the month's assignment, what each day needs on stderr, 3 when some batch
// is left without a vehicle.
TEST_F(TimetableCommand, PlanWritesTheAssignmentAndSaysWhatEachDayNeeds) {
    // 早 06:00-07:00 on 1路 (40 minutes a trip: to 07:40), 中 07:10 on 2路, 夜 23:30-24:10 on 1路.
    const std::string timetable = Save("班次.csv", "早,线路,中,线路,夜,线路\n6:00,1路,7:10,2路,23:30,1路\n7:00,1路,,,24:10,1路\n");
    const std::string plates = Save("plates.txt", "浙A1\t一公司\n浙A2\t一公司\n\n");
    const std::string out = home.File("plan.csv");
    const Run run = Command({"plan", timetable, "--from", "2014-08-25", "--to=2014-08-26", "--vehicles", "@" + plates,
                             "--trip-time", "1路=40", "--turnaround", "180", "--out", out});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadFile(out),
              "日期,批次,车牌,开始,结束\r\n"
              "2014-08-25,早,浙A1,2014-08-25 06:00:00,2014-08-25 07:40:00\r\n"
              "2014-08-25,中,浙A2,2014-08-25 07:10:00,2014-08-25 07:10:00\r\n"
              "2014-08-25,夜,浙A2,2014-08-25 23:30:00,2014-08-26 00:50:00\r\n"
              // The next day starts one vehicle further on.
              "2014-08-26,早,浙A2,2014-08-26 06:00:00,2014-08-26 07:40:00\r\n"
              "2014-08-26,中,浙A1,2014-08-26 07:10:00,2014-08-26 07:10:00\r\n"
              "2014-08-26,夜,浙A1,2014-08-26 23:30:00,2014-08-27 00:50:00\r\n");
    EXPECT_EQ(run.err, "2014-08-25: 需 2 辆，已配 2 辆\n2014-08-26: 需 2 辆，已配 2 辆\n" + timetable +
                           ": 班次“中”的线路“2路”没有行程时间，按末班发车时间计\n自动配车：需 2 辆，已配 2 辆，每天轮换\n");

    const Run shortOfOne = Command({"plan", timetable, "--from", "2014-08-25", "--to", "2014-08-25", "--vehicles", "浙A1",
                                    "--trip-time", "1路=40", "--out", out});
    EXPECT_EQ(shortOfOne.status, 3);
    EXPECT_THAT(shortOfOne.err, HasSubstr("2014-08-25: 需 2 辆，已配 1 辆，1 个班次未配车\n"));
    EXPECT_THAT(shortOfOne.err, HasSubstr("自动配车：需 2 辆，只有 1 辆：1 个班次未配车\n"));
    EXPECT_THAT(test::ReadFile(out), HasSubstr("2014-08-25,中,,2014-08-25 07:10:00"));
}

TEST_F(TimetableCommand, ABadCommandLineIsStatusTwoWithTheReason) {
    const struct { std::vector<std::string> args; const char* says; } cases[] = {
        {{}, "a command is needed"},
        {{"verify", "a.csv"}, "unknown command: verify"},
        {{"check"}, "check needs a file"},
        {{"show", "a.csv", "b.csv"}, "show takes one file"},
        {{"show", "a.csv", "--charset", "GBK"}, "unknown option of show: --charset"},
        {{"check", "a.csv", "--csv"}, "unknown option of check: --csv"},
        {{"check", "--charset", "Latin-9", "a.csv"}, "Latin-9"},
        {{"check", "a.csv", "--charset"}, "--charset needs a value"},
        {{"plan", "a.csv", "--from", "2014-08-25", "--to", "2014-08-26", "--out", "p.csv"}, "plan needs --vehicles"},
        {{"plan", "a.csv", "--from", "2014-08-25", "--vehicles", "浙A1", "--out", "p.csv"}, "plan needs --from and --to"},
        {{"plan", "a.csv", "--from", "2014-08-26", "--to", "2014-08-25", "--vehicles", "浙A1", "--out", "p.csv"}, "开始时间不能大于结束时间"},
        {{"plan", "a.csv", "--from", "2014-08-25", "--to", "2014-08-26", "--vehicles", " , ", "--out", "p.csv"}, "--vehicles names no plate"},
        {{"plan", "a.csv", "--vehicles", "浙A1", "--trip-time", "1路", "--from", "x"}, "--trip-time: 1路 is not LINE=MINUTES"},
        {{"plan", "a.csv", "--turnaround", "-5"}, "--turnaround: -5 is not a number of seconds"},
    };
    for (const auto& c : cases) {
        const Run run = Command(c.args);
        EXPECT_EQ(run.status, 2) << c.says;
        EXPECT_THAT(run.err, HasSubstr(c.says));
        EXPECT_THAT(run.err, HasSubstr("Usage: fenwarde-timetable check FILE..."));
        EXPECT_EQ(run.out, "");
    }
    EXPECT_THAT(Command({"--help"}).out, HasSubstr("show FILE [--csv]"));
    EXPECT_EQ(Command({"--version"}).status, 0);
}

TEST_F(TimetableCommand, TheExecutableAnswersWithItsStatus) {
    const std::string clean = Save("a b.csv", "早班,线路\n06:00,1路\n");
    const std::string twice = Save("twice.csv", "班,线路,班,线路\n06:00,1路,07:00,1路\n");
    auto status = [](const std::string& command) {
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    const std::string exe = FENWARDE_TIMETABLE_EXE;
    EXPECT_EQ(status(exe + " check '" + clean + "' >/dev/null"), 0);
    EXPECT_EQ(status(exe + " check '" + clean + "' '" + twice + "' >/dev/null"), 3);
    EXPECT_EQ(status(exe + " frobnicate 2>/dev/null"), 2);
    EXPECT_EQ(test::CommandOutput(exe + " show --csv '" + clean + "'"), "批次,出发时间,线路\r\n早班,\" 06:00:00\",1路\r\n");
}

}  // namespace
}  // namespace fw
