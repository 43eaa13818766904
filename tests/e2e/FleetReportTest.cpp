// fenwarde-report against fenwarde-sim, both as real processes on free loopback ports: every real
// time equal to what the report window's run computes for the same vehicle-day, the summary's
// counts, a server that dies or falls silent mid-run, Ctrl-C, and each kind of bad input.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "net/Dispatcher.h"
#include "net/Requests.h"
#include "reports/Punctuality.h"
#include "reports/ReportRun.h"
#include "routes/RouteStore.h"
#include "sim/DispatchSession.h"
#include "sim/ScenarioGenerator.h"
#include "sim/WebSite.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "tests/support/TestSupport.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WaitFor.h"
#include "text/Encoding.h"

namespace fw {
namespace {

constexpr int kSeed = 3;
constexpr const char* kDay1 = "2014-08-25";
constexpr const char* kDay2 = "2014-08-26";

using Record = std::vector<std::string>;

// RFC 4180 records, the byte-order mark dropped.
std::vector<Record> ReadCsv(const QString& path) {
    std::string text = test::ReadFile(path.toStdString());
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<Record> records(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            field += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (quoted || (c != ',' && c != '\n' && c != '\r')) {
            field += c;
        } else if (c != '\r') {
            records.back().push_back(std::exchange(field, {}));
            if (c == '\n') records.emplace_back();
        }
    }
    records.pop_back();  // the empty one after the last line break
    return records;
}

// The records of a table: those after its heading row (the row whose first cell is `heading`
// and that follows the row `title`, when one is given), up to the next blank record.
std::vector<Record> Table(const std::vector<Record>& csv, const std::string& title, const std::string& heading) {
    std::size_t i = 0;
    if (!title.empty())
        while (i < csv.size() && !(csv[i].size() == 1 && csv[i][0] == title)) ++i;
    while (i < csv.size() && (csv[i].empty() || csv[i][0] != heading)) ++i;
    std::vector<Record> rows;
    for (++i; i < csv.size() && !(csv[i].size() == 1 && csv[i][0].empty()); ++i) rows.push_back(csv[i]);
    return rows;
}

// What the report window computes for a vehicle-day: the server's stop rows stored by the
// client's dispatcher, its routes as the login gathered them, the track the service gives for
// the day, and the report run of the window, all in this process over the same scenario.
class WindowRun : public DispatchTarget {
public:
    WindowRun() : state_(sim::GenerateScenario(kSeed, kDay1)), session_(state_, {}), web_(state_, {}) {
        Answer(LoginRequest("admin", "admin"));
        Answer(AnnounceRequest());
    }

    std::vector<ReportRow> Rows(const std::string& plate, const std::string& date) {
        Database db;
        EXPECT_TRUE(db.OpenScratch());
        StopTimeTable table(db);
        Dispatcher dispatcher(routes_, vehicles_, table, *this);
        dispatcher.SetUser("admin");
        const std::string id = vehicles_.VehicleIdOfPlate(plate);
        for (const Json::Value& reply : session_.Handle(ReadMessage(StopTimesRequest("admin", id, plate, date))))
            dispatcher.Dispatch(ReadMessage(reply));
        ReportForm form;
        form.plate = plate;
        form.start = date + " 00:00:00";
        form.end = date + " 23:59:59";
        form.userName = "admin";
        const std::string body = web_.TrackReply({{"key", sim::kTrackKey}, {"vhcid", id}, {"vehicle", Utf8ToGbk(plate)},
                                                  {"begin_time", form.start}, {"end_time", form.end}, {"timeorder", "0"}});
        ReportRun run(table, routes_, vehicles_, nullptr);
        EXPECT_TRUE(run.Begin(form).proceed);
        ReportList list;
        run.Finish(form, body, list);
        std::vector<ReportRow> rows;
        for (const ReportRow& row : list.Rows()) rows.push_back(row);
        return rows;
    }

    const sim::Scenario& Scenario() const { return state_.scenario(); }

    bool SendJson(const Json::Value& message) override {
        pending_.push_back(message);
        return true;
    }
    bool LoginResult(const std::string&, const std::string&) override { return true; }
    void AddGroupChoice(const std::string&) override {}
    void AddVehicleChoice(const std::string&) override {}

private:
    // Hands a request to the server and its answers to the client's dispatcher, and so on for
    // the client's own answers (1010, 9002), until nothing is left.
    void Answer(const Json::Value& request) {
        Dispatcher dispatcher(routes_, vehicles_, unusedTable_, *this);
        dispatcher.SetUser("admin");
        pending_.push_back(request);
        while (!pending_.empty()) {
            const Json::Value next = pending_.front();
            pending_.erase(pending_.begin());
            for (const Json::Value& reply : session_.Handle(ReadMessage(next))) dispatcher.Dispatch(ReadMessage(reply));
        }
    }

    sim::SimState state_;
    sim::DispatchSession session_;
    sim::WebSite web_;
    RouteStore routes_;
    VehicleStore vehicles_;
    Database unused_;
    StopTimeTable unusedTable_{unused_};
    std::vector<Json::Value> pending_;
};

class FleetReport : public testing::Test {
protected:
    void TearDown() override {
        for (QProcess* p : {&report, &sim}) {
            if (p->state() == QProcess::NotRunning) continue;
            ::kill(static_cast<pid_t>(p->processId()), SIGCONT);
            p->kill();
            p->waitForFinished(5000);
        }
    }

    // The simulator, and a conf.ini in the home that points at it.
    void StartSim(QStringList extra = {}, const QString& pass = "admin", const QString& remember = "1") {
        const test::SimPorts started = test::StartSimProcess(sim, QStringLiteral(FENWARDE_SIM_EXE),
                  QStringList{"--port", "0", "--web-port", "0", "--seed", QString::number(kSeed), "--date", kDay1} +
                      extra);
        ASSERT_FALSE(started.port.isEmpty()) << started.log.toStdString();
        port = started.port;
        webPort = started.webPort;
        WriteConf(pass, remember);
    }

    void WriteConf(const QString& pass, const QString& remember = "1") {
        test::WriteFile(File("conf.ini").toStdString(),
                        QStringLiteral("[login]\nServer=127.0.0.1\nUser=admin\nPass=%1\nRemember=%2\nDataName=bus\n"
                                       "Write=0\nPort=%3\nWebPort=%4\n")
                            .arg(pass, remember, port, webPort)
                            .toStdString());
    }

    // Starts fenwarde-report with the home's conf.ini; stderr is a pipe, so it writes a line per
    // vehicle-day.
    void StartReport(const QStringList& args, const QString& password = {}) {
        out.clear();
        err.clear();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("FENWARDE_PASSWORD");
        if (!password.isEmpty()) env.insert("FENWARDE_PASSWORD", password);
        report.setProcessEnvironment(env);
        report.start(QStringLiteral(FENWARDE_REPORT_EXE), QStringList{"--home", home.path()} + args);
        ASSERT_TRUE(report.waitForStarted(5000));
    }

    // Waits for the report to end; its exit status, with stdout and stderr in out and err.
    int Finish(int timeoutMs = 60000) {
        EXPECT_TRUE(report.waitForFinished(timeoutMs)) << "still running";
        out += QString::fromUtf8(report.readAllStandardOutput()).toStdString();
        err += QString::fromUtf8(report.readAllStandardError()).toStdString();
        return report.exitStatus() == QProcess::NormalExit ? report.exitCode() : -1;
    }
    int Run(const QStringList& args, const QString& password = {}) {
        StartReport(args, password);
        return Finish();
    }

    // Reads stderr until it holds the text.
    bool ErrShows(const std::string& text) {
        return test::WaitFor(
            [&] {
                err += QString::fromUtf8(report.readAllStandardError()).toStdString();
                return err.find(text) != std::string::npos;
            },
            30000);
    }

    QString File(const char* name) const { return home.filePath(name); }

    QTemporaryDir home;
    QProcess sim;
    QProcess report;
    QString port, webPort;
    std::string out, err;
};

TEST_F(FleetReport, EveryRealTimeIsTheWindowsAndTheSummaryCountsThem) {
    // No remembered password: it comes from the environment.
    ASSERT_NO_FATAL_FAILURE(StartSim({}, "", "0"));
    WindowRun window;
    const auto& vehicles = window.Scenario().vehicles;
    // Three vehicles of three lines, given out of order.
    const std::vector<std::string> plates = {vehicles[9].code, vehicles[0].code, vehicles[5].code};
    ASSERT_EQ(Run({"--from", kDay1, "--to", kDay2, "--jobs", "2", "--out", File("fleet.csv"), "--plates",
                   QString::fromStdString(plates[0] + "," + plates[1] + "," + plates[2])},
                  "admin"),
              0)
        << err;
    EXPECT_NE(out.find("6 vehicle-days (3 vehicles, 2 days)"), std::string::npos) << out;

    const auto csv = ReadCsv(File("fleet.csv"));
    const auto detail = Table(csv, "", "车牌号码");
    std::map<std::pair<std::string, std::string>, std::vector<Record>> listed;
    std::vector<std::pair<std::string, std::string>> order;
    for (const Record& r : detail) {
        ASSERT_EQ(r.size(), 11u);
        const std::pair key{r[kColPlate], r[kColPlanReach].substr(0, 10)};
        if (order.empty() || order.back() != key) order.push_back(key);
        listed[key].push_back(r);
    }
    // (plate, date) order, whatever order the vehicle-days finished in.
    std::vector<std::string> sorted = plates;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(order.size(), 6u);
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i], std::pair(sorted[i / 2], std::string(i % 2 == 0 ? kDay1 : kDay2)));

    const auto perDay = Table(csv, "车辆日汇总", "车牌号码");
    ASSERT_EQ(perDay.size(), 7u);  // six vehicle-days and the total
    PunctualityCounts total;
    std::size_t served = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        const auto& [plate, date] = order[i];
        const std::vector<ReportRow> expected = window.Rows(plate, date);
        const std::vector<Record>& got = listed[order[i]];
        ASSERT_EQ(got.size(), expected.size()) << plate << " " << date;
        ASSERT_GT(expected.size(), 50u);
        for (std::size_t r = 0; r < expected.size(); ++r) {
            for (std::size_t c = 0; c < kReportColumnCount; ++c)
                EXPECT_EQ(got[r][c], expected[r][c]) << plate << " " << date << " row " << r << " column " << c;
            served += !expected[r][kColRealReach].empty();
        }
        const PunctualityCounts c = CountPunctuality(expected, {});
        EXPECT_EQ(perDay[i], (Record{plate, date, "完成", std::to_string(c.planned), std::to_string(c.served),
                                     std::to_string(c.onTime), std::to_string(c.late), std::to_string(c.early),
                                     std::to_string(c.notServed), std::to_string(c.unreadable), perDay[i][10]}));
        total.planned += c.planned;
        total.onTime += c.onTime;
        total.late += c.late;
    }
    // The second day has its own track: most stops are served on both days.
    EXPECT_GT(served, detail.size() * 9 / 10);
    EXPECT_EQ(perDay[6], (Record{"合计", "", "", std::to_string(total.planned), perDay[6][4],
                                 std::to_string(total.onTime), std::to_string(total.late), perDay[6][7], perDay[6][8],
                                 perDay[6][9], perDay[6][10]}));
    EXPECT_NE(out.find("stops: " + std::to_string(total.planned) + " planned"), std::string::npos) << out;
    EXPECT_TRUE(Table(csv, "未完成", "车牌号码").empty());  // no failures, no failure table
}

// A fleet split as the README says: the plates of a group listed, a part of them reported, here
// as a workbook with the interpolated rule.
TEST_F(FleetReport, ListedPlatesGiveAPartOfTheFleetAsAWorkbook) {
    ASSERT_NO_FATAL_FAILURE(StartSim());
    ASSERT_EQ(Run({"--group", "公交一公司", "--list-plates"}), 0) << err;
    const QStringList lines = QString::fromStdString(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7) << out;  // the vehicles of 1路 and 7路
    for (const QString& line : lines) EXPECT_TRUE(line.endsWith("\t公交一公司")) << line.toStdString();
    test::WriteFile(File("part.txt").toStdString(), (lines[1] + "\n" + lines[4] + "\n").toStdString());

    ASSERT_EQ(Run({"--from", kDay2, "--to", kDay2, "--plates", "@" + File("part.txt"), "--rule", "interpolated",
                   "--out", File("周报 1.xlsx")}),
              0)
        << err;
    const std::string text = test::CommandOutput("/usr/bin/python3 '" + std::string(std::getenv("FENWARDE_SOURCE_DIR")) +
                                                 "/tests/reports/read_xlsx.py' '" + File("周报 1.xlsx").toStdString() +
                                                 "' 2>&1");
    const auto book = ParseDocument(text);
    ASSERT_TRUE(book) << text;
    std::vector<std::string> names;
    for (const auto& sheet : (*book)["sheets"]) names.push_back(sheet["name"].asString());
    EXPECT_EQ(names, (std::vector<std::string>{"明细", "车辆日汇总", "线路汇总"}));
    // The detail sheet: the header block names the rule; real times are date-time cells.
    bool rule = false;
    std::map<std::string, int> times;
    for (const auto& row : (*book)["sheets"][0]["rows"]) {
        rule = rule || (row[0]["v"].asString() == "判定规则" && row[1]["v"].asString() == "精确推算");
        if (row.size() > kColRealReach && row[static_cast<int>(kColRealReach)]["t"].asString() == "datetime")
            ++times[row[0]["v"].asString()];
    }
    EXPECT_TRUE(rule);
    ASSERT_EQ(times.size(), 2u);
    for (const QString& line : {lines[1], lines[4]}) EXPECT_GT(times[line.section('\t', 0, 0).toStdString()], 50);
}

// A fault after some vehicle-days are done: those are written, the rest are listed as failed,
// with the reason of the fault or of the track that had not come for it; the status is 3.
struct Fault {
    const char* name;
    QStringList args;
    int doneBefore;  // vehicle-days finished when the fault comes
    bool silent;     // the server stops answering but keeps the connection, else it dies
    const char* reason;
};

void PrintTo(const Fault& f, std::ostream* out) { *out << f.name; }

class FleetReportFault : public FleetReport, public testing::WithParamInterface<Fault> {};

TEST_P(FleetReportFault, GivesStatusThreeAndTheFinishedDays) {
    const Fault& f = GetParam();
    // Each track takes a while to arrive, so the run is surely under way when the fault comes.
    ASSERT_NO_FATAL_FAILURE(StartSim({"--vehicles", "40", "--track-fault", "slow:300"}));
    ASSERT_NO_FATAL_FAILURE(
        StartReport(QStringList{"--from", kDay1, "--to", kDay2, "--jobs", "1", "--out", File("fleet.csv")} + f.args));
    ASSERT_TRUE(ErrShows(std::to_string(f.doneBefore) + "/80 ")) << err;
    if (f.silent) ::kill(static_cast<pid_t>(sim.processId()), SIGSTOP);
    else sim.kill();
    ASSERT_EQ(Finish(), 3) << err;
    EXPECT_NE(err.find(std::string("the connection to the server ended: ") + f.reason), std::string::npos) << err;

    const auto csv = ReadCsv(File("fleet.csv"));
    const auto perDay = Table(csv, "车辆日汇总", "车牌号码");
    ASSERT_EQ(perDay.size(), 81u);
    std::map<std::string, std::size_t> outcomes;  // track failures counted together
    std::set<std::pair<std::string, std::string>> done;
    for (std::size_t i = 0; i < 80; ++i) {
        const std::string& why = perDay[i][2];
        const bool track = why.rfind("轨迹数据为空", 0) == 0 || why.rfind("轨迹服务不可用", 0) == 0;
        ++outcomes[track ? "track" : why];
        if (why == "完成") done.insert({perDay[i][0], perDay[i][1]});
    }
    EXPECT_GE(done.size(), static_cast<std::size_t>(f.doneBefore));
    EXPECT_GT(outcomes[f.reason], 10u);
    EXPECT_EQ(done.size() + outcomes[f.reason] + outcomes["track"], 80u);
    EXPECT_EQ(Table(csv, "未完成", "车牌号码").size(), 80u - done.size());
    const auto detail = Table(csv, "", "车牌号码");
    ASSERT_FALSE(detail.empty());
    for (const Record& r : detail) EXPECT_TRUE(done.count({r[kColPlate], r[kColPlanReach].substr(0, 10)})) << r[0];
    EXPECT_NE(out.find("failed:\n"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FleetReportFault,
    testing::Values(Fault{"ServerKilled", {"--fetches", "1"}, 3, false, "与服务器断开连接"},
                    // After --timeout what was not answered fails.
                    Fault{"ServerSilent", {"--fetches", "4", "--timeout", "2"}, 2, true, "服务器无应答"}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

TEST_F(FleetReport, InterruptedRunLeavesNoFile) {
    ASSERT_NO_FATAL_FAILURE(StartSim({"--track-fault", "slow:20000"}));
    ASSERT_NO_FATAL_FAILURE(StartReport({"--from", kDay1, "--to", kDay2, "--out", File("fleet.xlsx")}));
    ASSERT_TRUE(ErrShows("vehicle-days (12 vehicles × 2 days)")) << err;
    ::kill(static_cast<pid_t>(report.processId()), SIGINT);
    EXPECT_EQ(Finish(10000), 130) << err;
    EXPECT_NE(err.find("interrupted: nothing written"), std::string::npos) << err;
    // Neither the file nor a temporary one beside it.
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"conf.ini"});
}

TEST_F(FleetReport, BadInputIsAClearMessageAndStatusTwo) {
    ASSERT_NO_FATAL_FAILURE(StartSim());
    const QString csv = File("r.csv");
    const QStringList day = {"--from", kDay1, "--to", kDay1};
    const struct {
        const char* what;
        QStringList args;
        const char* message;  // a part of stderr
        const char* pass = "admin";
        const char* remember = "1";
    } rows[] = {
        {"wrong password", day + QStringList{"--out", csv}, "sign-in failed: 用户名或密码错误", "nimda"},
        {"no password", day + QStringList{"--out", csv}, "remembers no password for admin", "", "0"},
        {"an option", day + QStringList{"--password=admin", "--out", csv}, "never taken from the command line"},
        {"unknown plate", day + QStringList{"--plates", "京X00000", "--out", csv}, "unknown plate: 京X00000"},
        {"missing folder", day + QStringList{"--out", File("nowhere/r.csv")}, "文件夹不存在"},
        {"server down", day + QStringList{"--out", csv}, "sign-in failed: 服务器连接失败!!!"},  // the last row
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (std::string(row.what) == "server down") {
            sim.kill();
            sim.waitForFinished(5000);
        }
        WriteConf(row.pass, row.remember);
        StartReport(row.args);
        EXPECT_EQ(Finish(30000), 2) << err;
        EXPECT_NE(err.find(row.message), std::string::npos) << err;
        EXPECT_FALSE(QFile::exists(csv));
    }
}

}  // namespace
}  // namespace fw
