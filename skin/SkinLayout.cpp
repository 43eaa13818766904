#include "skin/SkinLayout.h"

#include <algorithm>

namespace fw::skin {

std::pair<int, int> LayoutAxis(LayoutMode mode, const AxisLayout& in) {
    const int grow = in.length - in.length0;
    const int size = in.hi - in.lo;
    switch (mode) {
        case LayoutMode::Default: {
            if (in.hi <= in.point) return {in.lo, in.hi};
            const int hi = in.hi + grow;
            const int lo = in.lo > in.point ? in.lo + grow : in.lo;
            return {lo, hi};
        }
        case LayoutMode::LeftTop:
            return {in.lo + in.marginLo, in.lo + in.marginLo + size};
        case LayoutMode::RightBottom: {
            const int hi = in.hi + grow - in.marginHi;
            return {hi - size, hi};
        }
        case LayoutMode::Center: {
            const int lo = in.marginLo + (in.length - size - in.marginLo - in.marginHi) / 2;
            return {lo, lo + size};
        }
        case LayoutMode::Fill:
            return {in.lo + in.marginLo, in.hi - in.marginHi + grow};
        case LayoutMode::Free:
            return {in.lo, in.hi};
        case LayoutMode::EvenZoomOut:
        case LayoutMode::KeepAspect: {
            if (in.length0 <= 0) return {in.lo, in.hi};
            const auto scale = [&](int v) { return static_cast<int>(static_cast<long long>(v) * in.length / in.length0); };
            return {scale(in.lo), scale(in.hi)};
        }
        case LayoutMode::KeepOriginAspect: {
            if (in.length0 <= 0) return {in.lo, in.hi};
            const int lo = static_cast<int>(static_cast<long long>(in.lo) * in.length / in.length0);
            return {lo, lo + size};
        }
    }
    return {in.lo, in.hi};
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
