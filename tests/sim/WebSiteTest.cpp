#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <cmath>
#include <map>
#include <set>

#include <json/writer.h>

#include "net/Message.h"
#include "sim/Geo.h"
#include "sim/ReportRows.h"
#include "sim/ScenarioGenerator.h"
#include "sim/WebSite.h"
#include "text/Encoding.h"
#include "text/Strings.h"

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

TEST_F(Web, TrackInterfaceGivesTheFixesOfTheRangeInEitherOrder) {
    const Vehicle& v = state->scenario().vehicles[5];
    // By plate alone (GBK, percent-encoded) as well as by id.
    for (const auto& id : {v.id, std::string()}) {
        const auto [status, body] = Get(TrackQuery(id, v.code, "2026-12-07 09:00:00", "2026-12-07 09:30:00"));
        const auto reply = ParseDocument(body);
        ASSERT_TRUE(reply);
        ASSERT_TRUE((*reply)["result"].asBool());
        const Json::Value& topics = (*reply)["topics"];
        ASSERT_GT(topics.size(), 200u);
        for (Json::ArrayIndex i = 0; i < topics.size(); ++i) {
            const std::string t = topics[i]["gpst"].asString();
            EXPECT_GE(t, "2026-12-07 09:00:00");
            EXPECT_LE(t, "2026-12-07 09:30:00");
            if (i) {
                EXPECT_GT(t, topics[i - 1]["gpst"].asString());
            }
            EXPECT_TRUE(topics[i]["lat"].isNumeric() && topics[i]["lat_xz"].isNumeric() && topics[i]["lng"].isNumeric() &&
                        topics[i]["lng_xz"].isNumeric());
            EXPECT_GT(topics[i]["recvt"].asString(), t);
        }
    }
    const auto [s1, ascending] = Get(TrackQuery(v.id, v.code, "2026-12-07 09:00:00", "2026-12-07 09:01:00"));
    const auto [s2, descending] = Get(TrackQuery(v.id, v.code, "2026-12-07 09:00:00", "2026-12-07 09:01:00", kTrackKey, "1"));
    const Json::Value a = (*ParseDocument(ascending))["topics"], d = (*ParseDocument(descending))["topics"];
    ASSERT_EQ(a.size(), d.size());
    ASSERT_GT(a.size(), 5u);
    EXPECT_EQ(a[0]["gpst"], d[d.size() - 1]["gpst"]);
    // A range over two days gives both days' fixes (the schedules plan the next day too), in
    // time order; outside every schedule there are none, and that is not an error.
    const auto [s3, twoDays] = Get(TrackQuery(v.id, v.code, "2026-12-07 17:00:00", "2026-12-08 09:00:00"));
    const Json::Value both = (*ParseDocument(twoDays))["topics"];
    ASSERT_GT(both.size(), 100u);
    std::set<std::string> days;
    for (Json::ArrayIndex i = 0; i < both.size(); ++i) {
        days.insert(both[i]["gpst"].asString().substr(0, 10));
        if (i == 0) continue;
        EXPECT_GT(both[i]["gpst"].asString(), both[i - 1]["gpst"].asString());
    }
    EXPECT_EQ(days, (std::set<std::string>{"2026-12-07", "2026-12-08"}));
    const auto [s4, empty] = Get(TrackQuery(v.id, v.code, "2026-12-20 05:00:00", "2026-12-20 21:00:00"));
    EXPECT_TRUE((*ParseDocument(empty))["result"].asBool());
    EXPECT_EQ((*ParseDocument(empty))["topics"].size(), 0u);
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

// The whole day's track as the client fetches it, run through the client's detection rules, passes
// every station within the window the scenario intended: accepted where the true time is within
// 20:59 of the plan, beyond it where the scenario made the vehicle too late.
TEST_F(Web, TrackOfTheDayPassesEachStationWhereTheScenarioIntended) {
    const Scenario& sc = state->scenario();
    int checked = 0, beyond = 0;
    // The vehicle that runs the late-starting trip, one of 155路 and one of the two-station line.
    const Vehicle* late = nullptr;
    for (const auto& t : sc.trips)
        for (const auto& e : t.stops)
            if (!late && *ParseSeconds(e.trueReach) - *ParseSeconds(e.planReach) > kAcceptSeconds)
                late = sc.FindVehicle({}, t.vehicle);
    ASSERT_NE(late, nullptr);
    for (const Vehicle* v : {late, &sc.vehicles[7], &sc.vehicles[10]}) {
        const auto [status, body] = Get(TrackQuery(v->id, v->code, sc.date + " 05:00:00", sc.date + " 21:00:00"));
        const auto reply = ParseDocument(body);
        ASSERT_TRUE(reply && (*reply)["result"].asBool());
        struct Point {
            std::string t;
            double lat, lng;
        };
        std::vector<Point> points;
        for (const auto& p : (*reply)["topics"]) {
            auto term = [&](const char* k) { return AtofLike(FormatFixed6(p[k].asDouble())); };
            points.push_back({p["gpst"].asString(), term("lat") + term("lat_xz"), term("lng") + term("lng_xz")});
        }
        for (const auto& trip : sc.trips) {
            if (trip.vehicle != v->code) continue;
            for (const auto& e : trip.stops) {
                const Station* s = sc.FindStation(e.stationId);
                // First usable fix inside the circle after the previous stop's departure.
                std::string arrival;
                for (const auto& p : points) {
                    if (p.t < e.trueReach && p.t < FormatSeconds(*ParseSeconds(e.trueReach) - 60)) continue;
                    if (p.lat < 1 || p.lng < 1) continue;
                    const double y = (p.lat - s->lat) * 111198.9233214825;
                    const double x = std::cos((p.lat + s->lat) * 0.5 * 0.0174532925) * (p.lng - s->lng) * 111198.9233214825;
                    if (std::hypot(x, y) < 50) {
                        arrival = p.t;
                        break;
                    }
                }
                ASSERT_FALSE(arrival.empty()) << v->code << " " << trip.batch << " " << s->name;
                const long long toTruth = *ParseSeconds(arrival) - *ParseSeconds(e.trueReach);
                EXPECT_GE(toTruth, -1);
                EXPECT_LE(toTruth, sc.track.intervalSeconds + 1);
                const long long toPlan = std::llabs(*ParseSeconds(arrival) - *ParseSeconds(e.planReach));
                const long long truthToPlan = std::llabs(*ParseSeconds(e.trueReach) - *ParseSeconds(e.planReach));
                if (truthToPlan + sc.track.intervalSeconds + 1 < kAcceptSeconds) {
                    EXPECT_LE(toPlan, kAcceptSeconds);
                }
                if (truthToPlan > kAcceptSeconds + 1) {
                    EXPECT_GT(toPlan, kAcceptSeconds);
                    ++beyond;
                }
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 300);
    EXPECT_GT(beyond, 0);
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

TEST_F(Web, MonitoringPageSignsInWithGbkValuesAndAlertsOtherwise) {
    struct Case {
        std::string query;
        bool accepted;
    };
    const std::string gbkName = Percent(Utf8ToGbk("调度员"));
    const std::string utf8Name = Percent("调度员");
    for (const Case& c : std::vector<Case>{{"uName=" + gbkName + "&uPass=123456&uType=100", true},
                                           {"uName=admin&uPass=admin&uType=100", true},
                                           {"uName=" + gbkName + "&uPass=wrong&uType=100", false},
                                           {"uName=" + utf8Name + "&uPass=123456&uType=100", false},
                                           {"uName=admin&uPass=admin&uType=7", false},
                                           {"uName=&uPass=&uType=100", false}}) {
        const auto [status, html] = Get("/myquorvel/quorvel/jsp/AutomaticLogin.jsp?" + c.query);
        EXPECT_EQ(status, 200);
        EXPECT_EQ(html.find("function setAlarmType(text)") != std::string::npos, c.accepted) << c.query;
        EXPECT_EQ(html.find("alert(") != std::string::npos, !c.accepted) << c.query;
    }
    const auto html = Get("/myquorvel/quorvel/jsp/AutomaticLogin.jsp?uName=" + gbkName + "&uPass=123456&uType=100").second;
    EXPECT_NE(html.find("调度员"), std::string::npos);
}

TEST_F(Web, WebReportSiteSignsInWithUtf8ValuesAndShowsPunctuality) {
    const auto [status, html] =
        Get("/tamstatic/jsp/login/loginx.jsp?uName=" + Percent("调度员") + "&uPass=123456&uType=tamsid");
    EXPECT_EQ(status, 200);
    for (const auto& v : state->scenario().vehicles) EXPECT_NE(html.find(v.code), std::string::npos) << v.code;
    EXPECT_NE(html.find("准点率"), std::string::npos);
    EXPECT_NE(html.find(state->scenario().date), std::string::npos);
    const auto refused =
        Get("/tamstatic/jsp/login/loginx.jsp?uName=" + Percent("调度员") + "&uPass=654321&uType=tamsid").second;
    EXPECT_NE(refused.find("用户名或密码错误"), std::string::npos);
    EXPECT_EQ(refused.find(state->scenario().vehicles[0].code), std::string::npos);
    // Markup in a user name is shown, not run.
    const auto markup = Get("/tamstatic/jsp/login/loginx.jsp?uName=" + Percent("<script>") + "&uPass=x&uType=tamsid");
    EXPECT_EQ(markup.second.find("<script>"), std::string::npos);
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
TEST(SimExecutable, StartUpErrorsAndDumpedScenario) {
    QTemporaryDir dir;
    auto run = [](const QStringList& args, int ms = 15000) {
        QProcess p;
        p.start(QStringLiteral(FENWARDE_SIM_EXE), args);
        EXPECT_TRUE(p.waitForFinished(ms)) << args.join(' ').toStdString();
        return std::make_tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardError()),
                               p.readAllStandardOutput().toStdString());
    };
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(taken.serverPort());
    {
        auto [code, err, out] = run({"--port", port, "--web-port", "0"});
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(err.contains("cannot listen") && err.contains(port)) << err.toStdString();
    }
    {
        auto [code, err, out] = run({"--port", "0", "--web-port", port});
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(err.contains("web site")) << err.toStdString();
    }
    {
        auto [code, err, out] = run({"--scenario", dir.filePath("missing.json"), "--port", "0", "--web-port", "0"});
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(err.contains("cannot read")) << err.toStdString();
    }
    for (const QStringList& bad :
         {QStringList{"--date", "2026-13-01"}, QStringList{"--port", "70000"}, QStringList{"--seed", "many"},
          QStringList{"--bind", "localhost:1"}, QStringList{"--clock", "25:00"},
          QStringList{"--fix-interval", "0"}, QStringList{"--fix-interval", "61"},
          QStringList{"--fix-interval", "often"}, QStringList{"--gps-noise", "-1"},
          QStringList{"--gps-noise", "10.5"}}) {
        auto [code, err, out] = run(bad);
        EXPECT_EQ(code, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(err.isEmpty());
    }
    const QString file = dir.filePath("scenario.json");
    {
        auto [code, err, out] = run({"--seed", "9", "--date", "2026-12-07", "--fix-interval", "30",
                                     "--gps-noise", "7.5", "--dump-scenario", file});
        EXPECT_EQ(code, 0) << err.toStdString();
    }
    std::string error;
    const auto loaded = LoadScenarioFile(file.toStdString(), &error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(loaded->seed, 9u);
    EXPECT_EQ(loaded->date, "2026-12-07");
    EXPECT_EQ(loaded->track.intervalSeconds, 30);
    EXPECT_EQ(loaded->track.noiseMetres, 7.5);
    {
        // Replayed on another day, to standard output.
        auto [code, err, out] = run({"--scenario", file, "--date", "2026-12-24", "--dump-scenario", "-"});
        EXPECT_EQ(code, 0) << err.toStdString();
        const auto moved = ParseDocument(out);
        ASSERT_TRUE(moved);
        EXPECT_EQ((*moved)["date"].asString(), "2026-12-24");
        EXPECT_EQ((*moved)["trips"][0]["date"].asString(), "2026-12-24");
    }
}

}  // namespace
}  // namespace fw::sim
