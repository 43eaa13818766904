// The skin readers (identifier header and document) and everything computed from what they read:
// the layout of every control at small, designed and huge window sizes, nine-grid cuts, DPI
// scaling, radio groups, fonts, colours and image names. UBSan turns any overflow into a crash.
#include <climits>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "skin/SkinImages.h"
#include "skin/SkinLayout.h"
#include "skin/SkinReader.h"

using namespace fw::skin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [header, xui] =
        fw::fuzz::SplitAtZero(std::string_view(reinterpret_cast<const char*>(data), size));
    Skin skin;
    std::string error;
    if (ReadSkin(xui, header, &skin, &error) != kSkinOk) return 0;

    constexpr int kHuge = 16777215;  // the largest widget size the toolkit allows
    for (const Window& w : skin.windows) {
        (void)RadioGroups(w);
        for (const Control& c : w.controls) {
            for (const Size client : {Size{1, 1}, w.size, Size{kHuge, kHuge}}) {
                const Rect r = LayoutChild(c, w, client);
                (void)NineGrid({r.Width(), r.Height()}, c.imageResizePoint.value_or(Point{}), client);
            }
            (void)ScaleForDpi(c.rect, 144, 120, skin.dpiX, skin.dpiY, true);
            (void)CutCombined({c.rect.Width(), c.rect.Height()}, 8);
            for (int s = 0; s < 4; ++s) {
                (void)skin.ControlFont(c, static_cast<State>(s));
                (void)skin.ControlColor(c, static_cast<State>(s));
            }
        }
        (void)HitBorder(w.size, w.LayoutPoint(), 4);
        (void)ResizeByBorder(Rect::FromLocationSize({}, w.size), {true, true, true, true}, 1 << 24,
                             -(1 << 24), w.size, {});
    }
    for (const auto& [id, style] : skin.styles) {
        (void)style.GetPoint("HeaderButtonResizePoint");
        (void)style.GetSize("Rect");
    }
    for (const std::string& name : skin.ImageNames()) (void)ResourceNameForImage(name);
    return 0;
}
