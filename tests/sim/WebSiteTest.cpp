#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest/QTest>

#include "net/Message.h"
#include "sim/ScenarioGenerator.h"
#include "sim/TrackGenerator.h"
#include "sim/WebSite.h"
#include "text/Encoding.h"

namespace fw::sim {
namespace {

std::string Percent(const std::string& bytes) {
    return QByteArray::fromStdString(bytes).toPercentEncoding().toStdString();
}

// The site of a generated scenario, on a free port, and a client to ask it.
struct ServedSite {
    explicit ServedSite(std::uint64_t seed) : state(GenerateScenario(seed, "2026-12-07")) {}

    // Empty, or why the site could not listen.
    std::string Listen() {
        QString error;
        return site.Listen(QHostAddress::LocalHost, 0, &error) ? std::string() : error.toStdString();
    }
    // A path with its query percent-encoded already.
    QNetworkReply* Get(const std::string& path) {
        return net.get(QNetworkRequest(QUrl::fromEncoded(
            QByteArray::fromStdString("http://127.0.0.1:" + std::to_string(site.Port()) + path), QUrl::StrictMode)));
    }

    SimState state;
    WebSite site{state, [](const QString&) {}};
    QNetworkAccessManager net;
};

// The monitoring page takes GBK values and alerts when it refuses; the web report site takes UTF-8.
TEST(WebSite, SignInPagesAcceptTheirCharsetAndRefuseOtherwise) {
    ServedSite served(1);
    ASSERT_EQ(served.Listen(), "");
    const Scenario& sc = served.state.scenario();
    const std::string monitor = "/myquorvel/quorvel/jsp/AutomaticLogin.jsp?uName=";
    const std::string report = "/tamstatic/jsp/login/loginx.jsp?uName=";
    const std::string gbkName = Percent(Utf8ToGbk("调度员")), utf8Name = Percent("调度员");
    const std::string signedIn = "function setAlarmType(text)";
    std::vector<std::string> punctuality = {"准点率", sc.date};
    for (const auto& v : sc.vehicles) punctuality.push_back(v.code);
    const struct {
        std::string path;  // its query percent-encoded already
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
        QNetworkReply* reply = served.Get(row.path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 15000));
        EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        const std::string html = reply->readAll().toStdString();
        reply->deleteLater();
        for (const std::string& text : row.shows) EXPECT_NE(html.find(text), std::string::npos) << text;
        for (const std::string& text : row.hides) EXPECT_EQ(html.find(text), std::string::npos) << text;
    }
}

// Track replies are made off the site's thread: several at once, some given up by their client
// as soon as asked, and each one kept still arrives as the reply made in place would be.
TEST(WebSite, TrackRepliesMadeAsideArriveWholeEvenWhenOthersAreGivenUp) {
    ServedSite served(6);
    ASSERT_EQ(served.Listen(), "");
    SimState& state = served.state;
    struct Asked {
        std::string expected;
        QNetworkReply* reply;
        bool keep;
    };
    std::vector<Asked> asked;
    for (std::size_t i = 0; i < 6; ++i) {
        const Vehicle& v = state.scenario().vehicles[i];
        // The second day is made for the request; the first is the scenario date's.
        const std::string day = i % 2 == 0 ? "2026-12-07" : "2026-12-08";
        const std::map<std::string, std::string> query = {
            {"key", kTrackKey}, {"vhcid", v.id}, {"vehicle", Utf8ToGbk(v.code)},
            {"begin_time", day + " 00:00:00"}, {"end_time", day + " 23:59:59"}};
        std::string path = "/Interface/GetJsonVdata?";
        for (const auto& [key, value] : query) path += key + "=" + Percent(value) + "&";
        QNetworkReply* reply = served.Get(path);
        const bool keep = i % 3 != 1;
        if (!keep) QObject::connect(reply, &QNetworkReply::requestSent, reply, &QNetworkReply::abort);
        // What the whole state makes of that day, not what was copied out of it.
        const auto track = GenerateTrack(state.scenario(), state.TripsOn(day), v.code, day);
        std::vector<Fix> fixes;
        for (const Fix& f : track->fixes)
            if (FormatDay(f.gpsTime) == day) fixes.push_back(f);
        asked.push_back({WriteTrackReply(fixes), reply, keep});
    }
    for (const Asked& a : asked) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return a.reply->isFinished(); }, 15000));
        if (a.keep) {
            EXPECT_EQ(a.reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
            const QByteArray body = a.reply->readAll();
            EXPECT_GT(body.size(), 10000);
            EXPECT_TRUE(body.toStdString() == a.expected);
        }
        a.reply->deleteLater();
    }
    QTest::qWait(50);  // the replies of the ones given up are made and dropped meanwhile
}

}  // namespace
}  // namespace fw::sim
