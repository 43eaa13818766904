// The lateness chart of a busy day: every batch in its legend, told apart by its colour, and no
// title of the chart cut, at the size the window, the PNG and the PDF draw it.
#include <gtest/gtest.h>

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLineSeries>
#include <QSet>

#include "reports/ChartData.h"
#include "reports/PdfWriter.h"
#include "reports/PunctualityChart.h"
#include "reports/ReportDocument.h"
#include "tests/reports/HandmadeList.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

// `batches` batches of 18 stops with long names, spread over `lines` lines, a few minutes late.
std::vector<ReportRow> Day(int batches, int lines) {
    std::vector<ReportRow> rows;
    for (int b = 0; b < batches; ++b)
        for (int s = 0; s < 18; ++s) {
            char plan[32], real[32];
            const int minute = 6 * 60 + b * 50 + s * 2;
            std::snprintf(plan, sizeof plan, "2014-08-25 %02d:%02d:00", minute / 60, minute % 60);
            std::snprintf(real, sizeof real, "2014-08-25 %02d:%02d:%02d", (minute + b % 4) / 60,
                          (minute + b % 4) % 60, s);
            rows.push_back(test::StopRow("1路-" + std::to_string(b + 1),
                                         std::to_string(b % lines * 100 + 1) + "路",
                                         "文三路学院路口" + std::to_string(s), plan, real));
        }
    return rows;
}

// The chart laid out at the size every file draws it at.
class LaidOut {
public:
    explicit LaidOut(const std::vector<ReportRow>& rows)
        : chart(MakeLatenessChart(LatenessAlongRoute(rows), {})) {
        scene.addItem(chart.get());
        chart->setGeometry(QRectF(0, 0, 980, 290));
        chart->layout()->activate();
    }
    ~LaidOut() { scene.removeItem(chart.get()); }
    QStringList Texts() const {
        QStringList texts;
        for (QGraphicsItem* item : scene.items())
            if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item))
                texts << text->toPlainText();
        return texts;
    }
    QList<QColor> LineColours() const {
        QList<QColor> colours;
        for (QAbstractSeries* series : chart->series())
            if (const auto* line = qobject_cast<QLineSeries*>(series)) colours << line->pen().color();
        return colours;
    }

    QGraphicsScene scene;
    std::unique_ptr<QChart> chart;
};

TEST(ChartLegend, TwelveBatchesAllListedInColoursOfTheirOwnWithNothingCut) {
    const LaidOut laid(Day(12, 1));
    const ChartLegend legend = LegendOf(*laid.chart);
    ASSERT_EQ(legend.entries.size(), 13);  // the on-time band, then the batches
    EXPECT_EQ(legend.entries[0].first, "准点范围");
    QSet<QRgb> colours;
    for (int b = 1; b <= 12; ++b) {
        EXPECT_EQ(legend.entries[b].first, QStringLiteral("1路-%1 1路").arg(b));
        colours.insert(legend.entries[b].second.rgb());
    }
    EXPECT_EQ(colours.size(), 12);
    // The lines wear the colours the legend gives them.
    const QList<QColor> lines = laid.LineColours();
    ASSERT_EQ(lines.size(), 12);
    for (int b = 0; b < 12; ++b) EXPECT_EQ(lines[b].rgb(), legend.entries[b + 1].second.rgb());
    // Beside the plot, inside the chart.
    EXPECT_GE(legend.area.left(), laid.chart->plotArea().right());
    EXPECT_LE(legend.area.right(), 980);
    EXPECT_LE(legend.area.bottom(), 290);
    // The chart's title and its axes' titles are shown whole.
    const QStringList texts = laid.Texts();
    for (const QString& title : {laid.chart->title(), QStringLiteral("偏差（分钟）"),
                                 QStringLiteral("站点（按批次的经停顺序）")})
        EXPECT_TRUE(texts.contains(title)) << title.toStdString() << " in " << texts.join('|').toStdString();
}

TEST(ChartLegend, TwentyBatchesStillApartBeyondThemTheLinesShareAColour) {
    const ChartLegend twenty = LegendOf(*LaidOut(Day(20, 2)).chart);
    ASSERT_EQ(twenty.entries.size(), 21);
    QSet<QRgb> colours;
    for (int b = 1; b <= 20; ++b) colours.insert(twenty.entries[b].second.rgb());
    EXPECT_EQ(colours.size(), 20);
    EXPECT_GE(twenty.columns, 2);

    const LaidOut grouped(Day(25, 3));
    const ChartLegend legend = LegendOf(*grouped.chart);
    ASSERT_EQ(legend.entries.size(), 4);
    EXPECT_EQ(legend.entries[1].first, "1路（9 个批次）");
    EXPECT_EQ(legend.entries[2].first, "101路（8 个批次）");
    EXPECT_EQ(legend.entries[3].first, "201路（8 个批次）");
    const QList<QColor> lines = grouped.LineColours();
    ASSERT_EQ(lines.size(), 25);
    for (int b = 0; b < 25; ++b)
        EXPECT_EQ(lines[b].rgb(), legend.entries[1 + b % 3].second.rgb()) << b;
    EXPECT_TRUE(grouped.chart->title().contains("共 25 个批次，按线路着色"));
}

// The PDF's last page and the PNG draw the same chart: the legend's names are on the page, its
// colours in the image.
TEST(ChartLegend, ThePdfAndThePngShowTheWholeLegend) {
    const std::vector<ReportRow> rows = Day(12, 1);
    const ChartDrawing drawing = DrawCharts(rows, {}, QSize(980, 290));
    test::TempHome home;
    const std::string path = home.File("报表.pdf");
    ASSERT_TRUE(WritePdf(ReportDocument(test::LongListHeading(), rows, {}), path, drawing).Written());
    const std::string info = test::CommandOutput("pdfinfo '" + path + "' 2>&1");
    const std::size_t at = info.find("Pages:");
    ASSERT_NE(at, std::string::npos) << info;
    const std::string pages = std::to_string(std::stoi(info.substr(at + 6)));
    const std::string last =
        test::CommandOutput("pdftotext -f " + pages + " -l " + pages + " '" + path + "' - 2>&1");
    for (int b = 1; b <= 12; ++b)
        EXPECT_NE(last.find("1路-" + std::to_string(b) + " 1路"), std::string::npos) << b << last;

    const QImage image = ChartImage(drawing, 1.0);
    const ChartLegend legend = LegendOf(*LaidOut(rows).chart);
    for (int b = 1; b <= 12; ++b) {
        const QColor want = legend.entries[b].second;
        int pixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) pixels += image.pixelColor(x, y) == want;
        EXPECT_GT(pixels, 10) << b;
    }
}

}  // namespace
}  // namespace fw
