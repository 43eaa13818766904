#pragma once

#include <QColor>
#include <QImage>
#include <QVector>

#include <array>
#include <optional>

class QTreeView;

namespace fw {

struct SkinLook;

// How the skin's list controls look, shared by the item list (SkinListCtrl) and the model list
// (SkinListView): item backgrounds per state, grid lines, the text colour and the small image
// list whose height sets the row height.
struct SkinRowStyle {
    // An item's image number (first column) under this role picks from the image list.
    static constexpr int kImageRole = Qt::UserRole + 100;

    std::array<QColor, 3> itemBk;  // normal, highlight, selected
    std::optional<QColor> grid;
    QColor text;
    QVector<QImage> images;  // as given
    QVector<QImage> masked;  // black made transparent, as the rows draw them
    int rowHeight = 0;       // 0: the font decides

    static SkinRowStyle From(const SkinLook& look);
    void SetImages(const QVector<QImage>& list);
};

// Gives a list view the skin's list look: frame, selection, header, colours, scroll bars and
// the row drawing. The style is read at every paint and must outlive the view.
void ApplySkinListLook(QTreeView* view, const SkinLook& look, const SkinRowStyle* rows);

}  // namespace fw
