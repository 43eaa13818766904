#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <filesystem>

#include "tests/support/TestSupport.h"
#include "base/Log.h"
#include "text/OleDate.h"

namespace fw {
namespace {

using std::chrono::system_clock;

// Local wall-clock time (the tests run with TZ fixed) as a time point.
system_clock::time_point Local(const char* text) {
    std::tm tm{};
    ::strptime(text, "%Y-%m-%d %H:%M:%S", &tm);
    tm.tm_isdst = -1;
    return system_clock::from_time_t(std::mktime(&tm));
}

std::size_t FileCount(const std::string& dir) {
    return std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
}

TEST(Log, LinesAcrossTheHourLandInTwoFiles) {
    test::TempHome dir;
    system_clock::time_point now = Local("2014-03-03 14:59:59");
    Log log(dir.Path(), [&] { return now; });
    log.SetSwitch(1);
    log.WriteLog("first");
    now = Local("2014-03-03 15:00:00");
    log.WriteLog("接收：{\n}");
    log.WriteLog("third");
    EXPECT_EQ(test::ReadFile(dir.File("2014_03_03_14.txt")), "2014-03-03-14:59:59  first\r\n");
    EXPECT_EQ(test::ReadFile(dir.File("2014_03_03_15.txt")),
              "2014-03-03-15:00:00  接收：{\n}\r\n2014-03-03-15:00:00  third\r\n");
}

TEST(Log, SwitchOffWritesNoFileAtAll) {
    test::TempHome dir;
    Log log(dir.Path());
    log.WriteLog("nothing");
    log.SetSwitch(0);
    log.WriteLog("nothing");
    EXPECT_EQ(FileCount(dir.Path()), 0u);
    log.SetSwitch(7);  // any non-zero value is on
    log.WriteLog("something");
    EXPECT_EQ(FileCount(dir.Path()), 1u);
    Log lost("/nonexistent/folder");  // a folder that cannot be written loses the line quietly
    lost.SetSwitch(1);
    lost.WriteLog("lost");
}

}  // namespace
}  // namespace fw
