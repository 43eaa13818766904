#include "skin/SkinImages.h"

#include <algorithm>
#include <cstdint>

#include "text/Strings.h"

namespace fw::skin {
namespace {

// UTF-8 to UTF-16 code units; a malformed byte stands for itself.
std::vector<std::uint16_t> Utf16Units(std::string_view s) {
    std::vector<std::uint16_t> units;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = b;
        size_t len = 1;
        if (b >= 0xF0) {
            len = 4;
            cp = b & 0x07;
        } else if (b >= 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xC0) {
            len = 2;
            cp = b & 0x1F;
        }
        bool ok = len > 1 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            const auto cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cb & 0x3F);
        }
        if (!ok) {
            cp = b;
            len = 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(cp));
        }
        i += len;
    }
    return units;
}

void AppendHex(std::string& out, unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[(value >> 4) & 0xF];
    out += kDigits[value & 0xF];
}

// Splits [0, length) of the source and target at a point: sizes of the three spans.
struct Spans {
    int src[3];
    int dst[3];
};

Spans SplitAxis(int length, int point, int target) {
    Spans s{};
    point = std::clamp(point, 0, std::max(0, length - 1));
    const int lead = point;
    const int middle = length > 0 ? 1 : 0;
    const int trail = std::max(0, length - lead - middle);
    s.src[0] = lead;
    s.src[1] = middle;
    s.src[2] = trail;
    if (lead + trail <= target) {
        s.dst[0] = lead;
        s.dst[2] = trail;
        s.dst[1] = target - lead - trail;
    } else {
        // Too small for the corners: shrink them in proportion, no middle.
        const int fixed = lead + trail;
        s.dst[0] = fixed > 0 ? static_cast<int>(static_cast<long long>(lead) * target / fixed) : 0;
        s.dst[2] = target - s.dst[0];
        s.dst[1] = 0;
    }
    return s;
}

}  // namespace

std::string ResourceNameForImage(std::string_view fileName) {
    const std::string lower = ToLowerAscii(fileName);
    const size_t dot = lower.rfind('.');
    const std::string_view stem = dot == std::string::npos ? std::string_view(lower) : std::string_view(lower).substr(0, dot);
    const std::string_view ext = dot == std::string::npos ? std::string_view() : std::string_view(lower).substr(dot);
    std::string out = "I";
    for (std::uint16_t unit : Utf16Units(stem)) {
        if ((unit & 0xFF) != 0) AppendHex(out, unit & 0xFF);
        if ((unit >> 8) != 0) AppendHex(out, unit >> 8);
    }
    out += ext;
    return out;
}

bool SameResourceName(std::string_view a, std::string_view b) { return EqualsNoCase(a, b); }

std::vector<Rect> CutCombined(Size image, int parts) {
    std::vector<Rect> out;
    if (parts <= 0 || image.width <= 0 || image.height <= 0) return out;
    const int w = image.width / parts;
    for (int i = 0; i < parts; ++i) out.push_back({i * w, 0, (i + 1) * w, image.height});
    return out;
}

std::vector<GridPiece> NineGrid(Size image, Point point, Size target) {
    std::vector<GridPiece> pieces;
    if (image.width <= 0 || image.height <= 0 || target.width <= 0 || target.height <= 0) return pieces;
    const Spans h = SplitAxis(image.width, point.x, target.width);
    const Spans v = SplitAxis(image.height, point.y, target.height);
    int sy = 0, dy = 0;
    for (int row = 0; row < 3; ++row) {
        int sx = 0, dx = 0;
        for (int col = 0; col < 3; ++col) {
            const Rect src{sx, sy, sx + h.src[col], sy + v.src[row]};
            const Rect dst{dx, dy, dx + h.dst[col], dy + v.dst[row]};
            if (!src.IsEmpty() && !dst.IsEmpty()) pieces.push_back({src, dst});
            sx += h.src[col];
            dx += h.dst[col];
        }
        sy += v.src[row];
        dy += v.dst[row];
    }
    return pieces;
}

int ScaleForDpi(int length, int screenDpi, int skinDpi, bool scalingOn) {
    if (!scalingOn || skinDpi <= 0) return length;
    return static_cast<int>(static_cast<long long>(length) * screenDpi / skinDpi);
}

Rect ScaleForDpi(const Rect& r, int screenDpiX, int screenDpiY, int skinDpiX, int skinDpiY, bool scalingOn) {
    return {ScaleForDpi(r.left, screenDpiX, skinDpiX, scalingOn), ScaleForDpi(r.top, screenDpiY, skinDpiY, scalingOn),
            ScaleForDpi(r.right, screenDpiX, skinDpiX, scalingOn),
            ScaleForDpi(r.bottom, screenDpiY, skinDpiY, scalingOn)};
}

}  // namespace fw::skin
