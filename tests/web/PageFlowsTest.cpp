#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSignalSpy>

#include <fstream>

#include "app/MainWindow.h"
#include "base/MessageBox.h"
#include "res/RESOURCE.H"
#include "routes/RouteDrawWindow.h"
#include "routes/RouteListWindow.h"
#include "routes/RouteMenuWindow.h"
#include "sim/DispatchServer.h"
#include "sim/ScenarioGenerator.h"
#include "sim/SimState.h"
#include "sim/WebSite.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "text/Encoding.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "tests/support/WebEngineProbe.h"
#include "web/BrowserHost.h"
#include "web/MonitorWindow.h"
#include "web/PageRelay.h"
#include "web/SignInUrls.h"

namespace fw {
namespace {

using test::WaitFor;

// The whole client against the simulator's server and web site, with real pages.
class PageFlows : public testing::Test {
protected:
    void SetUp() override {
        FW_REQUIRE_WEB_ENGINE();
        ASSERT_TRUE(StartSkin());
        SetMessageObserver([this](const QString& text) { messages.push_back(text.toStdString()); });
        ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, nullptr));
        ASSERT_TRUE(site.Listen(QHostAddress::LocalHost, 0, nullptr));
        std::ofstream(home.File("conf.ini"))
            << "[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\nRemember=1\nDataName=bus\n"
               "Write=1\nPort=" << server.Port() << "\nWebPort=" << site.Port() << "\n";
        MainWindow::Options o;
        o.home = home.Path();
        o.sweepMs = 300;
        o.autoLogin = true;
        window = std::make_unique<MainWindow>(o);
        ASSERT_TRUE(window->Start());
        ASSERT_TRUE(WaitFor([this] { return window->LoggedIn(); }));
    }
    void TearDown() override {
        if (window) window->close();
        SetMessageObserver({});
    }

    template <class T>
    T* Page(MainWindow::Child child) { return qobject_cast<T*>(window->ChildWindow(child)); }

    static QString Evaluate(QWebEnginePage* page, const QString& script) {
        QVariant result;
        bool done = false;
        page->runJavaScript(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        WaitFor([&] { return done; });
        return result.toString();
    }
    static bool PageSays(QWebEnginePage* page, const QString& script, const QString& expected) {
        return WaitFor([&] { return Evaluate(page, script) == expected; });
    }

    // Clicks stations the way a person does, through the map page's own handlers.
    static void ClickStation(QWebEnginePage* page, const std::string& id) {
        Evaluate(page, QStringLiteral("document.querySelector('.station[data-id=\"%1\"]')"
                                      ".dispatchEvent(new MouseEvent('click', {bubbles: true})); 'ok'")
                           .arg(QString::fromStdString(id)));
    }

    test::TempHome home;
    sim::SimState state{sim::GenerateScenario(5, "2014-08-25")};
    sim::DispatchServer server{state, [](const QString&) {}};
    QStringList siteLog;
    sim::WebSite site{state, [this](const QString& line) { siteLog << line; }};
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> messages;
};

TEST_F(PageFlows, StationsClickedOnTheMapAreSavedToTheServerAndListed) {
    auto* menu = Page<RouteMenuWindow>(MainWindow::RouteMenu);
    auto* draw = Page<RouteDrawWindow>(MainWindow::RouteDraw);
    auto* list = Page<RouteListWindow>(MainWindow::RouteList);
    ASSERT_TRUE(WaitFor([&] { return list->List()->topLevelItemCount() >= 3; }));
    EXPECT_FALSE(draw->Host()->Browser()->IsViewCreated());  // no web engine until it is needed

    QSignalSpy attached(draw->Host()->Relay(), &PageRelay::attached);
    menu->Item<QAbstractButton>(IDC_RAD_SUBMENU_XIANLU__ADD)->click();
    ASSERT_TRUE(WaitFor([&] { return attached.count() > 0; }));
    QWebEnginePage* page = draw->Host()->Page();
    ASSERT_TRUE(PageSays(page, "String(document.querySelectorAll('.station').length > 0)", "true"));

    const auto& stations = state.scenario().stations;
    for (int i : {0, 1, 2}) ClickStation(page, stations[i].id);
    ASSERT_TRUE(WaitFor([&] { return draw->Drawing().Working().stations.size() == 3; }));
    const StationRecord& first = draw->Drawing().Working().stations[0];
    EXPECT_EQ(first.id, stations[0].id);
    EXPECT_EQ(first.name, stations[0].name);
    EXPECT_EQ(draw->Drawing().Working().stations[2].serialNumber, "2");
    EXPECT_TRUE(PageSays(page, "document.getElementById('count').textContent", "3"));

    auto* name = draw->Item<QLineEdit>(IDC_EDT_LX_ADD_NAME);
    name->setFocus();
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("测试线"));
    QApplication::sendEvent(name, &typed);
    QSignalSpy handled(&server, &sim::DispatchServer::DocumentHandled);
    draw->Item<QAbstractButton>(IDC_BTN_LX_ADD)->click();
    EXPECT_TRUE(messages.empty());

    ASSERT_TRUE(WaitFor([&] { return state.scenario().FindLineByName("测试线") != nullptr; }));
    bool saveSeen = false;
    for (const auto& args : handled) saveSeen = saveSeen || args.at(1).toInt() == 9004;
    EXPECT_TRUE(saveSeen);
    EXPECT_EQ(state.scenario().FindLineByName("测试线")->stops.size(), 3u);
    EXPECT_EQ(state.scenario().FindLineByName("测试线")->user, "admin");
    EXPECT_TRUE(PageSays(page, "document.getElementById('count').textContent", "0"));  // clears
    EXPECT_EQ(menu->CurrentMode(), RouteMenuWindow::Mode::Manage);
    bool listed = false;
    for (int i = 0; i < list->List()->topLevelItemCount(); ++i)
        listed = listed || list->List()->topLevelItem(i)->text(0) == QStringLiteral("测试线");
    EXPECT_TRUE(listed);
}

TEST_F(PageFlows, TickedRoutesAreDeletedOnTheServerAndGoneHereToo) {
    auto* list = Page<RouteListWindow>(MainWindow::RouteList);
    ASSERT_TRUE(WaitFor([&] { return list->List()->topLevelItemCount() >= 3; }));
    const std::size_t lines = state.scenario().lines.size();
    const QString name = list->List()->topLevelItem(0)->text(0);
    list->ToggleTick(list->List()->topLevelItem(0));
    list->Item<QAbstractButton>(IDC_BTN_LX_GL_DELE)->click();
    ASSERT_TRUE(WaitFor([&] { return state.scenario().lines.size() == lines - 1; }));
    EXPECT_EQ(state.scenario().FindLineByName(name.toStdString()), nullptr);
    EXPECT_NE(list->List()->topLevelItem(0)->text(0), name);

    // The store lets it go as the server did: the page filled again does not show it, and its
    // name is free for a new route.
    list->GoToPage(1);
    EXPECT_NE(list->List()->topLevelItem(0)->text(0), name);
    EXPECT_EQ(static_cast<std::size_t>(list->List()->topLevelItemCount()), lines - 1);
    EXPECT_FALSE(window->Routes().HasName(name.toStdString()));
    EXPECT_TRUE(window->LoggedIn());
    EXPECT_TRUE(messages.empty());
}

TEST_F(PageFlows, AMapPageFromAnotherOriginReachesNoWindow) {
    auto* draw = Page<RouteDrawWindow>(MainWindow::RouteDraw);
    Page<RouteMenuWindow>(MainWindow::RouteMenu)->ShowAdd();
    // The same site under another name is another origin.
    draw->Host()->Browser()->Navigate(QUrl(QStringLiteral(
        "http://localhost:%1/myquorvel/quorvel/jsp/cmonitor/markerBD.jsp").arg(site.Port())));
    ASSERT_TRUE(WaitFor([&] { return draw->Host()->Page() && draw->Host()->Page()->url().host() == "localhost"; }));
    QWebEnginePage* page = draw->Host()->Page();
    ASSERT_TRUE(PageSays(page, "String(document.querySelectorAll('.station').length > 0)", "true"));
    EXPECT_EQ(Evaluate(page, "typeof FenwardeRelay"), "undefined");
    ClickStation(page, state.scenario().stations[0].id);
    ClickStation(page, state.scenario().stations[1].id);
    EXPECT_TRUE(PageSays(page, "document.getElementById('count').textContent", "2"));
    QTest::qWait(300);
    EXPECT_TRUE(draw->Drawing().Working().stations.empty());
    EXPECT_EQ(draw->Host()->Relay()->CommandCount(), 0);
}

TEST_F(PageFlows, TheMonitoringPageIsAnsweredWithSetAlarmTypeOncePerCommand) {
    auto* monitor = Page<MonitorWindow>(MainWindow::Monitor);
    QSignalSpy attached(monitor->Host()->Relay(), &PageRelay::attached);
    window->Item<QAbstractButton>(IDC_RAD_MENU_JIANKONG)->click();
    ASSERT_TRUE(WaitFor([&] { return attached.count() > 0; }));
    QWebEnginePage* page = monitor->Host()->Page();
    // The relay is there from the document's creation, but the page's own scripts come with the
    // page: FwMap, which hands the relay the commands, and setAlarmType, which takes the answers,
    // may both still be loading when the channel is up.
    ASSERT_TRUE(PageSays(page, "document.readyState", "complete"));
    ASSERT_EQ(
        Evaluate(page, "FwMap.relay('alarm,浙A12345,超速报警'); FwMap.relay('whatever'); 'sent'"),
        "sent");
    ASSERT_TRUE(PageSays(page, "document.getElementById('alarmType').textContent", "Fen_warde"));
    const QString answers = QStringLiteral(
        "String(Array.prototype.filter.call(document.querySelectorAll('#alarms li'),"
        " function (li) { return li.textContent.indexOf('程序回应') === 0; }).length)");
    ASSERT_TRUE(WaitFor([&] {
        return Evaluate(page, answers).toInt() == monitor->Host()->Relay()->CommandCount() &&
               monitor->Host()->Relay()->CommandCount() >= 2;
    })) << Evaluate(page, answers).toStdString()
        << " answers to " << monitor->Host()->Relay()->CommandCount() << " commands; "
        << Evaluate(page, "document.getElementById('alarms').innerText").toStdString() << " url "
        << page->url().toString().toStdString() << "; sign-ins "
        << siteLog.filter(QStringLiteral("AutomaticLogin")).size() << ", attached "
        << attached.count();
}

TEST_F(PageFlows, AWrongPasswordsAlertLeadsToANewSignIn) {
    auto* monitor = Page<MonitorWindow>(MainWindow::Monitor);
    SkinBrowser* browser = monitor->Host()->Browser();
    TextCodec gbk("GBK");
    browser->Navigate(QUrl(QString::fromStdString(
        MonitorSignInUrl("127.0.0.1", site.Port(), "admin", "wrong", gbk))));
    window->Item<QAbstractButton>(IDC_RAD_MENU_JIANKONG)->click();
    // Refused, the page says so in an alert; the sweep signs the page in again, and again.
    ASSERT_TRUE(WaitFor([&] { return siteLog.filter("monitoring sign-in of admin refused").size() >= 3; }));
    EXPECT_TRUE(messages.empty());  // nobody had to close a box
}

}  // namespace
}  // namespace fw
