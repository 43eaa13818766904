// The workbook written is read back by another program (openpyxl, from Debian's packages): what
// a spreadsheet program sees is checked, not what we meant to write.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "reports/ReportDocument.h"
#include "reports/XlsxWriter.h"
#include "tests/reports/HandmadeList.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

// What read_xlsx.py prints for the workbook, or a null value when it could not read it.
Json::Value ReadBack(const std::string& path) {
    const char* source = std::getenv("FENWARDE_SOURCE_DIR");
    const std::string script = std::string(source ? source : ".") + "/tests/reports/read_xlsx.py";
    // Debian's interpreter: the one that has python3-openpyxl.
    const std::string out =
        test::CommandOutput("/usr/bin/python3 '" + script + "' '" + path + "' 2>&1");
    Json::Value root;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    if (!reader->parse(out.data(), out.data() + out.size(), &root, &errors)) {
        ADD_FAILURE() << "read_xlsx.py said: " << out;
        return {};
    }
    return root;
}

// One cell of a sheet as read back: "type:value", with "|red" for a red font.
std::string At(const Json::Value& sheet, int row, int column) {
    const Json::Value& cells = sheet["rows"][row - 1];
    if (!cells.isArray() || column >= static_cast<int>(cells.size())) return "empty:";
    const Json::Value& c = cells[column];
    std::string text = c["t"].asString() + ":" + c["v"].asString();
    if (c["color"].isString() && c["color"].asString() == "FFFF0000") text += "|red";
    return text;
}

// Cells first..last of a row, as At() gives them, with blanks between.
std::string Cells(const Json::Value& sheet, int row, int first, int last) {
    std::string out;
    for (int c = first; c <= last; ++c) out += (c > first ? " " : "") + At(sheet, row, c);
    return out;
}

class XlsxRoundTrip : public testing::Test {
protected:
    void SetUp() override {
        // A folder with Chinese characters and a blank in its name.
        folder = home.File("导出 报表");
        std::filesystem::create_directory(folder);
    }
    ReportHeading heading{.company = "一公司",
                          .plate = "沪A10086",
                          .start = "2014-08-25 05:00:00",
                          .end = "2014-08-25 21:00:00",
                          .rule = "首个定位点",
                          .generatedAt = "2014-08-26 09:30:00",
                          .matching = "按班次顺序"};
    test::TempHome home;
    std::string folder;
};

TEST_F(XlsxRoundTrip, CellsTypesColoursFilterAndSummary) {
    std::vector<ReportRow> rows = test::HandmadeList();
    rows[3].text[kColPlanReach] = "around eight";  // a time that does not parse stays text
    const std::string path = folder + "/报表_沪A10086_2014-08-25.xlsx";
    ASSERT_TRUE(WriteXlsx(ReportDocument(heading, rows, {}), path).Written());
    const Json::Value book = ReadBack(path);
    ASSERT_EQ(book["sheets"].size(), 2u);
    const Json::Value& detail = book["sheets"][0];
    const Json::Value& summary = book["sheets"][1];
    EXPECT_EQ(detail["name"].asString(), "明细");
    EXPECT_EQ(summary["name"].asString(), "汇总");

    // Title, header block (rows 2-8), a blank row, the heading row 10, the rows from 11.
    EXPECT_EQ(At(detail, 1, 0), "text:线路运行报表");
    EXPECT_TRUE(detail["rows"][0][0]["bold"].asBool());
    EXPECT_EQ(Cells(detail, 2, 0, 1), "text:公司 text:一公司");
    EXPECT_EQ(At(detail, 4, 1), "text:2014-08-25 05:00:00 至 2014-08-25 21:00:00");
    EXPECT_EQ(At(detail, 5, 1), "text:首个定位点");
    EXPECT_EQ(Cells(detail, 6, 0, 1), "text:匹配方式 text:按班次顺序");
    EXPECT_EQ(Cells(detail, 8, 0, 1), "text:准点窗口 text:提前1分钟至迟到4分钟");
    EXPECT_EQ(At(detail, 10, 5), "text:计划到达时间");
    EXPECT_EQ(At(detail, 10, 7), "text:到达迟到");
    EXPECT_EQ(detail["freeze"].asString(), "A11");
    EXPECT_EQ(detail["filter"].asString(), "A10:K20");
    EXPECT_TRUE(detail["landscape"].asBool());

    // Row 12 is the 330-second delay at 鼓楼.
    EXPECT_EQ(Cells(detail, 12, 0, 10),
              "text:沪A10086 text:早班 datetime:2014-08-25 00:00:00 text:7路 text:鼓楼 "
              "datetime:2014-08-25 08:05:00 datetime:2014-08-25 08:10:30 text:迟到00:05:30|red "
              "empty: empty: empty:");
    EXPECT_EQ(detail["rows"][11][5]["fmt"].asString(), "yyyy-mm-dd hh:mm:ss");
    EXPECT_EQ(detail["rows"][10][7]["t"].asString(), "empty");  // on time: nothing to show
    EXPECT_EQ(At(detail, 14, 5), "text:around eight");
    EXPECT_EQ(At(detail, 14, 6), "datetime:2014-08-25 08:19:00");
    EXPECT_EQ(At(detail, 20, 6), "text:soon");
    EXPECT_EQ(At(detail, 19, 10), "text:久滞00:05:00|red");

    // Widths fit the texts: a date-time needs 19 characters, a stop name of three CJK six.
    const Json::Value& widths = detail["widths"];
    EXPECT_GE(widths["F"].asDouble(), 19.0);
    EXPECT_LT(widths["F"].asDouble(), 30.0);
    EXPECT_GE(widths["E"].asDouble(), 6.0);
    EXPECT_LT(widths["E"].asDouble(), widths["F"].asDouble());

    // The summary: counts as numbers, the share as a percentage.
    EXPECT_EQ(At(summary, 10, 0) + " " + At(summary, 10, 8), "text:线路 text:准点率");
    // The unparsed planned time makes one more stop that cannot be judged: 2 on time of 7.
    EXPECT_EQ(Cells(summary, 13, 0, 8),
              "text:合计 number:10 number:9 number:2 number:3 number:2 number:1 number:2 "
              "number:0.2857142857142857");
    EXPECT_EQ(summary["rows"][12][8]["fmt"].asString(), "0.0%");
    EXPECT_EQ(Cells(summary, 11, 0, 1), "text:7路 number:8");
}

TEST_F(XlsxRoundTrip, AnEmptyListGivesTheHeaderBlockAndHeadingsOnly) {
    const std::string path = folder + "/空 报表.xlsx";
    ASSERT_TRUE(WriteXlsx(ReportDocument(heading, {}, {}), path).Written());
    const Json::Value book = ReadBack(path);
    ASSERT_EQ(book["sheets"].size(), 2u);
    const Json::Value& detail = book["sheets"][0];
    EXPECT_EQ(detail["rows"].size(), 10u);
    EXPECT_EQ(At(detail, 10, 0), "text:车牌号码");
    EXPECT_EQ(detail["filter"].asString(), "A10:K10");
    EXPECT_EQ(At(book["sheets"][1], 11, 0) + " " + At(book["sheets"][1], 11, 8),
              "text:合计 empty:");
}

}  // namespace
}  // namespace fw
