#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest/QTest>


#include <json/writer.h>

#include "net/Message.h"
#include "sim/Geo.h"
#include "sim/ScenarioGenerator.h"
#include "sim/WebSite.h"
#include "tests/support/TestSupport.h"
#include "text/Encoding.h"

namespace fw::sim {
namespace {

std::string Percent(const std::string& bytes) {
    return QByteArray::fromStdString(bytes).toPercentEncoding().toStdString();
}

class Web : public ::testing::Test {
protected:
    void SetUp() override {
        state = std::make_unique<SimState>(GenerateScenario(1, "2026-12-07"));
        site = std::make_unique<WebSite>(*state, [this](const QString& l) { log << l; });
        QString error;
        ASSERT_TRUE(site->Listen(QHostAddress::LocalHost, 0, &error)) << error.toStdString();
    }

    // GET of a path whose query is already percent-encoded; the status and the body.
    std::pair<int, std::string> Get(const std::string& pathAndQuery) {
        const QUrl url = QUrl::fromEncoded(
            QByteArray::fromStdString("http://127.0.0.1:" + std::to_string(site->Port()) + pathAndQuery),
            QUrl::StrictMode);
        QNetworkReply* reply = net.get(QNetworkRequest(url));
        const bool done = QTest::qWaitFor([&] { return reply->isFinished(); }, 15000);
        EXPECT_TRUE(done) << pathAndQuery;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const std::string body = reply->readAll().toStdString();
        reply->deleteLater();
        return {status, body};
    }

    std::string TrackQuery(const std::string& vhcid, const std::string& plate, const std::string& begin,
                           const std::string& end, const std::string& key = kTrackKey, const char* order = "0") {
        return "/Interface/GetJsonVdata?vhcid=" + Percent(vhcid) + "&cret=&vehicle=" + Percent(Utf8ToGbk(plate)) +
               "&key=" + key + "&begin_time=" + Percent(begin) + "&end_time=" + Percent(end) +
               "&datatype=1&intermin=0&timeorder=" + order;
    }

    std::unique_ptr<SimState> state;
    std::unique_ptr<WebSite> site;
    QNetworkAccessManager net;
    QStringList log;
};

TEST_F(Web, TrackInterfaceRefusesBadRequestsWithAMessage) {
    const Vehicle& v = state->scenario().vehicles[0];
    struct Case {
        std::string query, msg;
    };
    const std::vector<Case> cases = {
        {TrackQuery(v.id, v.code, "2026-12-07 05:00:00", "2026-12-07 21:00:00", "0123"), "访问密钥无效"},
        {TrackQuery(v.id, v.code, "2026-12-07", "tomorrow"), "时间格式错误"},
        {TrackQuery(v.id, v.code, "2026-12-07 21:00:00", "2026-12-07 05:00:00"), "结束时间早于开始时间"},
        {TrackQuery("", "京X00000", "2026-12-07 05:00:00", "2026-12-07 21:00:00"), "车辆不存在"},
    };
    for (const auto& c : cases) {
        const auto [status, body] = Get(c.query);
        EXPECT_EQ(status, 200);
        const auto reply = ParseDocument(body);
        ASSERT_TRUE(reply) << body;
        EXPECT_TRUE((*reply)["result"].isBool() && !(*reply)["result"].asBool()) << body;
        EXPECT_NE((*reply)["msg"].asString().find(c.msg), std::string::npos) << body;
    }
}

TEST_F(Web, TrackInterfaceGivesTheVehiclesFixesOfTheRangeInEitherOrder) {
    const Vehicle& v = state->scenario().vehicles[5];
    struct Row {
        const char* what;
        std::string id, begin, end;
        const char* order;
        std::vector<std::string> days;  // whose fixes the reply holds
        std::size_t atLeast;
    };
    const std::vector<Row> rows = {
        {"by id", v.id, "2026-12-07 09:00:00", "2026-12-07 09:30:00", "0", {"2026-12-07"}, 200},
        {"by plate alone", "", "2026-12-07 09:00:00", "2026-12-07 09:30:00", "0", {"2026-12-07"}, 200},
        {"newest first", v.id, "2026-12-07 09:00:00", "2026-12-07 09:01:00", "1", {"2026-12-07"}, 5},
        // The schedules plan the next day too.
        {"over two days", v.id, "2026-12-07 17:00:00", "2026-12-08 09:00:00", "0", {"2026-12-07", "2026-12-08"}, 100},
        {"outside every schedule", v.id, "2026-12-20 05:00:00", "2026-12-20 21:00:00", "0", {"2026-12-20"}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<Fix> fixes;
        for (const std::string& day : row.days) {
            const std::size_t before = fixes.size();
            const auto track = state->Track(v.code, day);
            for (const Fix& f : track->fixes)
                if (f.gpsTime >= *ParseSeconds(row.begin) && f.gpsTime <= *ParseSeconds(row.end)) fixes.push_back(f);
            EXPECT_GE(fixes.size() - before, row.atLeast) << day;
        }
        EXPECT_EQ(fixes.empty(), row.atLeast == 0);
        if (std::string(row.order) == "1") std::reverse(fixes.begin(), fixes.end());
        EXPECT_EQ(Get(TrackQuery(row.id, v.code, row.begin, row.end, kTrackKey, row.order)).second,
                  WriteTrackReply(fixes));
    }
}

// The reply is written directly for speed; it must be what JsonCpp's compact writer makes of it.
TEST(TrackReply, IsWhatTheJsonWriterWrites) {
    const std::vector<Fix> fixes = {{*ParseSeconds("2026-12-07 08:00:05"), *ParseSeconds("2026-12-07 08:00:07"),
                                     30.257913, -0.00235, 120.111365, 0.00462},
                                    {*ParseSeconds("2026-12-07 08:00:10"), *ParseSeconds("2026-12-07 08:00:11"), 0, 0, 0, 0},
                                    {*ParseSeconds("2026-12-07 23:59:59"), *ParseSeconds("2026-12-08 00:00:01"),
                                     31.2, 0.0021, -73.123456789, 100.0},
                                    {*ParseSeconds("2026-12-08 09:05:00"), *ParseSeconds("2026-12-08 09:05:02"),
                                     30.25, -0.0000001, 120.1, 1e20}};
    Json::Value reply(Json::objectValue);
    reply["result"] = true;
    reply["msg"] = "";
    Json::Value& topics = reply["topics"] = Json::Value(Json::arrayValue);
    for (const Fix& f : fixes) {
        Json::Value p(Json::objectValue);
        p["gpst"] = FormatSeconds(f.gpsTime);
        p["recvt"] = FormatSeconds(f.receiveTime);
        p["lat"] = f.lat;
        p["lat_xz"] = f.latXz;
        p["lng"] = f.lng;
        p["lng_xz"] = f.lngXz;
        topics.append(p);
    }
    Json::StreamWriterBuilder b;
    b["indentation"] = "";
    b["emitUTF8"] = true;
    b["precision"] = 6;
    b["precisionType"] = "decimal";
    EXPECT_EQ(WriteTrackReply(fixes), Json::writeString(b, reply));
    EXPECT_EQ(WriteTrackReply({}), R"({"msg":"","result":true,"topics":[]})");
}

TEST_F(Web, PagesLoadNothingFromElsewhereAndUseTheRelayOnlyWhenPresent) {
    const auto [status, map] = Get("/myquorvel/quorvel/jsp/cmonitor/markerBD.jsp");
    EXPECT_EQ(status, 200);
    EXPECT_NE(map.find("function clears()"), std::string::npos);
    EXPECT_NE(map.find("\"marker\""), std::string::npos);
    const auto [jsStatus, js] = Get("/sim/map.js");
    EXPECT_EQ(jsStatus, 200);
    EXPECT_NE(js.find("if (window.FenwardeRelay && typeof window.FenwardeRelay.operate === \"function\")"),
              std::string::npos);
    const auto monitor = Get("/myquorvel/quorvel/jsp/AutomaticLogin.jsp?uName=admin&uPass=admin&uType=100").second;
    const auto report = Get("/tamstatic/jsp/login/loginx.jsp?uName=admin&uPass=admin&uType=tamsid").second;
    for (const std::string* page : {&map, &js, &monitor, &report}) {
        for (const char* external : {"src=\"http", "href=\"http", "src=\"//", "href=\"//", "url(http", "@import"})
            EXPECT_EQ(page->find(external), std::string::npos) << external;
    }
    // Calls to the relay go only through the guarded helper.
    for (const std::string* page : {&map, &monitor})
        EXPECT_EQ(page->find("FenwardeRelay.operate"), std::string::npos);

    const auto [feedStatus, feed] = Get("/sim/api/map");
    const auto stations = ParseDocument(feed);
    ASSERT_TRUE(stations);
    EXPECT_EQ((*stations)["stations"].size(), state->scenario().stations.size());
    EXPECT_EQ((*stations)["lines"].size(), state->scenario().lines.size());
}

// The monitoring page takes GBK values and alerts when it refuses; the web report site takes UTF-8.
TEST_F(Web, SignInPagesAcceptTheirCharsetAndRefuseOtherwise) {
    const Scenario& sc = state->scenario();
    const std::string monitor = "/myquorvel/quorvel/jsp/AutomaticLogin.jsp?uName=";
    const std::string report = "/tamstatic/jsp/login/loginx.jsp?uName=";
    const std::string gbkName = Percent(Utf8ToGbk("调度员")), utf8Name = Percent("调度员");
    const std::string signedIn = "function setAlarmType(text)";
    std::vector<std::string> punctuality = {"准点率", sc.date};
    for (const auto& v : sc.vehicles) punctuality.push_back(v.code);
    const struct {
        std::string path;
        std::vector<std::string> shows, hides;
    } rows[] = {
        {monitor + gbkName + "&uPass=123456&uType=100", {signedIn, "调度员"}, {"alert("}},
        {monitor + "admin&uPass=admin&uType=100", {signedIn}, {"alert("}},
        {monitor + gbkName + "&uPass=wrong&uType=100", {"alert("}, {signedIn}},
        {monitor + utf8Name + "&uPass=123456&uType=100", {"alert("}, {signedIn}},
        {monitor + "admin&uPass=admin&uType=7", {"alert("}, {signedIn}},
        {monitor + "&uPass=&uType=100", {"alert("}, {signedIn}},
        {report + utf8Name + "&uPass=123456&uType=tamsid", punctuality, {}},
        {report + utf8Name + "&uPass=654321&uType=tamsid", {"用户名或密码错误"}, {sc.vehicles[0].code}},
        {report + Percent("<script>") + "&uPass=x&uType=tamsid", {}, {"<script>"}},  // shown, not run
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const auto [status, html] = Get(row.path);
        EXPECT_EQ(status, 200);
        for (const std::string& text : row.shows) EXPECT_NE(html.find(text), std::string::npos) << text;
        for (const std::string& text : row.hides) EXPECT_EQ(html.find(text), std::string::npos) << text;
    }
}

TEST_F(Web, PositionsFeedPlacesRunningVehiclesOnTheirLines) {
    const auto [status, body] = Get("/sim/api/positions?at=08:00:00");
    const auto feed = ParseDocument(body);
    ASSERT_TRUE(feed);
    EXPECT_EQ((*feed)["time"].asString(), state->scenario().date + " 08:00:00");
    ASSERT_EQ((*feed)["vehicles"].size(), state->scenario().vehicles.size());
    int running = 0;
    for (const auto& v : (*feed)["vehicles"]) {
        if (v["status"].asString() != "运行") continue;
        ++running;
        EXPECT_NEAR(v["lat"].asDouble(), 30.27, 0.1);
        EXPECT_NEAR(v["lng"].asDouble(), 120.15, 0.1);
        EXPECT_FALSE(v["batch"].asString().empty());
    }
    EXPECT_GT(running, 6);
    const auto night = ParseDocument(Get("/sim/api/positions?at=03:00").second);
    for (const auto& v : (*night)["vehicles"]) EXPECT_EQ(v["status"].asString(), "未出车");
    // --clock runs the feed's clock from a chosen time of day.
    site->StartClockAt(8 * 3600);
    EXPECT_EQ((*ParseDocument(Get("/sim/api/positions").second))["time"].asString().substr(0, 16),
              state->scenario().date + " 08:00");
    EXPECT_EQ(Get("/no/such/page.jsp").first, 404);
}

TEST(WebQuery, PercentDecodingKeepsTheBytesAndTheFirstValue) {
    const auto q = ParseQueryBytes("a=%B5%F7%B6%C8&b=x%20y&a=second&flag&c=1+2");
    EXPECT_EQ(GbkToUtf8(q.at("a")), "调度");
    EXPECT_EQ(q.at("b"), "x y");
    EXPECT_EQ(q.at("flag"), "");
    EXPECT_EQ(q.at("c"), "1+2");
}

// The executable itself: clear start-up errors with a non-zero status, and a dumped scenario that
// loads again.
struct SimRun {
    int code;
    QString err;
    std::string out;
};
SimRun RunSim(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(FENWARDE_SIM_EXE), args);
    EXPECT_TRUE(p.waitForFinished(15000)) << args.join(' ').toStdString();
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError()), p.readAllStandardOutput().toStdString()};
}

TEST(SimExecutable, StartUpErrorsAndDumpedScenario) {
    QTemporaryDir dir;
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(taken.serverPort());
    const QString file = dir.filePath("scenario.json"), broken = dir.filePath("broken.json");
    test::WriteFile(broken.toStdString(), "{ \"date\": ");
    const struct {
        QStringList args;
        int code;
        QStringList says;
    } rows[] = {
        {{"--port", port, "--web-port", "0"}, 1, {"cannot listen", port}},
        {{"--port", "0", "--web-port", port}, 1, {"web site", port}},
        {{"--scenario", dir.filePath("missing.json"), "--port", "0", "--web-port", "0"}, 1, {"cannot read"}},
        {{"--scenario", broken, "--port", "0", "--web-port", "0"}, 1, {"not valid JSON"}},
        {{"--date", "2026-13-01"}, 2, {"--date"}},
        {{"--port", "70000"}, 2, {"--port"}},
        {{"--seed", "many"}, 2, {"--seed"}},
        {{"--bind", "localhost:1"}, 2, {"--bind"}},
        {{"--clock", "25:00"}, 2, {"--clock"}},
        {{"--fix-interval", "0"}, 2, {"--fix-interval"}},
        {{"--fix-interval", "61"}, 2, {"--fix-interval"}},
        {{"--fix-interval", "often"}, 2, {"--fix-interval"}},
        {{"--gps-noise", "-1"}, 2, {"--gps-noise"}},
        {{"--gps-noise", "10.5"}, 2, {"--gps-noise"}},
        {{"--seed", "9", "--date", "2026-12-07", "--fix-interval", "30", "--gps-noise", "7.5", "--dump-scenario", file},
         0, {}},
    };
    for (const auto& row : rows) {
        const SimRun run = RunSim(row.args);
        EXPECT_EQ(run.code, row.code) << row.args.join(' ').toStdString() << ": " << run.err.toStdString();
        for (const QString& part : row.says) EXPECT_TRUE(run.err.contains(part)) << run.err.toStdString();
    }
    std::string error;
    const auto loaded = LoadScenarioFile(file.toStdString(), &error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(std::tuple(loaded->seed, loaded->date, loaded->track.intervalSeconds, loaded->track.noiseMetres),
              std::tuple(9u, "2026-12-07", 30, 7.5));
    // Replayed on another day, to standard output.
    const SimRun moved = RunSim({"--scenario", file, "--date", "2026-12-24", "--dump-scenario", "-"});
    EXPECT_EQ(moved.code, 0) << moved.err.toStdString();
    const auto json = ParseDocument(moved.out);
    ASSERT_TRUE(json);
    EXPECT_EQ((*json)["date"].asString(), "2026-12-24");
    EXPECT_EQ((*json)["trips"][0]["date"].asString(), "2026-12-24");
}

}  // namespace
}  // namespace fw::sim
