#include <gtest/gtest.h>

#include "skin/SkinImages.h"

namespace fw::skin {
namespace {

struct NameCase {
    const char* file;
    const char* resource;
};

class ResourceNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ResourceNameTest, DerivesTheStoredName) {
    EXPECT_TRUE(SameResourceName(ResourceNameForImage(GetParam().file), GetParam().resource))
        << ResourceNameForImage(GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ResourceNameTest,
    testing::Values(NameCase{"Main_N.bmp", "I6D61696E5F6E.bmp"},
                    NameCase{"fenye_shouye.bmp", "I66656E79655F73686F757965.BMP"},
                    NameCase{"White_BG.BMP", "I77686974655F6267.bmp"},
                    NameCase{"close.png", "I636C6F7365.png"},
                    NameCase{"noext", "I6E6F657874"},
                    NameCase{"a.b.bmp", "I612E62.bmp"},
                    // 背 is U+80CC: bytes CC 80, low first.
                    NameCase{"\xE8\x83\x8C.bmp", "ICC80.bmp"},
                    // 一 is U+4E00: its zero low byte is skipped.
                    NameCase{"\xE4\xB8\x80.bmp", "I4E.bmp"},
                    // Case does not matter, on either side.
                    NameCase{"white_bg.bmp", "i77686974655f6267.BMP"}));

TEST(CutCombined, SplitsIntoEqualParts) {
    const auto four = CutCombined({40, 20}, 4);
    ASSERT_EQ(four.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(four[i], (Rect{i * 10, 0, i * 10 + 10, 20}));

    const auto close = CutCombined({168, 25}, 4);
    EXPECT_EQ(close[3], (Rect{126, 0, 168, 25}));

    const auto eight = CutCombined({130, 16}, 8);
    ASSERT_EQ(eight.size(), 8u);
    EXPECT_EQ(eight[7], (Rect{112, 0, 128, 16}));  // the remainder is left over

    EXPECT_TRUE(CutCombined({0, 10}, 4).empty());
    EXPECT_TRUE(CutCombined({40, 10}, 0).empty());
}

TEST(NineGrid, CornersKeepTheirSizeAndTheMiddleStretches) {
    // 10x10 image split at (3, 4): corners 3 and 6 wide, 4 and 5 high.
    const auto pieces = NineGrid({10, 10}, {3, 4}, {100, 50});
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(pieces[0].source, (Rect{0, 0, 3, 4}));
    EXPECT_EQ(pieces[0].target, (Rect{0, 0, 3, 4}));
    EXPECT_EQ(pieces[4].source, (Rect{3, 4, 4, 5}));
    EXPECT_EQ(pieces[4].target, (Rect{3, 4, 94, 45}));
    EXPECT_EQ(pieces[8].source, (Rect{4, 5, 10, 10}));
    EXPECT_EQ(pieces[8].target, (Rect{94, 45, 100, 50}));
}

// Too small a target shrinks the corners in proportion, a point outside the image is clamped:
// either way the pieces cover the target exactly once.
TEST(NineGrid, PiecesCoverTheTargetWhateverThePoint) {
    struct Case {
        Size image;
        Point point;
        Size target;
    };
    for (const Case& c : {Case{{20, 10}, {10, 5}, {10, 10}}, Case{{8, 8}, {50, -3}, {16, 16}}}) {
        int covered = 0;
        for (const auto& p : NineGrid(c.image, c.point, c.target)) {
            EXPECT_TRUE(p.target.left >= 0 && p.target.right <= c.target.width);
            covered += p.target.Width() * p.target.Height();
        }
        EXPECT_EQ(covered, c.target.width * c.target.height);
    }
    EXPECT_TRUE(NineGrid({8, 8}, {1, 1}, {0, 5}).empty());
}

TEST(Dpi, ScalesOnlyWhenSwitchedOn) {
    EXPECT_EQ(ScaleForDpi(1150, 144, 96, false), 1150);
    EXPECT_EQ(ScaleForDpi(1150, 144, 96, true), 1725);
    EXPECT_EQ(ScaleForDpi(25, 120, 96, true), 31);  // 31.25 truncates
    EXPECT_EQ(ScaleForDpi(Rect{1, 2, 11, 22}, 192, 96, 96, 96, true), (Rect{2, 2, 22, 22}));
}

}  // namespace
}  // namespace fw::skin
