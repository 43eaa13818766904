#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinGeometry.h"

namespace fw::skin {

// The resource name an image of the skin is stored under: "Main_N.bmp" → "I6D61696E5F6E.bmp".
// The name is lower-cased, its stem written as the hexadecimal bytes of its UTF-16 code units
// (low byte first, zero bytes skipped) and prefixed with "I"; the extension keeps its dot.
std::string ResourceNameForImage(std::string_view fileName);

// Resource names compare without regard to case.
bool SameResourceName(std::string_view a, std::string_view b);

// The parts of a combined image laid side by side: Normal, Highlight, Selected, Disabled (and,
// for eight parts, the same four of the ticked state). Equal widths; a remainder is left over.
std::vector<Rect> CutCombined(Size image, int parts);

// One source→destination pair of a nine-grid draw.
struct GridPiece {
    Rect source;
    Rect target;
};

// Splits an image at its resizing point for drawing at a new size. The column x = point.x and
// the row y = point.y are the stretched middle; the corners keep their size. When the target is
// smaller than the corners, they are shrunk in proportion so nothing overlaps. Empty pieces are
// left out.
std::vector<GridPiece> NineGrid(Size image, Point point, Size target);

// Multiplies a length by the screen's pixels per inch over the skin's, truncating; unchanged
// when scaling is off.
int ScaleForDpi(int length, int screenDpi, int skinDpi, bool scalingOn);
Rect ScaleForDpi(const Rect& r, int screenDpiX, int screenDpiY, int skinDpiX, int skinDpiY, bool scalingOn);

}  // namespace fw::skin
