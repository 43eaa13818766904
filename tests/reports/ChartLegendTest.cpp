// The lateness chart of a busy day: every batch in its legend, told apart by its colour, and no
// title of the chart cut, at the size the window, the PNG and the PDF draw it (the PDF's legend
// is read in PdfExportTest).
#include <gtest/gtest.h>

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLineSeries>
#include <QSet>

#include "reports/ChartData.h"
#include "reports/PunctualityChart.h"
#include "tests/reports/HandmadeList.h"

namespace fw {
namespace {

// `batches` batches of 18 stops with long names, spread over `lines` lines, a few minutes late.
std::vector<ReportRow> Day(int batches, int lines) {
    std::vector<ReportRow> rows;
    for (int b = 0; b < batches; ++b)
        for (int s = 0; s < 18; ++s) {
            char plan[48], real[48];
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

// The chart laid out at the size the window, the PNG and the PDF draw it at.
struct LaidOut {
    explicit LaidOut(const std::vector<ReportRow>& rows)
        : chart(MakeLatenessChart(LatenessAlongRoute(rows), {})) {
        scene.addItem(chart.get());
        chart->setGeometry(QRectF(0, 0, 980, 290));
        chart->layout()->activate();
    }
    ~LaidOut() { scene.removeItem(chart.get()); }
    QGraphicsScene scene;
    std::unique_ptr<QChart> chart;
};

// Up to twenty batches each have an entry and a colour of their own, which their lines wear;
// beyond twenty the batches of a line share its colour and the legend lists the lines. The
// legend stands beside the plot inside the chart, and every title is shown whole.
TEST(ChartLegend, EveryBatchListedInAColourOfItsOwnUpToTwentyThenByLine) {
    for (const auto& [batches, lines] : {std::pair{12, 1}, std::pair{20, 2}, std::pair{25, 3}}) {
        SCOPED_TRACE(batches);
        const LaidOut laid(Day(batches, lines));
        const ChartLegend legend = LegendOf(*laid.chart);
        const bool byLine = batches > 20;
        QStringList names, want{"准点范围"}, texts;
        QSet<QRgb> colours;
        for (const auto& [name, colour] : legend.entries) names << name, colours << colour.rgb();
        if (byLine)
            want << "1路（9 个批次）"
                 << "101路（8 个批次）"
                 << "201路（8 个批次）";
        else
            for (int b = 0; b < batches; ++b)
                want << QStringLiteral("1路-%1 %2路").arg(b + 1).arg(b % lines * 100 + 1);
        ASSERT_EQ(names, want);
        EXPECT_EQ(colours.size(), names.size());
        QList<QRgb> worn, given;  // each line's colour, and its legend entry's
        for (QAbstractSeries* series : laid.chart->series())
            if (const auto* line = qobject_cast<QLineSeries*>(series)) {
                const qsizetype b = worn.size();
                worn << line->pen().color().rgb();
                given << legend.entries[1 + (byLine ? b % lines : b)].second.rgb();
            }
        EXPECT_EQ(worn.size(), batches);
        EXPECT_EQ(worn, given);
        EXPECT_EQ(laid.chart->title().contains("共 25 个批次，按线路着色"), byLine);
        EXPECT_TRUE(batches != 20 || legend.columns >= 2) << legend.columns;
        EXPECT_GE(legend.area.left(), laid.chart->plotArea().right());
        EXPECT_LE(legend.area.right(), 980);
        EXPECT_LE(legend.area.bottom(), 290);
        for (QGraphicsItem* item : laid.scene.items())
            if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item))
                texts << text->toPlainText();
        for (const QString& title : {laid.chart->title(), QStringLiteral("偏差（分钟）"),
                                     QStringLiteral("站点（按批次的经停顺序）")})
            EXPECT_TRUE(texts.contains(title)) << title.toStdString();
    }
}

}  // namespace
}  // namespace fw
