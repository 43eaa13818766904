#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "base/Config.h"
#include "base/Home.h"
#include "app/Language.h"
#include "app/MainWindow.h"
#include "base/MessageBox.h"
#include "app/PageWindow.h"
#include "app/SettingsWindow.h"
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
std::vector<std::string> TabStops(int steps) {
    std::vector<std::string> stops;
    for (int i = 0; i < steps; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        stops.push_back(FocusedControl());
    }
    return stops;
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
        MainWindow::Options o;
        o.home = home.Path();
        o.heartbeatMs = 200;
        o.sweepMs = 200;
        o.reconnectDivisor = 20;
        o.autoLogin = autoLogin;
        return o;
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

TEST_F(ShellTest, CancellingTheFirstLoginEndsWithNothingShown) {
    MainWindow w(Options());
    WhenLoginShows(w, CancelLogin);
    EXPECT_FALSE(w.Start());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(server->ConnectionCount(), 0);
}

// An installed program's first start: a home made for the user, no warning, and the login window
// waiting at the empty server field with a hint of what goes there.
TEST_F(ShellTest, ANewUserHomeStartsAtTheServerField) {
    const Home fresh{home.File("user/fenwarde"), true};
    ASSERT_TRUE(PrepareHome(fresh));
    MainWindow::Options o = Options();
    o.home = fresh.path;
    MainWindow w(o);
    WhenLoginShows(w, [&](LoginWindow& login) {
        auto* server = login.Item<QLineEdit>(IDC_EDT_SERVER);
        EXPECT_EQ(server->text(), QString());
        EXPECT_TRUE(server->placeholderText().contains(QStringLiteral("服务器地址")));
        EXPECT_TRUE(WaitFor([&] { return server->hasFocus(); }, 2000));
        CancelLogin(login);
    });
    EXPECT_FALSE(w.Start());
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShellTest, LoginFillsTheStoresAndSignsThePagesIn) {
    QSignalSpy handled(server.get(), &sim::DispatchServer::DocumentHandled);
    MainWindow w(Options());
    WhenLoginShows(w, [](LoginWindow& login) {
        EXPECT_EQ(login.Form().password, "admin");  // remembered
        ClickLogin(login);
    });
    ASSERT_TRUE(w.Start());
    EXPECT_TRUE(w.LoggedIn());  // the login window ends only on the server's answer
    EXPECT_TRUE(w.isVisible());
    ASSERT_TRUE(WaitFor([&] { return w.Vehicles().Size() >= 12; }, 5000));
    ASSERT_TRUE(WaitFor([&] { return w.Routes().Size() > 0 && !w.Routes().At(0)->stations.empty(); }, 5000));
    auto* monitor = w.ChildWindow(MainWindow::Monitor)->Item<SkinBrowser>(IDC_HTMLCTRL_BUS_MONITOR);
    EXPECT_EQ(monitor->PendingUrl().toString().toStdString(),
              "http://127.0.0.1:8089/myquorvel/quorvel/jsp/AutomaticLogin.jsp?uName=admin&uPass=admin&uType=100");
    auto* groups = w.ChildWindow(MainWindow::Report)->Item<QComboBox>(IDC_CMB__STAT_GONGSI);
    EXPECT_EQ(groups->itemText(0).toStdString(), "admin");  // the user's own name comes first
    EXPECT_TRUE(w.ChildWindow(MainWindow::RouteMenu)->isVisible());

    // 9000 and 1008 after the login, then heartbeats.
    std::vector<int> codes;
    ASSERT_TRUE(WaitFor([&] {
        codes.clear();
        for (const auto& args : handled) codes.push_back(args.at(1).toInt());
        return std::count(codes.begin(), codes.end(), 1002) >= 2;
    }, 5000));
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 3), (std::vector<int>{1000, 9000, 1008}));
    EXPECT_TRUE(messages.empty());
    // The password never reaches the log.
    for (const auto& entry : std::filesystem::directory_iterator(home.Path()))
        if (entry.path().extension() == ".txt") {
            const std::string log = test::ReadFile(entry.path());
            EXPECT_NE(log.find("\"pass\" : \"******\""), std::string::npos);
            EXPECT_EQ(log.find("\"pass\" : \"admin\""), std::string::npos);
        }
    w.Quit();
}

// The server refuses the password: its text shows over the login window, which stays with the
// form ready, and the refused password is not kept even though the box is ticked.
TEST_F(ShellTest, RejectedLoginKeepsTheWindowAndForgetsThePassword) {
    MainWindow w(Options());
    WhenLoginShows(w, [&](LoginWindow& login) {
        login.Item<QLineEdit>(IDC_EDT_LOGIN_PASSWORD)->setText("wrong");
        ClickLogin(login);
        ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 5000));
        EXPECT_EQ(login.CurrentState(), LoginWindow::State::Idle);
        EXPECT_TRUE(login.isVisible());
        EXPECT_EQ(login.Form().user, "admin");
        EXPECT_EQ(login.Form().password, "");
        EXPECT_TRUE(login.Form().remember);
        CancelLogin(login);
    });
    EXPECT_FALSE(w.Start());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0].empty());  // the server's own text
    EXPECT_NE(test::ReadFile(ConfPath()).find("Pass=\n"), std::string::npos);
}

// Nothing at the port, or a server that accepts and never answers: the login window stays, with
// the reason.
TEST_F(ShellTest, UnreachableOrSilentServerKeepsTheLoginWindow) {
    QTcpServer silent, probe;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0) && probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    for (const auto& [port, message] : {std::pair{closedPort, "服务器连接失败!!!"}, {silent.serverPort(), "服务器无应答"}}) {
        messages.clear();
        auto options = Options();
        options.loginReplyMs = 500;
        MainWindow w(options);
        w.Config().port = port;
        WhenLoginShows(w, [&](LoginWindow& login) {
            ClickLogin(login);
            EXPECT_TRUE(login.IsConnecting());
            if (port == silent.serverPort()) {
                ASSERT_TRUE(WaitFor([&] { return login.CurrentState() == LoginWindow::State::LoggingIn; }, 5000));
            }
            ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 5000));
            EXPECT_EQ(messages.at(0), message);
            EXPECT_EQ(login.CurrentState(), LoginWindow::State::Idle);
            EXPECT_TRUE(login.isVisible());
            CancelLogin(login);
        });
        EXPECT_FALSE(w.Start());
    }
}

// --page picks the first page; a server that goes away is noticed at once (the heartbeat is far
// off), and without reconnecting the login window comes back on the routes, not signed in again.
TEST_F(ShellTest, LostConnectionIsNoticedAtOnce) {
    WriteConf("AutoReconnect=0\n");
    auto options = Options(true);
    options.page = 3;
    options.heartbeatMs = 60000;
    MainWindow w(options);
    LogIn(w);
    EXPECT_TRUE(w.ChildWindow(MainWindow::Monitor)->isVisible());
    EXPECT_TRUE(w.Item<QRadioButton>(IDC_RAD_MENU_JIANKONG)->isChecked());

    bool back = false;
    WhenLoginShows(w, [&](LoginWindow& login) {
        back = true;
        EXPECT_EQ(w.CurrentPage(), 0);
        EXPECT_FALSE(w.ChildWindow(MainWindow::Monitor)->isVisible());
        CancelLogin(login);
    });
    server.reset();
    ASSERT_TRUE(WaitFor([&] { return back && !w.isVisible(); }, 5000));
    // --autologin only the first time: no second attempt, so no second message.
    EXPECT_EQ(messages, std::vector<std::string>{"与服务器断开连接"});
}

// With the password remembered, a lost connection is made again by itself: the band tells of
// it, the page stays, and the server's answers refill the stores. The band's button stops it.
TEST_F(ShellTest, LostConnectionIsMadeAgainWhileThePageStays) {
    MainWindow w(Options(true));
    LogIn(w);
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    auto* band = w.Item<QLabel>(IDC_STA_RECONNECT);
    EXPECT_FALSE(band->isVisible());

    server.reset();
    ASSERT_TRUE(WaitFor([&] { return w.IsReconnecting(); }, 3000));
    EXPECT_TRUE(band->isVisible());
    EXPECT_EQ(band->text().toStdString(), "连接已断开，正在重新连接…(第 1 次)");
    EXPECT_TRUE(w.ChildWindow(MainWindow::Report)->isVisible());
    EXPECT_EQ(w.ChildWindow(MainWindow::ReportMenuPage)->y(), 62 + band->height());
    ASSERT_TRUE(WaitFor([&] { return w.ReconnectAttempt() >= 2; }, 5000));  // the first try found nobody

    server = std::make_unique<sim::DispatchServer>(state, [](const QString&) {});
    ASSERT_TRUE(server->Listen(QHostAddress::LocalHost, port, nullptr));
    ASSERT_TRUE(WaitFor([&] { return !w.IsReconnecting() && w.LoggedIn(); }, 10000));
    EXPECT_FALSE(band->isVisible());
    EXPECT_EQ(w.CurrentPage(), 2);
    EXPECT_EQ(w.ChildWindow(MainWindow::ReportMenuPage)->y(), 62);
    ASSERT_TRUE(WaitFor([&] { return w.Vehicles().Size() >= 12; }, 5000));
    EXPECT_TRUE(messages.empty());

    server.reset();
    ASSERT_TRUE(WaitFor([&] { return w.IsReconnecting(); }, 3000));
    bool back = false;
    WhenLoginShows(w, [&](LoginWindow& login) {
        back = true;
        CancelLogin(login);
    });
    w.Item<QAbstractButton>(IDC_BTN_RECONNECT_STOP)->click();
    EXPECT_FALSE(w.IsReconnecting());
    ASSERT_TRUE(WaitFor([&] { return back && !w.isVisible(); }, 5000));
}

// Logging out and closing ask first; "取消" changes nothing. Logging out keeps the plates.
TEST_F(ShellTest, LogoutAndCloseAskFirst) {
    WriteConf("Colour=blue\n");
    MainWindow w(Options(true));
    LogIn(w);
    auto* plates = w.ChildWindow(MainWindow::Report)->Item<QComboBox>(IDC_CMB_STAT_CHEPAI);
    const int plateCount = plates->count();
    SetNextAnswer(false);
    w.Item<QAbstractButton>(IDC_BTN_LOGOUT)->click();
    EXPECT_EQ(messages.back(), "确定注销当前用户？");
    EXPECT_TRUE(w.LoggedIn());
    SetNextAnswer(false);
    w.close();
    EXPECT_EQ(messages.back(), "确定退出系统？");
    EXPECT_TRUE(w.isVisible());

    bool checked = false;
    // The keyboard is on a page that logging out hides; signed in again, it is on the menu.
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    plates->setFocus(Qt::TabFocusReason);
    WhenLoginShows(w, [&](LoginWindow& login) {
        checked = true;
        EXPECT_EQ(w.Vehicles().Size(), 0u);
        EXPECT_EQ(w.Routes().Size(), 0u);
        EXPECT_EQ(plates->count(), plateCount);
        EXPECT_EQ(w.ChildWindow(MainWindow::Report)->Item<QComboBox>(IDC_CMB__STAT_GONGSI)->count(), 0);
        EXPECT_EQ(w.Socket(), nullptr);
        ClickLogin(login);  // and in again
    });
    w.Item<QAbstractButton>(IDC_BTN_LOGOUT)->click();
    ASSERT_TRUE(WaitFor([&] { return checked && w.LoggedIn(); }, 5000));
    EXPECT_TRUE(WaitFor([] { return FocusedControl() == "IDC_RAD_MENU_XIANLU"; }, 3000))
        << FocusedControl();
    w.Item<QAbstractButton>(IDC_RAD_MENU_PAIBAN)->click();
    w.SetWriteLog(0);
    w.close();  // answered "确定"
    EXPECT_FALSE(w.isVisible());
    const std::string written = test::ReadFile(ConfPath());
    for (const char* kept : {"Write=0", "Colour=blue", "Page=schedules"})  // the page shown at exit
        EXPECT_NE(written.find(kept), std::string::npos) << kept;
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

// The pages follow the window's size; the report page keeps its mode when left and shown again.
TEST_F(ShellTest, PagesFollowTheWindowAndTheReportPageKeepsItsMode) {
    MainWindow w(Options(true));
    LogIn(w);
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
    EXPECT_EQ(maximize->accessibleName(), QStringLiteral("还原"));  // what the box does now
    EXPECT_EQ(maximize->toolTip(), QStringLiteral("还原"));
    maximize->click();
    EXPECT_FALSE(w.isMaximized());
    EXPECT_EQ(maximize->accessibleName(), QStringLiteral("最大化"));
    EXPECT_EQ(w.size(), QSize(1300, 800));  // as it was before

    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    CUIWnd* reportHead = w.ChildWindow(MainWindow::ReportMenuPage);
    CUIWnd* report = w.ChildWindow(MainWindow::Report);
    CUIWnd* web = w.ChildWindow(MainWindow::WebReport);
    EXPECT_TRUE(reportHead->isVisible() && report->isVisible());
    EXPECT_FALSE(web->isVisible());
    EXPECT_EQ(report->geometry().topLeft(), QPoint(1, 62 + reportHead->height()));
    reportHead->Item<QAbstractButton>(IDC_RAD_MORE)->click();
    EXPECT_FALSE(report->isVisible());
    EXPECT_EQ(web->geometry(), QRect(1, 62 + reportHead->height(), 1298, 800 - 63 - reportHead->height()));
    w.Item<QAbstractButton>(IDC_RAD_MENU_XIANLU)->click();
    EXPECT_FALSE(web->isVisible());
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    EXPECT_TRUE(web->isVisible());
    EXPECT_TRUE(reportHead->Item<QRadioButton>(IDC_RAD_MORE)->isChecked());
    w.Quit();
}

// The login window opens on the first field to fill, Tab goes down the form, and Enter in any
// field signs in (登录 is the default button). While it signs in the focus is kept off the close
// box.
TEST_F(ShellTest, TheLoginWindowWorksFromTheKeyboard) {
    std::ofstream(ConfPath())
        << "[login]\nServer=127.0.0.1\nUser=admin\nRemember=0\nDataName=bus\nPort=" << port
        << "\nWebPort=8089\n";
    MainWindow w(Options());
    std::string first;
    std::vector<std::string> cycle;
    WhenLoginShows(w, [&](LoginWindow& login) {
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &login; }, 5000));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(&login)->text(QAccessible::Name),
                  QStringLiteral("公交调度系统 用户登录"));
        first = FocusedControl();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("admin"));
        cycle = TabStops(6);
        QTest::keyClick(QApplication::focusWidget(),
                        Qt::Key_Return);  // in the password field again
        EXPECT_TRUE(login.IsConnecting());
        EXPECT_NE(FocusedControl(), "IDC_BTN_LOGIN_CLOSE");
    });
    ASSERT_TRUE(w.Start());
    EXPECT_TRUE(w.LoggedIn());
    EXPECT_EQ(first, "IDC_EDT_LOGIN_PASSWORD");  // the user name is remembered
    EXPECT_EQ(cycle, (std::vector<std::string>{"IDC_EDT_SERVER", "IDC_CHK_LOGIN_JIZHU",
                                               "IDC_BTN_LOGIN", "IDC_BTN_LOGIN_CLOSE",
                                               "IDC_EDT_LOGIN_NAME", "IDC_EDT_LOGIN_PASSWORD"}));
    w.Quit();
}

// On a page Tab reads the controls row by row, then goes on to the title bar, the menu and the
// page's own tabs above it, and comes back; the signed-in window and all its pages name every
// control a user operates.
TEST_F(ShellTest, APageIsTabbedThroughInReadingOrderAndEveryControlHasAName) {
    MainWindow w(Options(true));
    LogIn(w);
    // Signed in, the keyboard is on the menu.
    ASSERT_TRUE(WaitFor([] { return FocusedControl() == "IDC_RAD_MENU_XIANLU"; }, 5000))
        << FocusedControl();
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    CUIWnd* report = w.ChildWindow(MainWindow::Report);
    report->GetDlgItem(IDC_CMB__STAT_GONGSI)->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(FocusedControl(), "IDC_CMB__STAT_GONGSI");
    EXPECT_EQ(TabStops(25), (std::vector<std::string>{"IDC_CMB_STAT_CHEPAI",
                                                      "IDC_DATETIME_STAT_S",
                                                      "IDC_DATETIME_STAT_E",
                                                      "IDC_BTN_STAT_SEARCH",
                                                      "IDC_BTN_STAT_SCBB",
                                                      "IDC_BTN_STAT_EXPORT",
                                                      "IDC_RAD_STAT_ZT_ALL",
                                                      "IDC_RAD_STAT_ZT_WANCHENG",
                                                      "IDC_RAD_STAT_ZT_WEIWANCHENG",
                                                      "IDC_RAD_STAT_TYPE_PDF",
                                                      "IDC_RAD_STAT_TYPE_EXCEL",
                                                      "IDC_RAD_STAT_TYPE_CSV",
                                                      "IDC_LSTCTRL_REPORT",  // 图表 waits for rows
                                                      "IDC_BTN_MIN",
                                                      "IDC_BTN_MAX",
                                                      "IDC_BTN_CLOSE",
                                                      "IDC_RAD_MENU_XIANLU",
                                                      "IDC_RAD_MENU_PAIBAN",
                                                      "IDC_RAD_MENU_BAOBIAO",
                                                      "IDC_RAD_MENU_JIANKONG",
                                                      "IDC_BTN_SETTING",
                                                      "IDC_BTN_LOGOUT",
                                                      "IDC_RAD_LINE_RUN",
                                                      "IDC_RAD_MORE",
                                                      "IDC_CMB__STAT_GONGSI"}));
    // Space on a menu tab picks it, as a click does.
    while (FocusedControl() != "IDC_RAD_MENU_XIANLU")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(w.CurrentPage(), 0);

    ASSERT_TRUE(WaitFor([&] { return w.Routes().Size() > 0; }, 5000));
    EXPECT_EQ(test::Joined(test::NamelessNodes(&w)), "");
    w.Quit();
}

TEST(SettingsWindow, LogSwitchDetectionAndMatchingApplyAtOnceAndPortsWhenTheyRead) {
    ASSERT_TRUE(StartSkin());
    std::vector<std::string> messages;
    SetMessageObserver([&](const QString& text) { messages.push_back(text.toStdString()); });
    for (int writeLog : {0, 1, 2}) {
        int set = -1;
        std::vector<DetectionRule> chosen;
        std::vector<Matching> matchings;
        SettingsWindow settings(writeLog, [&](int v) { set = v; }, nullptr);
        const DetectionRule configured = writeLog == 1 ? DetectionRule::Interpolated : DetectionRule::FirstFix;
        const Matching matching = writeLog == 2 ? Matching::Sequence : Matching::Nearest;
        settings.SetDetection(configured, [&](DetectionRule r) { chosen.push_back(r); });
        settings.SetMatching(matching, [&](Matching m) { matchings.push_back(m); });
        ASSERT_TRUE(settings.Create(nullptr, false));
        auto* on = settings.Item<QRadioButton>(IDC_RAD_SETTING_LOG_TRUE);
        auto* off = settings.Item<QRadioButton>(IDC_RAD_SETTING_LOG_FALSE);
        auto* firstFix = settings.Item<QRadioButton>(IDC_RAD_SETTING_FIRST_FIX);
        auto* interpolated = settings.Item<QRadioButton>(IDC_RAD_SETTING_INTERPOLATED);
        EXPECT_EQ(on->isChecked(), writeLog == 1) << writeLog;
        EXPECT_EQ(off->isChecked(), writeLog == 0) << writeLog;
        EXPECT_EQ(interpolated->isChecked(), configured == DetectionRule::Interpolated);
        EXPECT_EQ(firstFix->isChecked(), configured == DetectionRule::FirstFix);
        auto* nearest = settings.Item<QRadioButton>(IDC_RAD_SETTING_NEAREST);
        auto* sequence = settings.Item<QRadioButton>(IDC_RAD_SETTING_SEQUENCE);
        EXPECT_EQ(sequence->isChecked(), matching == Matching::Sequence);
        EXPECT_EQ(nearest->isChecked(), matching == Matching::Nearest);
        on->click();
        EXPECT_EQ(set, 1);
        off->click();
        EXPECT_EQ(set, 0);
        interpolated->click();
        firstFix->click();
        EXPECT_EQ(chosen, (std::vector<DetectionRule>{DetectionRule::Interpolated, DetectionRule::FirstFix}));
        sequence->click();
        EXPECT_EQ(matchings, std::vector<Matching>{Matching::Sequence});
        // Each choice is a group of its own.
        EXPECT_TRUE(off->isChecked() && firstFix->isChecked() && sequence->isChecked());
    }

    SettingsWindow settings(0, [](int) {}, nullptr);
    std::vector<std::pair<int, int>> taken;
    settings.SetPorts({1502, 89}, [&](SettingsWindow::Ports p) { taken.push_back({p.server, p.web}); });
    ASSERT_TRUE(settings.Create(nullptr, true));
    auto* webEdit = settings.Item<QLineEdit>(IDC_EDT_SETTING_WEBPORT);
    EXPECT_EQ(settings.Item<QLineEdit>(IDC_EDT_SETTING_PORT)->text(), "1502");
    EXPECT_EQ(webEdit->text(), "89");
    webEdit->setText("70000");
    settings.Item<QAbstractButton>(IDC_BTN_SETTING_CLOSE)->click();
    EXPECT_EQ(messages, std::vector<std::string>{"网页端口必须是 1 到 65535 之间的数字"});
    EXPECT_TRUE(settings.isVisible());
    EXPECT_TRUE(taken.empty());
    webEdit->setText("8089");
    settings.Item<QAbstractButton>(IDC_BTN_SETTING_CLOSE)->click();
    EXPECT_EQ(taken, (std::vector<std::pair<int, int>>{{1502, 8089}}));
    EXPECT_FALSE(settings.isVisible());
    SetMessageObserver({});
}

TEST(Language, ChineseWhateverTheDesktopSpeaks) {
    SpeakChinese(*qApp);
    EXPECT_EQ(QLocale().name(), "zh_CN");
    EXPECT_EQ(QLocale().toString(QDate(2014, 8, 25), QLocale::LongFormat), "2014年8月25日星期一");
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
