#include "skin/SkinReader.h"

#include <pugixml.hpp>

#include <algorithm>

#include "text/Strings.h"

namespace fw::skin {
namespace {

using Props = std::map<std::string, std::string>;

// Every attribute of every child, keyed "Child.Attribute".
Props ChildProps(const pugi::xml_node& node) {
    Props props;
    for (const auto& child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        for (const auto& attr : child.attributes())
            props[std::string(child.name()) + "." + attr.name()] = attr.value();
    }
    return props;
}

class PropReader {
public:
    explicit PropReader(const Props& p) : p_(p) {}
    bool Has(const std::string& key) const { return p_.count(key) != 0; }
    std::string Str(const std::string& key, std::string fallback = {}) const {
        auto it = p_.find(key);
        return it == p_.end() ? fallback : it->second;
    }
    // Every number a property holds is a coordinate, a length or a margin.
    int Int(const std::string& key, int fallback = 0) const {
        auto it = p_.find(key);
        return ClampCoordinate(it == p_.end() ? fallback : AtoiLike(it->second));
    }
    bool Bool(const std::string& key, bool fallback = false) const {
        auto it = p_.find(key);
        if (it == p_.end()) return fallback;
        return EqualsNoCase(TrimView(it->second), "true") || TrimView(it->second) == "1";
    }
    // "x,y" pairs as in Size and Location.
    std::pair<int, int> Pair(const std::string& key) const {
        const std::string v = Str(key);
        const size_t comma = v.find(',');
        if (comma == std::string::npos) return {ClampCoordinate(AtoiLike(v)), 0};
        return {ClampCoordinate(AtoiLike(std::string_view(v).substr(0, comma))),
                ClampCoordinate(AtoiLike(std::string_view(v).substr(comma + 1)))};
    }
    Point PointOf(const std::string& child) const { return {Int(child + ".X"), Int(child + ".Y")}; }
    std::optional<Point> OptPoint(const std::string& child) const {
        if (!Has(child + ".X") && !Has(child + ".Y")) return std::nullopt;
        return PointOf(child);
    }
    Margins MarginsOf(const std::string& child) const {
        return {Int(child + ".Left"), Int(child + ".Top"), Int(child + ".Right"), Int(child + ".Bottom")};
    }
    Rect RectOf(const std::string& child) const {
        auto [w, h] = Pair(child + ".Size");
        auto [x, y] = Pair(child + ".Location");
        return Rect::FromLocationSize({x, y}, {w, h});
    }

private:
    const Props& p_;
};

constexpr std::array<const char*, 4> kStateNames{"Normal", "Highlight", "Selected", "Disabled"};
constexpr std::array<char, 4> kStateLetters{'N', 'H', 'S', 'D'};

ImageResizeMode ResizeModeFromWord(std::string_view w) {
    if (w == "Stretch") return ImageResizeMode::Stretch;
    if (w == "Tile") return ImageResizeMode::Tile;
    if (w == "Center") return ImageResizeMode::Center;
    return ImageResizeMode::NineGrid;
}

ButtonType ButtonTypeFromWord(std::string_view w) {
    if (w == "CloseBox") return ButtonType::CloseBox;
    if (w == "MinimizeBox") return ButtonType::MinimizeBox;
    if (w == "MaximizeBox") return ButtonType::MaximizeBox;
    return ButtonType::Normal;
}

Font ReadFont(const pugi::xml_node& fontNode) {
    Font f;
    f.height = ClampCoordinate(fontNode.attribute("Height").as_int(f.height));
    f.width = ClampCoordinate(fontNode.attribute("Width").as_int());
    f.escapement = ClampCoordinate(fontNode.attribute("lfEscapement").as_int());
    f.orientation = ClampCoordinate(fontNode.attribute("Orientation").as_int());
    f.weight = std::clamp(fontNode.attribute("Weight").as_int(f.weight), 0, 1000);
    f.italic = fontNode.attribute("Italic").as_int() != 0;
    f.underline = fontNode.attribute("Underline").as_int() != 0;
    f.strikeOut = fontNode.attribute("StrikeOut").as_int() != 0;
    f.charSet = fontNode.attribute("CharSet").as_int();
    f.outPrecision = fontNode.attribute("OutPrecision").as_int();
    f.clipPrecision = fontNode.attribute("ClipPrecision").as_int();
    f.quality = fontNode.attribute("Quality").as_int();
    f.pitchAndFamily = fontNode.attribute("PitchAndFamily").as_int();
    if (auto face = fontNode.attribute("FaceName")) f.faceName = face.value();
    return f;
}

int IdOf(const IdentifierTable& ids, const std::string& name) {
    // A name the header does not define gets no number of its own.
    return ids.NumberOf(name).value_or(0);
}

Control ReadControl(Family family, const pugi::xml_node& node, const IdentifierTable& ids) {
    Control c;
    c.family = family;
    c.props = ChildProps(node);
    const PropReader p(c.props);
    c.idName = p.Str("ID.Value");
    c.id = IdOf(ids, c.idName);
    c.parentName = p.Str("Parent.ID");
    c.rect = p.RectOf("Rect");
    c.visible = p.Bool("IsVisible.Value", true);
    c.disabled = p.Bool("IsDisabled.Value");
    c.tabStop = p.Bool("IsTabStop.Value");
    c.group = p.Bool("IsGroup.Value");
    c.layoutH = LayoutModeFromWord(p.Str("LayoutMode.Horizontal"));
    c.layoutV = LayoutModeFromWord(p.Str("LayoutMode.Vertical"));
    c.layoutMargin = p.MarginsOf("ParentLayoutMargin");
    for (size_t i = 0; i < 4; ++i) {
        const char s = kStateLetters[i];
        c.fontRes[i] = p.Str(std::string("FontRes") + s + ".Value");
        c.colorRes[i] = p.Str(std::string("ColorRes") + s + ".Value");
        c.background[i] = p.Str(std::string("Background") + kStateNames[i] + ".RelativePath");
        if (i > 0) {
            c.sameFont[i] = p.Bool(std::string("Is") + s + "SameNFont.Value", true);
            c.sameColor[i] = p.Bool(std::string("Is") + s + "SameNColor.Value", true);
        }
    }
    c.caption = p.Str("Caption.Value");
    c.toolTipEnabled = p.Bool("ToolTip.Enable");
    c.toolTip = p.Str("ToolTip.ToolTip");
    c.accessibleName = p.Str("AccessibleName.Value");

    c.specifyImages = p.Bool("IsSpecifyImages.Value");
    c.combineImages = p.Bool("IsCombineImages.Value");
    c.bkCombine = p.Str("BkCombine.RelativePath");
    c.resizingPoint = p.OptPoint("ResizingPoint");

    c.specifyForeground = p.Bool("IsSpecifyForegroundImages.Value");
    c.combineForeground = p.Bool("IsCombineForegroundImages.Value");
    c.foregroundCombine = p.Str("ForeGroundCombine.Value");
    c.foregroundAlignH = AlignFromWord(p.Str("ForegroundAlignMode.Horizontal", "Left"));
    c.foregroundAlignV = AlignFromWord(p.Str("ForegroundAlignMode.Vertical", "Center"));
    c.foregroundMargin = p.MarginsOf("ForegroundMargin");

    c.textAlignH = AlignFromWord(p.Str("TextAlignment.Horizontal"));
    c.textAlignV = AlignFromWord(p.Str("TextAlignment.Vertical", "Center"));
    c.textVerOffset = p.Int("TextAlignment.VerOffset");
    c.textMargin = p.Has("TextMarginN.Left") ? p.MarginsOf("TextMarginN") : p.MarginsOf("TextMargin");
    c.shadowText = p.Has("ShadowText.ShadowColor") && p.Bool("ShadowText.Enable", true);
    c.shadowColor = ParseColor(p.Str("ShadowText.ShadowColor"));

    c.buttonType = ButtonTypeFromWord(p.Str("ButtonType.Value"));
    c.defaultButton = p.Bool("IsDefaultButton.Value");
    c.password = p.Bool("IsPassword.Value");

    c.ownerDraw = p.Bool("IsEnableOwnerDraw.Value");
    c.fullRowSelect = p.Bool("IsFullRowSelect.Value");
    c.gridLines = p.Bool("GridLine.Show");
    c.gridColor = ParseColor(p.Str("GridLine.Color"));
    c.normalItemBkColor = p.Str("NormalItemBk.ColorResID");
    c.highlightItemBkColor = p.Str("HighlightItemBk.ColorResID");
    c.selectedItemBkColor = p.Str("SelectedItemBk.ColorResID");
    c.headerHeight = p.Int("HeaderHeight.Value");
    c.headerDragDrop = p.Bool("IsHeaderDragDrop.Value");
    c.headerStyle = p.Str("HeaderStyleID.Value");
    c.customScrollBars = p.Bool("EnableCustomScrollBar.Value");
    c.horScrollStyle = p.Str("HorizontalScrollbarStyleID.Value");
    c.verScrollStyle = p.Str("VerticalScrollbarStyleID.Value");

    c.hideBorder = p.Bool("IsHideBorder.Value");
    c.startPage = p.Str("StartPage.Value");
    c.buttonWidth = p.Int("ButtonWidth.Value");
    c.textOffset = p.PointOf("TextOffset");
    c.dateFormat = p.Str("DateFormat.Value");
    c.comboStyle = p.Str("ComboStyle.Value", c.comboStyle);
    c.thumbImage = p.Str("ThumbN.RelativePath");
    c.image = p.Str("Image.RelativePath");
    c.imageResizePoint = p.OptPoint("ImageResizePoint");
    return c;
}

Window ReadWindow(const pugi::xml_node& node, const IdentifierTable& ids) {
    Window w;
    const Props props = ChildProps(node);
    const PropReader p(props);
    w.idName = p.Str("ID.Value");
    w.id = IdOf(ids, w.idName);
    const Rect r = p.RectOf("Rect");
    w.size = {r.Width(), r.Height()};
    for (size_t i = 0; i < 4; ++i)
        w.background[i] = p.Str(std::string("Background") + kStateNames[i] + ".RelativePath");
    w.resizeMode = ResizeModeFromWord(p.Str("ImageResizeMode.Value", "9Grid"));
    w.resizingPoint = p.PointOf("ResizingPoint");
    w.titleBarHeight = p.Int("TitleBarHeight.Value", w.titleBarHeight);
    w.backgroundHide = p.Str("BackgroundHide.RelativePath");
    w.useMaskColor = p.Bool("IsUseMaskColor.Value");
    w.maskColorRes = p.Str("MaskColorResID.Value");
    w.resizable = p.Bool("IsResizing.Value");
    w.resizingBorder = p.Bool("IsResizingBorder.Value");
    w.windowPointSameAsImagePoint = p.Bool("WinResizePtSameImgResizePt.Value", true);
    w.windowResizingPoint = p.PointOf("WindowResizingPoint");
    w.appWindow = p.Bool("IsAppWindow.Value");
    w.topmost = p.Bool("IsTopmost.Value");
    w.toolWindow = p.Bool("IsToolWindow.Value");

    for (const auto& child : node.child("Controls").children()) {
        if (child.type() != pugi::node_element) continue;
        // Controls of families this reader does not know are skipped, not fatal.
        if (auto family = FamilyFromElement(child.name()))
            w.controls.push_back(ReadControl(*family, child, ids));
    }
    return w;
}

void ReadResources(const pugi::xml_node& res, Skin* skin) {
    if (auto f = res.child("DefaultFont").child("FONT").child("Font")) skin->defaultFont = ReadFont(f);
    for (const auto& font : res.child("Fonts").children("FONT")) {
        const std::string id = font.child("ID").attribute("Value").value();
        if (!id.empty()) skin->fonts[id] = ReadFont(font.child("Font"));
    }
    if (auto c = res.child("DefaultColor").child("COLOR").child("Color"))
        if (auto color = ParseColor(c.attribute("Value").value())) skin->defaultColor = *color;
    for (const auto& color : res.child("Colors").children("COLOR")) {
        const std::string id = color.child("ID").attribute("Value").value();
        auto value = ParseColor(color.child("Color").attribute("Value").value());
        if (!id.empty() && value) skin->colors[id] = *value;
    }
}

void ReadStyles(const pugi::xml_node& styles, Skin* skin) {
    for (const auto& group : styles.children()) {
        for (const auto& style : group.children()) {
            if (style.type() != pugi::node_element) continue;
            Style s;
            s.kind = style.name();
            s.props = ChildProps(style);
            s.id = s.Get("ID.Value");
            if (!s.id.empty()) skin->styles[s.id] = std::move(s);
        }
    }
}

}  // namespace

bool IsReadableVersion(const Version& v) {
    if (v.Major() != kReaderVersion / 100) return false;
    if (v.Minor() != kReaderVersion % 100) return v.Minor() < kReaderVersion % 100;
    return v.build <= kReaderBuild;
}

int ReadSkin(std::string_view xuiText, std::string_view headerText, Skin* skin, std::string* error) {
    Skin result;
    result.ids = IdentifierTable::Parse(headerText);

    pugi::xml_document doc;
    // pugixml skips the byte-order mark and reads UTF-8.
    const pugi::xml_parse_result parsed =
        doc.load_buffer(xuiText.data(), xuiText.size(), pugi::parse_default, pugi::encoding_utf8);
    const pugi::xml_node root = doc.child("GlimmerkitUI");
    if (!parsed || !root) {
        if (error)
            *error = parsed ? "the skin document has no GlimmerkitUI root"
                            : std::string("the skin document is not well-formed: ") + parsed.description() +
                                  " at offset " + std::to_string(parsed.offset);
        return kSkinBadDocument;
    }

    const pugi::xml_node version = root.child("Version");
    if (!version) {
        if (error) *error = "the skin document has no version";
        return kSkinBadDocument;
    }
    result.version.value = AtoiLike(version.attribute("Version").value());
    result.version.build = AtoiLike(version.attribute("Build").value());
    if (!IsReadableVersion(result.version)) {
        if (error) *error = std::string(kNewerSkinMessage);
        return kSkinNewerVersion;
    }

    const pugi::xml_node dpi = root.child("DPI");
    result.dpiX = dpi.attribute("LogPixelsX").as_int(96);
    result.dpiY = dpi.attribute("LogPixelsY").as_int(96);
    if (result.dpiX <= 0) result.dpiX = 96;
    if (result.dpiY <= 0) result.dpiY = 96;
    result.dpiX = ClampCoordinate(result.dpiX);
    result.dpiY = ClampCoordinate(result.dpiY);

    for (const auto& w : root.child("Windows").children("Window")) result.windows.push_back(ReadWindow(w, result.ids));
    ReadResources(root.child("Resources"), &result);
    ReadStyles(root.child("Styles"), &result);

    *skin = std::move(result);
    return kSkinOk;
}

}  // namespace fw::skin
