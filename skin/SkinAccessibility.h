#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinGeometry.h"
#include "skin/SkinModel.h"

namespace fw::skin {

// What screen readers and UI automation learn about the controls of a skin window.

// Families a user operates; each must carry a name that can be read out.
bool IsInteractive(Family family);
// Families whose caption is what they say: buttons, check boxes and radios. An edit's caption is
// its content, not its name.
bool CaptionNames(Family family);

// The word for a title-bar box: 最小化, 最大化 (还原 while the window is maximised), 关闭; empty
// for an ordinary button.
std::string_view SystemBoxName(ButtonType type, bool maximized = false);

// The name a control carries besides its caption: the skin's own name for it (`AccessibleName`),
// else its tooltip, else the word for a title-bar box. Empty when the caption must say it all.
std::string AccessibleName(const Control& control);

// The order a reader takes the rectangles in: rows from top to bottom, each from left to right.
// A row is opened by the topmost rectangle not yet placed and takes every other one whose middle
// lies within its height; so a column of small controls beside a tall one is read with it.
std::vector<std::size_t> ReadingOrder(const std::vector<Rect>& rects);

}  // namespace fw::skin
