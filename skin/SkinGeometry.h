#pragma once

#include <algorithm>

namespace fw::skin {

// Every coordinate, length and margin of a skin is kept within this range when the skin is read:
// a design never needs more, and sums and products of such values cannot overflow.
inline constexpr int kCoordinateLimit = 1 << 15;
inline int ClampCoordinate(int value) { return std::clamp(value, -kCoordinateLimit, kCoordinateLimit); }

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Edges as the platform keeps them: right and bottom lie one past the last pixel.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    static Rect FromLocationSize(Point at, Size size) {
        return {at.x, at.y, at.x + size.width, at.y + size.height};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Margins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Margins&, const Margins&) = default;
};

}  // namespace fw::skin
