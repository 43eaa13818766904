#pragma once

#include "skin/SkinGeometry.h"

namespace fw {

// Where the main window puts its pages, below the 62-pixel band of title, menu and buttons.
// A page head spans the width less one pixel on each side and keeps its own height; the page
// body fills the rest below it; the monitoring page takes the whole area under the band.
struct PageLayout {
    static constexpr int kBandHeight = 62;

    skin::Rect head;
    skin::Rect body;
    skin::Rect whole;
};

// `bandBelowMenu`: the height of a band shown under the menu (the reconnect notice), or 0.
PageLayout ComputePageLayout(int clientWidth, int clientHeight, int headHeight, int bandBelowMenu = 0);

}  // namespace fw
