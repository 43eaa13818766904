#include "skin/SkinListView.h"

namespace fw {

SkinListView::SkinListView(SkinLook look, QWidget* parent)
    : QTreeView(parent), look_(std::move(look)), rows_(SkinRowStyle::From(look_)) {
    ApplySkinListLook(this, look_, &rows_);
}

void SkinListView::SetImageList(const QVector<QImage>& images) {
    rows_.SetImages(images);
    doItemsLayout();
}

}  // namespace fw
