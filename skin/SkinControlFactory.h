#pragma once

#include <QWidget>

#include "skin/SkinModel.h"

namespace fw {

// Creates the windowed control a skin definition describes, under `parent`, with its number as
// the identifier, its object name the skin name, its rectangle, images, fonts, colours, caption,
// tooltip, visibility and enabled state. Families this skin does not use get a plain, empty
// widget so the window still builds; a warning names them. A list control is a SkinListCtrl
// with items of its own, or a SkinListView over a model when the window asks for that.
enum class ListForm { Items, Model };
QWidget* CreateSkinControl(const skin::Control& def, const QRect& rect, QWidget* parent,
                           ListForm lists = ListForm::Items);

}  // namespace fw
