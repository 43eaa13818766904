#include "skin/SkinModel.h"

#include <algorithm>
#include <set>

#include "text/Strings.h"

namespace fw::skin {
namespace {

constexpr std::array<std::string_view, 40> kFamilyElements{
    "ARROW",       "PUSHBUTTON",   "CHECK",        "RADIO",      "COMBOBOX",    "STATIC",
    "EDIT",        "SLIDER",       "PROGRESS",     "SPIN",       "HOTKEY",      "IPADDRESS",
    "SLIDEREX",    "LISTCTRL",     "TREECTRL",     "SCROLLBAR",  "SCROLLBAREX", "TREELIST",
    "THUMBNAIL",   "RICHEDIT",     "HTMLCTRL",     "DATETIMECTRL", "WAVECTRL",  "PICCTRL",
    "MENU",        "MENUBAR",      "HEADERCTRL",   "HORSCROLLBAR", "VERSCROLLBAR", "WL_RECTCTRL",
    "WL_SPLITTER", "WL_LINE",      "WL_TEXT",      "WL_PICTURE", "WL_BUTTON",   "WL_SLIDER",
    "TWMGR",       "DOCKPANEL",    "UGRIDPANEL",   "UIWND",
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Family> FamilyFromElement(std::string_view elementName) {
    for (size_t i = 0; i < kFamilyElements.size(); ++i)
        if (kFamilyElements[i] == elementName) return static_cast<Family>(i);
    return std::nullopt;
}

std::string_view ElementName(Family family) { return kFamilyElements.at(static_cast<size_t>(family)); }

bool IsWindowless(Family family) {
    const int n = static_cast<int>(family);
    return n >= static_cast<int>(Family::WlRectCtrl) && n <= static_cast<int>(Family::UGridPanel);
}

LayoutMode LayoutModeFromWord(std::string_view w) {
    if (w == "Left" || w == "Top") return LayoutMode::LeftTop;
    if (w == "Right" || w == "Bottom") return LayoutMode::RightBottom;
    if (w == "Center") return LayoutMode::Center;
    if (w == "Fill") return LayoutMode::Fill;
    if (w == "Free") return LayoutMode::Free;
    if (w == "Right Even Zoom Out" || w == "Bottom Even Zoom Out") return LayoutMode::EvenZoomOut;
    // The editor writes "Orign"; accept the corrected spelling too.
    if (w == "Keep Children Orign Aspect Ratio" || w == "Keep Children Origin Aspect Ratio")
        return LayoutMode::KeepOriginAspect;
    if (w == "Keep Children Aspect Ratio") return LayoutMode::KeepAspect;
    return LayoutMode::Default;
}

Align AlignFromWord(std::string_view w) {
    if (w == "Left") return Align::Left;
    if (w == "Center") return Align::Center;
    if (w == "Right") return Align::Right;
    if (w == "Top") return Align::Top;
    if (w == "Bottom") return Align::Bottom;
    return Align::Default;
}

std::optional<Color> ParseColor(std::string_view text) {
    text = TrimView(text);
    if (text.size() < 2 || text.size() > 9 || text.front() != '#') return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text.substr(1)) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return Color{value & 0x00FFFFFF};
}

std::string Style::Get(std::string_view key) const {
    auto it = props.find(std::string(key));
    return it == props.end() ? std::string() : it->second;
}

Point Style::GetPoint(std::string_view child) const {
    return {ClampCoordinate(AtoiLike(Get(std::string(child) + ".X"))),
            ClampCoordinate(AtoiLike(Get(std::string(child) + ".Y")))};
}

Size Style::GetSize(std::string_view child) const {
    const std::string v = Get(std::string(child) + ".Size");
    const size_t comma = v.find(',');
    if (comma == std::string::npos) return {ClampCoordinate(AtoiLike(v)), 0};
    return {ClampCoordinate(AtoiLike(std::string_view(v).substr(0, comma))),
            ClampCoordinate(AtoiLike(std::string_view(v).substr(comma + 1)))};
}

const Control* Window::FindControl(int controlId) const {
    for (const auto& c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

const Control* Window::FindControl(std::string_view name) const {
    for (const auto& c : controls)
        if (c.idName == name) return &c;
    return nullptr;
}

const Window* Skin::FindWindow(int windowId) const {
    for (const auto& w : windows)
        if (w.id == windowId) return &w;
    return nullptr;
}

const Window* Skin::FindWindow(std::string_view name) const {
    for (const auto& w : windows)
        if (w.idName == name) return &w;
    return nullptr;
}

const Font& Skin::FontOrDefault(std::string_view name) const {
    if (name.empty()) return defaultFont;
    auto it = fonts.find(std::string(name));
    return it == fonts.end() ? defaultFont : it->second;
}

std::optional<Color> Skin::FindColor(std::string_view name) const {
    if (name.empty()) return std::nullopt;
    auto it = colors.find(std::string(name));
    if (it == colors.end()) return std::nullopt;
    return it->second;
}

Color Skin::ColorOrDefault(std::string_view name) const { return FindColor(name).value_or(defaultColor); }

const Style* Skin::FindStyle(std::string_view id) const {
    auto it = styles.find(std::string(id));
    return it == styles.end() ? nullptr : &it->second;
}

const Font& Skin::ControlFont(const Control& c, State s) const {
    const auto i = static_cast<size_t>(s);
    if (i == 0 || c.sameFont[i]) return FontOrDefault(c.fontRes[0]);
    return FontOrDefault(c.fontRes[i]);
}

Color Skin::ControlColor(const Control& c, State s) const {
    const auto i = static_cast<size_t>(s);
    if (i == 0 || c.sameColor[i]) return ColorOrDefault(c.colorRes[0]);
    return ColorOrDefault(c.colorRes[i]);
}

std::vector<std::string> Skin::ImageNames() const {
    std::vector<std::string> names;
    std::set<std::string> seen;
    auto add = [&](const std::string& n) {
        if (!n.empty() && seen.insert(ToLowerAscii(n)).second) names.push_back(n);
    };
    for (const auto& w : windows) {
        for (const auto& b : w.background) add(b);
        add(w.backgroundHide);
        for (const auto& c : w.controls) {
            add(c.bkCombine);
            for (const auto& b : c.background) add(b);
            add(c.foregroundCombine);
            add(c.thumbImage);
            add(c.image);
        }
    }
    for (const auto& [id, style] : styles)
        for (const auto& [key, value] : style.props)
            if (key.ends_with(".RelativePath") || key.ends_with(".Value")) {
                const std::string lower = ToLowerAscii(value);
                if (lower.ends_with(".bmp") || lower.ends_with(".png")) add(value);
            }
    return names;
}

}  // namespace fw::skin
