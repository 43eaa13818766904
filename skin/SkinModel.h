#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinGeometry.h"
#include "skin/SkinHeader.h"

namespace fw::skin {

// Control families in the format's fixed order; the value is the family number.
enum class Family : int {
    Arrow, PushButton, Check, Radio, ComboBox, Static, Edit, Slider, Progress, Spin, HotKey,
    IpAddress, SliderEx, ListCtrl, TreeCtrl, ScrollBar, ScrollBarEx, TreeList, Thumbnail,
    RichEdit, HtmlCtrl, DateTimeCtrl, WaveCtrl, PicCtrl, Menu, MenuBar, HeaderCtrl,
    HorScrollBar, VerScrollBar, WlRectCtrl, WlSplitter, WlLine, WlText, WlPicture, WlButton,
    WlSlider, TwMgr, DockPanel, UGridPanel, UiWnd,
};

std::optional<Family> FamilyFromElement(std::string_view elementName);
std::string_view ElementName(Family family);
// Windowless families are drawn and hit-tested by their parent window.
bool IsWindowless(Family family);

enum class ImageResizeMode { NineGrid, Stretch, Tile, Center };

// Layout modes by number; Left and Top share 1, Right and Bottom 2.
enum class LayoutMode : int {
    Default = 0, LeftTop = 1, RightBottom = 2, Center = 3, Fill = 4, Free = 5,
    EvenZoomOut = 6, KeepOriginAspect = 7, KeepAspect = 8,
};
LayoutMode LayoutModeFromWord(std::string_view word);

enum class Align { Default, Left, Center, Right, Top, Bottom };
Align AlignFromWord(std::string_view word);

enum class ButtonType { Normal, CloseBox, MinimizeBox, MaximizeBox };

enum class State : int { Normal = 0, Highlight = 1, Selected = 2, Disabled = 3 };

// A colour as the platform keeps it: 0x00BBGGRR.
struct Color {
    std::uint32_t value = 0;
    int Red() const { return value & 0xFF; }
    int Green() const { return (value >> 8) & 0xFF; }
    int Blue() const { return (value >> 16) & 0xFF; }
    static Color FromRgb(int r, int g, int b) {
        return {static_cast<std::uint32_t>(r | (g << 8) | (b << 16))};
    }
    friend bool operator==(const Color&, const Color&) = default;
};
// "#00BBGGRR"; nullopt when the text is not "#" and hexadecimal digits.
std::optional<Color> ParseColor(std::string_view text);

// The fields of a platform logical font.
struct Font {
    int height = -12;  // negative: character height in pixels
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 0;
    int outPrecision = 0;
    int clipPrecision = 0;
    int quality = 0;
    int pitchAndFamily = 0;
    std::string faceName = "Tahoma";
};

// Properties one look-definition group holds, as "Child.Attribute" → value, plus its images.
struct Style {
    std::string id;
    std::string kind;  // element name, e.g. "STYLE_HEADERCTRL"
    std::map<std::string, std::string> props;
    std::string Get(std::string_view key) const;
    Point GetPoint(std::string_view child) const;
    Size GetSize(std::string_view child) const;
};

struct Control {
    Family family = Family::Static;
    std::string idName;
    int id = 0;
    std::string parentName;
    Rect rect;
    bool visible = true;
    bool disabled = false;
    bool tabStop = false;
    // Starts a new group of mutually exclusive radio buttons (as the platform's group style).
    bool group = false;
    LayoutMode layoutH = LayoutMode::Default;
    LayoutMode layoutV = LayoutMode::Default;
    Margins layoutMargin;

    // Normal, highlight, selected, disabled; the last three fall back to normal while the
    // matching "same as normal" flag is set.
    std::array<std::string, 4> fontRes;
    std::array<std::string, 4> colorRes;
    std::array<bool, 4> sameFont{true, true, true, true};
    std::array<bool, 4> sameColor{true, true, true, true};

    std::string caption;
    bool toolTipEnabled = false;
    std::string toolTip;
    // What screen readers call a control whose caption does not say it (`AccessibleName`).
    std::string accessibleName;

    bool specifyImages = false;
    bool combineImages = false;
    std::string bkCombine;
    std::array<std::string, 4> background;
    std::optional<Point> resizingPoint;

    bool specifyForeground = false;
    bool combineForeground = false;
    std::string foregroundCombine;
    Align foregroundAlignH = Align::Left;
    Align foregroundAlignV = Align::Center;
    Margins foregroundMargin;

    Align textAlignH = Align::Default;
    Align textAlignV = Align::Center;
    Margins textMargin;
    int textVerOffset = 0;
    bool shadowText = false;
    std::optional<Color> shadowColor;

    ButtonType buttonType = ButtonType::Normal;
    // The push button that Enter presses wherever the focus is in its window.
    bool defaultButton = false;
    bool password = false;

    // List controls.
    bool ownerDraw = false;
    bool fullRowSelect = false;
    bool gridLines = false;
    std::optional<Color> gridColor;
    std::string normalItemBkColor;
    std::string highlightItemBkColor;
    std::string selectedItemBkColor;
    int headerHeight = 0;
    bool headerDragDrop = false;
    std::string headerStyle;
    bool customScrollBars = false;
    std::string horScrollStyle;
    std::string verScrollStyle;

    bool hideBorder = false;
    std::string startPage;

    int buttonWidth = 0;
    Point textOffset;
    std::string dateFormat;  // "Time", "Long Date", "Short Date" or an explicit layout
    std::string comboStyle = "DropDown";

    std::string thumbImage;   // progress bar's filled part
    std::string image;        // windowless picture
    std::optional<Point> imageResizePoint;

    // Every child attribute as read, "Child.Attribute" → value, for the properties above and
    // those this program does not use.
    std::map<std::string, std::string> props;
};

struct Window {
    std::string idName;
    int id = 0;
    Size size;
    std::array<std::string, 4> background;
    ImageResizeMode resizeMode = ImageResizeMode::NineGrid;
    Point resizingPoint;
    int titleBarHeight = 24;
    std::string backgroundHide;
    bool useMaskColor = false;
    std::string maskColorRes;
    bool resizable = false;
    bool resizingBorder = false;
    bool windowPointSameAsImagePoint = true;
    Point windowResizingPoint;
    bool appWindow = false;
    bool topmost = false;
    bool toolWindow = false;
    std::vector<Control> controls;

    // The point the children's layout is measured against.
    Point LayoutPoint() const { return windowPointSameAsImagePoint ? resizingPoint : windowResizingPoint; }
    const Control* FindControl(int id) const;
    const Control* FindControl(std::string_view idName) const;
};

struct Version {
    int value = 0;  // four digits: major * 100 + minor
    int build = 0;
    int Major() const { return value / 100; }
    int Minor() const { return value % 100; }
};

struct Skin {
    IdentifierTable ids;
    Version version;
    int dpiX = 96;
    int dpiY = 96;
    std::vector<Window> windows;
    Font defaultFont;
    std::map<std::string, Font> fonts;
    Color defaultColor = Color{0x00383838};
    std::map<std::string, Color> colors;
    std::map<std::string, Style> styles;

    const Window* FindWindow(int id) const;
    const Window* FindWindow(std::string_view idName) const;
    // The named font, or the default font when the name is empty or unknown.
    const Font& FontOrDefault(std::string_view name) const;
    Color ColorOrDefault(std::string_view name) const;
    std::optional<Color> FindColor(std::string_view name) const;
    const Style* FindStyle(std::string_view id) const;

    // The font and text colour a control uses in a state, with the "same as normal" rule.
    const Font& ControlFont(const Control& c, State s) const;
    Color ControlColor(const Control& c, State s) const;

    // Every image file name the skin refers to, each once.
    std::vector<std::string> ImageNames() const;
};

}  // namespace fw::skin
