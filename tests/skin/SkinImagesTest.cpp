#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "skin/SkinImages.h"

namespace fw::skin {
namespace {

TEST(ResourceName, DerivedFromTheFileName) {
    const struct {
        const char* file;
        const char* resource;
    } rows[] = {
        {"Main_N.bmp", "I6D61696E5F6E.bmp"}, {"fenye_shouye.bmp", "I66656E79655F73686F757965.BMP"}, {"noext", "I6E6F657874"},
        {"close.png", "I636C6F7365.png"},    {"a.b.bmp", "I612E62.bmp"},
        {"\xE8\x83\x8C.bmp", "ICC80.bmp"},  // 背 is U+80CC: bytes CC 80, low first
        {"\xE4\xB8\x80.bmp", "I4E.bmp"},    // 一 is U+4E00: its zero low byte is skipped
        {"white_BG.bmp", "i77686974655f6267.BMP"},  // case does not matter, on either side
    };
    for (const auto& r : rows)
        EXPECT_TRUE(SameResourceName(ResourceNameForImage(r.file), r.resource)) << ResourceNameForImage(r.file);
}

TEST(CutCombined, SplitsIntoEqualPartsLeavingTheRemainder) {
    EXPECT_EQ(CutCombined({40, 20}, 4),
              (std::vector<Rect>{{0, 0, 10, 20}, {10, 0, 20, 20}, {20, 0, 30, 20}, {30, 0, 40, 20}}));
    EXPECT_EQ(CutCombined({130, 16}, 8).at(7), (Rect{112, 0, 128, 16}));
    EXPECT_TRUE(CutCombined({0, 10}, 4).empty());
    EXPECT_TRUE(CutCombined({40, 10}, 0).empty());
}

// Corners keep their size and the middle stretches; too small a target shrinks the corners in
// proportion, a point outside the image is clamped: either way the pieces cover the target once.
TEST(NineGrid, CornersKeepTheirSizeAndThePiecesCoverTheTarget) {
    // 10x10 image split at (3, 4): corners 3 and 6 wide, 4 and 5 high.
    const auto pieces = NineGrid({10, 10}, {3, 4}, {100, 50});
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(pieces[4].source, (Rect{3, 4, 4, 5}));
    EXPECT_EQ(pieces[4].target, (Rect{3, 4, 94, 45}));
    EXPECT_EQ(pieces[8].source, (Rect{4, 5, 10, 10}));
    EXPECT_EQ(pieces[8].target, (Rect{94, 45, 100, 50}));
    for (const auto& [image, point, target] : {std::tuple{Size{20, 10}, Point{10, 5}, Size{10, 10}},
                                               std::tuple{Size{8, 8}, Point{50, -3}, Size{16, 16}}}) {
        int covered = 0;
        for (const auto& p : NineGrid(image, point, target)) {
            EXPECT_TRUE(p.target.left >= 0 && p.target.right <= target.width);
            covered += p.target.Width() * p.target.Height();
        }
        EXPECT_EQ(covered, target.width * target.height);
    }
    EXPECT_TRUE(NineGrid({8, 8}, {1, 1}, {0, 5}).empty());
}

}  // namespace
}  // namespace fw::skin
