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
#include "net/Framer.h"
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

// The records of a CSV file as Python's csv module reads them, the byte-order mark dropped.
std::vector<Record> ReadCsv(const QString& path) {
    const std::string json = test::CommandOutput(
        "/usr/bin/python3 -c 'import csv, json, sys; print(json.dumps(list(csv.reader("
        "open(sys.argv[1], encoding=\"utf-8-sig\", newline=\"\")))))' '" + path.toStdString() + "'");
    std::vector<Record> records;
    for (const Json::Value& row : ParseDocument(json).value_or(Json::Value())) {
        Record record;
        for (const Json::Value& cell : row) record.push_back(cell.asString());
        records.push_back(record.empty() ? Record{""} : record);  // a blank line: one empty field
    }
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
        Answer(LoginRequest("admin", "admin"), unusedTable_);
        Answer(AnnounceRequest(), unusedTable_);
    }

    std::vector<ReportRow> Rows(const std::string& plate, const std::string& date) {
        Database db;
        EXPECT_TRUE(db.OpenScratch());
        StopTimeTable table(db);
        const std::string id = vehicles_.VehicleIdOfPlate(plate);
        Answer(StopTimesRequest("admin", id, plate, date), table);
        ReportForm form;
        form.plate = plate;
        form.start = date + " 00:00:00";
        form.end = date + " 23:59:59";
        form.userName = "admin";
        form.detection.rule = DetectionRule::Interpolated;
        const std::string body = web_.TrackReply({{"key", sim::kTrackKey}, {"vhcid", id}, {"vehicle", Utf8ToGbk(plate)},
                                                  {"begin_time", form.start}, {"end_time", form.end}, {"timeorder", "0"}});
        ReportRun run(table, routes_, vehicles_, nullptr);
        EXPECT_TRUE(run.Begin(form).proceed);
        ReportList list;
        run.Finish(form, body, list);
        return std::move(list).TakeRows();
    }

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
    void Answer(const Json::Value& request, StopTimeTable& table) {
        Dispatcher dispatcher(routes_, vehicles_, table, *this);
        dispatcher.SetUser("admin");
        pending_.push_back(request);
        while (!pending_.empty()) {
            const Json::Value next = pending_.front();
            pending_.erase(pending_.begin());
            Framer answers(CharsetFamily::Ascii);
            answers.Append(session_.Handle(ReadMessage(next)));
            while (const auto answer = answers.Next()) dispatcher.Dispatch(ReadMessage(*ParseDocument(*answer)));
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
        End(report);
        End(sim);
    }
    // Ends a process, stopped or not.
    static void End(QProcess& p) {
        if (p.state() == QProcess::NotRunning) return;
        ::kill(static_cast<pid_t>(p.processId()), SIGCONT);
        p.kill();
        p.waitForFinished(5000);
    }

    // The simulator, and a conf.ini in the home that points at it.
    void StartSim(const QStringList& extra, const QString& pass = "admin", const QString& remember = "1") {
        const test::SimPorts started = test::StartSimProcess(sim, QStringLiteral(FENWARDE_SIM_EXE),
                  QStringList{"--port", "0", "--web-port", "0", "--seed", QString::number(kSeed), "--date", kDay1} +
                      extra);
        ASSERT_FALSE(started.port.isEmpty()) << started.log.toStdString();
        port = started.port;
        webPort = started.webPort;
        WriteConf(pass, remember);
    }
    void WriteConf(const QString& pass, const QString& remember) {
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
    int Finish() {
        EXPECT_TRUE(report.waitForFinished(60000)) << "still running";
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
        const auto shown = [&] {
            err += report.readAllStandardError().toStdString();
            return err.find(text) != std::string::npos;
        };
        return test::WaitFor(shown, 30000);
    }

    QString File(const char* name) const { return home.filePath(name); }

    QTemporaryDir home;
    QProcess sim;
    QProcess report;
    QString port, webPort;
    std::string out, err;
};

// A fleet split as the README says: the plates of a group listed, a part of them reported with
// the interpolated rule. Every real time is what the window's run lists for the same vehicle-day,
// in (plate, date) order whatever order the vehicle-days finished in, and the summary counts them.
TEST_F(FleetReport, ListedPlatesAreReportedWithTheWindowsRealTimes) {
    // No remembered password: it comes from the environment.
    ASSERT_NO_FATAL_FAILURE(StartSim({}, "", "0"));
    ASSERT_EQ(Run({"--group", "公交一公司", "--list-plates"}, "admin"), 0) << err;
    const QStringList lines = QString::fromStdString(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7) << out;  // the vehicles of 1路 and 7路
    for (const QString& line : lines) EXPECT_TRUE(line.endsWith("\t公交一公司")) << line.toStdString();
    test::WriteFile(File("part.txt").toStdString(), (lines[4] + "\n" + lines[1] + "\n").toStdString());
    std::vector<std::string> plates = {lines[1].section('\t', 0, 0).toStdString(),
                                       lines[4].section('\t', 0, 0).toStdString()};
    std::sort(plates.begin(), plates.end());

    ASSERT_EQ(Run({"--from", kDay1, "--to", kDay2, "--jobs", "2", "--rule", "interpolated", "--out", File("fleet.csv"),
                   "--plates", "@" + File("part.txt")}, "admin"), 0) << err;
    EXPECT_NE(out.find("4 vehicle-days (2 vehicles, 2 days)"), std::string::npos) << out;
    const auto csv = ReadCsv(File("fleet.csv"));
    EXPECT_NE(std::find(csv.begin(), csv.end(), Record{"判定规则", "精确推算"}), csv.end());
    std::map<std::pair<std::string, std::string>, std::vector<Record>> listed;
    std::vector<std::pair<std::string, std::string>> order;
    for (const Record& r : Table(csv, "", "车牌号码")) {
        ASSERT_EQ(r.size(), 11u);
        const std::pair key{r[kColPlate], r[kColPlanReach].substr(0, 10)};
        if (order.empty() || order.back() != key) order.push_back(key);
        listed[key].push_back(r);
    }
    ASSERT_EQ(order, (std::vector<std::pair<std::string, std::string>>{
                         {plates[0], kDay1}, {plates[0], kDay2}, {plates[1], kDay1}, {plates[1], kDay2}}));

    const auto perDay = Table(csv, "车辆日汇总", "车牌号码");
    ASSERT_EQ(perDay.size(), 5u);
    const auto counts = [](const std::string& plate, const std::string& date, const std::string& result,
                           const PunctualityCounts& c) {
        return Record{plate, date, result, std::to_string(c.planned), std::to_string(c.served), std::to_string(c.onTime),
                      std::to_string(c.late), std::to_string(c.early), std::to_string(c.notServed),
                      std::to_string(c.unreadable)};
    };
    WindowRun window;
    std::vector<ReportRow> all;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto& [plate, date] = order[i];
        const std::vector<ReportRow> expected = window.Rows(plate, date);
        const std::vector<Record>& got = listed[order[i]];
        ASSERT_EQ(got.size(), expected.size()) << plate << " " << date;
        ASSERT_GT(expected.size(), 50u);
        for (std::size_t r = 0; r < expected.size(); ++r)
            for (std::size_t c = 0; c < kReportColumnCount; ++c)
                EXPECT_EQ(got[r][c], expected[r][c]) << plate << " " << date << " row " << r << " column " << c;
        EXPECT_EQ(Record(perDay[i].begin(), perDay[i].end() - 1), counts(plate, date, "完成", CountPunctuality(expected, {})));
        all.insert(all.end(), expected.begin(), expected.end());
    }
    const PunctualityCounts total = CountPunctuality(all, {});
    EXPECT_EQ(Record(perDay[4].begin(), perDay[4].end() - 1), counts("合计", "", "", total));
    // The second day has its own track: most stops are served on both days.
    EXPECT_GT(total.served, all.size() * 9 / 10);
    EXPECT_NE(out.find("stops: " + std::to_string(total.planned) + " planned"), std::string::npos) << out;
    EXPECT_TRUE(Table(csv, "未完成", "车牌号码").empty());  // no failures, no failure tabl
}

// Every way a run ends early: its status, its message, and what it wrote. Bad input gives 2 and
// writes nothing; so does Ctrl-C, with 130. A fault after some vehicle-days gives 3: those are
// written, the rest are listed as failed, with the reason of the fault or of the track that had
// not come for it.
TEST_F(FleetReport, EachWayARunEndsEarlyHasItsStatusAndMessage) {
    enum Event { None, KillSim, StopSim, Interrupt, SimDown };
    const QString csv = File("fleet.csv");
    const QStringList range = {"--from", kDay1, "--to", kDay2, "--out", csv};
    const struct {
        const char* what;
        QStringList args;
        int status;
        const char* message;  // a part of stderr
        Event event = None;
        const char* when = "";  // the line on stderr after which the event comes
        const char* pass = "admin";
        const char* remember = "1";
    } rows[] = {
        {"wrong password", range, 2, "sign-in failed: 用户名或密码错误", None, "", "nimda"},
        {"no password", range, 2, "remembers no password for admin", None, "", "", "0"},
        {"unknown plate", range + QStringList{"--plates", "京X00000"}, 2, "unknown plate: 京X00000"},
        {"missing folder", {"--from", kDay1, "--to", kDay1, "--out", File("nowhere/r.csv")}, 2, "文件夹不存在"},
        {"Ctrl-C", range, 130, "interrupted: nothing written", Interrupt, "vehicle-days (40 vehicles × 2 days)"},
        // Each track takes a while to arrive, so the run is surely under way when the fault comes.
        {"server killed", range + QStringList{"--jobs", "1", "--fetches", "1"}, 3, "与服务器断开连接", KillSim, "3/80 "},
        // After --timeout what was not answered fails.
        {"server silent", range + QStringList{"--jobs", "1", "--timeout", "2"}, 3, "服务器无应答", StopSim, "2/80 "},
        {"server down", range, 2, "sign-in failed: 服务器连接失败!!!", SimDown},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(csv);
        if (row.event == SimDown) End(sim);
        if (row.event != SimDown && sim.state() == QProcess::NotRunning) {
            ASSERT_NO_FATAL_FAILURE(StartSim({"--vehicles", "40", "--track-fault", "slow:300"}));
        }
        WriteConf(row.pass, row.remember);
        ASSERT_NO_FATAL_FAILURE(StartReport(row.args));
        ASSERT_TRUE(*row.when == 0 || ErrShows(row.when)) << err;
        if (row.event == KillSim) sim.kill();
        if (row.event == StopSim) ::kill(static_cast<pid_t>(sim.processId()), SIGSTOP);
        if (row.event == Interrupt) ::kill(static_cast<pid_t>(report.processId()), SIGINT);
        ASSERT_EQ(Finish(), row.status) << err;
        if (row.status != 3) {
            EXPECT_NE(err.find(row.message), std::string::npos) << err;
            // Neither the file nor a temporary one beside it.
            EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"conf.ini"});
            continue;
        }
        End(sim);
        EXPECT_NE(err.find(std::string("the connection to the server ended: ") + row.message), std::string::npos) << err;
        const auto file = ReadCsv(csv);
        const auto perDay = Table(file, "车辆日汇总", "车牌号码");
        ASSERT_EQ(perDay.size(), 81u);
        std::set<std::pair<std::string, std::string>> done;
        std::size_t ofTheFault = 0, ofATrack = 0;
        for (std::size_t i = 0; i < 80; ++i) {
            const std::string& why = perDay[i][2];
            if (why == "完成") done.insert({perDay[i][0], perDay[i][1]});
            ofTheFault += why == row.message;
            ofATrack += why.rfind("轨迹数据为空", 0) == 0 || why.rfind("轨迹服务不可用", 0) == 0;
        }
        EXPECT_GE(done.size(), std::stoul(row.when));
        EXPECT_GT(ofTheFault, 10u);
        EXPECT_EQ(done.size() + ofTheFault + ofATrack, 80u);
        EXPECT_EQ(Table(file, "未完成", "车牌号码").size(), 80u - done.size());
        const auto detail = Table(file, "", "车牌号码");
        ASSERT_FALSE(detail.empty());
        for (const Record& r : detail) EXPECT_TRUE(done.count({r[kColPlate], r[kColPlanReach].substr(0, 10)})) << r[0];
        EXPECT_NE(out.find("failed:\n"), std::string::npos) << out;
    }
}

}  // namespace
}  // namespace fw
