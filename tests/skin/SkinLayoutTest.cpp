#include <gtest/gtest.h>

#include "skin/SkinLayout.h"

#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace fw::skin {
namespace {

using M = LayoutMode;

TEST(LayoutChild, EachModePlacesTheChild) {
    const struct {
        const char* what;
        Rect skinRect;
        LayoutMode h, v;
        Margins margin;
        Size client;
        Rect expected;
    } rows[] = {
        {"ListAcrossThePointGrows", {1, 98, 1149, 547}, M::Default, M::Default, {}, {1350, 760}, {1, 98, 1349, 747}},
        {"PagerButtonLeftOfThePointStaysBelowMovesDown", {11, 531, 35, 554}, M::Default, M::Default, {}, {1350, 760},
         {11, 731, 35, 754}},
        {"ControlRightOfThePointMoves", {1110, 10, 1140, 30}, M::Default, M::Default, {}, {1250, 560}, {1210, 10, 1240, 30}},
        {"RightKeepsItsDistanceToTheRightEdge", {1107, 0, 1149, 25}, M::RightBottom, M::LeftTop, {}, {1920, 1000},
         {1877, 0, 1919, 25}},
        {"RightWithAMargin", {1000, 0, 1040, 25}, M::RightBottom, M::LeftTop, {0, 0, 10, 0}, {1250, 560}, {1090, 0, 1130, 25}},
        {"LeftAndTopAddTheMargin", {10, 20, 50, 40}, M::LeftTop, M::LeftTop, {5, 6, 0, 0}, {2000, 2000}, {15, 26, 55, 46}},
        {"Centre", {10, 10, 110, 40}, M::Center, M::Center, {}, {1001, 301}, {450, 135, 550, 165}},
        {"CentreBetweenMarginsTruncatesTowardZero", {0, 0, 10, 10}, M::Center, M::Free, {3, 0, 0, 0}, {4, 560},
         {-1, 0, 9, 10}},
        {"Fill", {1, 62, 1149, 654}, M::Fill, M::Fill, {1, 0, 1, 1}, {1350, 760}, {2, 62, 1348, 853}},
        {"FreeStays", {300, 300, 400, 400}, M::Free, M::Free, {}, {2000, 2000}, {300, 300, 400, 400}},
        {"KeepAspectScales", {115, 56, 230, 112}, M::KeepAspect, M::KeepAspect, {}, {2300, 1120}, {230, 112, 460, 224}},
        {"KeepOriginAspectMovesOnly", {115, 56, 230, 112}, M::KeepOriginAspect, M::KeepOriginAspect, {}, {2300, 1120},
         {230, 112, 345, 168}},
    };
    // The main-page windows are 1150x560 with their resizing point at (1100, 500).
    for (const auto& r : rows)
        EXPECT_EQ(LayoutChild(r.skinRect, r.h, r.v, r.margin, {1150, 560}, {1100, 500}, r.client), r.expected) << r.what;
}

// The largest skin values in the largest window: the arithmetic saturates instead of overflowing.
TEST(LayoutAxis, ExtremeSizesSaturate) {
    constexpr int k = kCoordinateLimit;
    const Rect r{k, -k, 2 * k, k};
    const Margins m{-k, -k, k, k};
    for (const LayoutMode mode : {M::Default, M::LeftTop, M::RightBottom, M::Center, M::Fill, M::Free,
                                  M::EvenZoomOut, M::KeepOriginAspect, M::KeepAspect}) {
        const Rect placed = LayoutChild(r, mode, mode, m, {1, 1}, {0, 0}, {INT_MAX, INT_MAX});
        EXPECT_LE(placed.left, placed.right) << static_cast<int>(mode);
    }
    EXPECT_EQ(LayoutAxis(M::KeepAspect, {k, 2 * k, 1, INT_MAX, 0, 0, 0}), std::make_pair(INT_MAX, INT_MAX));
}

// A press drags within the title bar's height; a window without one drags anywhere.
TEST(TitleBar, DragRule) {
    EXPECT_EQ(std::vector<bool>({TitleBarDrags(28, 27), TitleBarDrags(28, 28), TitleBarDrags(28, 0),
                                 TitleBarDrags(-1, 500), TitleBarDrags(0, 0)}),
              std::vector<bool>({true, false, true, true, false}));
}

TEST(Border, HitAndResize) {
    const Size client{400, 300};
    EXPECT_FALSE(HitBorder(client, {200, 150}, 4).Any());
    const auto corner = HitBorder(client, {399, 299}, 4);
    EXPECT_TRUE(corner.right && corner.bottom && !corner.left && !corner.top);
    EXPECT_FALSE(HitBorder(client, {0, 0}, 0).Any());

    const Rect start{100, 100, 500, 400};
    EXPECT_EQ(ResizeByBorder(start, corner, 50, -20, {200, 100}, {}), (Rect{100, 100, 550, 380}));
    // Never below the minimum; the opposite edge stays put.
    BorderHit left;
    left.left = true;
    EXPECT_EQ(ResizeByBorder(start, left, 350, 0, {200, 100}, {}), (Rect{300, 100, 500, 400}));
    EXPECT_EQ(ResizeByBorder(start, left, -1000, 0, {200, 100}, {600, 600}), (Rect{-100, 100, 500, 400}));
}

TEST(RadioGroups, GroupMarkStartsANewGroup) {
    Window w;
    for (const auto& [family, group] : {std::pair{Family::Static, false}, {Family::Radio, false}, {Family::Radio, false},
                                        {Family::Static, false}, {Family::Radio, true}, {Family::Radio, false}}) {
        w.controls.emplace_back().family = family;
        w.controls.back().group = group;
    }
    EXPECT_EQ(RadioGroups(w), (std::vector<int>{-1, 0, 0, -1, 1, 1}));
}

}  // namespace
}  // namespace fw::skin
