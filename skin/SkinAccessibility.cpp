#include "skin/SkinAccessibility.h"

#include <algorithm>
#include <numeric>

namespace fw::skin {

bool IsInteractive(Family family) {
    switch (family) {
        case Family::PushButton:
        case Family::Check:
        case Family::Radio:
        case Family::ComboBox:
        case Family::Edit:
        case Family::RichEdit:
        case Family::Slider:
        case Family::SliderEx:
        case Family::Spin:
        case Family::HotKey:
        case Family::IpAddress:
        case Family::ListCtrl:
        case Family::TreeCtrl:
        case Family::TreeList:
        case Family::DateTimeCtrl:
        case Family::HtmlCtrl:
            return true;
        default:
            return false;
    }
}

bool CaptionNames(Family family) {
    return family == Family::PushButton || family == Family::Check || family == Family::Radio;
}

std::string_view SystemBoxName(ButtonType type, bool maximized) {
    switch (type) {
        case ButtonType::MinimizeBox:
            return "最小化";
        case ButtonType::MaximizeBox:
            return maximized ? "还原" : "最大化";
        case ButtonType::CloseBox:
            return "关闭";
        case ButtonType::Normal:
            break;
    }
    return {};
}

std::string AccessibleName(const Control& control) {
    if (!control.accessibleName.empty()) return control.accessibleName;
    if (control.toolTipEnabled && !control.toolTip.empty()) return control.toolTip;
    return std::string(SystemBoxName(control.buttonType));
}

std::vector<std::size_t> ReadingOrder(const std::vector<Rect>& rects) {
    std::vector<std::size_t> byTop(rects.size());
    std::iota(byTop.begin(), byTop.end(), std::size_t{0});
    std::stable_sort(byTop.begin(), byTop.end(), [&](std::size_t a, std::size_t b) {
        return rects[a].top != rects[b].top ? rects[a].top < rects[b].top
                                            : rects[a].left < rects[b].left;
    });
    std::vector<bool> placed(rects.size(), false);
    std::vector<std::size_t> order;
    order.reserve(rects.size());
    for (std::size_t i = 0; i < byTop.size(); ++i) {
        if (placed[byTop[i]]) continue;
        const Rect& anchor = rects[byTop[i]];
        std::vector<std::size_t> row;
        for (std::size_t j = i; j < byTop.size(); ++j) {
            const Rect& r = rects[byTop[j]];
            // Twice the middle, against twice the anchor's bottom: no rounding. None of these
            // starts above the anchor.
            if (!placed[byTop[j]] && r.top + r.bottom < 2 * anchor.bottom) {
                placed[byTop[j]] = true;
                row.push_back(byTop[j]);
            }
        }
        std::stable_sort(row.begin(), row.end(), [&](std::size_t a, std::size_t b) {
            return rects[a].left < rects[b].left;
        });
        order.insert(order.end(), row.begin(), row.end());
    }
    return order;
}

}  // namespace fw::skin
