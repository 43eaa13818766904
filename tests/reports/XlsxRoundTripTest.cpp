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

TEST(XlsxRoundTrip, CellsTypesColoursFilterAndSummary) {
    test::TempHome home;
    // A folder with Chinese characters and a blank in its name.
    const std::string folder = home.File("导出 报表");
    std::filesystem::create_directory(folder);
    const ReportHeading heading{"一公司",
                                "沪A10086",
                                "2014-08-25 05:00:00",
                                "2014-08-25 21:00:00",
                                "首个定位点",
                                "2014-08-26 09:30:00",
                                "按班次顺序"};
    std::vector<ReportRow> rows = test::HandmadeList();
    rows[3].text[kColPlanReach] = "around eight";  // a time that does not parse stays text
    const std::string path = folder + "/报表_沪A10086_2014-08-25.xlsx";
    ASSERT_TRUE(WriteXlsx(ReportDocument(heading, rows, {}), path).Written());
    const Json::Value book = ReadBack(path);
    ASSERT_EQ(book["sheets"].size(), 2u);
    const Json::Value& detail = book["sheets"][0];
    const Json::Value& summary = book["sheets"][1];
    EXPECT_EQ(detail["name"].asString() + " " + summary["name"].asString(), "明细 汇总");

    // Title, header block (rows 2-8), a blank row, the heading row 10, the rows from 11.
    EXPECT_EQ(At(detail, 1, 0), "text:线路运行报表");
    EXPECT_EQ(Cells(detail, 2, 0, 1), "text:公司 text:一公司");
    EXPECT_EQ(Cells(detail, 8, 0, 1), "text:准点窗口 text:提前1分钟至迟到4分钟");
    EXPECT_EQ(At(detail, 10, 7), "text:到达迟到");
    EXPECT_EQ(detail["freeze"].asString() + " " + detail["filter"].asString(), "A11 A10:K20");
    EXPECT_TRUE(detail["landscape"].asBool());

    // Row 12 is the 330-second delay at 鼓楼.
    EXPECT_EQ(Cells(detail, 12, 0, 10),
              "text:沪A10086 text:早班 datetime:2014-08-25 00:00:00 text:7路 text:鼓楼 "
              "datetime:2014-08-25 08:05:00 datetime:2014-08-25 08:10:30 text:迟到00:05:30|red "
              "empty: empty: empty:");
    EXPECT_EQ(detail["rows"][11][5]["fmt"].asString(), "yyyy-mm-dd hh:mm:ss");
    EXPECT_EQ(At(detail, 11, 7), "empty:");  // on time: nothing to show
    EXPECT_EQ(Cells(detail, 14, 5, 6), "text:around eight datetime:2014-08-25 08:19:00");
    EXPECT_EQ(At(detail, 20, 6), "text:soon");
    EXPECT_EQ(At(detail, 19, 10), "text:久滞00:05:00|red");

    // Widths fit the texts: a date-time needs 19 characters, a stop name of three CJK six.
    const Json::Value& widths = detail["widths"];
    EXPECT_GE(widths["F"].asDouble(), 19.0);
    EXPECT_LT(widths["F"].asDouble(), 30.0);
    EXPECT_GE(widths["E"].asDouble(), 6.0);
    EXPECT_LT(widths["E"].asDouble(), widths["F"].asDouble());

    // The summary: counts as numbers, the share as a percentage. The unparsed planned time
    // makes one more stop that cannot be judged: 2 on time of 7.
    EXPECT_EQ(Cells(summary, 13, 0, 8),
              "text:合计 number:10 number:9 number:2 number:3 number:2 number:1 number:2 "
              "number:0.2857142857142857");
    EXPECT_EQ(summary["rows"][12][8]["fmt"].asString(), "0.0%");
    EXPECT_EQ(Cells(summary, 11, 0, 1), "text:7路 number:8");

    // An empty list gives the header block and the headings only.
    ASSERT_TRUE(WriteXlsx(ReportDocument(heading, {}, {}), folder + "/空 报表.xlsx").Written());
    const Json::Value empty = ReadBack(folder + "/空 报表.xlsx");
    ASSERT_EQ(empty["sheets"].size(), 2u);
    EXPECT_EQ(empty["sheets"][0]["rows"].size(), 10u);
    EXPECT_EQ(At(empty["sheets"][0], 10, 0) + " " + empty["sheets"][0]["filter"].asString(),
              "text:车牌号码 A10:K10");
    EXPECT_EQ(Cells(empty["sheets"][1], 11, 0, 8),
              "text:合计 number:0 number:0 number:0 number:0 number:0 number:0 number:0 empty:");
}

}  // namespace
}  // namespace fw
