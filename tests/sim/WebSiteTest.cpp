#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest/QTest>

#include "net/Message.h"
#include "sim/ScenarioGenerator.h"
#include "sim/WebSite.h"
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

}  // namespace
}  // namespace fw::sim
