// Windows built from the program's skin on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <string>

#include "skin/CUIWnd.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "skin/SkinReader.h"

namespace fw {
namespace {

QApplication* App() {
    static int argc = 1;
    static char name[] = "test_skin_ui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return new QApplication(argc, argv);
    }();
    return app;
}

int Id(const char* name) { return SkinLibrary::Instance().Model().ids.NumberOf(name).value_or(0); }

class SkinUi : public testing::Test {
protected:
    static void SetUpTestSuite() {
        App();
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

class EveryWindow : public SkinUi, public testing::WithParamInterface<const char*> {};

TEST_P(EveryWindow, BuildsWithEveryControl) {
    auto w = Build(GetParam(), false);
    ASSERT_TRUE(w->IsCreated());
    const skin::Window* def = SkinLibrary::Instance().Model().FindWindow(std::string_view(GetParam()));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(w->size(), QSize(def->size.width, def->size.height));
    EXPECT_EQ(w->objectName(), GetParam());
    EXPECT_EQ(w->property("GLK_UIWND_STRINGID").toString(), GetParam());
    EXPECT_EQ(w->Children().size(), def->controls.size());
    for (const auto& c : def->controls) {
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

INSTANTIATE_TEST_SUITE_P(Skin, EveryWindow,
                         testing::Values("IDW_MAIN", "IDW_SUBMENU_LUXIAN", "IDW_LUXIAN_GUANLI", "IDW_LUXIAN_ADD",
                                         "IDW_SUBMEBU_PAIBAN", "IDW_PAIBAN_GUANLI", "IDW_PAIBAN_ADD_FILE",
                                         "IDW_PAIBAN_ADD_PEIZHI", "IDW_BAOBIAO", "IDW_LOGIN", "IDW_BUS_MONITOR",
                                         "IDW_LOAD", "IDW_BAOBIAO_HEAD", "IDW_BAOBIAO_WEB", "IDW_SETTING",
                                         "IDW_BAOBIAO_CHART"));

TEST_F(SkinUi, ControlsCarryTheirSkinLook) {
    auto login = Build("IDW_LOGIN");
    auto* password = login->Item<QLineEdit>(Id("IDC_EDT_LOGIN_PASSWORD"));
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(login->Item<QAbstractButton>(Id("IDC_BTN_LOGIN"))->text(), QString::fromUtf8("登录"));
    EXPECT_EQ(login->Item<QLabel>(Id("IDC_STA_LOGIN_USER"))->text(), QString::fromUtf8("用户名"));
    EXPECT_EQ(login->findChild<QWidget*>("IDC_CHK_LOGIN_JIZHU"), login->GetDlgItem(Id("IDC_CHK_LOGIN_JIZHU")));

    auto report = Build("IDW_BAOBIAO");
    auto* list = report->Item<SkinListCtrl>(Id("IDC_LSTCTRL_REPORT"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->header()->height(), 34);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    list->SetImageList({SkinLibrary::Bitmap(132), SkinLibrary::Bitmap(131)});
    list->setColumnCount(2);
    auto* row = new QTreeWidgetItem(list, {"a", "b"});
    QApplication::processEvents();
    EXPECT_EQ(list->visualItemRect(row).height(), 33);

    auto* start = report->Item<QDateTimeEdit>(Id("IDC_DATETIME_STAT_S"));
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->displayFormat(), QStringLiteral("yyyy-MM-dd"));
}

TEST_F(SkinUi, TitleBarDragRule) {
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

    auto bar = Build("IDW_SUBMENU_LUXIAN");  // title bar 0: never dragged
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, QPoint(600, 2));
    EXPECT_FALSE(bar->IsDragging());
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, QPoint(600, 2));

    auto load = Build("IDW_LOAD");  // negative: dragged from anywhere
    QTest::mousePress(load.get(), Qt::LeftButton, {}, QPoint(20, 130));
    EXPECT_TRUE(load->IsDragging());
    QTest::mouseRelease(load.get(), Qt::LeftButton, {}, QPoint(20, 130));
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

TEST_F(SkinUi, ChildrenFollowTheWindowWhenResized) {
    auto list = Build("IDW_LUXIAN_GUANLI");
    list->resize(1350, 760);
    QApplication::processEvents();
    // The list spans the resizing point and grows; the pager stays left and moves down.
    EXPECT_EQ(list->GetDlgItem(Id("IDC_LSTCTRL_LX_GL"))->geometry(), QRect(1, 54, 1348, 668));
    EXPECT_EQ(list->GetDlgItem(Id("IDC_BTN_LX_GL_FENYE_SHOUYE"))->geometry(), QRect(11, 729, 28, 23));
    EXPECT_EQ(list->GetDlgItem(Id("IDC_BTN_LX_GL_SEARCH"))->geometry(), QRect(300, 14, 80, 28));
    EXPECT_EQ(list->FindWindowless(Id("IDC_WL_PIC_LX_GL_FENYE_LINE"))->rect, QRect(143, 729, 2, 23));

    auto main = Build("IDW_MAIN");
    main->resize(1920, 1000);
    QApplication::processEvents();
    // "Right" buttons keep their distance from the right edge.
    EXPECT_EQ(main->GetDlgItem(Id("IDC_BTN_CLOSE"))->geometry(), QRect(1878, 0, 42, 25));
    EXPECT_EQ(main->GetDlgItem(Id("IDC_BTN_SETTING"))->geometry(), QRect(1844, 31, 28, 28));
    EXPECT_EQ(main->GetDlgItem(Id("IDC_RAD_MENU_XIANLU"))->geometry(), QRect(180, 28, 120, 34));
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
    EXPECT_EQ(w.WindowData().titleBarHeight, 24);
    EXPECT_EQ(w.size(), QSize(100, 100));
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
    // A four-state button image cuts into parts of the button's width.
    const QImage close = lib.Image("close.bmp");
    EXPECT_EQ(close.size(), QSize(168, 25));
    EXPECT_TRUE(lib.Image("no_such_image.bmp").isNull());
    // The list rows' bitmaps.
    for (int n : {131, 132, 133}) EXPECT_EQ(SkinLibrary::Bitmap(n).size(), QSize(n == 133 ? 1 : 15, 33)) << n;
}

// A skin folder with a disabled control and one of a family this program does not draw.
TEST(SkinFolder, DisabledAndUnknownControlsStillBuild) {
    App();
    SkinBrowser::SetViewsEnabled(false);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](const char* name, const QByteArray& text) {
        QFile f(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("RESOURCE.H", "#define IDW_T 1000\n#define IDC_BTN_OFF 1001\n#define IDC_SLD 1002\n");
    write("the.xui",
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
    App();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<QString> messages;
    SetSkinMessageHook([&](const QString& m) { messages.push_back(m); });

    EXPECT_FALSE(StartSkinFrom(dir.path()));  // nothing there
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Failed to set the ui path or the ui path isn't exist!"));

    QFile xui(QDir(dir.path()).filePath("the.xui"));
    ASSERT_TRUE(xui.open(QIODevice::WriteOnly));
    xui.write("<GlimmerkitUI><Version Version=\"0701\" Build=\"5542\"/></GlimmerkitUI>");
    xui.close();
    QFile header(QDir(dir.path()).filePath("resource.h"));  // names match without regard to case
    ASSERT_TRUE(header.open(QIODevice::WriteOnly));
    header.write("#define IDW_MAIN 1000\n");
    header.close();
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
