#include "skin/SkinPaint.h"

#include "skin/SkinImages.h"

namespace fw {

QRect ToQRect(const skin::Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

skin::Rect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

void DrawSkinImage(QPainter& p, const QImage& image, const QRect& source, const QRect& target,
                   std::optional<skin::Point> point, skin::ImageResizeMode mode) {
    if (image.isNull() || source.isEmpty() || target.isEmpty()) return;
    if (mode == skin::ImageResizeMode::Center) {
        QRect at(QPoint(0, 0), source.size());
        at.moveCenter(target.center());
        p.drawImage(at.topLeft(), image, source);
        return;
    }
    if (mode == skin::ImageResizeMode::Tile) {
        const QImage tile = image.copy(source);
        p.save();
        p.setClipRect(target);
        for (int y = target.top(); y <= target.bottom(); y += tile.height())
            for (int x = target.left(); x <= target.right(); x += tile.width()) p.drawImage(QPoint(x, y), tile);
        p.restore();
        return;
    }
    if (!point || mode == skin::ImageResizeMode::Stretch || source.size() == target.size()) {
        p.drawImage(target, image, source);
        return;
    }
    for (const auto& piece :
         skin::NineGrid({source.width(), source.height()}, *point, {target.width(), target.height()})) {
        p.drawImage(ToQRect(piece.target).translated(target.topLeft()), image,
                    ToQRect(piece.source).translated(source.topLeft()));
    }
}

QRect CombinedPart(const QImage& image, int parts, int index) {
    const auto cut = skin::CutCombined({image.width(), image.height()}, parts);
    if (index < 0 || index >= static_cast<int>(cut.size())) return image.rect();
    return ToQRect(cut[static_cast<size_t>(index)]);
}

void DrawSkinText(QPainter& p, const QRect& r, int flags, const QString& text, const QColor& color,
                  std::optional<QColor> shadow) {
    if (text.isEmpty()) return;
    if (shadow) {
        p.setPen(*shadow);
        p.drawText(r.translated(1, 1), flags, text);
    }
    p.setPen(color);
    p.drawText(r, flags, text);
}

int ToQtAlign(skin::Align horizontal, skin::Align vertical, skin::Align defaultHorizontal) {
    if (horizontal == skin::Align::Default) horizontal = defaultHorizontal;
    int flags = 0;
    switch (horizontal) {
        case skin::Align::Center: flags |= Qt::AlignHCenter; break;
        case skin::Align::Right: flags |= Qt::AlignRight; break;
        default: flags |= Qt::AlignLeft; break;
    }
    switch (vertical) {
        case skin::Align::Top: flags |= Qt::AlignTop; break;
        case skin::Align::Bottom: flags |= Qt::AlignBottom; break;
        default: flags |= Qt::AlignVCenter; break;
    }
    return flags;
}

void DrawFocusFrame(QPainter& p, const QRect& r, const QColor& color) {
    if (r.isEmpty()) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, 1, Qt::DotLine));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}

}  // namespace fw
