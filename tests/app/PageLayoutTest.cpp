#include <gtest/gtest.h>

#include "app/PageLayout.h"

namespace fw {
namespace {

TEST(PageLayout, HeadUnderTheBandBodyBelowItMonitorEverything) {
    const PageLayout p = ComputePageLayout(1280, 800, 40);
    EXPECT_EQ(p.head.left, 1);
    EXPECT_EQ(p.head.top, 62);
    EXPECT_EQ(p.head.right, 1279);
    EXPECT_EQ(p.head.bottom, 102);
    EXPECT_EQ(p.body.top, 102);
    EXPECT_EQ(p.body.bottom, 799);
    EXPECT_EQ(p.whole.top, 62);
    EXPECT_EQ(p.whole.bottom, 799);
    EXPECT_EQ(p.whole.right, 1279);
    // A band shown under the menu pushes every page down by its height.
    const PageLayout banded = ComputePageLayout(1280, 800, 40, 28);
    EXPECT_EQ(banded.head.top, 90);
    EXPECT_EQ(banded.body.top, 130);
    EXPECT_EQ(banded.whole.top, 90);
    EXPECT_EQ(banded.body.bottom, 799);
}

}  // namespace
}  // namespace fw
