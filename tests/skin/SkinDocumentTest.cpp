// The program's own skin, as committed under res/: read with the core reader and checked against
// what the windows of the program rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "skin/SkinReader.h"
#include "tests/support/TestSupport.h"

namespace fw::skin {
namespace {

std::string ReadRes(const std::string& name) {
    const char* source = std::getenv("FENWARDE_SOURCE_DIR");
    return test::ReadFile((source ? std::string(source) + "/res/" : std::string(FENWARDE_RES_DIR "/")) + name);
}

// Read once, as the program reads it: UTF-8 with a byte-order mark, at the reader's version.
const Skin& ProgramSkin() {
    static const Skin skin = [] {
        Skin s;
        std::string error;
        const std::string xui = ReadRes("the.xui");
        EXPECT_EQ(xui.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_EQ(ReadSkin(xui, ReadRes("RESOURCE.H"), &s, &error), kSkinOk) << error;
        return s;
    }();
    return skin;
}

// What the windows rely on of every control: a number, its own window as parent, a place inside
// it; and the system buttons that close and minimise. The numbers the original windows use never
// move (spot checks across the windows up to the last of the original 121 names: reordering the
// generator's tables would move them). A control left of its window's stretch point keeps its
// place when the window is narrowed: the pages, 1150 wide in the skin, fit a screen 1024 wide.
TEST(ProgramSkin, EveryControlHasANumberAndAPlaceAndPagesFitAScreen1024PixelsWide) {
    const Skin& skin = ProgramSkin();
    ASSERT_EQ(skin.windows.size(), 16u);
    const std::map<std::string, int> numbers{{"IDW_MAIN", 1000}, {"IDC_BTN_CLOSE", 1002}, {"IDW_LUXIAN_GUANLI", 1013},
                                             {"IDC_HTMLCTRL_MARK", 1044}, {"IDW_PAIBAN_ADD_PEIZHI", 1062},
                                             {"IDC_LSTCTRL_REPORT", 1093}, {"IDC_RAD_SETTING_LOG_FALSE", 1120}};
    for (const auto& [name, number] : numbers) EXPECT_EQ(skin.ids.NumberOf(name), number) << name;
    for (const Window& w : skin.windows) {
        EXPECT_NE(w.id, 0) << w.idName;
        for (const auto& c : w.controls) {
            EXPECT_NE(c.id, 0) << c.idName << " has no number";
            EXPECT_EQ(c.parentName, w.idName) << c.idName;
            EXPECT_FALSE(c.rect.IsEmpty()) << c.idName;
            EXPECT_LE(c.rect.right, w.size.width) << c.idName;
            EXPECT_LE(c.rect.bottom, w.size.height) << c.idName;
            const bool keepsItsPlace = c.visible && c.rect.right <= w.LayoutPoint().x;
            EXPECT_TRUE(w.size.width != 1150 || !keepsItsPlace || c.rect.right <= 1010) << w.idName << " " << c.idName;
        }
    }
    const Window* main = skin.FindWindow(std::string_view("IDW_MAIN"));
    EXPECT_EQ(main->FindControl(std::string_view("IDC_BTN_CLOSE"))->buttonType, ButtonType::CloseBox);
    EXPECT_EQ(main->FindControl(std::string_view("IDC_BTN_MIN"))->buttonType, ButtonType::MinimizeBox);
}

}  // namespace
}  // namespace fw::skin
