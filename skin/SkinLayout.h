#pragma once

#include <utility>
#include <vector>

#include "skin/SkinGeometry.h"
#include "skin/SkinModel.h"

namespace fw::skin {

// One axis of a child's placement when its window is resized. lo/hi are the child's skin edges,
// length0 the window's skin length, length its new one, point the window's resizing point on
// this axis, marginLo/marginHi the child's margins to the parent's edges.
struct AxisLayout {
    int lo = 0;
    int hi = 0;
    int length0 = 0;
    int length = 0;
    int point = 0;
    int marginLo = 0;
    int marginHi = 0;
};
std::pair<int, int> LayoutAxis(LayoutMode mode, const AxisLayout& in);

// The child's new rectangle in a window whose client area is now `client`.
Rect LayoutChild(const Control& child, const Window& window, Size client);
Rect LayoutChild(const Rect& skinRect, LayoutMode horizontal, LayoutMode vertical, const Margins& margin,
                 Size skinSize, Point resizingPoint, Size client);

// Whether a left press at client y starts dragging the window: 0 never, negative anywhere,
// positive in the strip above that height.
bool TitleBarDrags(int titleBarHeight, int y);

// Edges under a point within `border` pixels of the client edge, for border resizing.
struct BorderHit {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    bool Any() const { return left || top || right || bottom; }
};
BorderHit HitBorder(Size client, Point p, int border);

// The window rectangle after dragging the grabbed edges by (dx, dy), kept between the minimum
// and maximum sizes; the opposite edges stay put.
Rect ResizeByBorder(const Rect& start, const BorderHit& grab, int dx, int dy, Size minimum, Size maximum);

// For every control of a window, the radio group it belongs to (-1 for non-radios). A radio
// marked as starting a group opens a new one; other radios join the group opened last.
std::vector<int> RadioGroups(const Window& window);

}  // namespace fw::skin
