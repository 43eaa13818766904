#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QPicture>
#include <QRectF>
#include <QSize>

#include <memory>
#include <span>

#include "reports/ChartData.h"

class QChart;
class QPainter;

namespace fw {

// The two charts of a listed report: (a) arrival lateness in minutes at each stop along the
// route, one line per batch, over a band for the on-time window; (b) the arrival deviations in
// 1-minute bins, early on the left, coloured by how the window judges them.
std::unique_ptr<QChart> MakeLatenessChart(const LatenessChartData& data, OnTimeWindow window);
std::unique_ptr<QChart> MakeDeviationChart(const DeviationHistogram& histogram,
                                           OnTimeWindow window);

// The lateness chart's legend as laid out at the chart's present size: every entry (the band
// first, then each batch, or each line when they are grouped) in columns at the chart's right.
struct ChartLegend {
    QList<QPair<QString, QColor>> entries;
    int columns = 0;
    QRectF area;  // in the chart's coordinates
};
ChartLegend LegendOf(const QChart& chart);

// Both charts of the rows, stacked, for a file: as vector drawings (the PDF's last page) or as
// an image (PNG).
struct ChartDrawing {
    QPicture lateness;
    QPicture deviation;
    QSize size;  // of each chart, in the picture's units
};
ChartDrawing DrawCharts(std::span<const ReportRow> rows, OnTimeWindow window, QSize size);
// The drawing as an image, the two charts one above the other.
QImage ChartImage(const ChartDrawing& drawing, qreal scale);

// Draws a chart into a rectangle of a painter, without a view.
void RenderChart(QChart& chart, QPainter& painter, const QRectF& target);

}  // namespace fw
