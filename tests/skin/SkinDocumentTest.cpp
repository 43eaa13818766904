// The program's own skin, as committed under res/: read with the core reader and checked against
// what the windows of the program rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "skin/SkinImages.h"
#include "skin/SkinLayout.h"
#include "skin/SkinReader.h"

namespace fw::skin {
namespace {

std::filesystem::path ResDir() {
    if (const char* src = std::getenv("FENWARDE_SOURCE_DIR")) return std::filesystem::path(src) / "res";
    return FENWARDE_RES_DIR;
}

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ProgramSkin : public testing::Test {
protected:
    static void SetUpTestSuite() {
        xui_ = new std::string(ReadAll(ResDir() / "the.xui"));
        header_ = new std::string(ReadAll(ResDir() / "RESOURCE.H"));
        skin_ = new Skin;
        std::string error;
        code_ = ReadSkin(*xui_, *header_, skin_, &error);
        error_ = error;
    }
    void SetUp() override { ASSERT_EQ(code_, kSkinOk) << error_; }
    static void TearDownTestSuite() {
        delete xui_;
        delete header_;
        delete skin_;
    }
    static inline std::string* xui_ = nullptr;
    static inline std::string* header_ = nullptr;
    static inline Skin* skin_ = nullptr;
    static inline int code_ = -1;
    static inline std::string error_;
};

TEST_F(ProgramSkin, LoadsAsUtf8WithBomAtTheReadersVersion) {
    ASSERT_GE(xui_->size(), 3u);
    EXPECT_EQ(xui_->substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(skin_->version.value, 700);
    EXPECT_EQ(skin_->version.build, 5542);
    EXPECT_EQ(skin_->dpiX, 96);
    EXPECT_EQ(skin_->dpiY, 96);
}

TEST_F(ProgramSkin, HeaderNumbersEveryNameWithoutGapsInSkinOrder) {
    // The first 121 names follow the document; names added later come after them, so the
    // numbers the original windows use never move.
    constexpr size_t kOriginal = 121;
    const auto& entries = skin_->ids.Entries();
    ASSERT_GE(entries.size(), kOriginal);
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].number, 1000 + static_cast<int>(i));
    EXPECT_EQ(entries.front().name, "IDW_MAIN");
    EXPECT_EQ(entries[kOriginal - 1].name, "IDC_RAD_SETTING_LOG_FALSE");

    std::vector<std::string> order;
    std::set<std::string> seen;
    auto note = [&](const std::string& name) {
        if (name != "IDC_STATIC" && skin_->ids.NumberOf(name).value_or(0) < 1000 + static_cast<int>(kOriginal) &&
            seen.insert(name).second)
            order.push_back(name);
    };
    for (const auto& w : skin_->windows) {
        note(w.idName);
        for (const auto& c : w.controls) note(c.idName);
    }
    ASSERT_EQ(order.size(), kOriginal);
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], entries[i].name);
}

// Spot checks across the windows: reordering the generator's tables would move these.
TEST_F(ProgramSkin, NumbersTheWindowsRelyOn) {
    const std::map<std::string, int> expected{
        {"IDC_BTN_CLOSE", 1002},         {"IDC_RAD_MENU_BAOBIAO", 1007}, {"IDW_LUXIAN_GUANLI", 1013},
        {"IDC_BTN_LX_GL_FENYE_NEXT", 1022}, {"IDC_HTMLCTRL_MARK", 1044},  {"IDW_PAIBAN_ADD_PEIZHI", 1062},
        {"IDC_LSTCTRL_SETCAR", 1071},    {"IDW_BAOBIAO", 1074},          {"IDC_LSTCTRL_REPORT", 1093},
        {"IDW_BUS_MONITOR", 1105},
    };
    for (const auto& [name, number] : expected) EXPECT_EQ(skin_->ids.NumberOf(name), number) << name;
}

// What the windows rely on of every control: a number, its own window as parent, a place inside
// it; and the system buttons that close and minimise.
TEST_F(ProgramSkin, EveryControlHasANumberAndAPlaceInItsWindow) {
    EXPECT_EQ(skin_->windows.size(), 16u);
    for (const Window& w : skin_->windows) {
        EXPECT_NE(w.id, 0) << w.idName;
        for (const auto& c : w.controls) {
            EXPECT_NE(c.id, 0) << c.idName << " has no number";
            EXPECT_EQ(c.parentName, w.idName) << c.idName;
            EXPECT_FALSE(c.rect.IsEmpty()) << c.idName;
            EXPECT_LE(c.rect.right, w.size.width) << c.idName;
            EXPECT_LE(c.rect.bottom, w.size.height) << c.idName;
        }
    }
    auto type = [&](const char* window, const char* control) {
        return skin_->FindWindow(std::string_view(window))->FindControl(std::string_view(control))->buttonType;
    };
    EXPECT_EQ(type("IDW_MAIN", "IDC_BTN_CLOSE"), ButtonType::CloseBox);
    EXPECT_EQ(type("IDW_MAIN", "IDC_BTN_MIN"), ButtonType::MinimizeBox);
    EXPECT_EQ(type("IDW_LOGIN", "IDC_BTN_LOGIN_CLOSE"), ButtonType::CloseBox);
    EXPECT_EQ(type("IDW_SETTING", "IDC_BTN_SETTING_CLOSE"), ButtonType::CloseBox);
}

// A control that stays left of its window's stretch point keeps its place when the window is
// narrowed; the pages are 1150 wide in the skin and must fit a screen 1024 pixels wide.
TEST_F(ProgramSkin, PagesFitAScreen1024PixelsWide) {
    for (const Window& w : skin_->windows) {
        if (w.size.width != 1150) continue;
        for (const auto& c : w.controls) {
            if (!c.visible || c.rect.right > w.LayoutPoint().x) continue;
            EXPECT_LE(c.rect.right, 1010) << w.idName << " " << c.idName;
        }
    }
}

// Every bitmap the skin names exists, is a 24-bit BMP, and its combined parts divide evenly.
TEST_F(ProgramSkin, EveryImageIsA24BitBitmap) {
    const auto names = skin_->ImageNames();
    EXPECT_GE(names.size(), 30u);
    size_t total = 0;
    for (const auto& name : names) {
        const std::string data = ReadAll(ResDir() / "images" / name);
        ASSERT_GE(data.size(), 54u) << name;
        EXPECT_EQ(data.substr(0, 2), "BM") << name;
        EXPECT_EQ(static_cast<unsigned char>(data[28]), 24) << name;
        total += data.size();
    }
    EXPECT_LT(total, 2u * 1024 * 1024);
}

}  // namespace
}  // namespace fw::skin
