#pragma once

#include <QTreeView>

#include "skin/SkinControls.h"
#include "skin/SkinRows.h"

namespace fw {

// A list control of the skin in model/view form: the same look as SkinListCtrl, over a model
// of the window's own, so long lists cost nothing per row that is not on screen.
class SkinListView : public QTreeView {
    Q_OBJECT
public:
    SkinListView(SkinLook look, QWidget* parent);

    // The small image list: row height follows the images.
    void SetImageList(const QVector<QImage>& images);
    int RowHeight() const { return rows_.rowHeight; }
    const SkinRowStyle& Rows() const { return rows_; }
    const SkinLook& Look() const { return look_; }

private:
    SkinLook look_;
    SkinRowStyle rows_;
};

}  // namespace fw
