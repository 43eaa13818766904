#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/SkinAccessibility.h"

namespace fw::skin {
namespace {

Rect At(int x, int y, int w, int h) { return Rect::FromLocationSize({x, y}, {w, h}); }

// Tab follows the eye, not the order the skin lists the controls in.
TEST(ReadingOrder, RowsTopToBottomEachLeftToRight) {
    // The login window as listed: close box, user, password, remember, 登录, then the server
    // field added below the password.
    EXPECT_EQ(ReadingOrder({At(345, 0, 42, 25), At(124, 76, 220, 28), At(124, 112, 220, 28),
                            At(124, 184, 100, 22), At(124, 214, 220, 32), At(124, 148, 220, 28)}),
              (std::vector<std::size_t>{0, 1, 2, 5, 3, 4}));
    // One row of controls of different heights and tops (a combo at 22, a radio at 55 beside a
    // button at 52), listed out of order; a list below spans far more than a row.
    EXPECT_EQ(ReadingOrder({At(958, 52, 50, 28), At(270, 22, 160, 28), At(52, 55, 80, 24),
                            At(1, 98, 1145, 449), At(52, 22, 160, 28), At(958, 22, 50, 28),
                            At(136, 55, 80, 24)}),
              (std::vector<std::size_t>{4, 1, 5, 2, 6, 0, 3}));
    // A column of small controls beside a tall one is read with it, top to bottom, on whichever
    // side it stands.
    EXPECT_EQ(ReadingOrder({At(0, 0, 100, 300), At(120, 0, 50, 20), At(120, 200, 50, 20),
                            At(120, 100, 50, 20)}),
              (std::vector<std::size_t>{0, 1, 3, 2}));
    EXPECT_EQ(ReadingOrder({At(200, 0, 100, 300), At(120, 0, 50, 20), At(120, 200, 50, 20),
                            At(120, 100, 50, 20)}),
              (std::vector<std::size_t>{1, 3, 2, 0}));
    EXPECT_TRUE(ReadingOrder({}).empty());
}

TEST(AccessibleName, TheSkinsNameThenTheTooltipThenTheTitleBarBox) {
    struct Row {
        std::string name, toolTip;
        bool toolTipOn;
        ButtonType type;
        std::string expected;
    };
    for (const Row& row : std::vector<Row>{
             {"页码", "", false, ButtonType::Normal, "页码"},
             {"路线名称", "搜索", true, ButtonType::Normal, "路线名称"},
             {"", "首页", true, ButtonType::Normal, "首页"},
             {"", "首页", false, ButtonType::Normal, ""},  // a tooltip switched off says nothing
             {"", "", false, ButtonType::MinimizeBox, "最小化"},
             {"", "", false, ButtonType::MaximizeBox, "最大化"},
             {"", "", false, ButtonType::CloseBox, "关闭"},
             {"退出", "", false, ButtonType::CloseBox, "退出"},
             {"", "", false, ButtonType::Normal, ""},
         }) {
        Control c;
        c.caption = "查询";  // a caption is the control's own text, not a name given besides it
        c.accessibleName = row.name;
        c.toolTip = row.toolTip;
        c.toolTipEnabled = row.toolTipOn;
        c.buttonType = row.type;
        EXPECT_EQ(AccessibleName(c), row.expected) << row.name << "/" << row.toolTip;
    }
    EXPECT_EQ(SystemBoxName(ButtonType::MaximizeBox, true), "还原");
}

}  // namespace
}  // namespace fw::skin
