#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include <optional>

#include "skin/SkinModel.h"

namespace fw {

QRect ToQRect(const skin::Rect& r);
skin::Rect FromQRect(const QRect& r);

// Draws part `source` of an image into `target`: nine-grid at the point when one is given, else
// stretched. A null image draws nothing.
void DrawSkinImage(QPainter& p, const QImage& image, const QRect& source, const QRect& target,
                   std::optional<skin::Point> point, skin::ImageResizeMode mode = skin::ImageResizeMode::NineGrid);

// Part `index` of a combined image cut into `parts`; the whole image when it is not combined.
QRect CombinedPart(const QImage& image, int parts, int index);

// Text with an optional one-pixel shadow below and right.
void DrawSkinText(QPainter& p, const QRect& r, int flags, const QString& text, const QColor& color,
                  std::optional<QColor> shadow = std::nullopt);

// The dotted frame of the control that has the keyboard focus.
void DrawFocusFrame(QPainter& p, const QRect& r, const QColor& color);

int ToQtAlign(skin::Align horizontal, skin::Align vertical, skin::Align defaultHorizontal);

}  // namespace fw
