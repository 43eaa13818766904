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

struct WindowShape {
    const char* id;
    Size size;
    size_t controls;
};

TEST_F(ProgramSkin, FifteenWindowsAtTheirSizes) {
    const WindowShape shapes[] = {
        {"IDW_MAIN", {1150, 655}, 9},           {"IDW_SUBMENU_LUXIAN", {1150, 33}, 2},
        {"IDW_LUXIAN_GUANLI", {1150, 560}, 19}, {"IDW_LUXIAN_ADD", {1150, 560}, 12},
        {"IDW_SUBMEBU_PAIBAN", {1150, 33}, 2},  {"IDW_PAIBAN_GUANLI", {1150, 560}, 6},
        {"IDW_PAIBAN_ADD_FILE", {1150, 255}, 5}, {"IDW_PAIBAN_ADD_PEIZHI", {1150, 305}, 11},
        {"IDW_BAOBIAO", {1150, 560}, 20},       {"IDW_LOGIN", {387, 266}, 10},
        {"IDW_BUS_MONITOR", {1147, 560}, 1},    {"IDW_LOAD", {540, 137}, 2},
        {"IDW_BAOBIAO_HEAD", {1150, 33}, 2},    {"IDW_BAOBIAO_WEB", {480, 320}, 1},
        {"IDW_SETTING", {480, 320}, 5},
    };
    ASSERT_EQ(skin_->windows.size(), std::size(shapes));
    for (size_t i = 0; i < std::size(shapes); ++i) {
        const Window& w = skin_->windows[i];
        EXPECT_EQ(w.idName, shapes[i].id);
        EXPECT_EQ(w.size, shapes[i].size) << w.idName;
        EXPECT_EQ(w.controls.size(), shapes[i].controls) << w.idName;
        for (const auto& c : w.controls) {
            EXPECT_NE(c.id, 0) << c.idName << " has no number";
            EXPECT_EQ(c.parentName, w.idName) << c.idName;
            EXPECT_FALSE(c.rect.IsEmpty()) << c.idName;
            EXPECT_LE(c.rect.right, w.size.width) << c.idName;
            EXPECT_LE(c.rect.bottom, w.size.height) << c.idName;
        }
    }
    EXPECT_EQ(skin_->FindWindow("IDW_MAIN")->titleBarHeight, 28);
}

struct Placed {
    const char* id;
    Rect rect;
    const char* caption;
    bool visible;
};

TEST_F(ProgramSkin, ReportWindowPlacesItsControlsAsDesigned) {
    const Window* w = skin_->FindWindow("IDW_BAOBIAO");
    ASSERT_NE(w, nullptr);
    auto r = [](int x, int y, int cx, int cy) { return Rect::FromLocationSize({x, y}, {cx, cy}); };
    const Placed placed[] = {
        {"IDC_CMB__STAT_GONGSI", r(67, 22, 180, 28), "", true},
        {"IDC_STA_STAT_CHEPAI", r(264, 24, 45, 24), "车牌号", true},
        {"IDC_DATETIME_STAT_E", r(709, 22, 144, 28), "", true},
        {"IDC_BTN_STAT_SCBB", r(960, 22, 80, 28), "生成报表", true},
        {"IDC_RAD_STAT_ZT_WEIWANCHENG", r(249, 55, 80, 24), "未完成", true},
        {"IDC_RAD_STAT_TYPE_EXCEL", r(555, 55, 80, 24), "Excel", false},
        {"IDC_WL_PIC_LX_GL_FENYE", r(897, 531, 241, 23), "", false},
        {"IDC_LSTCTRL_REPORT", r(1, 98, 1145, 449), "", true},
    };
    for (const auto& p : placed) {
        const Control* c = w->FindControl(std::string_view(p.id));
        ASSERT_NE(c, nullptr) << p.id;
        EXPECT_EQ(c->rect, p.rect) << p.id;
        EXPECT_EQ(c->caption, p.caption) << p.id;
        EXPECT_EQ(c->visible, p.visible) << p.id;
    }
    EXPECT_TRUE(w->FindControl("IDC_LSTCTRL_REPORT")->fullRowSelect);
    EXPECT_TRUE(w->FindControl("IDC_LSTCTRL_REPORT")->gridLines);
}

TEST_F(ProgramSkin, CaptionsOfTheOtherWindows) {
    const std::map<std::string, std::string> captions{
        {"IDC_RAD_MENU_XIANLU", "规划路线"},   {"IDC_RAD_MENU_PAIBAN", "排班计划"},
        {"IDC_RAD_MENU_BAOBIAO", "统计报表"},  {"IDC_RAD_MENU_JIANKONG", "监控管理"},
        {"IDC_CHK_LOGIN_JIZHU", "记住密码"},   {"IDC_STA_LOGIN_PASSWORD", "密   码"},
        {"IDC_BTN_LOGIN", "登录"},             {"IDC_STA_SETTING_LOG", "是否保存日志"},
        {"IDC_STA_LOAD", "数据正在上传，请稍后..."}, {"IDC_STA_LX_ADD_LENGTH", "长度 — "},
        {"IDC_BTN_CLEAR", "清除线路"},         {"IDC_RAD_SUBMENU_PAIBAN__ADD", "创建任务"},
        {"IDC_STA_PAIBAN_ADD_E_TIME", "结束时间"}, {"IDC_BTN_CANCEL", "取消"},
    };
    for (const auto& [id, caption] : captions) {
        const Control* found = nullptr;
        for (const auto& w : skin_->windows)
            if (!found) found = w.FindControl(std::string_view(id));
        ASSERT_NE(found, nullptr) << id;
        EXPECT_EQ(found->caption, caption) << id;
    }
}

TEST_F(ProgramSkin, HiddenControlsAndSystemButtons) {
    std::set<std::string> hidden;
    for (const auto& w : skin_->windows)
        for (const auto& c : w.controls)
            if (!c.visible) hidden.insert(w.idName + "/" + c.idName);
    const std::set<std::string> expected{
        "IDW_PAIBAN_GUANLI/IDC_WL_PIC_PAIBAN_GL_FENYE", "IDW_PAIBAN_ADD_FILE/IDC_BTN_PAIBAN_ADD",
        "IDW_PAIBAN_ADD_PEIZHI/IDC_EDT_HIDE",          "IDW_BAOBIAO/IDC_WL_PIC_LX_GL_FENYE",
        "IDW_BAOBIAO/IDC_STA_STAT_LEIXING",           "IDW_BAOBIAO/IDC_RAD_STAT_TYPE_PDF",
        "IDW_BAOBIAO/IDC_RAD_STAT_TYPE_EXCEL",        "IDW_BAOBIAO/IDC_BTN_LX_GL_DELE",
    };
    EXPECT_EQ(hidden, expected);

    auto type = [&](const char* window, const char* control) {
        return skin_->FindWindow(std::string_view(window))->FindControl(std::string_view(control))->buttonType;
    };
    EXPECT_EQ(type("IDW_MAIN", "IDC_BTN_CLOSE"), ButtonType::CloseBox);
    EXPECT_EQ(type("IDW_MAIN", "IDC_BTN_MIN"), ButtonType::MinimizeBox);
    EXPECT_EQ(type("IDW_LOGIN", "IDC_BTN_LOGIN_CLOSE"), ButtonType::CloseBox);
    EXPECT_EQ(type("IDW_SETTING", "IDC_BTN_SETTING_CLOSE"), ButtonType::CloseBox);
    EXPECT_TRUE(skin_->FindWindow("IDW_LOGIN")->FindControl("IDC_EDT_LOGIN_PASSWORD")->password);
    EXPECT_EQ(skin_->FindWindow("IDW_LUXIAN_GUANLI")->FindControl("IDC_LSTCTRL_LX_GL")->headerHeight, 34);
}

TEST_F(ProgramSkin, FontsColoursAndStyles) {
    EXPECT_EQ(skin_->defaultFont.faceName, "Tahoma");
    EXPECT_EQ(skin_->fonts.at("IDR_FONT_TITLE").weight, 700);
    EXPECT_EQ(skin_->fonts.at("IDR_FONT_MENU").charSet, 134);
    EXPECT_EQ(skin_->colors.at("IDR_COLOR_MASK"), Color::FromRgb(255, 0, 255));
    EXPECT_EQ(skin_->colors.at("IDR_COLOR_ORANGE"), Color::FromRgb(255, 0x72, 0));
    for (const char* style : {"IDR_HEADER_TABLE", "IDR_HOR_SB_HOR", "IDR_VER_SB_VER"})
        EXPECT_NE(skin_->FindStyle(style), nullptr) << style;
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
