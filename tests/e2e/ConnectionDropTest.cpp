// The connection to the real simulator (a fenwarde-sim process) drops while the dispatcher is
// signed in and at work, and comes back on the same ports: what the client refuses meanwhile,
// what it keeps, and what the simulator's record shows it really sent.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "base/FileDialog.h"
#include "base/MessageBox.h"
#include "reports/ReportListModel.h"
#include "reports/ReportWindow.h"
#include "res/RESOURCE.H"
#include "routes/RouteDrawWindow.h"
#include "routes/RouteListWindow.h"
#include "routes/RouteMenuWindow.h"
#include "schedules/ScheduleListWindow.h"
#include "schedules/ScheduleMenuWindow.h"
#include "schedules/ScheduleSetupWindow.h"
#include "sim/ScenarioGenerator.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "web/BrowserHost.h"
#include "web/PageRelay.h"

namespace fw {
namespace {

using test::WaitFor;

constexpr int kSeed = 3;
constexpr const char* kDate = "2014-08-25";

class ConnectionDrop : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SkinBrowser::SetViewsEnabled(false);
        ASSERT_TRUE(StartSkin());
    }
    void SetUp() override {
        SetMessageObserver([this](const QString& t) { boxes.push_back(t.toStdString()); });
        // A timetable of two batches for the schedule form.
        test::WriteFile(home.File("时刻表.csv"), "早1,线路,早2,线路\n06:00,1路,06:10,7路\n");
        SetFileChooser([this](const QString&) { return QString::fromStdString(home.File("时刻表.csv")); });
    }
    void TearDown() override {
        window.reset();
        SetMessageObserver({});
        SetFileChooser({});
        StopSimulator();
    }

    // The simulator on the ports given ("0": free ones), recording into a file of its own.
    void StartSimulator(const QStringList& extra = {}) {
        ++starts;
        const test::SimPorts started = test::StartSimProcess(
            sim, QStringLiteral(FENWARDE_SIM_EXE),
            QStringList{"--port", port.isEmpty() ? "0" : port, "--web-port", webPort.isEmpty() ? "0" : webPort,
                        "--seed", QString::number(kSeed), "--date", kDate, "--record", Record(starts)} +
                extra);
        ASSERT_FALSE(started.port.isEmpty()) << started.log.toStdString();
        port = started.port;
        webPort = started.webPort;
    }
    void StopSimulator() {
        if (sim.state() == QProcess::NotRunning) return;
        sim.kill();
        sim.waitForFinished(5000);
    }
    QString Record(int start) const { return QString::fromStdString(home.File("sent-" + std::to_string(start) + ".jsonl")); }
    // How often the simulator recorded each command code in its run `start`.
    std::map<std::string, long> Recorded(int start) const {
        std::map<std::string, long> codes;
        std::ifstream in(Record(start).toStdString());
        for (std::string line; std::getline(in, line);)
            if (const auto doc = ParseDocument(line)) ++codes[Text((*doc)["document"]["header"], "cmd")];
        return codes;
    }

    // Signed in, the stores filled and the schedule list in.
    void SignIn(const QStringList& simExtra = {}) {
        StartSimulator(simExtra);
        std::ofstream(home.File("conf.ini"))
            << "[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\nRemember=1\nDataName=bus\nWrite=1\nPort="
            << port.toStdString() << "\nWebPort=" << webPort.toStdString() << "\n";
        window = std::make_unique<MainWindow>(
            MainWindow::Options{.home = home.Path(), .autoLogin = true, .reconnectDivisor = 20, .settleMs = 500});
        ASSERT_TRUE(window->Start());
        ASSERT_TRUE(WaitFor([&] { return window->Vehicles().Size() == scenario.vehicles.size(); }, 10000));
        ASSERT_TRUE(WaitFor([&] { return window->Routes().ListedRouteCount() == scenario.lines.size(); }, 10000));
        ASSERT_TRUE(WaitFor([&] { return Schedules()->Schedules().Rows().size() == scenario.schedules.size(); }, 10000));
        report = qobject_cast<ReportWindow*>(window->ChildWindow(MainWindow::Report));
        ASSERT_NE(report, nullptr);
    }
    // The server goes, and comes back on the same ports once `meanwhile` has run.
    void DropAndRestore(const std::function<void()>& meanwhile, const QStringList& simExtra = {}) {
        StopSimulator();
        ASSERT_TRUE(WaitFor([&] { return window->IsReconnecting(); }, 5000));
        meanwhile();
        QSignalSpy refreshed(window.get(), &MainWindow::refreshed);
        StartSimulator(simExtra);
        ASSERT_TRUE(WaitFor([&] { return window->LoggedIn() && !window->IsReconnecting(); }, 15000));
        ASSERT_TRUE(refreshed.wait(10000));
    }

    template <class T>
    T* Page(MainWindow::Child child) const { return qobject_cast<T*>(window->ChildWindow(child)); }
    RouteListWindow* Routes() const { return Page<RouteListWindow>(MainWindow::RouteList); }
    RouteDrawWindow* Draw() const { return Page<RouteDrawWindow>(MainWindow::RouteDraw); }
    ScheduleListWindow* Schedules() const { return Page<ScheduleListWindow>(MainWindow::ScheduleList); }
    ScheduleSetupWindow* Setup() const { return Page<ScheduleSetupWindow>(MainWindow::ScheduleSetup); }
    void Menu(int id) { window->Item<QAbstractButton>(id)->click(); }
    static void Click(CUIWnd* w, int id) { w->Item<QAbstractButton>(id)->click(); }

    // The scheduling page in create mode with a timetable, three days and a name.
    void FillScheduleForm(const QString& name) {
        Menu(IDC_RAD_MENU_PAIBAN);
        Page<ScheduleMenuWindow>(MainWindow::ScheduleMenu)->SwitchToCreate();
        Click(window->ChildWindow(MainWindow::TimetableImport), IDC_BTN_PAIBAN_SHANGCHUAN);
        Setup()->Item<QDateTimeEdit>(IDC_DATETIME_PAIBAN_ADD_S)->setDate(QDate(2027, 1, 1));
        Setup()->Item<QDateTimeEdit>(IDC_DATETIME_PAIBAN_ADD_E)->setDate(QDate(2027, 1, 3));
        Click(Setup(), IDC_BTN_PAIBAN_ADD_PEIBEI);
        Setup()->Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB)->setText(name);
        ASSERT_EQ(Setup()->Grid().RowCount(), 3);
    }
    // "生成报表" for the vehicle of the first trip.
    void Generate() {
        Menu(IDC_RAD_MENU_BAOBIAO);
        for (auto [id, time] : {std::pair{IDC_DATETIME_STAT_S, "05:00:00"}, std::pair{IDC_DATETIME_STAT_E, "21:00:00"}})
            report->Item<QDateTimeEdit>(id)->setDateTime(
                QDateTime::fromString(QStringLiteral("%1 %2").arg(kDate, time), "yyyy-MM-dd HH:mm:ss"));
        auto* plates = report->Item<QComboBox>(IDC_CMB_STAT_CHEPAI);
        plates->setCurrentIndex(plates->findText(QString::fromStdString(scenario.trips.front().vehicle)));
        Click(report, IDC_BTN_STAT_SCBB);
    }
    // The dispatcher's work on the pages as one text: ticked routes, marked schedules, the route
    // being drawn, the schedule being made, the report listed.
    std::string Work() const {
        std::string out = "ticked:";
        for (int i = 0; i < Routes()->List()->topLevelItemCount(); ++i)
            if (RouteListWindow::IsTicked(Routes()->List()->topLevelItem(i)))
                out += Routes()->List()->topLevelItem(i)->text(0).toStdString() + ",";
        out += " marked:";
        for (const ScheduleRow& row : Schedules()->Schedules().Rows())
            if (row.marked) out += row.name + ",";
        return out + " drawing:" + Draw()->Drawing().routeName + "/" + std::to_string(Draw()->Drawing().Working().stations.size()) +
               " schedule:" + Setup()->Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB)->text().toStdString() + "/" +
               std::to_string(Setup()->Grid().RowCount()) + " report:" +
               report->Item<QComboBox>(IDC_CMB_STAT_CHEPAI)->currentText().toStdString() + "/" +
               std::to_string(report->Model().rowCount());
    }

    test::TempHome home;
    QProcess sim;
    QString port, webPort;
    int starts = 0;
    sim::Scenario scenario = sim::GenerateScenario(kSeed, kDate);
    std::unique_ptr<MainWindow> window;
    ReportWindow* report = nullptr;
    std::vector<std::string> boxes;
};

TEST_F(ConnectionDrop, EveryActionWhileReconnectingIsRefusedAndTheWorkSurvivesTheRelogin) {
    SignIn();
    // A route of two stations (西湖观光线) is listed like every other.
    EXPECT_EQ(window->Routes().ListedRouteCount(), 4u);

    // At work: a report listed, routes ticked, a schedule marked, a schedule being made, a
    // route being drawn.
    QSignalSpy listed(report, &ReportWindow::reportListed);
    Generate();
    ASSERT_TRUE(listed.wait(30000));
    Menu(IDC_RAD_MENU_XIANLU);
    for (int row : {0, 2}) Routes()->ToggleTick(Routes()->List()->topLevelItem(row));
    Schedules()->ToggleScheduleMark(0);
    FillScheduleForm(QStringLiteral("元旦排班"));
    Menu(IDC_RAD_MENU_XIANLU);
    Page<RouteMenuWindow>(MainWindow::RouteMenu)->ShowAdd();
    Draw()->Item<QLineEdit>(IDC_EDT_LX_ADD_NAME)->setText(QStringLiteral("新环线"));
    emit Draw()->Item<QLineEdit>(IDC_EDT_LX_ADD_NAME)->textEdited(QStringLiteral("新环线"));
    for (const sim::Station& s : {scenario.stations[0], scenario.stations[1], scenario.stations[2]})
        Draw()->Host()->Relay()->operate(QString::fromStdString("marker," + s.id + "," + s.name + "," +
                                                                std::to_string(s.lat) + "," + std::to_string(s.lng) + ",0.8,3"));
    const std::string work = Work();
    ASSERT_TRUE(QRegularExpression("^ticked:[^,]+,[^,]+, marked:[^,]+, drawing:新环线/3 schedule:元旦排班/3 report:.+/[1-9]")
                    .match(QString::fromStdString(work)).hasMatch()) << work;
    boxes.clear();

    DropAndRestore([&] {
        // Every action that needs the server says so at once and leaves the work as it was.
        Click(Draw(), IDC_BTN_LX_ADD);
        Page<RouteMenuWindow>(MainWindow::RouteMenu)->ShowManage();
        Click(Routes(), IDC_BTN_LX_GL_DELE);
        Menu(IDC_RAD_MENU_PAIBAN);
        Page<ScheduleMenuWindow>(MainWindow::ScheduleMenu)->SwitchToManage();
        Click(Schedules(), IDC_BTN_PAIBAN_GL_DELE);
        Page<ScheduleMenuWindow>(MainWindow::ScheduleMenu)->SwitchToCreate();
        Click(Setup(), IDC_BTN_PAIBAN_SAVE);
        Menu(IDC_RAD_MENU_BAOBIAO);
        Click(report, IDC_BTN_STAT_SEARCH);
        Click(report, IDC_BTN_STAT_SCBB);
        EXPECT_EQ(boxes, (std::vector<std::string>{
                             "与服务器的连接已断开，线路未保存。重新连接后请再试。",
                             "与服务器的连接已断开，线路未删除。重新连接后请再试。",
                             "与服务器的连接已断开，排班未删除。重新连接后请再试。",
                             "与服务器的连接已断开，排班未保存。重新连接后请再试。",
                             "与服务器的连接已断开，报表未查询。重新连接后请再试。",
                             "与服务器的连接已断开，报表未生成。重新连接后请再试。"}));
        EXPECT_EQ(Work(), work);
        EXPECT_FALSE(Setup()->SaveRunning());
        EXPECT_TRUE(report->Item<QAbstractButton>(IDC_BTN_STAT_SCBB)->isEnabled());
    });

    // Signed in again by itself: the pages kept their state, the stores were refreshed in place.
    EXPECT_EQ(Work(), work);
    EXPECT_TRUE(report->Item<QLabel>(IDC_STA_STAT_RULE)->isVisibleTo(report));
    EXPECT_EQ(Routes()->List()->topLevelItemCount(), 4);
    EXPECT_EQ(Schedules()->Schedules().Rows().size(), scenario.schedules.size());
    EXPECT_EQ(window->Vehicles().Size(), scenario.vehicles.size());
    EXPECT_EQ(window->Routes().Size(), scenario.lines.size());

    // The drawing, saved now, goes once and is listed. Besides, the server got only the sign-in
    // and its answers: nothing refused before (no queue, no replay).
    Menu(IDC_RAD_MENU_XIANLU);
    Page<RouteMenuWindow>(MainWindow::RouteMenu)->ShowAdd();
    Click(Draw(), IDC_BTN_LX_ADD);
    EXPECT_EQ(boxes.size(), 6u);
    EXPECT_EQ(window->Routes().ListedRouteCount(), 5u);
    ASSERT_TRUE(WaitFor([&] { return Recorded(2)["9004"] == 1; }, 5000));
    const std::set<std::string> expected = {"1000", "9000", "1008", "1010", "9002", "1002", "9004"};
    for (const auto& [code, count] : Recorded(2)) EXPECT_TRUE(expected.contains(code)) << code;
}

// A save whose answers wait while a report run fetches its (slow) track is not taken for a
// silent server; one cut by the connection says how far it got, keeps the form, and is saved
// whole on the next connection.
TEST_F(ConnectionDrop, HeldAnswersKeepASaveAndACutOneIsSavedAgainWhenTheServerIsBack) {
    SignIn({"--track-fault", "slow:4000"});
    FillScheduleForm(QStringLiteral("元旦排班"));
    Setup()->SetSaveTimeout(1500);
    QSignalSpy listed(report, &ReportWindow::reportListed);
    Generate();
    ASSERT_TRUE(WaitFor([&] { return report->IsRunning(); }, 10000));
    Menu(IDC_RAD_MENU_PAIBAN);
    Click(Setup(), IDC_BTN_PAIBAN_SAVE);  // the empty cells are asked about: sent anyway
    ASSERT_TRUE(Setup()->SaveRunning());
    ASSERT_TRUE(listed.wait(30000));
    ASSERT_TRUE(WaitFor([&] { return !Setup()->SaveRunning(); }, 5000));
    EXPECT_EQ(Schedules()->Schedules().Rows().back().name, "元旦排班");
    for (const std::string& box : boxes) EXPECT_EQ(box.find("服务器无应答"), std::string::npos) << box;
    ASSERT_TRUE(WaitFor([&] { return Recorded(1)["9006"] == 1; }, 5000));
    EXPECT_EQ(Recorded(1)["9008"], 4);

    // Again, and the server goes while the answers wait. Boxes stay up for a moment now, as
    // they do for a person reading them: the program goes on underneath.
    SetMessageObserver([this](const QString& t) { boxes.push_back(t.toStdString()); }, true);
    QTimer reader;  // closes the box on top every 300 ms
    QObject::connect(&reader, &QTimer::timeout, [] { EndObservedMessage(); });
    reader.start(300);
    FillScheduleForm(QStringLiteral("春节排班"));
    Generate();
    ASSERT_TRUE(WaitFor([&] { return report->IsRunning(); }, 10000));
    Menu(IDC_RAD_MENU_PAIBAN);
    Click(Setup(), IDC_BTN_PAIBAN_SAVE);
    ASSERT_TRUE(WaitFor([&] { return Recorded(1)["9008"] == 5; }, 5000));
    boxes.clear();
    DropAndRestore([&] {
        EXPECT_FALSE(Setup()->SaveRunning());
        ASSERT_TRUE(WaitFor([&] {
            return std::find(boxes.begin(), boxes.end(), "连接中断，排班未保存完整（已发送 0 / 3 天）") != boxes.end();
        }, 5000)) << testing::PrintToString(boxes);
        EXPECT_EQ(Setup()->Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB)->text(), QStringLiteral("春节排班"));
    });
    ASSERT_TRUE(WaitFor([&] { return !report->IsRunning(); }, 15000));
    // The old connection's answers, handed on after the run, change nothing.
    EXPECT_EQ(Setup()->Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB)->text(), QStringLiteral("春节排班"));
    EXPECT_EQ(Recorded(2)["9008"], 0);

    Menu(IDC_RAD_MENU_PAIBAN);
    Page<ScheduleMenuWindow>(MainWindow::ScheduleMenu)->SwitchToCreate();
    Click(Setup(), IDC_BTN_PAIBAN_SAVE);
    ASSERT_TRUE(WaitFor([&] { return Recorded(2)["9006"] == 1; }, 10000));
    EXPECT_EQ(Recorded(2)["9008"], 4);
    ASSERT_TRUE(WaitFor([&] { return Schedules()->Schedules().Rows().back().name == "春节排班"; }, 5000));
}

}  // namespace
}  // namespace fw
