#include "reports/PunctualityChart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QSet>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace fw {
namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const QColor kEarly(33, 120, 200);
const QColor kOnTime(67, 160, 71);
const QColor kLate(229, 57, 53);

// More lines than this and the legend would crowd out the chart.
constexpr std::size_t kLegendLines = 12;

void Style(QChart& chart) {
    QFont title = chart.titleFont();
    title.setPointSizeF(11);
    title.setBold(true);
    chart.setTitleFont(title);
    chart.setBackgroundRoundness(0);
    chart.setMargins(QMargins(6, 6, 6, 6));
    chart.legend()->setAlignment(Qt::AlignRight);
}

}  // namespace

std::unique_ptr<QChart> MakeLatenessChart(const LatenessChartData& data, OnTimeWindow window) {
    auto chart = std::make_unique<QChart>();
    Style(*chart);
    const double early = -window.earlySeconds / 60.0;
    const double late = window.lateSeconds / 60.0;

    // A value axis labelled with the stop names, so that the band and the lines share it.
    auto* x = new QCategoryAxis;
    const auto places = static_cast<int>(std::max<std::size_t>(data.stops.size(), 1));
    QSet<QString> labels;
    for (int i = 0; i < static_cast<int>(data.stops.size()); ++i) {
        // The axis takes each label once: a stop served twice is told apart invisibly.
        QString label = Q(data.stops[static_cast<std::size_t>(i)]);
        while (labels.contains(label)) label += QChar(0x200B);
        labels.insert(label);
        x->append(label, i + 0.5);
    }
    x->setRange(-0.5, places - 0.5);
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    x->setTitleText(QStringLiteral("站点（按批次的经停顺序）"));
    if (places > 12) {
        x->setLabelsAngle(-90);
        QFont small = x->labelsFont();
        small.setPointSizeF(7);
        x->setLabelsFont(small);
    }
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("到达偏差（分钟，负为早到）"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    // The on-time window as a band across the whole route.
    const double left = -0.5, right = places - 0.5;
    auto* upper = new QLineSeries;
    upper->append(left, late);
    upper->append(right, late);
    auto* lower = new QLineSeries;
    lower->append(left, early);
    lower->append(right, early);
    auto* band = new QAreaSeries(upper, lower);
    // An area series does not own its edges.
    upper->setParent(band);
    lower->setParent(band);
    band->setName(QStringLiteral("准点范围"));
    band->setColor(QColor(kOnTime.red(), kOnTime.green(), kOnTime.blue(), 70));
    band->setBorderColor(QColor(kOnTime.red(), kOnTime.green(), kOnTime.blue(), 110));
    chart->addSeries(band);
    band->attachAxis(x);
    band->attachAxis(y);

    double low = early, high = late;
    for (const LatenessLine& line : data.lines) {
        auto* series = new QLineSeries;
        series->setName(Q(line.name));
        series->setPointsVisible(true);
        series->setMarkerSize(5);
        for (const LatenessPoint& p : line.points) {
            series->append(p.position, p.minutes);
            low = std::min(low, p.minutes);
            high = std::max(high, p.minutes);
        }
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
        // Thin lines, in the colour the chart's theme gave them, leave the band visible.
        QPen pen = series->pen();
        pen.setWidthF(1.5);
        series->setPen(pen);
    }
    y->setRange(std::floor(low) - 1, std::ceil(high) + 1);
    y->applyNiceNumbers();

    QString title = QStringLiteral("各站到达迟到（每个批次一条线）");
    if (data.lines.size() > kLegendLines) {
        chart->legend()->hide();
        title += QStringLiteral("，共 %1 个批次").arg(data.lines.size());
    }
    chart->setTitle(title);
    return chart;
}

std::unique_ptr<QChart> MakeDeviationChart(const DeviationHistogram& histogram,
                                           OnTimeWindow window) {
    auto chart = std::make_unique<QChart>();
    Style(*chart);
    auto* early = new QBarSet(QStringLiteral("早到"));
    auto* onTime = new QBarSet(QStringLiteral("准点"));
    auto* late = new QBarSet(QStringLiteral("迟到"));
    early->setColor(kEarly);
    onTime->setColor(kOnTime);
    late->setColor(kLate);
    QStringList minutes;
    std::size_t tallest = 0;
    for (std::size_t i = 0; i < histogram.bins.size(); ++i) {
        const DeviationBin& bin = histogram.bins[i];
        *early << static_cast<qreal>(bin.early);
        *onTime << static_cast<qreal>(bin.onTime);
        *late << static_cast<qreal>(bin.late);
        minutes << Q(histogram.Label(i));
        tallest = std::max(tallest, bin.Total());
    }
    if (minutes.isEmpty()) minutes << QString();
    auto* series = new QStackedBarSeries;
    series->append(early);
    series->append(onTime);
    series->append(late);
    series->setBarWidth(0.9);
    chart->addSeries(series);

    auto* x = new QBarCategoryAxis;
    x->append(minutes);
    x->setTitleText(QStringLiteral("到达偏差（分钟；左早右晚）"));
    if (minutes.size() > 30) x->setLabelsAngle(-60);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("站次"));
    y->setLabelFormat(QStringLiteral("%d"));
    y->setRange(0, std::max<double>(1, static_cast<double>(tallest)));
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);

    chart->setTitle(
        histogram.bins.empty()
            ? QStringLiteral("到站偏差分布：没有可判定的到站")
            : QStringLiteral("到站偏差分布（每格 1 分钟；准点：提前 %1 秒至迟到 %2 秒）")
                  .arg(window.earlySeconds)
                  .arg(window.lateSeconds));
    return chart;
}

void RenderChart(QChart& chart, QPainter& painter, const QRectF& target) {
    QGraphicsScene scene;
    scene.addItem(&chart);
    chart.setGeometry(QRectF(QPointF(0, 0), target.size()));
    // The chart lays itself out on the next event; a drawing cannot wait for that.
    if (chart.layout() != nullptr) chart.layout()->activate();
    scene.setSceneRect(chart.geometry());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, target, chart.geometry());
    painter.restore();
    scene.removeItem(&chart);
}

ChartDrawing DrawCharts(std::span<const ReportRow> rows, OnTimeWindow window, QSize size) {
    ChartDrawing drawing;
    drawing.size = size;
    const QRectF area(QPointF(0, 0), size);
    {
        std::unique_ptr<QChart> chart = MakeLatenessChart(LatenessAlongRoute(rows), window);
        QPainter painter(&drawing.lateness);
        RenderChart(*chart, painter, area);
    }
    {
        std::unique_ptr<QChart> chart = MakeDeviationChart(ArrivalHistogram(rows, window), window);
        QPainter painter(&drawing.deviation);
        RenderChart(*chart, painter, area);
    }
    return drawing;
}

QImage ChartImage(const ChartDrawing& drawing, qreal scale) {
    const int gap = 12;
    QImage image(QSize(drawing.size.width(), 2 * drawing.size.height() + gap) * scale,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, drawing.lateness);
    painter.drawPicture(0, drawing.size.height() + gap, drawing.deviation);
    return image;
}

}  // namespace fw
