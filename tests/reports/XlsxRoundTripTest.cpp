// The workbook written is read back by another program (openpyxl, from Debian's packages): what
// a spreadsheet program sees is checked, not what we meant to write.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "net/Message.h"
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
    const auto book = ParseDocument(out);
    EXPECT_TRUE(book.has_value()) << "read_xlsx.py said: " << out;
    return book.value_or(Json::Value());
}

// Cells first..last of a row as read back, "type:value" with "|red" for a red font, blanks
// between.
std::string Cells(const Json::Value& sheet, int row, int first, int last) {
    std::string out;
    for (int column = first; column <= last; ++column) {
        const Json::Value& cells = sheet["rows"][row - 1];
        const Json::Value& c = cells.isArray() && column < static_cast<int>(cells.size())
                                   ? cells[column]
                                   : Json::Value();
        out += std::string(column > first ? " " : "") + (c.isNull() ? "empty" : c["t"].asString()) +
               ":" + c["v"].asString() +
               (c["color"].isString() && c["color"].asString() == "FFFF0000" ? "|red" : "");
    }
    return out;
}

TEST(XlsxRoundTrip, CellsTypesColoursFilterAndSummary) {
    test::TempHome home;
    // A folder with Chinese characters and a blank in its name.
    const std::string folder = home.File("导出 报表");
    std::filesystem::create_directory(folder);
    ReportHeading heading = test::LongListHeading();
    heading.matching = "按班次顺序";
    std::vector<ReportRow> rows = test::HandmadeList();
    rows[3].text[kColPlanReach] = "around eight";  // a time that does not parse stays text
    const std::string path = folder + "/报表_沪A10086_2014-08-25.xlsx";
    ASSERT_TRUE(WriteXlsx(ReportDocument(heading, rows, {}), path).Written());
    const Json::Value book = ReadBack(path);
    ASSERT_EQ(book["sheets"].size(), 2u);
    const Json::Value& detail = book["sheets"][0];
    const Json::Value& summary = book["sheets"][1];

    // Title, header block (rows 2-8), a blank row, the heading row 10, the rows from 11.
    EXPECT_EQ(Cells(detail, 1, 0, 0) + " " + Cells(detail, 6, 0, 1),
              "text:线路运行报表 text:匹配方式 text:按班次顺序");
    EXPECT_EQ(detail["freeze"].asString() + " " + detail["filter"].asString(), "A11 A10:K20");
    // Row 12 is the 330-second delay at 鼓楼, row 11 on time: nothing to show.
    EXPECT_EQ(Cells(detail, 12, 0, 10),
              "text:沪A10086 text:早班 datetime:2014-08-25 00:00:00 text:7路 text:鼓楼 "
              "datetime:2014-08-25 08:05:00 datetime:2014-08-25 08:10:30 text:迟到00:05:30|red "
              "empty: empty: empty:");
    EXPECT_EQ(detail["rows"][11][5]["fmt"].asString(), "yyyy-mm-dd hh:mm:ss");
    EXPECT_EQ(Cells(detail, 11, 7, 7), "empty:");
    EXPECT_EQ(Cells(detail, 14, 5, 6), "text:around eight datetime:2014-08-25 08:19:00");
    EXPECT_EQ(Cells(detail, 19, 10, 10) + " " + Cells(detail, 20, 6, 6),
              "text:久滞00:05:00|red text:soon");
    // Widths fit the texts: a date-time needs 19 characters, a stop name of three CJK six.
    EXPECT_GE(detail["widths"]["F"].asDouble(), 19.0);
    EXPECT_GE(detail["widths"]["E"].asDouble(), 6.0);

    // The summary: counts as numbers, the share as a percentage. The unparsed planned time
    // makes one more stop that cannot be judged: 2 on time of 7.
    EXPECT_EQ(Cells(summary, 11, 0, 1), "text:7路 number:8");
    EXPECT_EQ(Cells(summary, 13, 0, 8),
              "text:合计 number:10 number:9 number:2 number:3 number:2 number:1 number:2 "
              "number:0.2857142857142857");
    EXPECT_EQ(summary["rows"][12][8]["fmt"].asString(), "0.0%");

}

}  // namespace
}  // namespace fw
