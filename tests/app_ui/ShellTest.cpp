#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QComboBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>
#include <sstream>

#include "app/Config.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/PageWindow.h"
#include "app/SettingsWindow.h"
#include "res/RESOURCE.H"
#include "sim/DispatchServer.h"
#include "sim/ScenarioGenerator.h"
#include "sim/SimState.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

// Runs `action` on the login window as soon as it is up and `ready` holds (it runs modally, so
// the test queues the action before whatever brings the window up).
void WhenLoginShows(MainWindow& w, std::function<void(LoginWindow&)> action,
                    std::function<bool()> ready = [] { return true; }) {
    auto* timer = new QTimer(&w);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, &w, [timer, &w, action, ready] {
        LoginWindow* login = w.ActiveLoginWindow();
        if (login == nullptr || !login->isVisible() || login->IsConnecting() || !ready()) return;
        timer->stop();
        timer->deleteLater();
        action(*login);
    });
    timer->start();
}

void ClickLogin(LoginWindow& login) { login.Item<QAbstractButton>(IDC_BTN_LOGIN)->click(); }
void CancelLogin(LoginWindow& login) { login.Item<QAbstractButton>(IDC_BTN_LOGIN_CLOSE)->click(); }

class ShellTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SkinBrowser::SetViewsEnabled(false);
        ASSERT_TRUE(StartSkin());
    }

    void SetUp() override {
        SetMessageObserver([this](const QString& text) { messages.push_back(text.toStdString()); });
        ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, nullptr));
    }
    void TearDown() override { SetMessageObserver({}); }

    void WriteConf(const std::string& extra = "") {
        std::ofstream(ConfPath()) << "[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\n"
                                     "Remember=1\nDataName=bus\nDataBasePsw=\nWrite=1\nPort="
                                  << server.Port() << "\nWebPort=8089\n" << extra;
    }
    std::string ConfPath() const { return home.Path() + "/conf.ini"; }

    MainWindow::Options Options() const {
        MainWindow::Options o;
        o.home = home.Path();
        o.heartbeatMs = 200;
        o.sweepMs = 200;
        return o;
    }

    test::TempHome home;
    sim::SimState state{sim::GenerateScenario(7, "2014-08-25")};
    sim::DispatchServer server{state, [](const QString&) {}};
    std::vector<std::string> messages;
};

TEST_F(ShellTest, CancellingTheFirstLoginEndsWithNothingShown) {
    WriteConf();
    MainWindow w(Options());
    WhenLoginShows(w, CancelLogin);
    EXPECT_FALSE(w.Start());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST_F(ShellTest, LoginFillsTheStoresAndSignsThePagesIn) {
    WriteConf();
    QSignalSpy handled(&server, &sim::DispatchServer::DocumentHandled);
    MainWindow w(Options());
    WhenLoginShows(w, [](LoginWindow& login) {
        EXPECT_EQ(login.Form().password, "admin");  // remembered
        ClickLogin(login);
    });
    ASSERT_TRUE(w.Start());
    EXPECT_TRUE(w.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(w.LoggedIn(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(w.Vehicles().Size() >= 12, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(w.Routes().Size() > 0 && !w.Routes().At(0)->stations.empty(), 5000);

    auto* monitor = w.ChildWindow(MainWindow::Monitor)->Item<SkinBrowser>(IDC_HTMLCTRL_BUS_MONITOR);
    EXPECT_EQ(monitor->PendingUrl().toString().toStdString(),
              "http://127.0.0.1:8089/myquorvel/quorvel/jsp/AutomaticLogin.jsp"
              "?uName=admin&uPass=admin&uType=100");
    auto* plates = w.ChildWindow(MainWindow::Report)->Item<QComboBox>(IDC_CMB_STAT_CHEPAI);
    EXPECT_GT(plates->count(), 0);
    auto* groups = w.ChildWindow(MainWindow::Report)->Item<QComboBox>(IDC_CMB__STAT_GONGSI);
    EXPECT_EQ(groups->itemText(0).toStdString(), "admin");  // the user's own name comes first

    // Page 0 is shown: the route head and its list.
    EXPECT_TRUE(w.ChildWindow(MainWindow::RouteMenu)->isVisible());
    EXPECT_TRUE(w.ChildWindow(MainWindow::RouteList)->isVisible());
    EXPECT_EQ(w.ChildWindow(MainWindow::RouteMenu)->y(), 62);

    // Heartbeats follow, 9000 and 1008 went out after the login.
    std::vector<int> codes;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            codes.clear();
            for (const auto& args : handled) codes.push_back(args.at(1).toInt());
            return std::count(codes.begin(), codes.end(), 1002) >= 2;
        }(),
        5000);
    EXPECT_EQ(codes.at(0), 1000);
    EXPECT_EQ(codes.at(1), 9000);
    EXPECT_EQ(codes.at(2), 1008);
    EXPECT_TRUE(messages.empty());

    w.close();
}

TEST_F(ShellTest, RejectedLoginShowsTheServersTextAndComesBackPrefilled) {
    WriteConf();
    MainWindow w(Options());
    int logins = 0;
    std::function<void(LoginWindow&)> second = [&](LoginWindow& login) {
        ++logins;
        EXPECT_EQ(login.Form().user, "admin");
        EXPECT_EQ(login.Form().password, "");  // the box was not ticked this time
        CancelLogin(login);
    };
    WhenLoginShows(w, [&](LoginWindow& login) {
        ++logins;
        login.Item<QLineEdit>(IDC_EDT_LOGIN_PASSWORD)->setText("wrong");
        login.Item<QCheckBox>(IDC_CHK_LOGIN_JIZHU)->setChecked(false);
        ClickLogin(login);
        WhenLoginShows(w, second, [&] { return !messages.empty(); });
    });
    ASSERT_TRUE(w.Start());
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible() && logins == 2, 5000);  // cancelled: the program ends
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0].empty());  // the server's own text
    EXPECT_FALSE(w.LoggedIn());
    EXPECT_NE(test::ReadFile(ConfPath()).find("Pass=\n"), std::string::npos);
}

TEST_F(ShellTest, UnreachableServerKeepsTheLoginWindowOpen) {
    quint16 closedPort;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    WriteConf();
    std::ofstream(ConfPath(), std::ios::app) << "";
    MainWindow w(Options());
    w.Config().port = closedPort;
    WhenLoginShows(w, [&](LoginWindow& login) {
        ClickLogin(login);
        EXPECT_TRUE(login.IsConnecting());
        QTRY_VERIFY_WITH_TIMEOUT(!messages.empty(), 5000);
        EXPECT_EQ(messages.at(0), "服务器连接失败!!!");
        EXPECT_FALSE(login.IsConnecting());
        EXPECT_TRUE(login.isVisible());
        CancelLogin(login);
    });
    EXPECT_FALSE(w.Start());
}

TEST_F(ShellTest, PageChosenBeforeTheReplyIsShownAfterIt) {
    // A peer that answers only when told, so the menu can be used in between.
    QTcpServer peer;
    ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
    WriteConf();
    MainWindow w(Options());
    w.Config().port = peer.serverPort();
    WhenLoginShows(w, ClickLogin);
    ASSERT_TRUE(w.Start());
    QTRY_VERIFY_WITH_TIMEOUT(peer.hasPendingConnections(), 5000);
    QTcpSocket* client = peer.nextPendingConnection();

    w.Item<QAbstractButton>(IDC_RAD_MENU_JIANKONG)->click();
    EXPECT_FALSE(w.ChildWindow(MainWindow::Monitor)->isVisible());
    client->write("{\"header\":{\"cmd\":\"8000\"},\"body\":{\"cmd\":\"1000\",\"result\":\" succeed \"}}");
    QTRY_VERIFY_WITH_TIMEOUT(w.LoggedIn(), 5000);
    EXPECT_TRUE(w.ChildWindow(MainWindow::Monitor)->isVisible());
    EXPECT_TRUE(w.Item<QRadioButton>(IDC_RAD_MENU_JIANKONG)->isChecked());

    // The peer goes away: the next heartbeat finds out and the login window comes back.
    WhenLoginShows(w, [&](LoginWindow& login) {
        EXPECT_EQ(w.CurrentPage(), 0);  // a new login starts on the routes
        EXPECT_FALSE(w.ChildWindow(MainWindow::Monitor)->isVisible());
        CancelLogin(login);
    });
    client->close();
    QTRY_VERIFY_WITH_TIMEOUT(!messages.empty(), 5000);
    EXPECT_EQ(messages.at(0), "与服务器断开连接");
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
}

TEST_F(ShellTest, LogoutKeepsThePlatesButNotTheGroups) {
    WriteConf();
    MainWindow w(Options());
    WhenLoginShows(w, ClickLogin);
    ASSERT_TRUE(w.Start());
    QTRY_VERIFY_WITH_TIMEOUT(w.Vehicles().Size() >= 12, 5000);
    auto* plates = w.ChildWindow(MainWindow::Report)->Item<QComboBox>(IDC_CMB_STAT_CHEPAI);
    auto* groups = w.ChildWindow(MainWindow::Report)->Item<QComboBox>(IDC_CMB__STAT_GONGSI);
    const int plateCount = plates->count();
    ASSERT_GT(groups->count(), 0);

    bool checked = false;
    WhenLoginShows(w, [&](LoginWindow& login) {
        checked = true;
        EXPECT_EQ(w.Vehicles().Size(), 0u);
        EXPECT_EQ(w.Routes().Size(), 0u);
        EXPECT_EQ(plates->count(), plateCount);
        EXPECT_EQ(groups->count(), 0);
        EXPECT_EQ(w.Socket(), nullptr);
        CancelLogin(login);
    });
    w.Item<QAbstractButton>(IDC_BTN_LOGOUT)->click();
    QTRY_VERIFY_WITH_TIMEOUT(checked, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
}

TEST_F(ShellTest, ClosingWritesTheConfigurationWithTheCurrentLogSwitch) {
    WriteConf("Colour=blue\n");
    {
        MainWindow w(Options());
        WhenLoginShows(w, ClickLogin);
        ASSERT_TRUE(w.Start());
        QTRY_VERIFY_WITH_TIMEOUT(w.LoggedIn(), 5000);
        w.SetWriteLog(0);
        w.close();
        const std::string written = test::ReadFile(ConfPath());
        EXPECT_NE(written.find("Write=0"), std::string::npos);
        EXPECT_NE(written.find("DataName=bus"), std::string::npos);
        EXPECT_NE(written.find("Colour=blue"), std::string::npos);
        // Later changes are not written a second time by the destructor.
        w.SetWriteLog(1);
    }
    EXPECT_NE(test::ReadFile(ConfPath()).find("Write=0"), std::string::npos);
}

TEST_F(ShellTest, ReportPageSwitchesBetweenItsTwoModes) {
    WriteConf();
    MainWindow w(Options());
    WhenLoginShows(w, ClickLogin);
    ASSERT_TRUE(w.Start());
    QTRY_VERIFY_WITH_TIMEOUT(w.LoggedIn(), 5000);
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    CUIWnd* head = w.ChildWindow(MainWindow::ReportMenuPage);
    CUIWnd* report = w.ChildWindow(MainWindow::Report);
    CUIWnd* web = w.ChildWindow(MainWindow::WebReport);
    EXPECT_TRUE(head->isVisible());
    EXPECT_TRUE(report->isVisible());
    EXPECT_FALSE(web->isVisible());
    EXPECT_EQ(report->y(), 62 + head->height());
    EXPECT_EQ(report->width(), w.width() - 2);

    head->Item<QAbstractButton>(IDC_RAD_MORE)->click();
    EXPECT_FALSE(report->isVisible());
    EXPECT_TRUE(web->isVisible());
    EXPECT_EQ(web->geometry(), QRect(1, 62 + head->height(), w.width() - 2, w.height() - 63 - head->height()));

    // The mode is kept when the page is left and shown again.
    w.Item<QAbstractButton>(IDC_RAD_MENU_XIANLU)->click();
    EXPECT_FALSE(web->isVisible());
    w.Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
    EXPECT_TRUE(web->isVisible());
    EXPECT_TRUE(head->Item<QRadioButton>(IDC_RAD_MORE)->isChecked());
    w.close();
}

TEST(SettingsWindow, TicksFollowTheSwitchAndClicksApplyAtOnce) {
    ASSERT_TRUE(StartSkin());
    for (int writeLog : {0, 1, 2}) {
        int set = -1;
        SettingsWindow settings(writeLog, [&](int v) { set = v; }, nullptr);
        ASSERT_TRUE(settings.Create(nullptr, false));
        auto* on = settings.Item<QRadioButton>(IDC_RAD_SETTING_LOG_TRUE);
        auto* off = settings.Item<QRadioButton>(IDC_RAD_SETTING_LOG_FALSE);
        EXPECT_EQ(on->isChecked(), writeLog == 1) << writeLog;
        EXPECT_EQ(off->isChecked(), writeLog == 0) << writeLog;
        on->click();
        EXPECT_EQ(set, 1);
        off->click();
        EXPECT_EQ(set, 0);
    }
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
        QTRY_VERIFY(combo->view()->isVisible());
        // The open list grabs the mouse, so the release reaches it, outside its own area.
        QWidget* popup = combo->view()->window();
        QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->mapFromGlobal(combo->mapToGlobal(button)), 60);
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        EXPECT_TRUE(combo->view()->isVisible()) << id;
        const QRect third = combo->view()->visualRect(combo->model()->index(2, 0));
        QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, third.center());
        QTRY_VERIFY(!combo->view()->isVisible());
        EXPECT_EQ(combo->currentIndex(), 2) << id;
    }
}

}  // namespace
}  // namespace fw
