#include "reports/PdfWriter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "reports/ReplacingFile.h"

namespace fw {
namespace {

constexpr int kResolution = 300;             // dots per inch of the page
constexpr std::size_t kProgressEvery = 200;  // rows
constexpr int kMaxLines = 3;                 // a longer text is cut at the third line

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A share as a percentage with one decimal, as the summary shows it.
QString CellText(const ExportColumn& column, std::string_view text) {
    if (column.kind != CellKind::Share || text.empty()) return Q(text);
    bool ok = false;
    const double share = Q(text).toDouble(&ok);
    return ok ? QString::number(share * 100.0, 'f', 1) + QLatin1Char('%') : Q(text);
}

QFont Font(qreal points, bool bold = false) {
    QFont font(QString::fromLatin1(kPdfFontFamily));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Widths of texts on the page, remembered: a report repeats its plates, batches and stops on
// every row, and its times are ASCII, measured a character at a time (an estimate a little
// wide at most, since kerning only narrows).
class TextWidths {
public:
    TextWidths(const QFont& font, QPaintDevice* device) : metrics_(font, device) {
        for (int c = 32; c < 127; ++c) ascii_[c] = metrics_.horizontalAdvance(QChar(c));
    }
    qreal Of(std::string_view utf8) {
        qreal width = 0;
        for (char c : utf8) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 32 || b >= 127) return Measured(Q(utf8));
            width += ascii_[b];
        }
        return width;
    }
    qreal Of(const QString& text) { return Measured(text); }
    const QFontMetricsF& Metrics() const { return metrics_; }

private:
    qreal Measured(const QString& text) {
        const auto known = cache_.constFind(text);
        if (known != cache_.cend()) return *known;
        return *cache_.insert(text, metrics_.horizontalAdvance(text));
    }

    QFontMetricsF metrics_;
    qreal ascii_[128] = {};
    QHash<QString, qreal> cache_;
};

// Where every page's rows end, worked out before anything is drawn so that each page can say
// how many there are.
struct TablePages {
    std::vector<qreal> columnX;         // left edge of each column, then the right edge
    std::vector<qreal> rowHeight;       // of each row
    std::vector<std::size_t> firstRow;  // of each page; one entry past the last page = rowCount
    qreal headingHeight = 0;
};

class PdfPages {
public:
    PdfPages(QPdfWriter& writer, QPainter& painter, const ExportDocument& document)
        : writer_(writer), painter_(painter), document_(document) {
        const QRect paint = writer.pageLayout().paintRectPixels(kResolution);
        width_ = paint.width();
        height_ = paint.height();
        pt_ = kResolution / 72.0;
        body_ = Font(7.5);
        bold_ = Font(7.5, true);
        // Metrics on the page's own resolution, not the screen's.
        bodyWidths_.emplace(body_, &writer);
        boldWidths_.emplace(bold_, &writer);
        footer_ = 14 * pt_;
        padding_ = 2.5 * pt_;
        line_ = bodyWidths_->Metrics().lineSpacing();
        ascent_ = bodyWidths_->Metrics().ascent() + bodyWidths_->Metrics().leading() / 2;
    }

    bool Write(const std::optional<ChartDrawing>& charts, const ExportProgress& progress,
               bool* cancelled) {
        const qreal headerHeight = HeaderHeight();
        const qreal content = height_ - footer_;
        std::vector<TablePages> tables;
        tables.push_back(Paginate(document_.detail, content - headerHeight, content));
        for (const ExportTable& summary : document_.summaries)
            tables.push_back(Paginate(summary, content - TitleHeight(), content - TitleHeight()));
        total_ = charts ? 1 : 0;
        for (const TablePages& t : tables) total_ += static_cast<int>(t.firstRow.size() - 1);

        std::size_t drawn = 0;
        for (std::size_t t = 0; t < tables.size(); ++t) {
            const ExportTable& table = t == 0 ? document_.detail : document_.summaries[t - 1];
            const TablePages& pages = tables[t];
            for (std::size_t page = 0; page + 1 < pages.firstRow.size(); ++page) {
                NewPage();
                qreal y = 0;
                if (t == 0 && page == 0)
                    y = DrawHeader();
                else if (t > 0 && page == 0)
                    y = DrawTitle(Q(table.title));
                const qreal top = y;
                y = DrawHeadingRow(table, pages, y);
                if (table.rowCount == 0) DrawNoRows(pages, y);
                for (std::size_t r = pages.firstRow[page]; r < pages.firstRow[page + 1]; ++r) {
                    y = DrawRow(table, pages, r, y);
                    if (t == 0 && progress && ++drawn % kProgressEvery == 0 && !progress(drawn)) {
                        *cancelled = true;
                        return false;
                    }
                }
                ColumnLines(pages, top, y);
            }
        }
        if (charts) {
            NewPage();
            const qreal top = DrawTitle(QStringLiteral("准点图表"));
            const qreal gap = 6 * pt_;
            const qreal each = (height_ - footer_ - top - gap) / 2;
            DrawPicture(charts->lateness, charts->size, QRectF(0, top, width_, each));
            DrawPicture(charts->deviation, charts->size, QRectF(0, top + each + gap, width_, each));
        }
        return true;
    }

private:
    void NewPage() {
        if (page_ > 0) writer_.newPage();
        ++page_;
        painter_.setFont(Font(7));
        painter_.setPen(QColor(90, 90, 90));
        const QRectF foot(0, height_ - footer_ + 4 * pt_, width_, footer_ - 4 * pt_);
        painter_.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter,
                          QStringLiteral("第 %1 页 / 共 %2 页").arg(page_).arg(total_));
        painter_.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, Q(document_.title));
    }

    qreal TitleHeight() const { return 24 * pt_; }

    qreal DrawTitle(const QString& title) {
        painter_.setFont(Font(13, true));
        painter_.setPen(Qt::black);
        painter_.drawText(QRectF(0, 0, width_, 18 * pt_), Qt::AlignLeft | Qt::AlignVCenter, title);
        return TitleHeight();
    }

    // Title, then the header lines in two columns.
    qreal HeaderHeight() const {
        const auto lines = static_cast<qreal>((document_.header.size() + 1) / 2);
        return TitleHeight() + lines * 13 * pt_ + 6 * pt_;
    }

    qreal DrawHeader() {
        qreal y = DrawTitle(Q(document_.title));
        const QFont label = Font(8.5, true), value = Font(8.5);
        const std::size_t perColumn = (document_.header.size() + 1) / 2;
        for (std::size_t i = 0; i < document_.header.size(); ++i) {
            const qreal x = i < perColumn ? 0 : width_ / 2;
            const qreal top = y + static_cast<qreal>(i % perColumn) * 13 * pt_;
            painter_.setPen(Qt::black);
            painter_.setFont(label);
            painter_.drawText(QRectF(x, top, 60 * pt_, 13 * pt_), Qt::AlignLeft | Qt::AlignVCenter,
                              Q(document_.header[i].label) + QStringLiteral("："));
            painter_.setFont(value);
            painter_.drawText(QRectF(x + 60 * pt_, top, width_ / 2 - 64 * pt_, 13 * pt_),
                              Qt::AlignLeft | Qt::AlignVCenter, Q(document_.header[i].value));
        }
        return HeaderHeight();
    }

    static int LinesOf(qreal advance, qreal width) {
        const int lines = static_cast<int>(std::ceil(advance / std::max(width, 1.0)));
        return std::clamp(lines, 1, kMaxLines);
    }

    TablePages Paginate(const ExportTable& table, qreal firstPage, qreal otherPages) {
        TablePages pages;
        int total = 0;
        for (const ExportColumn& c : table.columns) total += std::max(c.width, 1);
        qreal x = 0;
        pages.columnX.push_back(0);
        for (const ExportColumn& c : table.columns) {
            x += width_ * std::max(c.width, 1) / std::max(total, 1);
            pages.columnX.push_back(x);
        }
        int headingLines = 1;
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            headingLines = std::max(
                headingLines,
                LinesOf(boldWidths_->Of(Q(table.columns[c].heading)), CellWidth(pages, c)));
        pages.headingHeight = headingLines * line_ + 2 * padding_;

        pages.rowHeight.reserve(table.rowCount);
        for (std::size_t r = 0; r < table.rowCount; ++r) {
            int lines = 1;
            for (std::size_t c = 0; c < table.columns.size(); ++c) {
                const ExportColumn& column = table.columns[c];
                const qreal advance = column.kind == CellKind::Share
                                          ? bodyWidths_->Of(CellText(column, table.cell(r, c)))
                                          : bodyWidths_->Of(table.cell(r, c));
                lines = std::max(lines, LinesOf(advance, CellWidth(pages, c)));
            }
            pages.rowHeight.push_back(lines * line_ + 2 * padding_);
        }
        // Every page holds at least one row, however tall.
        pages.firstRow.push_back(0);
        qreal room = firstPage - pages.headingHeight;
        qreal used = 0;
        for (std::size_t r = 0; r < table.rowCount; ++r) {
            if (used > 0 && used + pages.rowHeight[r] > room) {
                pages.firstRow.push_back(r);
                room = otherPages - pages.headingHeight;
                used = 0;
            }
            used += pages.rowHeight[r];
        }
        pages.firstRow.push_back(table.rowCount);
        return pages;
    }

    qreal CellWidth(const TablePages& pages, std::size_t c) const {
        return pages.columnX[c + 1] - pages.columnX[c] - 2 * padding_;
    }

    // A row of one line draws its texts on its baseline (no line breaking to work out); a
    // taller one wraps them.
    void DrawCell(const TablePages& pages, std::size_t c, qreal y, qreal h, const QString& text,
                  bool singleLine) {
        if (text.isEmpty()) return;
        if (singleLine) {
            painter_.drawText(QPointF(pages.columnX[c] + padding_, y + padding_ + ascent_), text);
            return;
        }
        const QRectF cell(pages.columnX[c] + padding_, y + padding_, CellWidth(pages, c),
                          h - 2 * padding_);
        painter_.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, text);
    }

    bool IsSingleLine(qreal height) const { return height < 2 * line_ + 2 * padding_ - 0.5; }

    void SetGridPen() { painter_.setPen(QPen(QColor(200, 200, 200), 0.5 * pt_)); }

    // The line under a row; the columns' lines are drawn once a page's rows are.
    void RowLine(const TablePages& pages, qreal y) {
        SetGridPen();
        painter_.drawLine(QPointF(0, y), QPointF(pages.columnX.back(), y));
    }

    void ColumnLines(const TablePages& pages, qreal top, qreal bottom) {
        SetGridPen();
        for (qreal x : pages.columnX) painter_.drawLine(QPointF(x, top), QPointF(x, bottom));
    }

    qreal DrawHeadingRow(const ExportTable& table, const TablePages& pages, qreal y) {
        const qreal h = pages.headingHeight;
        painter_.fillRect(QRectF(0, y, pages.columnX.back(), h), QColor(221, 228, 238));
        RowLine(pages, y);
        RowLine(pages, y + h);
        painter_.setFont(bold_);
        painter_.setPen(Qt::black);
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            DrawCell(pages, c, y, h, Q(table.columns[c].heading), IsSingleLine(h));
        return y + h;
    }

    void DrawNoRows(const TablePages& pages, qreal y) {
        painter_.setFont(body_);
        painter_.setPen(QColor(90, 90, 90));
        painter_.drawText(QRectF(0, y, pages.columnX.back(), line_ + 2 * padding_),
                          Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("（列表为空）"));
    }

    qreal DrawRow(const ExportTable& table, const TablePages& pages, std::size_t r, qreal y) {
        const qreal h = pages.rowHeight[r];
        RowLine(pages, y + h);
        painter_.setFont(body_);
        bool red = false;
        painter_.setPen(Qt::black);
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const ExportColumn& column = table.columns[c];
            if (column.red != red) {
                red = column.red;
                painter_.setPen(red ? QColor(255, 0, 0) : QColor(0, 0, 0));
            }
            DrawCell(pages, c, y, h, CellText(column, table.cell(r, c)), IsSingleLine(h));
        }
        return y + h;
    }

    void DrawPicture(const QPicture& picture, QSize size, const QRectF& target) {
        if (size.isEmpty()) return;
        const qreal scale =
            std::min(target.width() / size.width(), target.height() / size.height());
        painter_.save();
        painter_.translate(target.left() + (target.width() - size.width() * scale) / 2,
                           target.top());
        // A picture replays itself at the device's resolution, scaled from its own.
        const qreal replay = static_cast<qreal>(picture.logicalDpiX()) / writer_.logicalDpiX();
        painter_.scale(scale * replay, scale * replay);
        painter_.drawPicture(0, 0, picture);
        painter_.restore();
    }

    QPdfWriter& writer_;
    QPainter& painter_;
    const ExportDocument& document_;
    qreal width_ = 0, height_ = 0, pt_ = 1, footer_ = 0, padding_ = 0, line_ = 0;
    QFont body_, bold_;
    std::optional<TextWidths> bodyWidths_, boldWidths_;
    qreal ascent_ = 0;
    int page_ = 0;
    int total_ = 0;
};

}  // namespace

ExportResult WritePdf(const ExportDocument& document, const std::string& path,
                      const std::optional<ChartDrawing>& charts, const ExportProgress& progress) {
    ReplacingFile file(path);
    std::string error;
    if (!file.Open(&error)) return ExportResult::Failure(error);

    // Made in memory, then written through the file: a full disk is noticed at the write.
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(64 * 1024 + document.detail.rowCount * 320));
    bool cancelled = false;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(12, 12, 12, 10), QPageLayout::Millimeter));
        writer.setTitle(Q(document.title));
        writer.setCreator(QStringLiteral("Fen_warde"));
        QPainter painter;
        if (!painter.begin(&writer)) return ExportResult::Failure("无法生成 PDF 文件");
        PdfPages pages(writer, painter, document);
        const bool done = pages.Write(charts, progress, &cancelled);
        painter.end();
        if (!done) return {ExportResult::Status::Cancelled, {}};
    }
    if (!file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                    &error) ||
        !file.Commit(&error))
        return ExportResult::Failure(error);
    return {};
}

}  // namespace fw
