#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "skin/SkinReader.h"

namespace fw::skin {
namespace {

constexpr const char* kHeader =
    "#define IDW_DEMO 1000\n#define IDC_BTN_CLOSE 1001\n#define IDC_STA_HIDDEN 1002\n#define IDC_WL_PIC_A 1003\n";

std::string Document(const std::string& version, const std::string& build, const std::string& controls = "") {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GlimmerkitUI>\n"
           "<Version Version=\"" + version + "\" Build=\"" + build + "\" ChangeList=\"5749\"/>\n"
           "<DPI LogPixelsX=\"96\" LogPixelsY=\"96\"/>\n"
           "<Windows><Window><ID Value=\"IDW_DEMO\"/><Rect Size=\"387,266\" Location=\"0,0\"/>\n"
           " <BackgroundNormal RelativePath=\"Login_BG.bmp\"/><ResizingPoint X=\"20\" Y=\"60\"/>\n"
           " <TitleBarHeight Value=\"28\"/><IsUseMaskColor Value=\"true\"/><MaskColorResID Value=\"IDR_COLOR_MASK\"/>\n"
           " <WinResizePtSameImgResizePt Value=\"false\"/><WindowResizingPoint X=\"300\" Y=\"200\"/>\n"
           " <IsAppWindow Value=\"true\"/><Controls>" + controls + "</Controls>\n"
           "</Window></Windows>\n"
           "<Resources><DefaultFont><FONT><Font Height=\"-12\" Weight=\"400\" FaceName=\"Tahoma\"/></FONT></DefaultFont>\n"
           " <Fonts><FONT><ID Value=\"IDR_FONT_MENU\"/><Font Height=\"-16\" Weight=\"400\" CharSet=\"134\""
           " FaceName=\"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\"/></FONT>\n"
           "  <FONT><ID Value=\"IDR_FONT_BOLD\"/><Font Height=\"-12\" Weight=\"700\" FaceName=\"Tahoma\"/></FONT></Fonts>\n"
           " <DefaultColor><COLOR><Color Value=\"#00383838\"/></COLOR></DefaultColor>\n"
           " <Colors><COLOR><ID Value=\"IDR_COLOR_ORANGE\"/><Color Value=\"#000072FF\"/></COLOR>\n"
           "  <COLOR><ID Value=\"IDR_COLOR_WHITE\"/><Color Value=\"#00FFFFFF\"/></COLOR></Colors></Resources>\n"
           "<Styles><Headers><STYLE_HEADERCTRL><ID Value=\"IDR_HEADER_TABLE\"/>"
           "<HeaderButtonCombine RelativePath=\"table_header_bg.bmp\"/></STYLE_HEADERCTRL></Headers></Styles>\n"
           "</GlimmerkitUI>\n";
}

constexpr const char* kControls =
    "<PUSHBUTTON><Parent ID=\"IDW_DEMO\"/><ID Value=\"IDC_BTN_CLOSE\"/><Rect Size=\"42,25\" Location=\"345,0\"/>"
    "<LayoutMode Horizontal=\"Right\" Vertical=\"Top\"/><ButtonType Value=\"CloseBox\"/><IsCombineImages Value=\"true\"/>"
    "<BkCombine RelativePath=\"close.bmp\"/><FontResN Value=\"IDR_FONT_MENU\"/><FontResH Value=\"IDR_FONT_BOLD\"/>"
    "<IsHSameNFont Value=\"false\"/><FontResS Value=\"IDR_FONT_BOLD\"/><ColorResN Value=\"IDR_COLOR_WHITE\"/>"
    "<ColorResD Value=\"IDR_COLOR_NONE\"/><IsDSameNColor Value=\"false\"/><Caption Value=\"\xE5\x85\xB3\xE9\x97\xAD\"/>"
    "</PUSHBUTTON><STATIC><ID Value=\"IDC_STA_HIDDEN\"/><Rect Size=\"60,24\" Location=\"10,40\"/><IsVisible Value=\"false\"/>"
    "<ShadowText ShadowColor=\"#00FFFFFF\"/><TextAlignment Horizontal=\"Center\"/></STATIC>"
    "<SOMETHING_NEW><ID Value=\"IDC_X\"/></SOMETHING_NEW><WL_PICTURE><ID Value=\"IDC_WL_PIC_A\"/>"
    "<Rect Size=\"2,23\" Location=\"100,500\"/><Image RelativePath=\"fenye.bmp\"/><ImageResizePoint X=\"1\" Y=\"11\"/>"
    "</WL_PICTURE><STATIC><ID Value=\"IDC_STATIC\"/><Rect Size=\"60,24\" Location=\"10,70\"/></STATIC>";

// Document order, the unknown family skipped; a state's font and colour fall back to the normal
// state's where its flag says so, and to the defaults for a name the resources lack.
TEST(SkinReader, ReadsWindowsControlsAndResources) {
    Skin skin;
    std::string error;
    ASSERT_EQ(ReadSkin(Document("0700", "5542", kControls), kHeader, &skin, &error), kSkinOk) << error;
    ASSERT_EQ(skin.windows.size(), 1u);
    const Window& w = skin.windows[0];
    EXPECT_EQ(std::tuple(w.id, w.size, w.background[0], w.background[1], w.titleBarHeight, w.useMaskColor, w.appWindow,
                         w.LayoutPoint()),
              std::tuple(1000, Size{387, 266}, "Login_BG.bmp", "", 28, true, true, Point{300, 200}));
    ASSERT_EQ(w.controls.size(), 4u);
    const Control& close = w.controls[0];
    EXPECT_EQ(std::tuple(close.family, close.id, close.rect, close.buttonType, close.layoutH, close.layoutV, close.visible,
                         close.caption, close.bkCombine),
              std::tuple(Family::PushButton, 1001, Rect{345, 0, 387, 25}, ButtonType::CloseBox, LayoutMode::RightBottom,
                         LayoutMode::LeftTop, true, "\xE5\x85\xB3\xE9\x97\xAD", "close.bmp"));
    const Control& hidden = w.controls[1];
    EXPECT_EQ(std::tuple(hidden.visible, hidden.shadowText, hidden.textAlignH), std::tuple(false, true, Align::Center));
    const Control& picture = w.controls[2];
    EXPECT_EQ(std::tuple(picture.family, IsWindowless(picture.family), picture.imageResizePoint, w.controls[3].id),
              std::tuple(Family::WlPicture, true, Point{1, 11}, -1));  // the last one is IDC_STATIC

    EXPECT_EQ(skin.fonts.at("IDR_FONT_MENU").charSet, 134);
    EXPECT_EQ(skin.colors.at("IDR_COLOR_ORANGE"), Color::FromRgb(0xFF, 0x72, 0x00));
    ASSERT_NE(skin.FindStyle("IDR_HEADER_TABLE"), nullptr);
    EXPECT_EQ(skin.FindStyle("IDR_HEADER_TABLE")->Get("HeaderButtonCombine.RelativePath"), "table_header_bg.bmp");

    EXPECT_EQ(skin.ControlFont(close, State::Normal).height, -16);
    EXPECT_EQ(skin.ControlFont(close, State::Highlight).weight, 700);  // own font, flag off
    EXPECT_EQ(skin.ControlFont(close, State::Selected).height, -16);   // flag on: same as normal
    EXPECT_EQ(skin.ControlColor(close, State::Normal), Color::FromRgb(255, 255, 255));
    EXPECT_EQ(skin.ControlColor(close, State::Disabled), skin.defaultColor);  // unknown name
    EXPECT_EQ(skin.ControlFont(hidden, State::Normal).faceName, "Tahoma");    // names none
    EXPECT_EQ(skin.ControlColor(hidden, State::Normal), Color{0x00383838});
}

TEST(SkinReader, NewerSkinsAndBrokenDocumentsAreRefused) {
    const struct {
        std::string xui;
        int code;
        std::string reason;
    } rows[] = {{Document("0700", "5541"), kSkinOk, ""},
                {Document("0701", "1"), kSkinNewerVersion, std::string(kNewerSkinMessage)},
                {Document("0700", "5543"), kSkinNewerVersion, std::string(kNewerSkinMessage)},
                {Document("0800", "5542"), kSkinNewerVersion, std::string(kNewerSkinMessage)},
                {Document("0600", "5542"), kSkinNewerVersion, std::string(kNewerSkinMessage)},
                {"<GlimmerkitUI><Windows>", kSkinBadDocument, "not well-formed"},
                {"<Other/>", kSkinBadDocument, ""}, {"<GlimmerkitUI/>", kSkinBadDocument, ""}, {"", kSkinBadDocument, ""}};
    for (const auto& r : rows) {
        Skin skin;
        std::string error;
        EXPECT_EQ(ReadSkin(r.xui, kHeader, &skin, &error), r.code) << r.xui.substr(0, 120);
        EXPECT_NE(error.find(r.reason), std::string::npos) << error;
        EXPECT_EQ(skin.windows.empty(), r.code != kSkinOk);
    }
}

// Coordinates near INT_MAX would overflow every sum the layout makes: they are clamped when read.
TEST(SkinReader, GeometryIsClampedWhenRead) {
    const std::string huge =
        "<STATIC><ID Value=\"IDC_STA_HIDDEN\"/><Rect Size=\"2147483647,2147483647\" "
        "Location=\"2147483647,-2147483648\"/><ParentLayoutMargin Left=\"-2147483648\" "
        "Right=\"99999999999\"/><TextOffset X=\"2147483647\"/></STATIC>";
    std::string xui = Document("0700", "5542", huge);
    xui.replace(xui.find("Height=\"-12\""), 12, "Height=\"-2147483648\"");
    Skin skin;
    ASSERT_EQ(ReadSkin(xui, kHeader, &skin, nullptr), kSkinOk);
    const Control& c = skin.windows[0].controls[0];
    constexpr int k = kCoordinateLimit;
    EXPECT_EQ(std::tuple(c.rect, c.layoutMargin, c.textOffset, skin.defaultFont.height),
              std::tuple(Rect{k, -k, 2 * k, 0}, Margins{-k, 0, k, 0}, Point{k, 0}, -k));
}

// "#00BBGGRR", as the platform keeps a colour.
TEST(Colors, PlatformByteOrder) {
    EXPECT_EQ(ParseColor("#00804000"), Color::FromRgb(0x00, 0x40, 0x80));
    EXPECT_FALSE(ParseColor("00FF00FF") || ParseColor("#00GG00FF") || ParseColor(""));
}

}  // namespace
}  // namespace fw::skin
