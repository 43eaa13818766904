#include "reports/PunctualityChart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFontMetricsF>
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

// Colours told apart on screen and on paper (after Kelly's), none of them the band's green.
const QColor kLineColours[kLegendColours] = {
    QColor(0x00, 0x67, 0xA5), QColor(0xF3, 0x84, 0x00), QColor(0x00, 0x88, 0x56),
    QColor(0xBE, 0x00, 0x32), QColor(0x87, 0x56, 0x92), QColor(0x88, 0x2D, 0x17),
    QColor(0xE6, 0x8F, 0xAC), QColor(0x84, 0x84, 0x82), QColor(0x8D, 0xB6, 0x00),
    QColor(0xA1, 0xCA, 0xF1), QColor(0xF3, 0xC3, 0x00), QColor(0x60, 0x4E, 0x97),
    QColor(0xE2, 0x58, 0x22), QColor(0x2B, 0x3D, 0x26), QColor(0xB3, 0x44, 0x6C),
    QColor(0xC2, 0xB2, 0x80), QColor(0x65, 0x45, 0x22), QColor(0xF9, 0x93, 0x79),
    QColor(0xF6, 0xA6, 0x00), QColor(0x22, 0x22, 0x22)};

// The lateness chart's legend: every entry, in as many columns as the chart's height needs, at
// the chart's right, the plot giving way to it. A child of the chart, it is drawn with it: in
// the window, in the PNG and on the PDF's last page alike.
class ColumnLegend : public QGraphicsItem {
public:
    ColumnLegend(QChart* chart, std::vector<std::pair<QString, QColor>> entries)
        : QGraphicsItem(chart), chart_(chart), entries_(std::move(entries)) {
        font_ = chart->legend()->font();
        font_.setPointSizeF(8);
        const QFontMetricsF metrics(font_);
        for (const auto& [name, colour] : entries_)
            textWidth_ = std::max(textWidth_, metrics.horizontalAdvance(name));
        textWidth_ = std::min(textWidth_, kLongestText);
        lineHeight_ = std::ceil(metrics.height()) + 3;
    }

    // Columns for the chart's height, and the chart's right margin to make room for them.
    void Relayout() {
        // Not laid out yet: a legend of one row per column would claim the whole width.
        if (chart_->size().height() <= kTop + kBottom) return;
        prepareGeometryChange();
        const double room = std::max(lineHeight_, chart_->size().height() - kTop - kBottom);
        const auto count = static_cast<int>(entries_.size());
        const int fit = std::max(1, static_cast<int>(room / lineHeight_));
        columns_ = count == 0 ? 0 : (count + fit - 1) / fit;
        rows_ = columns_ == 0 ? 0 : (count + columns_ - 1) / columns_;
        const double width = columns_ * (kMarker + textWidth_ + kGap);
        setPos(chart_->size().width() - width - kMargin, kTop);
        size_ = QSizeF(width, rows_ * lineHeight_);
        const QMargins margins(kMargin, kMargin, kMargin + static_cast<int>(std::ceil(width)), kMargin);
        if (chart_->margins() != margins) chart_->setMargins(margins);
    }

    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), size_); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        painter->setFont(font_);
        const QFontMetricsF metrics(font_);
        for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
            const auto& [name, colour] = entries_[static_cast<std::size_t>(i)];
            const double x = (i / rows_) * (kMarker + textWidth_ + kGap);
            const double y = (i % rows_) * lineHeight_;
            const double middle = y + lineHeight_ / 2;
            painter->setPen(QPen(colour, 2));
            painter->drawLine(QPointF(x, middle), QPointF(x + kMarker - 4, middle));
            painter->setBrush(colour);
            painter->drawEllipse(QPointF(x + (kMarker - 4) / 2, middle), 2.5, 2.5);
            painter->setPen(Qt::black);
            painter->drawText(QRectF(x + kMarker, y, textWidth_, lineHeight_),
                              Qt::AlignLeft | Qt::AlignVCenter,
                              metrics.elidedText(name, Qt::ElideRight, textWidth_));
        }
    }

    int Columns() const { return columns_; }
    const std::vector<std::pair<QString, QColor>>& Entries() const { return entries_; }

private:
    static constexpr double kTop = 36, kBottom = 12, kMarker = 20, kGap = 10;
    static constexpr double kLongestText = 220;
    static constexpr int kMargin = 6;

    QChart* chart_;
    std::vector<std::pair<QString, QColor>> entries_;
    QFont font_;
    double textWidth_ = 0;
    double lineHeight_ = 14;
    int columns_ = 0, rows_ = 0;
    QSizeF size_;
};

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
    y->setTitleText(QStringLiteral("偏差（分钟）"));
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
        // Thin lines leave the band visible.
        QPen pen(kLineColours[line.colour % kLegendColours]);
        pen.setWidthF(1.5);
        series->setPen(pen);
        series->setColor(pen.color());
    }
    y->setRange(std::floor(low) - 1, std::ceil(high) + 1);
    y->applyNiceNumbers();

    // Every batch in a legend of columns, the band's name first.
    chart->legend()->hide();
    std::vector<std::pair<QString, QColor>> entries;
    entries.emplace_back(QStringLiteral("准点范围"), band->color());
    for (const LegendEntry& entry : data.legend)
        entries.emplace_back(Q(entry.name), kLineColours[entry.colour % kLegendColours]);
    auto* legend = new ColumnLegend(chart.get(), std::move(entries));
    QObject::connect(chart.get(), &QGraphicsWidget::geometryChanged, chart.get(),
                     [legend] { legend->Relayout(); });

    QString title = QStringLiteral("各站到达偏差（负为早到），每个批次一条线");
    if (data.grouped)
        title = QStringLiteral("各站到达偏差（负为早到），共 %1 个批次，按线路着色").arg(data.lines.size());
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

ChartLegend LegendOf(const QChart& chart) {
    ChartLegend out;
    for (QGraphicsItem* item : chart.childItems())
        if (const auto* legend = dynamic_cast<const ColumnLegend*>(item)) {
            for (const auto& [name, colour] : legend->Entries()) out.entries.append({name, colour});
            out.columns = legend->Columns();
            out.area = legend->mapRectToParent(legend->boundingRect());
        }
    return out;
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
