// The PDF as another program reads it: text extracted with pdftotext, the font list with
// pdffonts, the first page rasterised with pdftoppm (poppler-utils).
#include <gtest/gtest.h>

#include <QImage>

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

int Pages(const std::string& path) {
    std::smatch m;
    const std::string info = test::CommandOutput("pdfinfo '" + path + "' 2>&1");
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

class PdfExport : public testing::Test {
protected:
    void SetUp() override {
        folder = home.File("导出 PDF");
        std::filesystem::create_directory(folder);
    }
    ReportHeading heading = test::LongListHeading();
    test::TempHome home;
    std::string folder;
};

TEST_F(PdfExport, EveryRowOnPagesThatRepeatTheHeadingsWithTheFontEmbedded) {
    std::vector<ReportRow> rows = test::LongList(1000);
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
        for (const std::string& line : lines)
            if (line.find(row[kColPlanReach]) != std::string::npos &&
                line.find(row[kColPlate]) != std::string::npos &&
                line.find(row[kColBatch] + " ") != std::string::npos &&
                line.find(row[kColStop].substr(0, 12)) != std::string::npos &&
                line.find(row[kColRealReach]) != std::string::npos)
                return true;
        return false;
    };
    for (const ReportRow& row : rows) ASSERT_TRUE(shown(row)) << row[kColPlanReach];
    EXPECT_NE(text.find("一个名字非常"), std::string::npos);
    EXPECT_NE(text.find("迟到00:05:"), std::string::npos);
    for (const char* header : {"线路运行报表", "公司：", "一公司", "车牌号：", "沪A10086",
                               "2014-08-25 05:00:00 至 2014-08-29 21:00:00", "判定规则：",
                               "首个定位点", "生成时间：", "2014-08-30 09:00:00"})
        EXPECT_NE(text.find(header), std::string::npos) << header;

    // The detail's pages each start with the heading row; the summary and the charts follow.
    const int pages = Pages(path);
    ASSERT_GT(pages, 10);
    EXPECT_EQ(Count(text, "计划到达时间"), static_cast<std::size_t>(pages - 2));
    for (int p = 1; p <= pages; ++p)
        EXPECT_EQ(
            Count(text, "第 " + std::to_string(p) + " 页 / 共 " + std::to_string(pages) + " 页"),
            1u)
            << p;
    EXPECT_NE(text.find("准点率"), std::string::npos);
    EXPECT_NE(text.find("准点图表"), std::string::npos);
    EXPECT_NE(text.find("到站偏差分布"), std::string::npos);  // the charts keep their text

    const std::string fonts = test::CommandOutput("pdffonts '" + path + "' 2>&1");
    std::smatch embedded;
    EXPECT_TRUE(std::regex_search(fonts, embedded, std::regex("WenQuanYi.* yes "))) << fonts;

    // Lateness is red on the page: rasterise the first page and look for red text.
    const std::string png = home.File("page");
    test::CommandOutput("pdftoppm -r 60 -f 1 -l 1 -png '" + path + "' '" + png + "' 2>&1");
    QImage page;
    for (const auto& e : std::filesystem::directory_iterator(home.Path()))
        if (e.path().extension() == ".png") page.load(QString::fromStdString(e.path().string()));
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(page.width(), page.height());  // landscape
    int red = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 120 && c.blue() < 120;
        }
    EXPECT_GT(red, 50);
}

TEST_F(PdfExport, AnEmptyListHasItsHeaderAndSaysItIsEmpty) {
    const std::string path = folder + "/空.pdf";
    ASSERT_TRUE(WritePdf(ReportDocument(heading, {}, {}), path, std::nullopt).Written());
    const std::string text = test::CommandOutput("pdftotext -layout '" + path + "' - 2>&1");
    EXPECT_EQ(Pages(path), 2);  // the empty table, the summary with its total
    EXPECT_NE(text.find("沪A10086"), std::string::npos);
    EXPECT_NE(text.find("计划到达时间"), std::string::npos);
    EXPECT_NE(text.find("（列表为空）"), std::string::npos);
    EXPECT_NE(text.find("合计"), std::string::npos);
}

TEST_F(PdfExport, ProgressIsToldAndCancellingLeavesNoFile) {
    const std::vector<ReportRow> rows = test::LongList(1000);
    const std::string path = folder + "/报表.pdf";
    std::vector<std::size_t> told;
    const ExportResult result =
        WritePdf(ReportDocument(heading, rows, {}), path, std::nullopt, [&](std::size_t done) {
            told.push_back(done);
            return done < 400;
        });
    EXPECT_EQ(result.status, ExportResult::Status::Cancelled);
    EXPECT_EQ(told, (std::vector<std::size_t>{200, 400}));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace fw
