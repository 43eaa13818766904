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

TEST_F(ProgramSkin, NumbersTheWindowsRelyOn) {
    const std::map<std::string, int> expected{
        {"IDW_MAIN", 1000}, {"IDC_BTN_MIN", 1001}, {"IDC_BTN_CLOSE", 1002}, {"IDC_RAD_MENU_XIANLU", 1003},
        {"IDC_RAD_MENU_PAIBAN", 1004}, {"IDC_RAD_MENU_JIANKONG", 1005}, {"IDC_BTN_LOGOUT", 1006},
        {"IDC_RAD_MENU_BAOBIAO", 1007}, {"IDW_SUBMENU_LUXIAN", 1010}, {"IDW_LUXIAN_GUANLI", 1013},
        {"IDC_STA_LX_GL_NAME", 1014}, {"IDC_EDT_LX_GL_NAME", 1015}, {"IDC_BTN_LX_GL_SEARCH", 1016},
        {"IDC_BTN_LX_GL_DELE", 1017}, {"IDC_LSTCTRL_LX_GL", 1018}, {"IDC_BTN_LX_GL_FENYE_SHOUYE", 1019},
        {"IDC_BTN_LX_GL_FENYE_MOYE", 1020}, {"IDC_BTN_LX_GL_FENYE_QIAN", 1021},
        {"IDC_BTN_LX_GL_FENYE_NEXT", 1022}, {"IDC_WL_PIC_LX_GL_FENYE_LINE", 1023},
        {"IDC_BTN_LX_GL_FENYE_GO", 1024}, {"IDC_EDT_LX_GL_FENYE_INPUT", 1025},
        {"IDC_STA_LX_GL_FENYE_YESHU1", 1026}, {"IDC_STA_LX_GL_FENYE_YESHU2", 1027},
        {"IDC_STA_LX_GL_FENYE_YESHU3", 1028}, {"IDC_WL_PIC_LX_GL_FENYE_LINE_2", 1029},
        {"IDC_STA_LX_GL_FENYE_GONG", 1030}, {"IDC_STA_LX_GL_FENYE_JILUSHU", 1031},
        {"IDC_STA_LX_GL_FENYE_JILU", 1032}, {"IDW_LUXIAN_ADD", 1033}, {"IDC_STA_LX_ADD_NAME", 1034},
        {"IDC_EDT_LX_ADD_NAME", 1035}, {"IDC_STA_LX_ADD_ZHANDIAN", 1036}, {"IDC_EDT_LX_ADD_ZHANDIAN", 1037},
        {"IDC_STA_LX_ADD_LENGTH", 1038}, {"IDC_STA_DIS", 1039}, {"IDC_STA_LX_ADD_GONGLI", 1040},
        {"IDC_STA_LX_ADD_ALLTIME", 1041}, {"IDC_STA_LX_ADD_TIME", 1042}, {"IDC_BTN_LX_ADD", 1043},
        {"IDC_HTMLCTRL_MARK", 1044}, {"IDC_BTN_CLEAR", 1045}, {"IDW_SUBMEBU_PAIBAN", 1046},
        {"IDC_RAD_SUBMENU_PAIBAN_GUANLI", 1047}, {"IDC_RAD_SUBMENU_PAIBAN__ADD", 1048},
        {"IDW_PAIBAN_GUANLI", 1049}, {"IDC_STA_PAIBAN_GL_NAME", 1050}, {"IDC_EDT_PAIBAN_GL_NAME", 1051},
        {"IDC_BTN_PAIBAN_GL_SEARCH", 1052}, {"IDC_BTN_PAIBAN_GL_DELE", 1053},
        {"IDC_WL_PIC_PAIBAN_GL_FENYE", 1054}, {"IDC_LSTCTRL_ARRANGE", 1055}, {"IDW_PAIBAN_ADD_FILE", 1056},
        {"IDC_STA_PAIBAN_ADD_NAME", 1057}, {"IDC_EDT_PAIBAN_ADD_SC", 1058}, {"IDC_BTN_PAIBAN_ADD", 1059},
        {"IDC_BTN_PAIBAN_SHANGCHUAN", 1060}, {"IDC_LSTCTRL_ADDFILE", 1061}, {"IDW_PAIBAN_ADD_PEIZHI", 1062},
        {"IDC_STA_PAIBAN_ADD_PB", 1063}, {"IDC_EDT_PAIBAN_ADD_PB", 1064}, {"IDC_BTN_PAIBAN_ADD_PEIBEI", 1065},
        {"IDC_STA_PAIBAN_ADD_S_TIME", 1066}, {"IDC_DATETIME_PAIBAN_ADD_S", 1067},
        {"IDC_STA_PAIBAN_ADD_E_TIME", 1068}, {"IDC_DATETIME_PAIBAN_ADD_E", 1069}, {"IDC_BTN_PAIBAN_SAVE", 1070},
        {"IDC_LSTCTRL_SETCAR", 1071}, {"IDC_EDT_HIDE", 1072}, {"IDC_BTN_CANCEL", 1073}, {"IDW_BAOBIAO", 1074},
        {"IDC_STA_STAT_GONGSI", 1075}, {"IDC_BTN_STAT_SEARCH", 1076}, {"IDC_WL_PIC_LX_GL_FENYE", 1077},
        {"IDC_CMB__STAT_GONGSI", 1078}, {"IDC_STA_STAT_CHEPAI", 1079}, {"IDC_CMB_STAT_CHEPAI", 1080},
        {"IDC_STA_STAT_S_TIME", 1081}, {"IDC_DATETIME_STAT_S", 1082}, {"IDC_STA_STAT_E_TIME", 1083},
        {"IDC_DATETIME_STAT_E", 1084}, {"IDC_BTN_STAT_SCBB", 1085}, {"IDC_STA_STAT_ZHUANGTAI", 1086},
        {"IDC_RAD_STAT_ZT_ALL", 1087}, {"IDC_RAD_STAT_ZT_WANCHENG", 1088},
        {"IDC_RAD_STAT_ZT_WEIWANCHENG", 1089}, {"IDC_STA_STAT_LEIXING", 1090}, {"IDC_RAD_STAT_TYPE_PDF", 1091},
        {"IDC_RAD_STAT_TYPE_EXCEL", 1092}, {"IDC_LSTCTRL_REPORT", 1093}, {"IDW_BUS_MONITOR", 1105},
        {"IDC_RAD_SETTING_LOG_FALSE", 1120},
    };
    for (const auto& [name, number] : expected) EXPECT_EQ(skin_->ids.NumberOf(name), number) << name;
}

TEST_F(ProgramSkin, FifteenWindowsAtTheirSizes) {
    const std::pair<const char*, Size> shapes[] = {
        {"IDW_MAIN", {1150, 655}},          {"IDW_SUBMENU_LUXIAN", {1150, 33}},
        {"IDW_LUXIAN_GUANLI", {1150, 560}}, {"IDW_LUXIAN_ADD", {1150, 560}},
        {"IDW_SUBMEBU_PAIBAN", {1150, 33}}, {"IDW_PAIBAN_GUANLI", {1150, 560}},
        {"IDW_PAIBAN_ADD_FILE", {1150, 255}}, {"IDW_PAIBAN_ADD_PEIZHI", {1150, 305}},
        {"IDW_BAOBIAO", {1150, 560}},       {"IDW_LOGIN", {387, 266}},
        {"IDW_BUS_MONITOR", {1147, 560}},   {"IDW_LOAD", {540, 137}},
        {"IDW_BAOBIAO_HEAD", {1150, 33}},   {"IDW_BAOBIAO_WEB", {480, 320}},
        {"IDW_SETTING", {480, 320}},
    };
    ASSERT_EQ(skin_->windows.size(), std::size(shapes));
    for (size_t i = 0; i < std::size(shapes); ++i) {
        const Window& w = skin_->windows[i];
        EXPECT_EQ(w.idName, shapes[i].first);
        EXPECT_EQ(w.size, shapes[i].second) << w.idName;
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
        {"IDC_STA_STAT_GONGSI", r(32, 24, 34, 24), "公司", true},
        {"IDC_CMB__STAT_GONGSI", r(67, 22, 180, 28), "", true},
        {"IDC_STA_STAT_CHEPAI", r(264, 24, 45, 24), "车牌号", true},
        {"IDC_CMB_STAT_CHEPAI", r(310, 22, 180, 28), "", true},
        {"IDC_STA_STAT_S_TIME", r(504, 24, 24, 24), "从", true},
        {"IDC_DATETIME_STAT_S", r(533, 22, 144, 28), "", true},
        {"IDC_STA_STAT_E_TIME", r(682, 24, 24, 24), "至", true},
        {"IDC_DATETIME_STAT_E", r(709, 22, 144, 28), "", true},
        {"IDC_BTN_STAT_SEARCH", r(859, 22, 80, 28), "查询", true},
        {"IDC_BTN_STAT_SCBB", r(960, 22, 80, 28), "生成报表", true},
        {"IDC_STA_STAT_ZHUANGTAI", r(32, 55, 34, 24), "状态", true},
        {"IDC_RAD_STAT_ZT_ALL", r(68, 55, 80, 24), "所有", true},
        {"IDC_RAD_STAT_ZT_WANCHENG", r(156, 55, 80, 24), "完成", true},
        {"IDC_RAD_STAT_ZT_WEIWANCHENG", r(249, 55, 80, 24), "未完成", true},
        {"IDC_STA_STAT_LEIXING", r(399, 55, 60, 24), "报表类型", false},
        {"IDC_RAD_STAT_TYPE_PDF", r(472, 55, 80, 24), "PDF", false},
        {"IDC_RAD_STAT_TYPE_EXCEL", r(555, 55, 80, 24), "Excel", false},
        {"IDC_BTN_LX_GL_DELE", r(11, 533, 75, 21), "删除所选", false},
        {"IDC_WL_PIC_LX_GL_FENYE", r(897, 531, 241, 23), "", false},
        {"IDC_LSTCTRL_REPORT", r(1, 98, 1145, 449), "", true},
        {"IDC_STA_STAT_TRACK", r(640, 55, 284, 24), "", false},
        {"IDC_PRG_STAT_TRACK", r(930, 61, 110, 12), "", false},
        {"IDC_STA_STAT_RULE", r(640, 55, 400, 24), "", false},
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
        {"IDC_RAD_MENU_XIANLU", "规划路线"}, {"IDC_RAD_MENU_PAIBAN", "排班计划"},
        {"IDC_RAD_MENU_BAOBIAO", "统计报表"}, {"IDC_RAD_MENU_JIANKONG", "监控管理"}, {"IDC_STA_VER", "V2.0"},
        {"IDC_RAD_LINE_RUN", "线路运行报表"}, {"IDC_RAD_MORE", "更多报表"},
        {"IDC_CHK_LOGIN_JIZHU", "记住密码"}, {"IDC_STA_LOGIN_USER", "用户名"},
        {"IDC_STA_LOGIN_PASSWORD", "密   码"}, {"IDC_STA_SERVER", "服务器地址"}, {"IDC_BTN_LOGIN", "登录"},
        {"IDC_STA_SETTING_TITLE", "设置"}, {"IDC_STA_SETTING_LOG", "是否保存日志"},
        {"IDC_RAD_SETTING_LOG_TRUE", "是"}, {"IDC_RAD_SETTING_LOG_FALSE", "否"},
        {"IDC_STA_SETTING_DETECTION", "到站判定"}, {"IDC_RAD_SETTING_FIRST_FIX", "首个定位点"},
        {"IDC_RAD_SETTING_INTERPOLATED", "精确推算"},
        {"IDC_STA_LOAD", "数据正在上传，请稍后..."}, {"IDC_RAD_SUBMENU_XIANLU_GUANLI", "线路管理"},
        {"IDC_RAD_SUBMENU_XIANLU__ADD", "线路增加"}, {"IDC_STA_LX_GL_NAME", "路线名称"},
        {"IDC_BTN_LX_GL_SEARCH", "查询"}, {"IDC_STA_LX_GL_FENYE_YESHU1", "/"},
        {"IDC_STA_LX_GL_FENYE_YESHU3", "页"}, {"IDC_STA_LX_GL_FENYE_GONG", "共"},
        {"IDC_STA_LX_GL_FENYE_JILU", "条记录"}, {"IDC_STA_LX_ADD_NAME", "线路名称"},
        {"IDC_STA_LX_ADD_ZHANDIAN", "线路站点"}, {"IDC_STA_LX_ADD_LENGTH", "长度 — "},
        {"IDC_STA_LX_ADD_GONGLI", "公里"}, {"IDC_STA_LX_ADD_ALLTIME", "总时长 — "}, {"IDC_BTN_LX_ADD", "增加"},
        {"IDC_BTN_CLEAR", "清除线路"}, {"IDC_RAD_SUBMENU_PAIBAN_GUANLI", "排班管理"},
        {"IDC_RAD_SUBMENU_PAIBAN__ADD", "创建任务"}, {"IDC_STA_PAIBAN_GL_NAME", "名称"},
        {"IDC_BTN_PAIBAN_GL_DELE", "删除所选"}, {"IDC_STA_PAIBAN_ADD_NAME", "导入排班计划"},
        {"IDC_BTN_PAIBAN_ADD", "上传"}, {"IDC_BTN_PAIBAN_SHANGCHUAN", "上传文件"},
        {"IDC_STA_PAIBAN_ADD_PB", "排班名称"}, {"IDC_BTN_PAIBAN_ADD_PEIBEI", "配备车辆"},
        {"IDC_STA_PAIBAN_ADD_S_TIME", "开始日期"}, {"IDC_STA_PAIBAN_ADD_E_TIME", "结束时间"},
        {"IDC_BTN_PAIBAN_SAVE", "保存"}, {"IDC_BTN_CANCEL", "取消"},
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
    for (const char* expected : {"IDW_PAIBAN_GUANLI/IDC_WL_PIC_PAIBAN_GL_FENYE", "IDW_PAIBAN_ADD_FILE/IDC_BTN_PAIBAN_ADD",
                                 "IDW_PAIBAN_ADD_PEIZHI/IDC_EDT_HIDE", "IDW_BAOBIAO/IDC_WL_PIC_LX_GL_FENYE",
                                 "IDW_BAOBIAO/IDC_BTN_LX_GL_DELE", "IDW_MAIN/IDC_STA_RECONNECT",
                                 "IDW_MAIN/IDC_BTN_RECONNECT_STOP"})
        EXPECT_EQ(hidden.count(expected), 1u) << expected;

    auto type = [&](const char* window, const char* control) {
        return skin_->FindWindow(std::string_view(window))->FindControl(std::string_view(control))->buttonType;
    };
    EXPECT_EQ(type("IDW_MAIN", "IDC_BTN_CLOSE"), ButtonType::CloseBox);
    EXPECT_EQ(type("IDW_MAIN", "IDC_BTN_MIN"), ButtonType::MinimizeBox);
    EXPECT_EQ(type("IDW_MAIN", "IDC_BTN_MAX"), ButtonType::MaximizeBox);
    EXPECT_EQ(type("IDW_LOGIN", "IDC_BTN_LOGIN_CLOSE"), ButtonType::CloseBox);
    EXPECT_EQ(type("IDW_SETTING", "IDC_BTN_SETTING_CLOSE"), ButtonType::CloseBox);
    EXPECT_TRUE(skin_->FindWindow("IDW_LOGIN")->FindControl("IDC_EDT_LOGIN_PASSWORD")->password);
    EXPECT_EQ(skin_->FindWindow("IDW_LUXIAN_GUANLI")->FindControl("IDC_LSTCTRL_LX_GL")->headerHeight, 34);
}

TEST_F(ProgramSkin, FontsAndColours) {
    EXPECT_EQ(skin_->defaultFont.faceName, "Tahoma");
    EXPECT_EQ(skin_->defaultFont.height, -12);
    EXPECT_EQ(skin_->fonts.at("IDR_FONT_TITLE").weight, 700);
    EXPECT_EQ(skin_->fonts.at("IDR_FONT_TITLE").height, -14);
    EXPECT_EQ(skin_->fonts.at("IDR_FONT_MENU").height, -16);
    EXPECT_EQ(skin_->fonts.at("IDR_FONT_MENU").charSet, 134);
    EXPECT_EQ(skin_->fonts.at("IDR_FONT_BOLD").weight, 700);
    EXPECT_EQ(skin_->defaultColor, Color{0x00383838});
    EXPECT_EQ(skin_->colors.at("IDR_COLOR_TITLE"), Color{0x00804000});
    EXPECT_EQ(skin_->colors.at("IDR_COLOR_MASK"), Color::FromRgb(255, 0, 255));
    EXPECT_EQ(skin_->colors.at("IDR_COLOR_ORANGE"), Color::FromRgb(255, 0x72, 0));
    EXPECT_EQ(skin_->colors.at("IDR_COLOR_TABLE_S"), Color{0x00DCF7FD});
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
