// Windows built from the program's skin on the offscreen platform.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>

#include "skin/CUIWnd.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "skin/SkinMessageBox.h"
#include "skin/SkinReader.h"
#include "tests/support/AccessibleTree.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

int Id(const char* name) { return SkinLibrary::Instance().Model().ids.NumberOf(name).value_or(0); }

class SkinUi : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SkinBrowser::SetViewsEnabled(false);
        ASSERT_TRUE(StartSkin());
    }
    // A window of the skin, built hidden and then shown off screen.
    static std::unique_ptr<CUIWnd> Build(const char* name) {
        auto w = std::make_unique<CUIWnd>();
        w->SetSkinWindowId(Id(name));
        EXPECT_TRUE(w->Create(nullptr, false)) << name;
        w->setAttribute(Qt::WA_DontShowOnScreen);
        w->show();
        QApplication::processEvents();
        return w;
    }
};

// Each window of the skin builds with every control in its place and every image it draws with.
// Screen readers find every control a user operates by its name: its caption, or the skin's name
// for it, which icon buttons also show as their tooltip.
TEST_F(SkinUi, EveryWindowBuildsWithEveryControlAndNamesEachOneAUserOperates) {
    for (const skin::Window& def : SkinLibrary::Instance().Model().windows) {
        SCOPED_TRACE(def.idName);
        auto w = Build(def.idName.c_str());
        // The mask colour cuts the corners.
        EXPECT_EQ(std::tuple(w->size(), w->objectName().toStdString(), w->Children().size(), w->mask().isEmpty()),
                  std::tuple(QSize(def.size.width, def.size.height), def.idName, def.controls.size(), !def.useMaskColor));
        for (const auto& c : def.controls) {
            if (skin::IsWindowless(c.family)) {
                EXPECT_EQ(w->GetDlgItem(c.id), nullptr) << c.idName;
                ASSERT_NE(w->FindWindowless(c.id), nullptr) << c.idName;
                EXPECT_EQ(w->FindWindowless(c.id)->visible, c.visible) << c.idName;
                continue;
            }
            QWidget* item = w->GetDlgItem(c.id);
            ASSERT_NE(item, nullptr) << c.idName;
            EXPECT_EQ(item->parentWidget(), w.get()) << c.idName;
            EXPECT_EQ(item->isHidden(), !c.visible) << c.idName;
            // A number used twice in a window finds its first control.
            if (item->objectName() == QString::fromStdString(c.idName)) {
                EXPECT_EQ(item->geometry(), QRect(c.rect.left, c.rect.top, c.rect.Width(), c.rect.Height())) << c.idName;
            }
        }
        EXPECT_EQ(test::Joined(test::NamelessNodes(w.get())), "");
        for (const auto& child : w->Children()) {
            auto* button = qobject_cast<SkinPushButton*>(child.widget);
            if (button == nullptr || !button->text().isEmpty()) continue;
            EXPECT_TRUE(!button->toolTip().isEmpty() && button->toolTip() == button->accessibleName())
                << child.def->idName;
        }
    }
    // Every image of the skin is compiled in, found whatever the case of its name, as are the
    // list rows' bitmaps.
    const auto& lib = SkinLibrary::Instance();
    for (const auto& name : lib.Model().ImageNames()) {
        EXPECT_FALSE(lib.Image(name).isNull()) << name;
        EXPECT_EQ(lib.Image(QString::fromStdString(name).toUpper().toStdString()).size(), lib.Image(name).size());
    }
    EXPECT_TRUE(lib.Image("no_such_image.bmp").isNull());
    for (int n : {131, 132, 133}) EXPECT_FALSE(SkinLibrary::Bitmap(n).isNull()) << n;
}

// A message box is an alert that says its text, and its buttons can be pressed through the bus;
// Enter gives the default answer.
TEST_F(SkinUi, AMessageBoxCanBeReadAndAnsweredWithoutAMouse) {
    const QString text = QStringLiteral("有 2 个班次没有车辆，仍然发送吗？");
    SkinMessageBox ask(nullptr, text, SkinMessageBox::Kind::Question);
    ask.setAttribute(Qt::WA_DontShowOnScreen);
    ask.SetButtons(QStringLiteral("仍然发送"), QStringLiteral("返回修改"), true);
    QStringList read;  // the description, then each node's name
    QTimer::singleShot(0, [&] {
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(&ask);
        EXPECT_EQ(box->role(), QAccessible::AlertMessage);
        read << box->text(QAccessible::Description);
        for (int i = 0; i < box->childCount(); ++i) read << box->child(i)->text(QAccessible::Name);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &ask, Qt::Key_Return);
        if (ask.isVisible()) ask.done(-1);  // Enter did nothing: fail, but do not hang
    });
    EXPECT_EQ(ask.exec(), QDialog::Rejected);  // Enter went back, the default here
    EXPECT_EQ(read, QStringList({text, text, QStringLiteral("仍然发送"), QStringLiteral("返回修改")}));

    // Answered through the bus, the box gives the keyboard back to its window: nothing else
    // would where no window manager runs.
    QWidget owner, other;
    for (QWidget* w : {&owner, &other}) {
        w->resize(300, 200);
        w->show();
    }
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    SkinMessageBox tell(&owner, QStringLiteral("车牌号码不能为空"));
    QTimer::singleShot(0, [&] {
        QAccessibleInterface* ok = QAccessible::queryAccessibleInterface(tell.OkButton());
        ASSERT_NE(ok->actionInterface(), nullptr);
        ok->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    });
    EXPECT_EQ(tell.exec(), QDialog::Accepted);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&owner, 1000));
}

// A click ticks a radio and clears the others of its group only, and never clears it; ticked from
// code a radio touches only itself, as the windows tick and clear their own. Through the bus a
// skin radio is a radio that says whether it is ticked, pressed as the mouse clicks it; a window
// of its own is a window. Clicks reach the window with the control's number.
TEST_F(SkinUi, RadiosAndButtonsByMouseCodeAndThroughTheBus) {
    auto w = Build("IDW_BAOBIAO");
    std::vector<int> clicked;
    QObject::connect(w.get(), &CUIWnd::commandClicked, [&](int id) { clicked.push_back(id); });
    auto* all = w->Item<QRadioButton>(Id("IDC_RAD_STAT_ZT_ALL"));
    auto* done = w->Item<QRadioButton>(Id("IDC_RAD_STAT_ZT_WANCHENG"));
    auto* pdf = w->Item<QRadioButton>(Id("IDC_RAD_STAT_TYPE_PDF"));
    all->setChecked(true);
    pdf->setChecked(true);
    auto ticks = [&] { return std::vector<bool>{all->isChecked(), done->isChecked(), pdf->isChecked()}; };
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(done);
    EXPECT_EQ(std::tuple(node->role(), node->text(QAccessible::Name), bool(node->state().checked)),
              std::tuple(QAccessible::RadioButton, QStringLiteral("完成"), false));
    node->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(node->state().checked);
    EXPECT_EQ(ticks(), std::vector<bool>({false, true, true}));  // the PDF radio is of another group
    QTest::mouseClick(all, Qt::LeftButton);
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_EQ(ticks(), std::vector<bool>({true, false, true}));
    done->setChecked(true);
    EXPECT_EQ(ticks(), std::vector<bool>({true, true, true}));
    all->setChecked(false);
    EXPECT_EQ(ticks(), std::vector<bool>({false, true, true}));
    QTest::mouseClick(w->GetDlgItem(Id("IDC_BTN_STAT_SEARCH")), Qt::LeftButton);
    EXPECT_EQ(clicked, (std::vector<int>{Id("IDC_RAD_STAT_ZT_WANCHENG"), Id("IDC_RAD_STAT_ZT_ALL"),
                                         Id("IDC_RAD_STAT_ZT_ALL"), Id("IDC_BTN_STAT_SEARCH")}));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.get())->role(), QAccessible::Window);
}

// The rules are the core's (TitleBar.DragRule, LayoutChild); here the window applies them: a drag
// on the title bar moves it, a drag on the border resizes it, and the children follow.
TEST_F(SkinUi, TheMouseMovesAndResizesTheWindowAndTheChildrenFollow) {
    auto main = Build("IDW_MAIN");
    const QPoint start = main->pos();
    QTest::mousePress(main.get(), Qt::LeftButton, {}, QPoint(700, 27));
    QTest::mouseMove(main.get(), QPoint(740, 47));
    EXPECT_EQ(main->pos(), start + QPoint(40, 20));
    QTest::mouseRelease(main.get(), Qt::LeftButton, {}, QPoint(740, 47));
    EXPECT_FALSE(main->IsDragging());

    const QSize size = main->size();
    const QRect close = main->GetDlgItem(Id("IDC_BTN_CLOSE"))->geometry();
    QTest::mousePress(main.get(), Qt::LeftButton, {}, QPoint(1148, 653));
    ASSERT_TRUE(main->IsBorderResizing());
    QTest::mouseMove(main.get(), QPoint(1248, 703));
    QTest::mouseRelease(main.get(), Qt::LeftButton, {}, QPoint(1248, 703));
    EXPECT_FALSE(main->IsBorderResizing());
    QApplication::processEvents();
    EXPECT_EQ(main->size(), size + QSize(100, 50));
    EXPECT_EQ(main->GetDlgItem(Id("IDC_BTN_CLOSE"))->geometry(), close.translated(100, 0));
}

// A modal run disables its owner and ends with the close box's number, or with 2 (cancel) on
// Escape, also typed in a field, or on a close request.
TEST_F(SkinUi, AModalRunEndsByItsCloseBoxEscapeOrACloseRequest) {
    QWidget owner;
    owner.setAttribute(Qt::WA_DontShowOnScreen);
    owner.show();
    CUIWnd settings(&owner);
    settings.SetSkinWindowId(Id("IDW_SETTING"));
    settings.setAttribute(Qt::WA_DontShowOnScreen);
    bool ownerDisabled = false;
    QTimer::singleShot(0, [&] {
        ownerDisabled = !owner.isEnabled() && settings.IsModal();
        QTest::mouseClick(settings.GetDlgItem(Id("IDC_BTN_SETTING_CLOSE")), Qt::LeftButton);
    });
    EXPECT_EQ(settings.DoModal(), Id("IDC_BTN_SETTING_CLOSE"));
    EXPECT_TRUE(ownerDisabled && owner.isEnabled());
    EXPECT_FALSE(settings.isVisible() || settings.IsModal());
    for (const std::function<void()>& end : std::vector<std::function<void()>>{
             [&] { QTest::keyClick(&settings, Qt::Key_Escape); },
             [&] { QTest::keyClick(settings.GetDlgItem(Id("IDC_RAD_SETTING_LOG_TRUE")), Qt::Key_Escape); },
             [&] { settings.close(); }}) {
        QTimer::singleShot(0, end);
        EXPECT_EQ(settings.DoModal(), 2);
    }
}

TEST_F(SkinUi, DeletingAModalWindowWhileItRunsGivesTheOwnerBack) {
    QWidget owner;
    auto* dialog = new CUIWnd(&owner);
    dialog->SetSkinWindowId(Id("IDW_SETTING"));
    dialog->setAttribute(Qt::WA_DontShowOnScreen);
    QTimer::singleShot(0, [&] { delete dialog; });
    EXPECT_EQ(dialog->DoModal(), 2);
    EXPECT_TRUE(owner.isEnabled());
}

TEST(SkinStart, ANewerSkinIsRefusedWithTheReason) {
    QTemporaryDir dir;
    for (const auto& [name, text] : {std::pair{"the.xui", "<GlimmerkitUI><Version Version=\"0701\" Build=\"1\"/></GlimmerkitUI>"},
                                     {"resource.h", "#define IDW_MAIN 1000\n"}})  // names match whatever their case
        test::WriteFile(QDir(dir.path()).filePath(name).toStdString(), text);
    std::vector<std::string> messages;
    SetSkinMessageHook([&](const QString& m) { messages.push_back(m.toStdString()); });
    EXPECT_FALSE(StartSkinFrom(dir.path()));
    SetSkinMessageHook(nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{std::string(skin::kNewerSkinMessage),
                                                  "Failed to set the ui path or the ui path isn't exist!"}));
    ASSERT_TRUE(StartSkin());  // leave the program's skin loaded for the other tests
}

}  // namespace
}  // namespace fw
