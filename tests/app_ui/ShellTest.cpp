#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <fstream>

#include "app/Language.h"
#include "app/MainWindow.h"
#include "app/PageWindow.h"
#include "app/SettingsWindow.h"
#include "base/Home.h"
#include "base/MessageBox.h"
#include "res/RESOURCE.H"
#include "sim/DispatchServer.h"
#include "sim/ScenarioGenerator.h"
#include "sim/SimState.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "tests/support/AccessibleTree.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"

namespace fw {
namespace {

using test::WaitFor;

// Runs `action` on the login window as soon as it is up and idle (it runs modally, so the test
// queues the action before whatever brings the window up).
void WhenLoginShows(MainWindow& w, std::function<void(LoginWindow&)> action) {
    auto* timer = new QTimer(&w);
    QObject::connect(timer, &QTimer::timeout, &w, [timer, &w, action] {
        LoginWindow* login = w.ActiveLoginWindow();
        if (login == nullptr || !login->isVisible() || login->IsConnecting()) return;
        timer->stop();
        timer->deleteLater();
        action(*login);
    });
    timer->start(10);
}

void ClickLogin(LoginWindow& login) { login.Item<QAbstractButton>(IDC_BTN_LOGIN)->click(); }
void CancelLogin(LoginWindow& login) { login.Item<QAbstractButton>(IDC_BTN_LOGIN_CLOSE)->click(); }

// The skin control a focused widget belongs to (the text field of a picker is its own widget).
std::string FocusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget())
        if (w->objectName().startsWith(QStringLiteral("IDC_")))
            return w->objectName().toStdString();
    return QApplication::focusWidget() ? "?" : "none";
}

// Where Tab takes the focus from here, `steps` times.
std::string TabStops(int steps) {
    std::vector<std::string> stops;
    while (steps-- > 0) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        stops.push_back(FocusedControl());
    }
    return test::Joined(stops);
}

class ShellTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SkinBrowser::SetViewsEnabled(false);
        ASSERT_TRUE(StartSkin());
    }
    void SetUp() override {
        Observe();
        server = std::make_unique<sim::DispatchServer>(state, [](const QString&) {});
        ASSERT_TRUE(server->Listen(QHostAddress::LocalHost, 0, nullptr));
        port = server->Port();
        WriteConf();
    }
    void TearDown() override { SetMessageObserver({}); }

    void Observe(bool runLoop = false) {
        SetMessageObserver([this](const QString& text) { messages.push_back(text.toStdString()); }, runLoop);
    }
    void WriteConf(const std::string& extra = "") {
        std::ofstream(ConfPath()) << "[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\nRemember=1\n"
                                     "DataName=bus\nDataBasePsw=\nWrite=1\nPort="
                                  << port << "\nWebPort=8089\n" << extra;
    }
    std::string ConfPath() const { return home.File("conf.ini"); }

    MainWindow::Options Options(bool autoLogin = false) const {
        return {.home = home.Path(), .autoLogin = autoLogin, .heartbeatMs = 200, .sweepMs = 200, .reconnectDivisor = 20};
    }
    // Signed in unattended, the stores filled.
    void LogIn(MainWindow& w) {
        ASSERT_TRUE(w.Start());
        ASSERT_TRUE(w.LoggedIn());
        ASSERT_TRUE(WaitFor([&] { return w.Vehicles().Size() >= 12; }, 5000));
    }

    test::TempHome home;
    sim::SimState state{sim::GenerateScenario(7, "2014-08-25")};
    std::unique_ptr<sim::DispatchServer> server;
    quint16 port = 0;
    std::vector<std::string> messages;
};

// An installed program's first start: a home made for the user, and the login window waiting at
// the empty server field with a hint of what goes there; the password typed is hidden. Tab goes on
// down the form and round, and Enter in any field signs in (登录 is the default button); while it
// signs in the focus is kept off the close box. It ends only on the server's answer, no warning.
TEST_F(ShellTest, AFirstStartSignsInFromTheKeyboard) {
    const Home fresh{home.File("user/fenwarde"), true};
    ASSERT_TRUE(PrepareHome(fresh));
    MainWindow::Options options = Options();
    options.home = fresh.path;
    MainWindow w(options);
    w.Config().port = port;
    std::string stops;
    WhenLoginShows(w, [&](LoginWindow& login) {
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &login; }, 5000));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(&login)->text(QAccessible::Name),
                  QStringLiteral("公交调度系统 用户登录"));
        auto* server = login.Item<QLineEdit>(IDC_EDT_SERVER);
        ASSERT_TRUE(WaitFor([&] { return server->hasFocus(); }, 2000));
        QTest::keyClicks(server, QStringLiteral("127.0.0.1"));
        stops = TabStops(4);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("admin"));
        stops += ", " + TabStops(1);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("admin"));
        EXPECT_EQ(login.Item<QLineEdit>(IDC_EDT_LOGIN_PASSWORD)->echoMode(), QLineEdit::Password);
        stops += ", " + TabStops(1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // in the server field again
        EXPECT_TRUE(login.IsConnecting());
        EXPECT_NE(FocusedControl(), "IDC_BTN_LOGIN_CLOSE");
    });
    ASSERT_TRUE(w.Start());
    EXPECT_TRUE(w.LoggedIn() && w.isVisible() && w.ChildWindow(MainWindow::RouteMenu)->isVisible());
    EXPECT_EQ(stops, "IDC_CHK_LOGIN_JIZHU, IDC_BTN_LOGIN, IDC_BTN_LOGIN_CLOSE, IDC_EDT_LOGIN_NAME, "
                     "IDC_EDT_LOGIN_PASSWORD, IDC_EDT_SERVER");
    ASSERT_TRUE(WaitFor([&] { return w.Vehicles().Size() >= 12; }, 5000));
    auto* groups = w.ChildWindow(MainWindow::Report)->Item<QComboBox>(IDC_CMB__STAT_GONGSI);
    EXPECT_EQ(groups->itemText(0).toStdString(), "admin");  // the user's own name comes first
    EXPECT_TRUE(messages.empty());
    w.Quit();
}

// Nothing at the port, a server that accepts and never answers, or a refused password (the
// server's own text): the login window stays with the form ready and the reason shown. A refused
// password is not kept even though the box is ticked.
TEST_F(ShellTest, AFailedLoginKeepsTheWindowWithTheReason) {
    QTcpServer silent, probe;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0) && probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    for (const auto& [rowPort, message] : {std::pair{closedPort, "服务器连接失败!!!"}, {silent.serverPort(), "服务器无应答"},
                                           {port, "用户名或密码错误"}}) {  // the server's own text
        const bool refused = rowPort == port;
        messages.clear();
        auto options = Options();
        options.loginReplyMs = 500;
        MainWindow w(options);
        w.Config().port = rowPort;
        WhenLoginShows(w, [&](LoginWindow& login) {
            if (refused) login.Item<QLineEdit>(IDC_EDT_LOGIN_PASSWORD)->setText("wrong");
            ClickLogin(login);
            EXPECT_TRUE(login.IsConnecting());
            ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 5000));
            EXPECT_TRUE(login.CurrentState() == LoginWindow::State::Idle && login.isVisible());
            EXPECT_EQ(login.Form().user + "/" + login.Form().password, refused ? "admin/" : "admin/admin");
            EXPECT_TRUE(login.Form().remember);
            CancelLogin(login);
        });
        EXPECT_FALSE(w.Start());
        EXPECT_EQ(messages, std::vector<std::string>{message});
    }
    EXPECT_NE(test::ReadFile(ConfPath()).find("Pass=\n"), std::string::npos);
}

// --page picks the first page. A server that goes away is noticed at once (the heartbeat is far
// off) and, with the password remembered, made again by itself while the band tells of it and the
// page stays, pushed down; the band goes when it is back. The band's button stops it, and the
// login window comes back on the routes.
TEST_F(ShellTest, ALostConnectionShowsTheBandWhileThePageStays) {
    auto options = Options(true);
    options.page = 2;
    options.heartbeatMs = 60000;
    MainWindow w(options);
    LogIn(w);
    auto* band = w.Item<QLabel>(IDC_STA_RECONNECT);

    server.reset();
    ASSERT_TRUE(WaitFor([&] { return w.IsReconnecting(); }, 3000));
    EXPECT_TRUE(band->isVisible());
    EXPECT_EQ(band->text().toStdString(), "连接已断开，正在重新连接…(第 1 次)");
    EXPECT_TRUE(w.ChildWindow(MainWindow::Report)->isVisible());
    EXPECT_EQ(w.ChildWindow(MainWindow::ReportMenuPage)->y(), 62 + band->height());

    server = std::make_unique<sim::DispatchServer>(state, [](const QString&) {});
    ASSERT_TRUE(server->Listen(QHostAddress::LocalHost, port, nullptr));
    ASSERT_TRUE(WaitFor([&] { return !w.IsReconnecting() && w.LoggedIn(); }, 10000));
    EXPECT_FALSE(band->isVisible());
    EXPECT_EQ(w.ChildWindow(MainWindow::ReportMenuPage)->y(), 62);
    EXPECT_TRUE(messages.empty());
    server.reset();
    ASSERT_TRUE(WaitFor([&] { return w.IsReconnecting(); }, 3000));
    bool back = false;
    WhenLoginShows(w, [&](LoginWindow& login) {
        back = true;
        EXPECT_EQ(w.CurrentPage(), 0);
        EXPECT_FALSE(w.ChildWindow(MainWindow::Report)->isVisible());
        CancelLogin(login);
    });
    w.Item<QAbstractButton>(IDC_BTN_RECONNECT_STOP)->click();
    EXPECT_FALSE(w.IsReconnecting());
    ASSERT_TRUE(WaitFor([&] { return back && !w.isVisible(); }, 5000));
}

// A box raised inside a read runs its own event loop; ending the program from there (as SIGTERM
// does) must not free the socket under the read that is still on the stack.
TEST_F(ShellTest, QuittingFromABoxRaisedInsideAReadIsClean) {
    Observe(true);
    MainWindow w(Options());
    WhenLoginShows(w, [&](LoginWindow& login) {
        login.Item<QLineEdit>(IDC_EDT_LOGIN_PASSWORD)->setText("wrong");
        ClickLogin(login);
        auto* quit = new QTimer(&w);
        QObject::connect(quit, &QTimer::timeout, &w, [&, quit] {
            if (messages.empty()) return;
            quit->stop();
            w.Quit();
        });
        quit->start(10);
    });
    EXPECT_FALSE(w.Start());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(MessagesClosed());
    EXPECT_NE(test::ReadFile(ConfPath()).find("User=admin"), std::string::npos);
}

// Signed in, the keyboard is on the menu; on a page Tab reads the controls row by row, then goes
// on to the title bar, the menu and the page's own tabs above it, and comes back; the window and
// all its pages name every control a user operates. Logging out and closing ask first ("取消"
// changes nothing); logging out keeps the plates. The pages follow the window's size; the report
// page keeps its mode when left and shown again; closing keeps the configuration and the page.
TEST_F(ShellTest, TheSignedInWindowFromTabOrderToClosing) {
    WriteConf("Colour=blue\n");
    MainWindow w(Options(true));
    LogIn(w);
    ASSERT_TRUE(WaitFor([] { return FocusedControl() == "IDC_RAD_MENU_XIANLU"; }, 5000)) << FocusedControl();
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    CUIWnd* report = w.ChildWindow(MainWindow::Report);
    report->GetDlgItem(IDC_CMB__STAT_GONGSI)->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(FocusedControl(), "IDC_CMB__STAT_GONGSI");
    EXPECT_EQ(TabStops(25),
              "IDC_CMB_STAT_CHEPAI, IDC_DATETIME_STAT_S, IDC_DATETIME_STAT_E, IDC_BTN_STAT_SEARCH, "
              "IDC_BTN_STAT_SCBB, IDC_BTN_STAT_EXPORT, IDC_RAD_STAT_ZT_ALL, IDC_RAD_STAT_ZT_WANCHENG, "
              "IDC_RAD_STAT_ZT_WEIWANCHENG, IDC_RAD_STAT_TYPE_PDF, IDC_RAD_STAT_TYPE_EXCEL, IDC_RAD_STAT_TYPE_CSV, "
              "IDC_LSTCTRL_REPORT, "  // 图表 waits for rows
              "IDC_BTN_MIN, IDC_BTN_MAX, IDC_BTN_CLOSE, IDC_RAD_MENU_XIANLU, IDC_RAD_MENU_PAIBAN, "
              "IDC_RAD_MENU_BAOBIAO, IDC_RAD_MENU_JIANKONG, IDC_BTN_SETTING, IDC_BTN_LOGOUT, IDC_RAD_LINE_RUN, "
              "IDC_RAD_MORE, IDC_CMB__STAT_GONGSI");
    // Space on a menu tab picks it, as a click does.
    while (FocusedControl() != "IDC_RAD_MENU_XIANLU") QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(w.CurrentPage(), 0);
    ASSERT_TRUE(WaitFor([&] { return w.Routes().Size() > 0; }, 5000));
    EXPECT_EQ(test::Joined(test::NamelessNodes(&w)), "");

    auto* plates = report->Item<QComboBox>(IDC_CMB_STAT_CHEPAI);
    const int plateCount = plates->count();
    SetNextAnswer(false);
    w.Item<QAbstractButton>(IDC_BTN_LOGOUT)->click();
    EXPECT_EQ(messages.back(), "确定注销当前用户？");
    EXPECT_TRUE(w.LoggedIn());
    SetNextAnswer(false);
    w.close();
    EXPECT_EQ(messages.back(), "确定退出系统？");
    EXPECT_TRUE(w.isVisible());
    // The keyboard is on a page that logging out hides; signed in again, it is on the menu.
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    plates->setFocus(Qt::TabFocusReason);
    bool checked = false;
    WhenLoginShows(w, [&](LoginWindow& login) {
        checked = true;
        EXPECT_EQ(w.Vehicles().Size() + w.Routes().Size(), 0u);
        EXPECT_EQ(plates->count(), plateCount);
        EXPECT_EQ(report->Item<QComboBox>(IDC_CMB__STAT_GONGSI)->count(), 0);
        ClickLogin(login);  // and in again
    });
    w.Item<QAbstractButton>(IDC_BTN_LOGOUT)->click();
    ASSERT_TRUE(WaitFor([&] { return checked && w.LoggedIn(); }, 5000));
    EXPECT_TRUE(WaitFor([] { return FocusedControl() == "IDC_RAD_MENU_XIANLU"; }, 3000)) << FocusedControl();

    w.showNormal();
    w.resize(800, 500);
    EXPECT_EQ(w.size(), QSize(1024, 640));  // the smallest it goes
    CUIWnd* head = w.ChildWindow(MainWindow::RouteMenu);
    CUIWnd* list = w.ChildWindow(MainWindow::RouteList);
    EXPECT_EQ(head->geometry(), QRect(1, 62, 1022, head->height()));
    EXPECT_EQ(list->geometry().bottom(), 640 - 2);
    EXPECT_LT(w.Item<QAbstractButton>(IDC_BTN_CLOSE)->geometry().right(), 1024);
    // The sub-menu's tabs keep their place at the left, however wide the window.
    auto* tab = head->Item<QAbstractButton>(IDC_RAD_SUBMENU_XIANLU__ADD);
    const int tabX = tab->x();
    w.resize(1300, 800);
    EXPECT_EQ(head->width(), 1298);
    EXPECT_EQ(list->geometry().bottom(), 800 - 2);
    EXPECT_EQ(tab->x(), tabX);
    // A double click on the title bar, or the maximise box, toggles maximised.
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(400, 10));
    EXPECT_TRUE(w.isMaximized());
    auto* maximize = w.Item<QAbstractButton>(IDC_BTN_MAX);
    EXPECT_EQ(maximize->accessibleName() + "/" + maximize->toolTip(), QStringLiteral("还原/还原"));  // what it does now
    maximize->click();
    EXPECT_FALSE(w.isMaximized());
    EXPECT_EQ(maximize->accessibleName(), QStringLiteral("最大化"));
    EXPECT_EQ(w.size(), QSize(1300, 800));  // as it was before

    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    CUIWnd* reportHead = w.ChildWindow(MainWindow::ReportMenuPage);
    CUIWnd* web = w.ChildWindow(MainWindow::WebReport);
    EXPECT_TRUE(reportHead->isVisible() && report->isVisible() && !web->isVisible());
    EXPECT_EQ(report->geometry().topLeft(), QPoint(1, 62 + reportHead->height()));
    reportHead->Item<QAbstractButton>(IDC_RAD_MORE)->click();
    EXPECT_FALSE(report->isVisible());
    EXPECT_EQ(web->geometry(), QRect(1, 62 + reportHead->height(), 1298, 800 - 63 - reportHead->height()));
    w.Item<QAbstractButton>(IDC_RAD_MENU_XIANLU)->click();
    EXPECT_FALSE(web->isVisible());
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    EXPECT_TRUE(web->isVisible());
    EXPECT_TRUE(reportHead->Item<QRadioButton>(IDC_RAD_MORE)->isChecked());

    w.Item<QAbstractButton>(IDC_RAD_MENU_PAIBAN)->click();
    w.SetWriteLog(0);
    w.close();  // answered "确定"
    EXPECT_FALSE(w.isVisible());
    const std::string written = test::ReadFile(ConfPath());
    for (const char* kept : {"Write=0", "Colour=blue", "Page=schedules"})  // the page shown at exit
        EXPECT_NE(written.find(kept), std::string::npos) << kept;
}

// Each choice shows what is configured (a log switch of 2 is neither on nor off), is a group of its
// own, and applies at once; the ports apply when the window closes, and only when they read.
TEST(SettingsWindow, ChoicesApplyAtOnceAndPortsWhenTheyRead) {
    ASSERT_TRUE(StartSkin());
    std::vector<std::string> messages;
    SetMessageObserver([&](const QString& text) { messages.push_back(text.toStdString()); });
    std::vector<int> logs;
    std::vector<DetectionRule> rules;
    std::vector<Matching> matchings;
    std::vector<std::pair<int, int>> ports;
    auto open = [&](int writeLog, DetectionRule rule, Matching matching) {
        auto w = std::make_unique<SettingsWindow>(writeLog, [&](int v) { logs.push_back(v); }, nullptr);
        w->SetDetection(rule, [&](DetectionRule r) { rules.push_back(r); });
        w->SetMatching(matching, [&](Matching m) { matchings.push_back(m); });
        w->SetPorts({1502, 89}, [&](SettingsWindow::Ports p) { ports.push_back({p.server, p.web}); });
        EXPECT_TRUE(w->Create(nullptr, true));
        return w;
    };
    auto ticked = [](SettingsWindow& w) {  // log on, off, first fix, interpolated, nearest, sequence
        std::string out;
        for (int id : {IDC_RAD_SETTING_LOG_TRUE, IDC_RAD_SETTING_LOG_FALSE, IDC_RAD_SETTING_FIRST_FIX,
                       IDC_RAD_SETTING_INTERPOLATED, IDC_RAD_SETTING_NEAREST, IDC_RAD_SETTING_SEQUENCE})
            out += w.Item<QRadioButton>(id)->isChecked() ? '1' : '0';
        return out;
    };
    EXPECT_EQ(ticked(*open(0, DetectionRule::FirstFix, Matching::Nearest)), "011010");
    EXPECT_EQ(ticked(*open(1, DetectionRule::Interpolated, Matching::Nearest)), "100110");
    auto settings = open(2, DetectionRule::FirstFix, Matching::Sequence);
    EXPECT_EQ(ticked(*settings), "001001");
    for (int id : {IDC_RAD_SETTING_LOG_TRUE, IDC_RAD_SETTING_LOG_FALSE, IDC_RAD_SETTING_INTERPOLATED,
                   IDC_RAD_SETTING_FIRST_FIX, IDC_RAD_SETTING_NEAREST})
        settings->Item<QRadioButton>(id)->click();
    EXPECT_EQ(ticked(*settings), "011010");
    EXPECT_EQ(logs, (std::vector<int>{1, 0}));
    EXPECT_EQ(rules, (std::vector<DetectionRule>{DetectionRule::Interpolated, DetectionRule::FirstFix}));
    EXPECT_EQ(matchings, std::vector<Matching>{Matching::Nearest});

    auto* webEdit = settings->Item<QLineEdit>(IDC_EDT_SETTING_WEBPORT);
    EXPECT_EQ(settings->Item<QLineEdit>(IDC_EDT_SETTING_PORT)->text() + " " + webEdit->text(), "1502 89");
    webEdit->setText("70000");
    settings->Item<QAbstractButton>(IDC_BTN_SETTING_CLOSE)->click();
    EXPECT_EQ(messages, std::vector<std::string>{"网页端口必须是 1 到 65535 之间的数字"});
    EXPECT_TRUE(settings->isVisible() && ports.empty());
    webEdit->setText("8089");
    settings->Item<QAbstractButton>(IDC_BTN_SETTING_CLOSE)->click();
    EXPECT_EQ(ports, (std::vector<std::pair<int, int>>{{1502, 8089}}));
    EXPECT_FALSE(settings->isVisible());
    SetMessageObserver({});
}

TEST(Language, ChineseWhateverTheDesktopSpeaks) {
    SpeakChinese(*qApp);
    EXPECT_EQ(QLocale().name(), "zh_CN");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "取消");
}

TEST(SkinCombo, AClickOpensTheListAndAClickOnAnEntryChoosesIt) {
    ASSERT_TRUE(StartSkin());
    PageWindow page(IDW_BAOBIAO, nullptr);
    ASSERT_TRUE(page.Create(nullptr, true));
    for (int id : {IDC_CMB_STAT_CHEPAI, IDC_CMB__STAT_GONGSI}) {
        auto* combo = page.Item<QComboBox>(id);
        combo->clear();
        combo->addItems({"浙A1", "浙A2", "浙A3"});
        combo->setCurrentIndex(0);
        // Press and release on the button, as a normal click does: the list stays open.
        const QPoint button(combo->width() - 8, combo->height() / 2);
        QTest::mousePress(combo, Qt::LeftButton, {}, button);
        ASSERT_TRUE(WaitFor([&] { return combo->view()->isVisible(); }));
        // The open list grabs the mouse, so the release reaches it, outside its own area.
        QWidget* popup = combo->view()->window();
        QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->mapFromGlobal(combo->mapToGlobal(button)), 60);
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        EXPECT_TRUE(combo->view()->isVisible()) << id;
        const QRect third = combo->view()->visualRect(combo->model()->index(2, 0));
        QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, third.center());
        ASSERT_TRUE(WaitFor([&] { return !combo->view()->isVisible(); }));
        EXPECT_EQ(combo->currentIndex(), 2) << id;
    }
}

}  // namespace
}  // namespace fw
