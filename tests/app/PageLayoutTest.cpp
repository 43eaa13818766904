#include <gtest/gtest.h>

#include "app/PageLayout.h"

#include <string>

namespace fw {
namespace {

TEST(PageLayout, HeadUnderTheBandBodyBelowItMonitorEverything) {
    // As left,top,right,bottom: head, body, whole. A band shown under the menu pushes every page
    // down by its height.
    const auto text = [](const PageLayout& p) {
        std::string out;
        for (const auto& r : {p.head, p.body, p.whole})
            out += std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                   std::to_string(r.bottom) + " ";
        return out;
    };
    EXPECT_EQ(text(ComputePageLayout(1280, 800, 40)), "1,62,1279,102 1,102,1279,799 1,62,1279,799 ");
    EXPECT_EQ(text(ComputePageLayout(1280, 800, 40, 28)), "1,90,1279,130 1,130,1279,799 1,90,1279,799 ");
}

}  // namespace
}  // namespace fw
