// The report page of the real client against the real simulator (a separate fenwarde-sim
// process on free loopback ports): what a dispatcher sees after "生成报表" and "查询".
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/FileDialog.h"
#include "app/MainWindow.h"
#include "base/MessageBox.h"
#include "reports/ReportListModel.h"
#include "reports/ReportWindow.h"
#include "res/RESOURCE.H"
#include "sim/ReportRows.h"
#include "sim/ScenarioGenerator.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "tests/support/TestSupport.h"
#include "tests/support/SimProcess.h"
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

    // The simulator, then the client signed in on its report page.
    // simExtra: more options of the simulator; confExtra: more lines of conf.ini.
    void Start(const QString& trackFault = QStringLiteral("none"), const QStringList& simExtra = {},
               const std::string& confExtra = "") {
        const test::SimPorts started = test::StartSimProcess(sim, QStringLiteral(FENWARDE_SIM_EXE),
                  QStringList{"--port", "0", "--web-port", "0", "--seed", QString::number(kSeed),
                              "--date", kDate, "--track-fault", trackFault, "--record",
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
        for (auto [id, time] : {std::pair{IDC_DATETIME_STAT_S, "05:00:00"},
                                std::pair{IDC_DATETIME_STAT_E, "21:00:00"}})
            report->Item<QDateTimeEdit>(id)->setDateTime(QDateTime::fromString(
                QStringLiteral("%1 %2").arg(kDate, time), "yyyy-MM-dd HH:mm:ss"));
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

    std::vector<const ReportRow*> Rows() const {
        std::vector<const ReportRow*> rows;
        for (const ReportRow& row : report->Model().Rows().Rows()) rows.push_back(&row);
        for (std::size_t i = 1; i < rows.size(); ++i)
            EXPECT_LE((*rows[i - 1])[kColPlanReach], (*rows[i])[kColPlanReach]) << i;
        return rows;
    }
    // The vehicle's planned stops of the day, keyed as Key() names a report row.
    std::map<std::string, const sim::StopEvent*> Planned() const {
        std::map<std::string, const sim::StopEvent*> stops;
        for (const auto& trip : scenario.trips)
            if (trip.vehicle == plate)
                for (const auto& ev : trip.stops)
                    stops[trip.line + "|" + scenario.FindStation(ev.stationId)->name + "|" +
                          ev.planReach] = &ev;
        return stops;
    }
    static std::string Key(const ReportRow& row) {
        return row[kColLine] + "|" + row[kColStop] + "|" + row[kColPlanReach];
    }
    static long long Seconds(const std::string& text) {
        return SecondsBetween(*ParseDateTime(text), 0.0);
    }
    // A stop the vehicle reached within the acceptance window of its plan: the report must find it.
    static bool Findable(const sim::StopEvent& ev) {
        return !ev.trueReach.empty() &&
               std::llabs(Seconds(ev.trueReach) - Seconds(ev.planReach)) <= sim::kAcceptSeconds;
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

    // The simulator's 9017s are stored, one row per planned stop of the vehicle's day.
    const auto planned = Planned();
    std::vector<StopTimeRecord> stored;
    ASSERT_TRUE(window->StopTimes().ReadReportRows(plate, "admin", "0", "9", stored));
    EXPECT_EQ(stored.size(), planned.size());

    const auto rows = Rows();
    ASSERT_FALSE(rows.empty());
    // When the vehicle passed each stop, in and out, over the whole day.
    std::map<std::string, std::vector<long long>> passes;
    for (const auto& [key, ev] : planned)
        for (const std::string& t : {ev->trueReach, ev->trueLeave})
            if (!t.empty()) passes[key.substr(0, key.rfind('|'))].push_back(Seconds(t));
    // Every time the report shows is one of the simulator's passing times of that stop, to a fix
    // or two: this row's own, or another trip's that lay nearer this row's plan.
    auto passedThen = [&](const ReportRow& row, const std::string& real) {
        const auto& times = passes[row[kColLine] + "|" + row[kColStop]];
        return real.empty() || std::any_of(times.begin(), times.end(), [&](long long t) {
                   return std::llabs(Seconds(real) - t) <= 10;
               });
    };
    int reached = 0, left = 0, late = 0, own = 0, findable = 0;
    for (const ReportRow* row : rows) {
        const auto it = planned.find(Key(*row));
        ASSERT_NE(it, planned.end()) << Key(*row);
        const sim::StopEvent& ev = *it->second;
        for (const std::string& real : {(*row)[kColRealReach], (*row)[kColRealLeave]})
            EXPECT_TRUE(passedThen(*row, real)) << Key(*row) << " " << real;
        if (!(*row)[kColRealReach].empty() && !ev.trueReach.empty())
            own += std::llabs(Seconds((*row)[kColRealReach]) - Seconds(ev.trueReach)) <= 10;
        reached += !(*row)[kColRealReach].empty();
        left += !(*row)[kColRealLeave].empty();
        late += (*row)[kColLate].rfind("迟到", 0) == 0;
        findable += Findable(ev);
    }
    // Nearly every stop passed within the acceptance window is found at its own passing (one
    // whose passing lies nearer another trip's plan is matched there instead).
    EXPECT_GE(own, findable * 9 / 10);
    EXPECT_GE(reached, own);
    EXPECT_GT(left, 0);
    EXPECT_GT(late, 0);
    EXPECT_TRUE(report->GetDlgItem(IDC_BTN_STAT_SCBB)->isEnabled());

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
    EXPECT_EQ(boxes, std::vector<std::string>{"已导出 " + std::to_string(rows.size()) + " 行：\n" +
                                              folder + "/报表.csv"});
    // The header block, then one record per listed row with the plate first.
    const std::string text = test::ReadFile(folder + "/报表.csv");
    EXPECT_NE(text.find("车牌号," + plate + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("判定规则,首个定位点\r\n"), std::string::npos);
    std::size_t records = 0;
    for (std::size_t at = text.find("\r\n" + plate + ","); at != std::string::npos;
         at = text.find("\r\n" + plate + ",", at + 1))
        ++records;
    EXPECT_EQ(records, rows.size());

    // "查询" for the company lists the server's rows of its vehicles.
    const std::string group = scenario.vehicles.front().group;
    auto* groups = report->Item<QComboBox>(IDC_CMB__STAT_GONGSI);
    groups->setCurrentIndex(groups->findText(QString::fromStdString(group)));
    report->Item<QComboBox>(IDC_CMB_STAT_CHEPAI)->setEditText("");
    Click(IDC_BTN_STAT_SEARCH);

    std::vector<const sim::Vehicle*> vehicles;
    for (const auto& v : scenario.vehicles)
        if (v.group == group) vehicles.push_back(&v);
    ASSERT_GT(vehicles.size(), 1u);  // rows of several vehicles interleave
    const auto expected = sim::ComputeReportRows(
        scenario, vehicles, std::string(kDate) + " 05:00:00", std::string(kDate) + " 21:00:00");
    ASSERT_TRUE(test::WaitFor(
        [&] { return report->Model().rowCount() == static_cast<int>(expected.size()); }, 15000));
    ASSERT_TRUE(
        test::WaitFor([&] { return report->GetDlgItem(IDC_BTN_STAT_SEARCH)->isEnabled(); }, 5000));
    std::multiset<std::string> shown, sent;
    for (const ReportRow* row : Rows())
        shown.insert((*row)[kColPlate] + (*row)[kColPlanReach] + (*row)[kColRealReach]);
    for (const auto& r : expected) sent.insert(r.code + r.planreachtime + r.realreachtime);
    EXPECT_EQ(shown, sent);
    EXPECT_EQ(boxes.size(), 1u);  // the export's
    // The folder is remembered at exit.
    window->close();
    EXPECT_NE(test::ReadFile(home.File("conf.ini")).find("ExportFolder=" + folder),
              std::string::npos);
}

// A fix every 30 s with 10 m of noise, and the interpolated rule chosen in conf.ini: the times
// listed are the instants the bus crossed the circles, seconds from the true passings where the
// first fix inside would be half an interval late, and the page says which rule and which
// matching made them. In trip order every stop the bus reached holds its own arrival.
class ReportFlowSparse : public ReportFlow, public testing::WithParamInterface<Matching> {};

TEST_P(ReportFlowSparse, InterpolatedRuleListsTheCrossingInstantsOfSparseFixes) {
    const Matching matching = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start(QStringLiteral("none"),
                                  {"--fix-interval", "30", "--gps-noise", "10"},
                                  "Detection=interpolated\nMatching=" +
                                      std::string(MatchingKey(matching)) + "\n"));
    ASSERT_NO_FATAL_FAILURE(Generate());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(report->Item<QLabel>(IDC_STA_STAT_RULE)->text().toStdString(),
              "到站判定：精确推算，" + std::string(MatchingTitle(matching)));

    const auto planned = Planned();
    long long reached = 0, findable = 0, own = 0, sum = 0;
    for (const ReportRow* row : Rows()) {
        const auto it = planned.find(Key(*row));
        ASSERT_NE(it, planned.end()) << Key(*row);
        if (it->second->trueReach.empty()) continue;
        ++reached;
        findable += Findable(*it->second);
        if ((*row)[kColRealReach].empty()) continue;
        // Nearest: some arrivals may match a nearer plan of another trip; nearly all are their own.
        const long long error =
            std::llabs(Seconds((*row)[kColRealReach]) - Seconds(it->second->trueReach));
        own += error <= 30;
        sum += error <= 30 ? error : 0;
    }
    ASSERT_GT(findable, 20);
    if (matching == Matching::Sequence)
        EXPECT_EQ(own, reached);
    else
        EXPECT_GE(own, findable * 9 / 10);
    EXPECT_LE(static_cast<double>(sum) / static_cast<double>(own), 6.0);
    window->close();
}

INSTANTIATE_TEST_SUITE_P(Matchings, ReportFlowSparse,
                         testing::Values(Matching::Nearest, Matching::Sequence),
                         [](const testing::TestParamInfo<Matching>& info) {
                             return std::string(MatchingKey(info.param));
                         });

// Closing the client during the next run stops its transfer quietly.
TEST_F(ReportFlow, TheWindowStaysResponsiveWhileASlowTrackArrivesAndClosingStopsIt) {
    ASSERT_NO_FATAL_FAILURE(Start(QStringLiteral("slow:3000")));
    // Ticks of a timer show the event loop running; the busy text shows the bytes.
    int ticks = 0;
    std::set<QString> progress;
    auto* label = report->Item<QLabel>(IDC_STA_STAT_TRACK);
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        ++ticks;
        if (label->isVisibleTo(report)) progress.insert(label->text());
    });
    probe.start(20);
    QSignalSpy listed(report, &ReportWindow::reportListed);
    QElapsedTimer clock;
    clock.start();
    ASSERT_NO_FATAL_FAILURE(Generate(false));
    ASSERT_TRUE(test::WaitFor([&] { return report->IsRunning(); }, 10000));
    EXPECT_FALSE(report->GetDlgItem(IDC_CMB_STAT_CHEPAI)->isEnabled());
    ASSERT_TRUE(listed.wait(30000));
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_GE(ticks, 20);
    EXPECT_GE(progress.size(), 3u);  // the text grew while the body came
    EXPECT_GT(report->Model().rowCount(), 0);
    EXPECT_TRUE(report->GetDlgItem(IDC_CMB_STAT_CHEPAI)->isEnabled());

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
