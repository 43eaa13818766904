#include "skin/SkinLayout.h"

#include <algorithm>
#include <climits>

namespace fw::skin {

namespace {

int ToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

}  // namespace

std::pair<int, int> LayoutAxis(LayoutMode mode, const AxisLayout& axis) {
    // In 64 bits: the skin's values are clamped when read, but a window may be any size.
    const long long lo = axis.lo, hi = axis.hi, length0 = axis.length0, length = axis.length;
    const long long point = axis.point, marginLo = axis.marginLo, marginHi = axis.marginHi;
    const long long grow = length - length0;
    const long long size = hi - lo;
    const auto result = [](long long a, long long b) { return std::pair<int, int>{ToInt(a), ToInt(b)}; };
    switch (mode) {
        case LayoutMode::Default:
            if (hi <= point) return result(lo, hi);
            return result(lo > point ? lo + grow : lo, hi + grow);
        case LayoutMode::LeftTop:
            return result(lo + marginLo, lo + marginLo + size);
        case LayoutMode::RightBottom:
            return result(hi + grow - marginHi - size, hi + grow - marginHi);
        case LayoutMode::Center: {
            const long long at = marginLo + (length - size - marginLo - marginHi) / 2;
            return result(at, at + size);
        }
        case LayoutMode::Fill:
            return result(lo + marginLo, hi - marginHi + grow);
        case LayoutMode::Free:
            return result(lo, hi);
        case LayoutMode::EvenZoomOut:
        case LayoutMode::KeepAspect:
            if (length0 <= 0) return result(lo, hi);
            return result(lo * length / length0, hi * length / length0);
        case LayoutMode::KeepOriginAspect: {
            if (length0 <= 0) return result(lo, hi);
            const long long at = lo * length / length0;
            return result(at, at + size);
        }
    }
    return result(lo, hi);
}

Rect LayoutChild(const Rect& r, LayoutMode horizontal, LayoutMode vertical, const Margins& m, Size skinSize,
                 Point point, Size client) {
    const auto [left, right] =
        LayoutAxis(horizontal, {r.left, r.right, skinSize.width, client.width, point.x, m.left, m.right});
    const auto [top, bottom] =
        LayoutAxis(vertical, {r.top, r.bottom, skinSize.height, client.height, point.y, m.top, m.bottom});
    return {left, top, right, bottom};
}

Rect LayoutChild(const Control& child, const Window& window, Size client) {
    return LayoutChild(child.rect, child.layoutH, child.layoutV, child.layoutMargin, window.size,
                       window.LayoutPoint(), client);
}

bool TitleBarDrags(int titleBarHeight, int y) {
    if (titleBarHeight == 0) return false;
    if (titleBarHeight < 0) return true;
    return y < titleBarHeight;
}

BorderHit HitBorder(Size client, Point p, int border) {
    BorderHit hit;
    if (border <= 0 || p.x < 0 || p.y < 0 || p.x >= client.width || p.y >= client.height) return hit;
    hit.left = p.x < border;
    hit.right = p.x >= client.width - border;
    hit.top = p.y < border;
    hit.bottom = p.y >= client.height - border;
    return hit;
}

Rect ResizeByBorder(const Rect& start, const BorderHit& grab, int dx, int dy, Size minimum, Size maximum) {
    Rect r = start;
    const int maxW = maximum.width > 0 ? maximum.width : 1 << 20;
    const int maxH = maximum.height > 0 ? maximum.height : 1 << 20;
    if (grab.right) r.right = start.left + std::clamp(start.Width() + dx, minimum.width, maxW);
    if (grab.left) r.left = start.right - std::clamp(start.Width() - dx, minimum.width, maxW);
    if (grab.bottom) r.bottom = start.top + std::clamp(start.Height() + dy, minimum.height, maxH);
    if (grab.top) r.top = start.bottom - std::clamp(start.Height() - dy, minimum.height, maxH);
    return r;
}

std::vector<int> RadioGroups(const Window& window) {
    std::vector<int> groups;
    int current = -1;
    int next = 0;
    for (const auto& c : window.controls) {
        if (c.family != Family::Radio) {
            groups.push_back(-1);
            continue;
        }
        if (c.group || current < 0) current = next++;
        groups.push_back(current);
    }
    return groups;
}

}  // namespace fw::skin
