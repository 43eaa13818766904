// The export writers' shared rules: CSV text, file names, the header block, and what every
// writer does when it cannot finish.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "reports/CsvWriter.h"
#include "reports/ReportDocument.h"
#include "reports/ReportExport.h"
#include "reports/XlsxWriter.h"
#include "tests/reports/HandmadeList.h"
#include "tests/support/TestSupport.h"
#include "text/Encoding.h"

namespace fw {
namespace {

TEST(Csv, CharsetNames) {
    for (const char* name : {"", "utf8", " Utf-8 "})
        EXPECT_EQ(CsvCharsetNamed(name), CsvCharset::Utf8) << name;
    for (const char* name : {"gbk", "GB2312", "cp936", "936"})
        EXPECT_EQ(CsvCharsetNamed(name), CsvCharset::Gbk) << name;
    for (const char* name : {"latin1", "BIG5", "utf-16"})
        EXPECT_FALSE(CsvCharsetNamed(name).has_value()) << name;
}

// Fields are quoted only when they must be (commas, quotes, line breaks), and data a spreadsheet
// would run as a formula is written as text.
TEST(Csv, WholeFileWithBomHeaderBlockRowsAndSummary) {
    test::TempHome home;
    std::vector<ReportRow> rows = {
        test::StopRow("早班", "7路", "定安路,\r\n北", "2014-08-25 08:00:00", "2014-08-25 08:05:30"),
        test::StopRow("早班", "7路", "say \"鼓楼\"", "2014-08-25 08:10:00", ""),
        test::StopRow("+早班", "7路", "@SUM(1+1)", "2014-08-25 08:20:00", "")};
    rows[2].text[kColPlate] = "\t=1+2";
    ReportHeading heading = test::LongListHeading();
    heading.company = "-一公司";
    const ExportDocument document = ReportDocument(heading, rows, {});
    const std::string path = home.File("报表 一.csv");
    ASSERT_TRUE(WriteCsv(document, path, CsvCharset::Utf8).Written());
    const std::string expected =
        "线路运行报表\r\n公司,'-一公司\r\n车牌号,沪A10086\r\n"
        "时间范围,2014-08-25 05:00:00 至 2014-08-29 21:00:00\r\n判定规则,首个定位点\r\n"
        "匹配方式,最近计划\r\n生成时间,2014-08-30 09:00:00\r\n准点窗口,提前1分钟至迟到4分钟\r\n\r\n"
        "车牌号码,批次,日期,线路,站点,计划到达时间,实际到达时间,到达迟到,计划离开时间,"
        "实际离开时间,离开久滞\r\n"
        "沪A10086,早班,2014-08-25,7路,\"定安路,\r\n北\",2014-08-25 08:00:00,2014-08-25 08:05:30,"
        "迟到00:05:30,,,\r\n"
        "沪A10086,早班,2014-08-25,7路,\"say \"\"鼓楼\"\"\",2014-08-25 08:10:00,,,,,\r\n"
        "'\t=1+2,'+早班,2014-08-25,7路,'@SUM(1+1),2014-08-25 08:20:00,,,,,\r\n\r\n"
        "汇总\r\n线路,计划站次,已服务,准点,迟到,早到,未服务,无法判定,准点率\r\n"
        "7路,3,1,0,1,0,2,0,0.0%\r\n合计,3,1,0,1,0,2,0,0.0%\r\n";
    EXPECT_EQ(test::ReadFile(path), "\xEF\xBB\xBF" + expected);

    // GBK on request: the same text in GBK bytes, without a byte-order mark.
    ASSERT_TRUE(WriteCsv(document, path, CsvCharset::Gbk).Written());
    const std::string gbk = test::ReadFile(path);
    EXPECT_EQ(gbk, Utf8ToGbk(expected));
    EXPECT_EQ(gbk.substr(0, 2), "\xCF\xDF");  // 线
}

TEST(ExportName, ProposalsForTheListedReportAndItsHeader) {
    ReportHeading h = test::LongListHeading();
    EXPECT_EQ(ExportFileName(h, "报表", "csv"), "报表_沪A10086_2014-08-25至2014-08-29.csv");
    h.end = "2014-08-25 21:00:00";
    EXPECT_EQ(ExportFileName(h, "报表", "xlsx"), "报表_沪A10086_2014-08-25.xlsx");
    h.plate.clear();  // a company's report
    EXPECT_EQ(ExportFileName(h, "报表", "pdf"), "报表_一公司_2014-08-25.pdf");
    EXPECT_EQ(HeaderBlock(h).at(1).value, "（全部车辆）");
    h.plate = "A/B:C*?\"<>|\\\t";
    EXPECT_EQ(ExportFileName(h, "图表", "png"), "图表_A_B_C_________2014-08-25.png");
    EXPECT_EQ(ExportFileName(ReportHeading{}, "报表", "xlsx"), "报表.xlsx");
    h.plate = std::string(100, 'x') + std::string(100, 'y') + "浙浙浙";
    const std::string longName = ExportFileName(h, "报表", "xlsx");
    EXPECT_LE(longName.size(), 205u);
    EXPECT_EQ(longName.substr(longName.size() - 5), ".xlsx");
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(longName)), longName);  // not cut inside a character
}

class ExportFailure : public testing::TestWithParam<std::string> {
protected:
    ExportResult Write(const std::string& path, const ExportProgress& progress = {}) const {
        return GetParam() == "xlsx" ? WriteXlsx(document, path, progress)
                                    : WriteCsv(document, path, CsvCharset::Utf8, progress);
    }
    // The folder holds only what the test put there.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(home.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    test::TempHome home;
    const std::vector<ReportRow> rows = test::LongList(3000);
    const ExportDocument document = ReportDocument(test::LongListHeading(), rows, {});
};

TEST_P(ExportFailure, WhatCannotBeWrittenIsToldAndLeavesTheChosenNameAsItWas) {
    // No folder, a folder that takes no new files, a folder of that name (which stays).
    std::filesystem::create_directory(home.File("报表.out"));
    const std::pair<std::string, const char*> cases[] = {{home.File("没有/报表.out"), "文件夹不存在"},
                                                         {"/proc/报表.out", "该文件夹中不能新建文件"},
                                                         {home.File("报表.out"), "已有同名的文件夹"}};
    for (const auto& [path, error] : cases)
        EXPECT_NE(Write(path).error.find(error), std::string::npos) << path;
    EXPECT_TRUE(std::filesystem::is_directory(home.File("报表.out")));
    std::filesystem::remove(home.File("报表.out"));

    // Cancelled at the second progress: stops there and leaves nothing.
    const std::string path = home.File("报表 满.out");
    std::vector<std::size_t> told;
    auto stopAfter = [&](std::size_t last) {
        return [&told, last](std::size_t done) {
            told.push_back(done);
            return done < last;
        };
    };
    EXPECT_EQ(Write(path, stopAfter(1000)).status, ExportResult::Status::Cancelled);
    EXPECT_EQ(told, (std::vector<std::size_t>{500, 1000}));
    EXPECT_TRUE(Entries().empty());

    // A disk that fills up leaves the old file as it was. The file size limit stands in for a
    // full disk: writes beyond it fail with EFBIG.
    test::WriteFile(path, "old");
    ::chmod(path.c_str(), 0640);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const ExportResult full = Write(path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(full.status, ExportResult::Status::Failed);
    EXPECT_NE(full.error.find("磁盘空间不足"), std::string::npos) << full.error;
    EXPECT_NE(full.error.find(path), std::string::npos) << full.error;
    EXPECT_EQ(test::ReadFile(path), "old");
    EXPECT_EQ(Entries(), std::vector<std::string>{"报表 满.out"});

    // With room again it replaces the old file, telling every 500 rows of 3,000, and keeps its
    // permissions; a new file gets the permissions any new file would.
    told.clear();
    ASSERT_TRUE(Write(path, stopAfter(SIZE_MAX)).Written());
    EXPECT_EQ(told.size(), 6u);
    EXPECT_GT(test::ReadFile(path).size(), 10000u);
    ASSERT_TRUE(Write(home.File("新.out")).Written());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"报表 满.out", "新.out"}));
    auto mode = [](const std::string& file) {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 0777 : 0u;
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(mode(path), 0640u);
    EXPECT_EQ(mode(home.File("新.out")), 0666u & ~mask);
}

INSTANTIATE_TEST_SUITE_P(Writers, ExportFailure, testing::Values("csv", "xlsx"),
                         [](const auto& info) { return info.param; });

TEST(Xlsx, MoreRowsThanASheetHoldsAreRefusedBeforeWriting) {
    test::TempHome home;
    ExportDocument document = ReportDocument(test::LongListHeading(), {}, {});
    document.detail.rowCount = 1048576;
    document.detail.cell = [](std::size_t, std::size_t) { return std::string_view("x"); };
    const ExportResult result = WriteXlsx(document, home.File("big.xlsx"), {});
    EXPECT_EQ(result.status, ExportResult::Status::Failed);
    EXPECT_NE(result.error.find("CSV"), std::string::npos) << result.error;
    EXPECT_TRUE(std::filesystem::is_empty(home.Path()));
}

}  // namespace
}  // namespace fw
