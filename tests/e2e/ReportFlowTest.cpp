// The report page of the real client against the real simulator (a separate fenwarde-sim
// process on free loopback ports): what a dispatcher sees after "生成报表" and "查询".
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
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
#include "sim/ReportRows.h"
#include "sim/ScenarioGenerator.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "text/OleDate.h"

namespace fw {
namespace {

constexpr int kSeed = 3;
constexpr const char* kDate = "2014-08-25";

class ReportFlow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SkinBrowser::SetViewsEnabled(false);
        ASSERT_TRUE(StartSkin());
    }

    void SetUp() override {
        SetMessageObserver([this](const QString& t) { boxes.push_back(t.toStdString()); });
    }
    void TearDown() override {
        SetMessageObserver({});
        if (sim.state() != QProcess::NotRunning) {
            sim.kill();
            sim.waitForFinished(5000);
        }
    }

    // The simulator with more options of its own, then the client signed in on its report page
    // with more lines of conf.ini.
    void Start(const QStringList& simExtra = {}, const std::string& confExtra = "") {
        const test::SimPorts started =
            test::StartSimProcess(sim, QStringLiteral(FENWARDE_SIM_EXE),
                                  QStringList{"--port", "0", "--web-port", "0", "--seed",
                                              QString::number(kSeed), "--date", kDate, "--record",
                                              QString::fromStdString(home.File("sent.jsonl"))} +
                                      simExtra);
        ASSERT_FALSE(started.port.isEmpty()) << started.log.toStdString();
        std::ofstream(home.File("conf.ini"))
            << "[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\nRemember=1\n"
               "DataName=bus\nDataBasePsw=\nWrite=0\nPort="
            << started.port.toStdString() << "\nWebPort=" << started.webPort.toStdString() << "\n"
            << confExtra;
        MainWindow::Options options;
        options.home = home.Path();
        options.autoLogin = true;
        window = std::make_unique<MainWindow>(options);
        ASSERT_TRUE(window->Start());
        ASSERT_TRUE(test::WaitFor(
            [&] { return window->Vehicles().Size() == scenario.vehicles.size(); }, 10000));
        window->Item<QAbstractButton>(IDC_RAD_MENU_BAOBIAO)->click();
        report = qobject_cast<ReportWindow*>(window->ChildWindow(MainWindow::Report));
        ASSERT_NE(report, nullptr);
        ASSERT_TRUE(report->isVisible());
        for (int id : {IDC_DATETIME_STAT_S, IDC_DATETIME_STAT_E})  // 05:00 and 21:00 of that day
            report->Item<QDateTimeEdit>(id)->setDate(QDate::fromString(kDate, Qt::ISODate));
    }

    // "生成报表" for the vehicle of the first trip, waited for unless the run is to be watched.
    void Generate(bool wait = true) {
        plate = scenario.trips.front().vehicle;
        auto* plates = report->Item<QComboBox>(IDC_CMB_STAT_CHEPAI);
        plates->setCurrentIndex(plates->findText(QString::fromStdString(plate)));
        ASSERT_EQ(plates->currentText().toStdString(), plate);
        QSignalSpy listed(report, &ReportWindow::reportListed);
        Click(IDC_BTN_STAT_SCBB);
        if (!wait) return;
        ASSERT_TRUE(listed.wait(30000));
    }
    void Click(int id) { report->Item<QAbstractButton>(id)->click(); }

    static long long Seconds(const std::string& text) {
        return SecondsBetween(*ParseDateTime(text), 0.0);
    }
    // The listed rows against the simulator's truth: each a planned stop. Of the stops the
    // vehicle reached, those the report must find (within the acceptance window of their plan)
    // and those listed within `tolerance` of their own passing, with the sum of those errors;
    // and how many rows have a departure or are late.
    struct Found {
        long long reached = 0, findable = 0, own = 0, error = 0, left = 0, late = 0;
    };
    Found Compare(long long tolerance) const {
        std::map<std::string, const sim::StopEvent*> planned;  // keyed line|stop|planned arrival
        for (const auto& trip : scenario.trips)
            if (trip.vehicle == plate)
                for (const auto& ev : trip.stops)
                    planned[trip.line + "|" + scenario.FindStation(ev.stationId)->name + "|" +
                            ev.planReach] = &ev;
        Found found;
        for (const ReportRow& row : report->Model().Rows().Rows()) {
            const auto it =
                planned.find(row[kColLine] + "|" + row[kColStop] + "|" + row[kColPlanReach]);
            EXPECT_NE(it, planned.end()) << row[kColStop] << " " << row[kColPlanReach];
            if (it == planned.end()) continue;
            const sim::StopEvent& ev = *it->second;
            found.left += !row[kColRealLeave].empty();
            found.late += row[kColLate].rfind("迟到", 0) == 0;
            if (ev.trueReach.empty()) continue;
            ++found.reached;
            found.findable +=
                std::llabs(Seconds(ev.trueReach) - Seconds(ev.planReach)) <= sim::kAcceptSeconds;
            if (row[kColRealReach].empty()) continue;
            const long long error = std::llabs(Seconds(row[kColRealReach]) - Seconds(ev.trueReach));
            found.own += error <= tolerance;
            found.error += error <= tolerance ? error : 0;
        }
        return found;
    }

    test::TempHome home;
    QProcess sim;
    sim::Scenario scenario = sim::GenerateScenario(kSeed, kDate);
    std::unique_ptr<MainWindow> window;
    ReportWindow* report = nullptr;
    std::string plate;
    std::vector<std::string> boxes;
};

TEST_F(ReportFlow, GenerateListsTrueTimesExportsThemAndQueryListsTheServersRows) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Generate());
    EXPECT_TRUE(boxes.empty());
    EXPECT_NE(test::ReadFile(home.File("sent.jsonl")).find("\"cmd\":\"9016\""), std::string::npos);
    // Nearly every stop passed within the acceptance window is found at its own passing, to a
    // fix or two (one whose passing lies nearer another trip's plan is matched there instead).
    const Found found = Compare(10);
    ASSERT_GT(found.findable, 20);
    EXPECT_GE(found.own, found.findable * 9 / 10);
    EXPECT_GT(found.left, 0);
    EXPECT_GT(found.late, 0);

    // Exported as a CSV where the user chose; no folder used before: the home is proposed.
    const std::string folder = home.File("月报 八月");
    std::filesystem::create_directory(folder);
    std::string proposed;
    SetSaveFileChooser([&](const QString&, const QString& proposal) {
        proposed = proposal.toStdString();
        return QString::fromStdString(folder + "/报表.csv");
    });
    Click(IDC_RAD_STAT_TYPE_CSV);
    QSignalSpy exported(report, &ReportWindow::exportEnded);
    Click(IDC_BTN_STAT_EXPORT);
    ASSERT_TRUE(exported.wait(30000) || exported.count() > 0);
    SetSaveFileChooser({});
    EXPECT_EQ(proposed, QDir::homePath().toStdString() + "/报表_" + plate + "_" + kDate + ".csv");
    EXPECT_EQ(boxes,
              std::vector<std::string>{"已导出 " + std::to_string(report->Model().rowCount()) +
                                       " 行：\n" + folder + "/报表.csv"});
    EXPECT_NE(test::ReadFile(folder + "/报表.csv").find("判定规则,首个定位点\r\n"),
              std::string::npos);

    // "查询" for the company lists the server's rows of its vehicles, interleaved.
    const std::string group = scenario.vehicles.front().group;
    auto* groups = report->Item<QComboBox>(IDC_CMB__STAT_GONGSI);
    groups->setCurrentIndex(groups->findText(QString::fromStdString(group)));
    report->Item<QComboBox>(IDC_CMB_STAT_CHEPAI)->setEditText("");
    Click(IDC_BTN_STAT_SEARCH);
    std::vector<const sim::Vehicle*> vehicles;
    for (const auto& v : scenario.vehicles)
        if (v.group == group) vehicles.push_back(&v);
    ASSERT_GT(vehicles.size(), 1u);
    const auto expected = sim::ComputeReportRows(
        scenario, vehicles, std::string(kDate) + " 05:00:00", std::string(kDate) + " 21:00:00");
    ASSERT_TRUE(
        test::WaitFor([&] { return report->GetDlgItem(IDC_BTN_STAT_SEARCH)->isEnabled(); }, 15000));
    std::multiset<std::string> shown, sent;
    for (const ReportRow& row : report->Model().Rows().Rows())
        shown.insert(row[kColPlate] + row[kColPlanReach] + row[kColRealReach]);
    for (const auto& r : expected) sent.insert(r.code + r.planreachtime + r.realreachtime);
    EXPECT_EQ(shown, sent);
    EXPECT_EQ(boxes.size(), 1u);  // the export's
    // The folder is remembered at exit.
    window->close();
    EXPECT_NE(test::ReadFile(home.File("conf.ini")).find("ExportFolder=" + folder),
              std::string::npos);
}

// A slow track of sparse fixes (one every 30 s, 10 m of noise), with the interpolated rule and
// trip-order matching chosen in conf.ini. The window stays responsive while the body trickles
// in and shows its bytes. The times listed are the instants the bus crossed the circles, seconds
// from the true passings where the first fix inside would be half an interval late, every stop
// the bus reached holding its own arrival; the page says which rule and matching made them.
// Closing the client during the next run stops its transfer quietly.
TEST_F(ReportFlow, ASlowSparseTrackKeepsTheWindowResponsiveAndListsTheCrossingInstants) {
    ASSERT_NO_FATAL_FAILURE(
        Start({"--track-fault", "slow:3000", "--fix-interval", "30", "--gps-noise", "10"},
              "Detection=interpolated\nMatching=sequence\n"));
    int ticks = 0;  // a timer's ticks show the event loop running
    std::set<QString> progress;
    auto* label = report->Item<QLabel>(IDC_STA_STAT_TRACK);
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        ++ticks;
        if (label->isVisibleTo(report)) progress.insert(label->text());
    });
    probe.start(20);
    QSignalSpy listed(report, &ReportWindow::reportListed);
    ASSERT_NO_FATAL_FAILURE(Generate(false));
    ASSERT_TRUE(listed.wait(30000));
    EXPECT_GE(ticks, 20);
    EXPECT_GE(progress.size(), 3u);  // the text grew while the body came
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(report->Item<QLabel>(IDC_STA_STAT_RULE)->text(), "到站判定：精确推算，按班次顺序");

    const Found found = Compare(30);
    ASSERT_GT(found.findable, 20);
    EXPECT_EQ(found.own, found.reached);
    EXPECT_LE(static_cast<double>(found.error) / static_cast<double>(found.own), 6.0);

    ASSERT_NO_FATAL_FAILURE(Generate(false));
    ASSERT_TRUE(test::WaitFor([&] { return report->IsRunning(); }, 10000));
    window->close();
    EXPECT_FALSE(report->IsRunning());
    EXPECT_FALSE(listed.wait(500));
    EXPECT_EQ(boxes, std::vector<std::string>{"确定退出系统？"});  // only the question
    window.reset();
}

}  // namespace
}  // namespace fw
