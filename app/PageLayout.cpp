#include "app/PageLayout.h"

namespace fw {

PageLayout ComputePageLayout(int clientWidth, int clientHeight, int headHeight, int bandBelowMenu) {
    PageLayout p;
    const int left = 1;
    const int right = clientWidth - 1;
    const int top = PageLayout::kBandHeight + bandBelowMenu;
    const int bottom = clientHeight - 1;
    p.head = {left, top, right, top + headHeight};
    p.body = {left, top + headHeight, right, bottom};
    p.whole = {left, top, right, bottom};
    return p;
}

}  // namespace fw
