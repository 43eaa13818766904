// Windows built from the program's skin on the offscreen platform.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <string>

#include "skin/CUIWnd.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "skin/SkinMessageBox.h"
#include "skin/SkinReader.h"
#include "tests/support/AccessibleTree.h"

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
    static std::unique_ptr<CUIWnd> Build(const char* name, bool show = true, QWidget* owner = nullptr) {
        auto w = std::make_unique<CUIWnd>(owner);
        w->SetSkinWindowId(Id(name));
        EXPECT_TRUE(w->Create(nullptr, false)) << name;
        if (show) {
            w->setAttribute(Qt::WA_DontShowOnScreen);
            w->show();
            QApplication::processEvents();
        }
        return w;
    }
};

// Each window of the skin, whichever it holds, builds with every control in its place.
TEST_F(SkinUi, EveryWindowBuildsWithEveryControl) {
    const auto& windows = SkinLibrary::Instance().Model().windows;
    ASSERT_GE(windows.size(), 16u);
    for (const skin::Window& def : windows) {
        SCOPED_TRACE(def.idName);
        auto w = Build(def.idName.c_str(), false);
        ASSERT_TRUE(w->IsCreated());
        EXPECT_EQ(w->size(), QSize(def.size.width, def.size.height));
        EXPECT_EQ(w->objectName().toStdString(), def.idName);
        EXPECT_EQ(w->property("GLK_UIWND_STRINGID").toString().toStdString(), def.idName);
        EXPECT_EQ(w->Children().size(), def.controls.size());
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
    }
}

// Screen readers and UI automation find every control a user operates by its name: captioned
// ones by their caption, the others by the skin's name for them, which icon buttons also show
// as their tooltip.
TEST_F(SkinUi, EveryControlAUserOperatesHasAName) {
    for (const skin::Window& def : SkinLibrary::Instance().Model().windows) {
        auto w = Build(def.idName.c_str());
        EXPECT_EQ(test::Joined(test::NamelessNodes(w.get())), "") << def.idName;
        for (const auto& child : w->Children()) {
            auto* button = qobject_cast<SkinPushButton*>(child.widget);
            if (button == nullptr || !button->text().isEmpty()) continue;
            EXPECT_FALSE(button->toolTip().isEmpty()) << child.def->idName;
            EXPECT_EQ(button->toolTip(), button->accessibleName()) << child.def->idName;
        }
    }
    // The text field inside a picker is named with it.
    auto report = Build("IDW_BAOBIAO");
    auto* plates = report->Item<QComboBox>(Id("IDC_CMB_STAT_CHEPAI"));
    ASSERT_NE(plates, nullptr);
    ASSERT_NE(plates->lineEdit(), nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(plates->lineEdit())->text(QAccessible::Name),
              QStringLiteral("车牌号"));
}

// A list reads out its column headings and its cells.
TEST_F(SkinUi, ListsExposeHeadingsAndCells) {
    auto w = Build("IDW_LUXIAN_GUANLI");
    auto* list = w->Item<SkinListCtrl>(Id("IDC_LSTCTRL_LX_GL"));
    ASSERT_NE(list, nullptr);
    list->setHeaderLabels({QStringLiteral("线路名称"), QStringLiteral("站点数")});
    list->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("155路"), QStringLiteral("12")}));
    QApplication::processEvents();  // the rows are laid out
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(QAccessible::Name), QStringLiteral("线路列表"));
    QAccessibleTableInterface* table = node->tableInterface();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->columnCount(), 2);
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->cellAt(0, 1)->text(QAccessible::Name), QStringLiteral("12"));
    QStringList headings;
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->role() == QAccessible::ColumnHeader)
            headings << node->child(i)->text(QAccessible::Name);
    EXPECT_EQ(headings, QStringList({QStringLiteral("线路名称"), QStringLiteral("站点数")}));
}

// A message box is an alert that says its text, and its buttons can be pressed through the bus;
// Enter gives the default answer.
TEST_F(SkinUi, AMessageBoxCanBeReadAndAnsweredWithoutAMouse) {
    const QString text = QStringLiteral("有 2 个班次没有车辆，仍然发送吗？");
    SkinMessageBox ask(nullptr, text, SkinMessageBox::Kind::Question);
    ask.setAttribute(Qt::WA_DontShowOnScreen);
    ask.SetButtons(QStringLiteral("仍然发送"), QStringLiteral("返回修改"), true);
    QString description;
    QStringList read;
    QTimer::singleShot(0, [&] {
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(&ask);
        EXPECT_EQ(box->role(), QAccessible::AlertMessage);
        description = box->text(QAccessible::Description);
        for (int i = 0; i < box->childCount(); ++i) read << box->child(i)->text(QAccessible::Name);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &ask,
                        Qt::Key_Return);
        if (ask.isVisible()) ask.done(-1);  // Enter did nothing: fail, but do not hang
    });
    EXPECT_EQ(ask.exec(), QDialog::Rejected);  // Enter went back, the default here
    EXPECT_EQ(description, text);
    EXPECT_EQ(read, QStringList({text, QStringLiteral("仍然发送"), QStringLiteral("返回修改")}));

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

// Through the bus a skin radio is a radio that says whether it is ticked, and pressing it clicks
// it as the mouse does; a window of its own is a window.
TEST_F(SkinUi, RadiosAndWindowsAreWhatTheyAreToTheBus) {
    auto w = Build("IDW_BAOBIAO");
    std::vector<int> clicked;
    QObject::connect(w.get(), &CUIWnd::commandClicked, [&](int id) { clicked.push_back(id); });
    auto* all = w->Item<QRadioButton>(Id("IDC_RAD_STAT_ZT_ALL"));
    auto* done = w->Item<QRadioButton>(Id("IDC_RAD_STAT_ZT_WANCHENG"));
    all->setChecked(true);
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(done);
    EXPECT_EQ(node->role(), QAccessible::RadioButton);
    EXPECT_EQ(node->text(QAccessible::Name), QStringLiteral("完成"));
    EXPECT_FALSE(node->state().checked);
    node->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(node->state().checked);
    EXPECT_FALSE(all->isChecked());
    EXPECT_EQ(clicked, std::vector<int>{Id("IDC_RAD_STAT_ZT_WANCHENG")});
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.get())->role(), QAccessible::Window);
}

TEST_F(SkinUi, ControlsCarryTheirSkinLook) {
    auto login = Build("IDW_LOGIN");
    auto* password = login->Item<QLineEdit>(Id("IDC_EDT_LOGIN_PASSWORD"));
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(login->findChild<QWidget*>("IDC_CHK_LOGIN_JIZHU"), login->GetDlgItem(Id("IDC_CHK_LOGIN_JIZHU")));

    auto report = Build("IDW_BAOBIAO");
    // Rows as tall as their images, whole rows selected.
    auto* list = report->Item<SkinListCtrl>(Id("IDC_LSTCTRL_REPORT"));
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    list->SetImageList({SkinLibrary::Bitmap(132), SkinLibrary::Bitmap(131)});
    list->setColumnCount(2);
    auto* row = new QTreeWidgetItem(list, {"a", "b"});
    QApplication::processEvents();
    EXPECT_EQ(list->visualItemRect(row).height(), SkinLibrary::Bitmap(132).height());
    EXPECT_EQ(report->Item<QDateTimeEdit>(Id("IDC_DATETIME_STAT_S"))->displayFormat(), QStringLiteral("yyyy-MM-dd"));
}

// The rule is the core's (TitleBar.DragRule); the window applies it with its own title bar.
TEST_F(SkinUi, TitleBarDragsTheWindow) {
    auto main = Build("IDW_MAIN");
    ASSERT_EQ(main->WindowData().titleBarHeight, 28);
    QTest::mousePress(main.get(), Qt::LeftButton, {}, QPoint(700, 27));
    EXPECT_TRUE(main->IsDragging());
    const QPoint before = main->pos();
    QTest::mouseMove(main.get(), QPoint(740, 47));
    EXPECT_EQ(main->pos(), before + QPoint(40, 20));
    QTest::mouseRelease(main.get(), Qt::LeftButton, {}, QPoint(740, 47));
    EXPECT_FALSE(main->IsDragging());

    QTest::mousePress(main.get(), Qt::LeftButton, {}, QPoint(700, 28));
    EXPECT_FALSE(main->IsDragging());
    QTest::mouseRelease(main.get(), Qt::LeftButton, {}, QPoint(700, 28));
}

TEST_F(SkinUi, BorderResizingKeepsTheMinimum) {
    auto main = Build("IDW_MAIN");
    main->setMinimumSize(800, 500);
    const QRect before = main->geometry();
    QTest::mousePress(main.get(), Qt::LeftButton, {}, QPoint(1148, 653));
    ASSERT_TRUE(main->IsBorderResizing());
    QTest::mouseMove(main.get(), QPoint(1148 + 100, 653 + 50));
    EXPECT_EQ(main->size(), before.size() + QSize(100, 50));
    QTest::mouseRelease(main.get(), Qt::LeftButton, {}, QPoint(1248, 703));
    EXPECT_FALSE(main->IsBorderResizing());
}

// Where each mode puts a child is the core's (LayoutModeTest); here: a resize moves the children,
// windowless ones included, by those rules.
TEST_F(SkinUi, ChildrenFollowTheWindowWhenResized) {
    auto list = Build("IDW_LUXIAN_GUANLI");
    const QRect grid = list->GetDlgItem(Id("IDC_LSTCTRL_LX_GL"))->geometry();
    const QRect line = list->FindWindowless(Id("IDC_WL_PIC_LX_GL_FENYE_LINE"))->rect;
    list->resize(list->width() + 200, list->height() + 200);
    QApplication::processEvents();
    EXPECT_EQ(list->GetDlgItem(Id("IDC_LSTCTRL_LX_GL"))->geometry(), grid.adjusted(0, 0, 200, 200));
    EXPECT_EQ(list->FindWindowless(Id("IDC_WL_PIC_LX_GL_FENYE_LINE"))->rect, line.translated(0, 200));
    auto main = Build("IDW_MAIN");  // its close box keeps its distance from the right edge
    const QRect close = main->GetDlgItem(Id("IDC_BTN_CLOSE"))->geometry();
    main->resize(main->width() + 300, main->height());
    QApplication::processEvents();
    EXPECT_EQ(main->GetDlgItem(Id("IDC_BTN_CLOSE"))->geometry(), close.translated(300, 0));
}

TEST_F(SkinUi, RadioGroupsAreExclusiveOnClickOnly) {
    auto report = Build("IDW_BAOBIAO");
    auto* all = report->Item<QRadioButton>(Id("IDC_RAD_STAT_ZT_ALL"));
    auto* done = report->Item<QRadioButton>(Id("IDC_RAD_STAT_ZT_WANCHENG"));
    auto* pdf = report->Item<QRadioButton>(Id("IDC_RAD_STAT_TYPE_PDF"));
    all->setChecked(true);
    pdf->setChecked(true);
    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_TRUE(done->isChecked());
    EXPECT_FALSE(all->isChecked());
    EXPECT_TRUE(pdf->isChecked());  // another group
    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_TRUE(done->isChecked());  // a click never clears a radio
    // From code, ticking touches only the one button, as the windows tick and clear themselves.
    all->setChecked(true);
    EXPECT_TRUE(done->isChecked());
    done->setChecked(false);
    all->setChecked(false);
    EXPECT_FALSE(done->isChecked() || all->isChecked());
}

TEST_F(SkinUi, ClicksReachTheWindow) {
    auto w = Build("IDW_LUXIAN_GUANLI");
    std::vector<int> clicked;
    QObject::connect(w.get(), &CUIWnd::commandClicked, [&](int id) { clicked.push_back(id); });
    QTest::mouseClick(w->GetDlgItem(Id("IDC_BTN_LX_GL_FENYE_NEXT")), Qt::LeftButton);
    QTest::mouseClick(w->GetDlgItem(Id("IDC_BTN_LX_GL_SEARCH")), Qt::LeftButton);
    EXPECT_EQ(clicked, (std::vector<int>{1022, 1016}));
}

TEST_F(SkinUi, CloseBoxEndsAModalRunWithItsIdentifier) {
    QWidget owner;
    owner.setAttribute(Qt::WA_DontShowOnScreen);
    owner.show();
    CUIWnd login(&owner);
    login.SetSkinWindowId(Id("IDW_LOGIN"));
    login.setAttribute(Qt::WA_DontShowOnScreen);
    bool ownerDisabled = false;
    QTimer::singleShot(0, [&] {
        ownerDisabled = !owner.isEnabled();
        EXPECT_TRUE(login.IsModal());
        QTest::mouseClick(login.GetDlgItem(Id("IDC_BTN_LOGIN_CLOSE")), Qt::LeftButton);
    });
    EXPECT_EQ(login.DoModal(), 1095);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(login.isVisible());
    EXPECT_FALSE(login.IsModal());
}

TEST_F(SkinUi, EscapeAndCloseRequestEndAModalRunWithCancel) {
    CUIWnd settings;
    settings.SetSkinWindowId(Id("IDW_SETTING"));
    settings.setAttribute(Qt::WA_DontShowOnScreen);
    QTimer::singleShot(0, [&] { QTest::keyClick(&settings, Qt::Key_Escape); });
    EXPECT_EQ(settings.DoModal(), 2);

    // Escape typed in a field of the window ends it too.
    QTimer::singleShot(0, [&] { QTest::keyClick(settings.GetDlgItem(Id("IDC_RAD_SETTING_LOG_TRUE")), Qt::Key_Escape); });
    EXPECT_EQ(settings.DoModal(), 2);

    QTimer::singleShot(0, [&] { settings.close(); });
    EXPECT_EQ(settings.DoModal(), 2);

    QTimer::singleShot(0, [&] { QTest::mouseClick(settings.GetDlgItem(Id("IDC_BTN_SETTING_CLOSE")), Qt::LeftButton); });
    EXPECT_EQ(settings.DoModal(), Id("IDC_BTN_SETTING_CLOSE"));

    // Outside a modal run the close box just closes the window.
    auto w = Build("IDW_SETTING");
    ASSERT_TRUE(w->isVisible());
    QTest::mouseClick(w->GetDlgItem(Id("IDC_BTN_SETTING_CLOSE")), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
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

TEST_F(SkinUi, MaskColourCutsTheWindowRegion) {
    auto login = Build("IDW_LOGIN");
    const QRegion region = login->mask();
    ASSERT_FALSE(region.isEmpty());
    EXPECT_FALSE(region.contains(QPoint(0, 0)));  // rounded corner in the mask colour
    EXPECT_TRUE(region.contains(QPoint(193, 133)));
    EXPECT_TRUE(Build("IDW_MAIN")->mask().isEmpty());
}

TEST_F(SkinUi, BrowserIsMadeOnlyWhenShown) {
    auto w = Build("IDW_BUS_MONITOR", false);
    auto* browser = w->Item<SkinBrowser>(Id("IDC_HTMLCTRL_BUS_MONITOR"));
    ASSERT_NE(browser, nullptr);
    EXPECT_FALSE(browser->IsViewCreated());
    browser->Navigate(QUrl("http://127.0.0.1:1/monitor"));
    EXPECT_FALSE(browser->IsViewCreated());
    EXPECT_EQ(browser->PendingUrl(), QUrl("http://127.0.0.1:1/monitor"));
}

TEST_F(SkinUi, AWindowMissingFromTheSkinKeepsItsDefaults) {
    CUIWnd w;
    w.SetSkinWindowId(4242);
    ASSERT_TRUE(w.Create(nullptr, false));
    EXPECT_TRUE(w.Children().empty());
}

TEST_F(SkinUi, EveryImageOfTheSkinIsCompiledIn) {
    const auto& lib = SkinLibrary::Instance();
    for (const auto& name : lib.Model().ImageNames()) {
        const QImage img = lib.Image(name);
        EXPECT_FALSE(img.isNull()) << name;
        // Resource names match without regard to case.
        QString upper = QString::fromStdString(name).toUpper();
        EXPECT_EQ(lib.Image(upper.toStdString()).size(), img.size()) << name;
    }
    EXPECT_TRUE(lib.Image("no_such_image.bmp").isNull());
    for (int n : {131, 132, 133}) EXPECT_FALSE(SkinLibrary::Bitmap(n).isNull()) << n;  // the list rows'
}

// A skin folder with a disabled control and one of a family this program does not draw.
void Write(const QTemporaryDir& dir, const char* name, const QByteArray& text) {
    QFile f(QDir(dir.path()).filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

TEST(SkinFolder, DisabledAndUnknownControlsStillBuild) {
    SkinBrowser::SetViewsEnabled(false);
    QTemporaryDir dir;
    Write(dir, "RESOURCE.H", "#define IDW_T 1000\n#define IDC_BTN_OFF 1001\n#define IDC_SLD 1002\n");
    Write(dir, "the.xui",
          "<GlimmerkitUI><Version Version=\"0700\" Build=\"5542\"/><Windows><Window>"
          "<ID Value=\"IDW_T\"/><Rect Size=\"200,100\" Location=\"0,0\"/><TitleBarHeight Value=\"0\"/>"
          "<Controls>"
          "<PUSHBUTTON><ID Value=\"IDC_BTN_OFF\"/><Rect Size=\"80,28\" Location=\"10,10\"/>"
          "<IsDisabled Value=\"true\"/><Caption Value=\"off\"/></PUSHBUTTON>"
          "<SLIDER><ID Value=\"IDC_SLD\"/><Rect Size=\"80,20\" Location=\"10,50\"/></SLIDER>"
          "</Controls></Window></Windows></GlimmerkitUI>");
    QString error;
    ASSERT_EQ(SkinLibrary::Instance().LoadFromDirectory(dir.path(), &error), 0) << error.toStdString();
    {
        CUIWnd w;
        w.SetSkinWindowId(1000);
        ASSERT_TRUE(w.Create(nullptr, false));
        EXPECT_EQ(w.WindowData().titleBarHeight, 0);
        ASSERT_NE(w.GetDlgItem(1001), nullptr);
        EXPECT_FALSE(w.GetDlgItem(1001)->isEnabled());
        ASSERT_NE(w.GetDlgItem(1002), nullptr);
        EXPECT_EQ(w.GetDlgItem(1002)->geometry(), QRect(10, 50, 80, 20));
    }
    ASSERT_TRUE(StartSkin());
}

// Loading a skin folder that is broken reports why, and the program is told to end.
TEST(SkinStart, FailuresAreExplained) {
    QTemporaryDir dir;
    std::vector<QString> messages;
    SetSkinMessageHook([&](const QString& m) { messages.push_back(m); });

    EXPECT_FALSE(StartSkinFrom(dir.path()));  // nothing there
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Failed to set the ui path or the ui path isn't exist!"));

    Write(dir, "the.xui", "<GlimmerkitUI><Version Version=\"0701\" Build=\"5542\"/></GlimmerkitUI>");
    Write(dir, "resource.h", "#define IDW_MAIN 1000\n");  // names match without regard to case
    messages.clear();
    QString error;
    EXPECT_EQ(SkinLibrary::Instance().LoadFromDirectory(dir.path(), &error), skin::kSkinNewerVersion);
    EXPECT_FALSE(StartSkinFrom(dir.path()));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].toStdString(), skin::kNewerSkinMessage);
    EXPECT_EQ(messages[1], QStringLiteral("Failed to set the ui path or the ui path isn't exist!"));

    SetSkinMessageHook(nullptr);
    ASSERT_TRUE(StartSkin());  // leave the program's skin loaded for the other tests
}

}  // namespace
}  // namespace fw
