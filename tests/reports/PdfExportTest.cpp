// The PDF as another program reads it: text extracted with pdftotext, the font list with
// pdffonts, the first page rasterised with pdftoppm (poppler-utils).
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "reports/PdfWriter.h"
#include "reports/PunctualityChart.h"
#include "reports/ReportDocument.h"
#include "tests/reports/HandmadeList.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(PdfExport, EveryRowOnPagesThatRepeatTheHeadingsWithTheFontEmbedded) {
    test::TempHome home;
    const std::string folder = home.File("导出 PDF");
    std::filesystem::create_directory(folder);
    const ReportHeading heading = test::LongListHeading();
    std::vector<ReportRow> rows = test::LongList(800);  // twenty batches, each in the legend
    rows[5].text[kColStop] = "一个名字非常非常非常长的公交站点（东广场）";  // wraps in its cell
    const std::string path = folder + "/报表 沪A10086.pdf";
    ASSERT_TRUE(
        WritePdf(ReportDocument(heading, rows, {}), path, DrawCharts(rows, {}, QSize(980, 290)))
            .Written());

    const std::string text = test::CommandOutput("pdftotext -layout '" + path + "' - 2>&1");
    // Every row of the list, on a line of its own with its plate, batch, stop and times (each
    // planned arrival is different).
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    auto shown = [&](const ReportRow& row) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            for (const std::string& part :
                 {row[kColPlanReach], row[kColPlate], row[kColBatch] + " ",
                  row[kColStop].substr(0, 12), row[kColRealReach]})
                if (line.find(part) == std::string::npos) return false;
            return true;
        });
    };
    for (const ReportRow& row : rows) ASSERT_TRUE(shown(row)) << row[kColPlanReach];
    for (const char* told : {"一个名字非常", "迟到00:05:", "线路运行报表", "一公司", "沪A10086",
                             "2014-08-25 05:00:00 至 2014-08-29 21:00:00", "首个定位点",
                             "2014-08-30 09:00:00", "准点率", "到站偏差分布"})
        EXPECT_NE(text.find(told), std::string::npos) << told;
    const std::string last = text.substr(text.rfind('\f', text.size() - 2) + 1);  // the charts
    for (int b = 0; b < 20; ++b) {
        const std::string name =
            "班次" + std::to_string(b + 1) + " " + std::to_string(b % 3 + 1) + "路";
        EXPECT_NE(last.find(name), std::string::npos) << name;
    }

    // The detail's pages each start with the heading row; the summary and the charts follow.
    std::smatch m;
    const std::string info = test::CommandOutput("pdfinfo '" + path + "' 2>&1");
    ASSERT_TRUE(std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)"))) << info;
    const int pages = std::stoi(m[1]);
    ASSERT_GT(pages, 10);
    EXPECT_EQ(Count(text, "计划到达时间"), static_cast<std::size_t>(pages - 2));
    for (int p = 1; p <= pages; ++p)
        EXPECT_EQ(
            Count(text, "第 " + std::to_string(p) + " 页 / 共 " + std::to_string(pages) + " 页"),
            1u)
            << p;
    const std::string fonts = test::CommandOutput("pdffonts '" + path + "' 2>&1");
    EXPECT_TRUE(std::regex_search(fonts, std::regex("WenQuanYi.* yes "))) << fonts;

    // Lateness is red on the landscape page: rasterise the first page and look for red text.
    test::CommandOutput("pdftoppm -r 60 -f 1 -l 1 -singlefile -png '" + path + "' '" +
                        home.File("page") + "' 2>&1");
    const QImage page(QString::fromStdString(home.File("page.png")));
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(page.width(), page.height());
    int red = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 120 && c.blue() < 120;
        }
    EXPECT_GT(red, 50);

    // An empty list: its header, the empty table saying so, the summary with its total.
    const std::string empty = folder + "/空.pdf";
    ASSERT_TRUE(WritePdf(ReportDocument(heading, {}, {}), empty, std::nullopt).Written());
    const std::string emptyText = test::CommandOutput("pdftotext '" + empty + "' - 2>&1");
    for (const char* told : {"沪A10086", "计划到达时间", "（列表为空）", "合计"})
        EXPECT_NE(emptyText.find(told), std::string::npos) << told;
}

}  // namespace
}  // namespace fw
