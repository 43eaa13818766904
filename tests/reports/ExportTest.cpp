// The export writers' shared rules: CSV text, file names, the header block, and what every
// writer does when it cannot finish.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <functional>
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

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"浙A3W066", "浙A3W066"},
        {"迟到00:05:30", "迟到00:05:30"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"line\nbreak", "\"line\nbreak\""},
        {" 人民广场 ", "\" 人民广场 \""},
        {"\"", "\"\"\"\""},
    };
    for (const auto& [field, written] : cases) {
        std::string out;
        AppendCsvField(out, field);
        EXPECT_EQ(out, written) << field;
    }
    // Data that a spreadsheet would run as a formula is written as text.
    const std::pair<const char*, const char*> data[] = {
        {"=1+2", "'=1+2"},
        {"+86 571", "'+86 571"},
        {"-1", "'-1"},
        {"@SUM(1+1)", "'@SUM(1+1)"},
        {"\tcmd", "'\tcmd"},
        {"\rcmd", "\"'\rcmd\""},
        {"=A1,B1", "\"'=A1,B1\""},
        {"浙A=1", "浙A=1"},
        {"2014-08-25 08:00:00", "2014-08-25 08:00:00"},
        {"", ""},
    };
    for (const auto& [field, written] : data) {
        std::string out;
        AppendCsvDataField(out, field);
        EXPECT_EQ(out, written) << field;
    }
}

TEST(Csv, CharsetNames) {
    for (const char* name : {"", "UTF-8", "utf8", " Utf-8 "})
        EXPECT_EQ(CsvCharsetNamed(name), CsvCharset::Utf8) << name;
    for (const char* name : {"GBK", "gbk", "GB2312", "cp936", "936"})
        EXPECT_EQ(CsvCharsetNamed(name), CsvCharset::Gbk) << name;
    for (const char* name : {"latin1", "BIG5", "utf-16"})
        EXPECT_FALSE(CsvCharsetNamed(name).has_value()) << name;
}

ReportHeading Heading() {
    return {.company = "一公司",
            .plate = "沪A10086",
            .start = "2014-08-25 05:00:00",
            .end = "2014-08-25 21:00:00",
            .rule = "首个定位点",
            .generatedAt = "2014-08-26 09:30:00",
            .matching = "最近计划"};
}

TEST(Csv, WholeFileWithBomHeaderBlockRowsAndSummary) {
    test::TempHome home;
    std::vector<ReportRow> rows = {
        test::StopRow("早班", "7路", "定安路, 北", "2014-08-25 08:00:00", "2014-08-25 08:05:30"),
        test::StopRow("早班", "7路", "say \"鼓楼\"", "2014-08-25 08:10:00", ""),
        test::StopRow("+早班", "7路", "@SUM(1+1)", "2014-08-25 08:20:00", "")};
    rows[2].text[kColPlate] = "=1+2";
    ReportHeading heading = Heading();
    heading.company = "-一公司";
    const ExportDocument document = ReportDocument(heading, rows, {});
    const std::string path = home.File("报表 一.csv");
    ASSERT_TRUE(WriteCsv(document, path, CsvCharset::Utf8).Written());
    const std::string expected =
        "线路运行报表\r\n"
        "公司,'-一公司\r\n"
        "车牌号,沪A10086\r\n"
        "时间范围,2014-08-25 05:00:00 至 2014-08-25 21:00:00\r\n"
        "判定规则,首个定位点\r\n"
        "匹配方式,最近计划\r\n"
        "生成时间,2014-08-26 09:30:00\r\n"
        "准点窗口,提前1分钟至迟到4分钟\r\n"
        "\r\n"
        "车牌号码,批次,日期,线路,站点,计划到达时间,实际到达时间,到达迟到,计划离开时间,"
        "实际离开时间,离开久滞\r\n"
        "沪A10086,早班,2014-08-25,7路,\"定安路, 北\",2014-08-25 08:00:00,2014-08-25 08:05:30,"
        "迟到00:05:30,,,\r\n"
        "沪A10086,早班,2014-08-25,7路,\"say \"\"鼓楼\"\"\",2014-08-25 08:10:00,,,,,\r\n"
        "'=1+2,'+早班,2014-08-25,7路,'@SUM(1+1),2014-08-25 08:20:00,,,,,\r\n"
        "\r\n"
        "汇总\r\n"
        "线路,计划站次,已服务,准点,迟到,早到,未服务,无法判定,准点率\r\n"
        "7路,3,1,0,1,0,2,0,0.0%\r\n"
        "合计,3,1,0,1,0,2,0,0.0%\r\n";
    EXPECT_EQ(test::ReadFile(path), "\xEF\xBB\xBF" + expected);

    // GBK on request: the same text in GBK bytes, without a byte-order mark.
    ASSERT_TRUE(WriteCsv(document, path, CsvCharset::Gbk).Written());
    const std::string gbk = test::ReadFile(path);
    EXPECT_EQ(gbk, Utf8ToGbk(expected));
    EXPECT_EQ(GbkToUtf8(gbk), expected);
}

TEST(Csv, AnEmptyListStillHasItsHeaderBlockAndHeadings) {
    test::TempHome home;
    const std::string path = home.File("empty.csv");
    ASSERT_TRUE(WriteCsv(ReportDocument(Heading(), {}, {}), path, CsvCharset::Utf8).Written());
    const std::string text = test::ReadFile(path);
    EXPECT_NE(text.find("车牌号,沪A10086\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n车牌号码,批次,"), std::string::npos);
    EXPECT_NE(text.find("离开久滞\r\n\r\n汇总\r\n"), std::string::npos);
}

TEST(ExportName, ProposalsForTheListedReport) {
    ReportHeading h = Heading();
    EXPECT_EQ(ExportFileName(h, "报表", "xlsx"), "报表_沪A10086_2014-08-25.xlsx");
    h.end = "2014-08-27 21:00:00";
    EXPECT_EQ(ExportFileName(h, "报表", "csv"), "报表_沪A10086_2014-08-25至2014-08-27.csv");
    h = Heading();
    h.plate.clear();  // a company's report
    EXPECT_EQ(ExportFileName(h, "报表", "pdf"), "报表_一公司_2014-08-25.pdf");
    h.plate = "A/B:C*?\"<>|\\\t";
    EXPECT_EQ(ExportFileName(h, "图表", "png"), "图表_A_B_C_________2014-08-25.png");
    EXPECT_EQ(ExportFileName(ReportHeading{}, "报表", "xlsx"), "报表.xlsx");
    h.plate = std::string(100, 'x') + std::string(100, 'y') + "浙浙浙";
    const std::string longName = ExportFileName(h, "报表", "xlsx");
    EXPECT_LE(longName.size(), 205u);
    EXPECT_EQ(longName.substr(longName.size() - 5), ".xlsx");
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(longName)), longName);  // not cut inside a character
}

TEST(ExportName, HeaderBlockAndTextWidths) {
    ReportHeading h = Heading();
    h.plate.clear();
    const std::vector<HeaderLine> lines = HeaderBlock(h);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].label + "=" + lines[0].value, "公司=一公司");
    EXPECT_EQ(lines[1].label + "=" + lines[1].value, "车牌号=（全部车辆）");
    EXPECT_EQ(lines[3].label + "=" + lines[3].value, "判定规则=首个定位点");
    EXPECT_EQ(lines[4].label + "=" + lines[4].value, "匹配方式=最近计划");
    for (const auto& [text, width] : {std::pair{"", 0u},
                                      {"2014-08-25 08:00:00", 19u},
                                      {"浙A3W066", 8u},
                                      {"迟到00:05:30", 12u},
                                      {"（", 2u}})
        EXPECT_EQ(DisplayWidth(text), width) << text;
}

// What every writer must do when it cannot finish: say why, and leave the chosen name as it
// was (no file, or the old one untouched) with no temporary file behind.
using Writer =
    std::function<ExportResult(const ExportDocument&, const std::string&, const ExportProgress&)>;
struct WriterCase {
    const char* name;
    Writer write;
};
void PrintTo(const WriterCase& c, std::ostream* os) { *os << c.name; }

class ExportFailure : public testing::TestWithParam<WriterCase> {
protected:
    void SetUp() override {
        for (int i = 0; i < 3000; ++i)
            rows.push_back(test::StopRow("早班" + std::to_string(i), "7路", "定安路",
                                         "2014-08-25 08:00:00", "2014-08-25 08:05:30"));
        document = ReportDocument(Heading(), rows, {});
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
    std::vector<ReportRow> rows;
    ExportDocument document;
};

TEST_P(ExportFailure, NoFolderOrAFolderOfThatNameIsToldAndNothingIsLeft) {
    std::filesystem::create_directory(home.File("报表.out"));
    const std::pair<std::string, const char*> cases[] = {
        {home.File("没有/报表.out"), "文件夹不存在"},
        {"/proc/报表.out", "该文件夹中不能新建文件"},  // a folder that takes no new files
        {home.File("报表.out"), "已有同名的文件夹"},
    };
    for (const auto& [path, error] : cases) {
        const ExportResult result = GetParam().write(document, path, {});
        EXPECT_EQ(result.status, ExportResult::Status::Failed) << path;
        EXPECT_NE(result.error.find(error), std::string::npos) << result.error;
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"报表.out"});
}

TEST_P(ExportFailure, ADiskThatFillsUpLeavesTheOldFileAsItWas) {
    const std::string path = home.File("报表 满.out");
    test::WriteFile(path, "old");
    ::chmod(path.c_str(), 0640);
    // The file size limit stands in for a full disk: writes beyond it fail with EFBIG.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const ExportResult full = GetParam().write(document, path, {});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(full.status, ExportResult::Status::Failed);
    EXPECT_NE(full.error.find("磁盘空间不足"), std::string::npos) << full.error;
    EXPECT_NE(full.error.find(path), std::string::npos) << full.error;
    EXPECT_EQ(test::ReadFile(path), "old");
    EXPECT_EQ(Entries(), std::vector<std::string>{"报表 满.out"});

    // With room again it replaces the old file and keeps its permissions.
    ASSERT_TRUE(GetParam().write(document, path, {}).Written());
    EXPECT_GT(test::ReadFile(path).size(), 10000u);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"报表 满.out"});
}

TEST_P(ExportFailure, CancellingStopsSoonAndLeavesNothing) {
    const std::string path = home.File("报表.out");
    std::vector<std::size_t> told;
    const ExportResult result = GetParam().write(document, path, [&](std::size_t done) {
        told.push_back(done);
        return done < 1000;
    });
    EXPECT_EQ(result.status, ExportResult::Status::Cancelled);
    EXPECT_EQ(told, (std::vector<std::size_t>{500, 1000}));
    EXPECT_TRUE(Entries().empty());

    told.clear();
    ASSERT_TRUE(GetParam()
                    .write(document, path,
                           [&](std::size_t done) {
                               told.push_back(done);
                               return true;
                           })
                    .Written());
    EXPECT_EQ(told.size(), 6u);  // every 500 rows of 3,000
    EXPECT_EQ(Entries(), std::vector<std::string>{"报表.out"});
    // A new file gets the permissions any new file would.
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, ExportFailure,
    testing::Values(WriterCase{"csv",
                               [](const ExportDocument& d, const std::string& p,
                                  const ExportProgress& progress) {
                                   return WriteCsv(d, p, CsvCharset::Utf8, progress);
                               }},
                    WriterCase{
                        "xlsx",
                        [](const ExportDocument& d, const std::string& p,
                           const ExportProgress& progress) { return WriteXlsx(d, p, progress); }}),
    [](const testing::TestParamInfo<WriterCase>& info) { return std::string(info.param.name); });

TEST(Xlsx, MoreRowsThanASheetHoldsAreRefusedBeforeWriting) {
    test::TempHome home;
    ExportDocument document = ReportDocument(Heading(), {}, {});
    document.detail.rowCount = 1048576;
    document.detail.cell = [](std::size_t, std::size_t) { return std::string_view("x"); };
    const ExportResult result = WriteXlsx(document, home.File("big.xlsx"), {});
    EXPECT_EQ(result.status, ExportResult::Status::Failed);
    EXPECT_NE(result.error.find("CSV"), std::string::npos) << result.error;
    EXPECT_TRUE(std::filesystem::is_empty(home.Path()));
}

}  // namespace
}  // namespace fw
