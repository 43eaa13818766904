#include "skin/SkinRows.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"

namespace fw {
namespace {

// The row drawing of the skin's lists.
class SkinRowDelegate : public QStyledItemDelegate {
public:
    SkinRowDelegate(const SkinRowStyle* rows, QObject* parent)
        : QStyledItemDelegate(parent), rows_(rows) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        if (rows_->rowHeight > 0) s.setHeight(rows_->rowHeight);
        return s;
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const bool hover = option.state & QStyle::State_MouseOver;
        // A cell's own background (a tint that marks it) shows unless the row is selected.
        const QVariant own = index.data(Qt::BackgroundRole);
        if (own.isValid() && !selected)
            p->fillRect(option.rect, own.value<QBrush>().color());
        else
            p->fillRect(option.rect, rows_->itemBk[selected ? 2 : (hover ? 1 : 0)]);
        QRect textRect = option.rect.adjusted(8, 0, -6, 0);
        if (index.column() == 0) {
            const QVariant image = index.data(SkinRowStyle::kImageRole);
            if (image.isValid() && image.toInt() >= 0 && image.toInt() < rows_->masked.size()) {
                const QImage& img = rows_->masked[image.toInt()];
                const QPoint at(option.rect.left() + 6,
                                option.rect.top() + (option.rect.height() - img.height()) / 2);
                p->drawImage(at, img);
                textRect.setLeft(at.x() + img.width() + 6);
            }
        }
        const QVariant fg = index.data(Qt::ForegroundRole);
        const QColor color = fg.isValid() ? fg.value<QBrush>().color() : rows_->text;
        const QVariant fontData = index.data(Qt::FontRole);
        p->save();
        p->setFont(fontData.isValid() ? fontData.value<QFont>() : option.font);
        p->setPen(color);
        const int align = index.data(Qt::TextAlignmentRole).isValid()
                              ? index.data(Qt::TextAlignmentRole).toInt()
                              : int(Qt::AlignLeft | Qt::AlignVCenter);
        const QString text = p->fontMetrics().elidedText(index.data(Qt::DisplayRole).toString(),
                                                         Qt::ElideRight, textRect.width());
        p->drawText(textRect, align | Qt::AlignVCenter, text);
        if (rows_->grid) {
            p->setPen(*rows_->grid);
            p->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
            p->drawLine(option.rect.topRight(), option.rect.bottomRight());
        }
        p->restore();
    }

private:
    const SkinRowStyle* rows_;
};

// The colour at the middle of a style image: scroll bars are drawn flat in the colours of the
// skin's track and thumb images, with the thumb's rounded ends.
QString MiddleColor(const skin::Style* s, const char* child, const char* fallback) {
    const QImage img = SkinLibrary::Instance().Image(s->Get(std::string(child) + ".RelativePath"));
    if (img.isNull()) return QString::fromLatin1(fallback);
    return img.pixelColor(img.width() / 2, img.height() / 2).name();
}

QString ScrollBarSheet(const skin::Style* style, bool vertical) {
    if (!style) return {};
    const QString track = MiddleColor(style, "BackgroundNormal", "#F4F6F9");
    const QString thumb = MiddleColor(style, "ThumbNormal", "#C3CCD6");
    const QString hover = MiddleColor(style, "ThumbHighlight", "#9FB4CA");
    const QString pressed = MiddleColor(style, "ThumbSelected", "#4A90D0");
    const QString o = vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal");
    const QString thick = vertical ? QStringLiteral("width") : QStringLiteral("height");
    const QString len = vertical ? QStringLiteral("min-height") : QStringLiteral("min-width");
    const QString arrow = vertical ? QStringLiteral("height") : QStringLiteral("width");
    return QStringLiteral(
               "QScrollBar:%1{%2:12px;margin:0;border:none;background:%4;}"
               "QScrollBar::handle:%1{%3:24px;margin:2px;border-radius:4px;background:%5;}"
               "QScrollBar::handle:%1:hover{background:%6;}"
               "QScrollBar::handle:%1:pressed{background:%7;}"
               "QScrollBar::add-line:%1,QScrollBar::sub-line:%1{%8:0;border:none;background:none;}"
               "QScrollBar::add-page:%1,QScrollBar::sub-page:%1{background:none;}")
        .arg(o, thick, len, track, thumb, hover, pressed, arrow);
}

}  // namespace

SkinRowStyle SkinRowStyle::From(const SkinLook& look) {
    const auto& model = SkinLibrary::Instance().Model();
    SkinRowStyle rows;
    rows.itemBk[0] = SkinLibrary::ToQColor(
        model.FindColor(look.def.normalItemBkColor).value_or(skin::Color{0x00FFFFFF}));
    rows.itemBk[1] = SkinLibrary::ToQColor(
        model.FindColor(look.def.highlightItemBkColor).value_or(skin::Color{0x00FFFFFF}));
    rows.itemBk[2] = SkinLibrary::ToQColor(
        model.FindColor(look.def.selectedItemBkColor).value_or(skin::Color{0x00DCF7FD}));
    if (look.def.gridLines)
        rows.grid = SkinLibrary::ToQColor(look.def.gridColor.value_or(skin::Color{0x00E0E0E0}));
    rows.text = look.colors[0];
    return rows;
}

void SkinRowStyle::SetImages(const QVector<QImage>& list) {
    images = list;
    masked.clear();
    rowHeight = 0;
    for (const QImage& img : images) {
        // Row images carry black as their mask colour.
        QImage m = img.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < m.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(m.scanLine(y));
            for (int x = 0; x < m.width(); ++x)
                if ((line[x] & 0xFFFFFF) == 0) line[x] = 0;
        }
        masked.push_back(m);
        rowHeight = std::max(rowHeight, img.height());
    }
}

void ApplySkinListLook(QTreeView* view, const SkinLook& look, const SkinRowStyle* rows) {
    const auto& model = SkinLibrary::Instance().Model();
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setFrameShape(look.def.hideBorder ? QFrame::NoFrame : QFrame::StyledPanel);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(look.def.fullRowSelect ? QAbstractItemView::SelectRows
                                                      : QAbstractItemView::SelectItems);
    view->setMouseTracking(true);
    view->viewport()->setAttribute(Qt::WA_Hover);
    view->setFont(look.fonts[0]);
    view->setItemDelegate(new SkinRowDelegate(rows, view));

    const int headerHeight = look.def.headerHeight > 0 ? look.def.headerHeight : 24;
    auto* header = new SkinHeaderView(model.FindStyle(look.def.headerStyle), look.fonts[0],
                                      look.colors[0], headerHeight, view);
    header->setSectionsMovable(look.def.headerDragDrop);
    header->setStretchLastSection(false);
    view->setHeader(header);

    QPalette pal = view->palette();
    pal.setColor(QPalette::Base, rows->itemBk[0]);
    view->setPalette(pal);
    if (look.def.customScrollBars) {
        view->horizontalScrollBar()->setStyleSheet(
            ScrollBarSheet(model.FindStyle(look.def.horScrollStyle), false));
        view->verticalScrollBar()->setStyleSheet(
            ScrollBarSheet(model.FindStyle(look.def.verScrollStyle), true));
        view->setCornerWidget(new QWidget(view));
        view->cornerWidget()->setStyleSheet(QStringLiteral("background:#F4F6F9;"));
    }
}

}  // namespace fw
