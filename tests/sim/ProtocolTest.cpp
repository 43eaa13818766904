#include <gtest/gtest.h>

#include <memory>

#include "sim/DispatchServer.h"
#include "sim/ScenarioGenerator.h"
#include "tests/sim/WireClient.h"

namespace fw::sim {
namespace {

class Protocol : public ::testing::Test {
protected:
    void SetUp() override {
        state = std::make_unique<SimState>(GenerateScenario(1, "2026-12-07"));
        server = std::make_unique<DispatchServer>(*state, [this](const QString& line) { log << line; });
        QString error;
        ASSERT_TRUE(server->Listen(QHostAddress::LocalHost, 0, &error)) << error.toStdString();
    }

    std::unique_ptr<WireClient> LoggedIn(const std::string& user = "admin", const std::string& pass = "admin") {
        auto c = std::make_unique<WireClient>();
        EXPECT_TRUE(c->Connect(server->Port()));
        c->Send(LoginRequest(user, pass));
        EXPECT_TRUE(c->WaitFor(1));
        return c;
    }
    std::size_t PushSize() const { return sc().groups.size() + sc().vehicles.size() + sc().lines.size() + 1; }
    const Scenario& sc() const { return state->scenario(); }

    std::unique_ptr<SimState> state;
    std::unique_ptr<DispatchServer> server;
    QStringList log;
};

std::vector<const Message*> OfCode(const WireClient& c, int code) {
    std::vector<const Message*> found;
    for (const Message& m : c.received)
        if (m.code == code) found.push_back(&m);
    return found;
}

// The texts of those fields of a body, in order.
std::vector<std::string> Fields(const Json::Value& body, std::initializer_list<const char*> keys) {
    std::vector<std::string> texts;
    for (const char* key : keys) texts.push_back(Text(body, key));
    return texts;
}
using Texts = std::vector<std::string>;

TEST_F(Protocol, LoginIsAnsweredInGbkAndOnlyASuccessfulOneOpensThePush) {
    struct Row {
        std::string name, pass, result, text;
    };
    for (const Row& r : std::vector<Row>{{"调度员", "123456", "succeed", "登录成功"},
                                         {"调度员", "654321", "failed", "用户名或密码错误"},
                                         {"nobody", "admin", "failed", "用户名或密码错误"},
                                         {"Admin", "admin", "failed", "用户名或密码错误"},
                                         {"", "", "failed", "用户名不能为空"}}) {
        SCOPED_TRACE(r.name + " " + r.pass);
        WireClient client;
        ASSERT_TRUE(client.Connect(server->Port()));
        client.Send(LoginRequest(r.name, r.pass));
        ASSERT_TRUE(client.WaitFor(1));
        EXPECT_EQ(client.received[0].code, 8000);
        EXPECT_EQ(Fields(client.received[0].body, {"cmd", "result", "text"}), (Texts{"1000", r.result, r.text}));
        // The styled layout, with the Chinese text as raw GBK bytes.
        EXPECT_EQ(client.wire.rfind("{\n   \"body\" : {\n      \"cmd\" : \"1000\",", 0), 0u) << client.wire;
        EXPECT_NE(client.wire.find(Utf8ToGbk(r.text)), std::string::npos);
        EXPECT_EQ(client.wire.find("\\u"), std::string::npos);
        client.Send(Request("1008", {{"client", "true"}}));
        EXPECT_EQ(client.WaitFor(2, r.result == "succeed" ? 5000 : 300), r.result == "succeed");
    }
}

// A drawn route is stored (one through an unknown station is not); a later login is pushed
// groups, vehicles, routes and the schedule list after 1008, the drawn route with its totals,
// and 9002 gives its stations.
TEST_F(Protocol, DrawnRouteIsPushedWithTheOthersAndHasItsStations) {
    auto client = LoggedIn();
    const std::size_t builtIn = sc().lines.size();
    Json::Value add = Request("9004", {{"linename", "夜班线"}, {"countertime", "00:07"}, {"counterdis", "2.10"},
                                       {"userName", "admin"}});
    for (int i = 0; i < 3; ++i) {
        const Station& s = sc().stations[sc().stations.size() - 1 - i];
        Json::Value st;
        st["usermarkid"] = s.id;
        st["usermarkname"] = s.name;
        st["serialnumber"] = std::to_string(i);
        st["time"] = i == 0 ? "0" : "3";
        add["body"]["stationns"].append(st);
    }
    client->Send(add);
    add["body"]["stationns"][1]["usermarkid"] = "nowhere";
    add["body"]["linename"] = "坏线";
    client->Send(add);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sc().lines.size() == builtIn + 1; }, 3000));

    auto later = LoggedIn();
    later->Send(Request("9000", {{"fen_warde", "true"}, {"username", "admin"}}));
    later->Send(Request("1008", {{"client", "true"}}));
    ASSERT_TRUE(later->WaitFor(1 + PushSize()));
    std::vector<int> codes;
    for (std::size_t i = 1; i < later->received.size(); ++i) codes.push_back(later->received[i].code);
    std::vector<int> expected(sc().groups.size(), 1009);
    expected.insert(expected.end(), sc().vehicles.size(), 1011);
    expected.insert(expected.end(), builtIn + 1, 9001);
    expected.push_back(9011);
    EXPECT_EQ(codes, expected);
    const Message* drawn = OfCode(*later, 9001).back();
    EXPECT_EQ(Fields(drawn->body, {"linename", "counterdis", "countertime"}), (Texts{"夜班线", "2.10", "00:07"}));

    // Its stations, as drawn.
    const Line& line = *sc().FindLineById(Text(drawn->body, "lineid"));
    ASSERT_EQ(later->Ask(Request("9002", {{"lineid", line.id}}), 9003), 0);
    const Json::Value& st = later->received[0].body["stationns"];
    ASSERT_EQ(st.size(), 3u);
    EXPECT_EQ(std::pair(Text(st[0], "name"), Text(st[2], "time")), std::pair(sc().stations.back().name, std::string("3")));
    EXPECT_NEAR(std::stod(Text(st[0], "lat")), sc().stations.back().lat, 1e-6);
}

// One 9008 of a schedule save: its name, its range and (day, plate) cells of batch 早班.
Json::Value SaveRequest(const std::string& name, const std::string& from, const std::string& to,
                        const std::vector<std::pair<std::string, std::string>>& cells = {}) {
    Json::Value request =
        Request("9008", {{"classname", name}, {"username", "admin"}, {"startdate", from}, {"enddate", to}});
    for (const auto& [day, plate] : cells) {
        Json::Value cell;
        cell["date"] = day;
        cell["batch"] = "早班";
        cell["carcode"] = plate;
        request["body"]["content"].append(cell);
    }
    return request;
}

TEST_F(Protocol, ScheduleSavesAreCompletedByTheirOwnExchangeOnly) {
    auto client = LoggedIn();
    const std::string plate = sc().vehicles[0].code, other = sc().vehicles[1].code;
    const std::string days[] = {"2027-01-01", "2027-01-02", "2027-01-03"};
    client->Send(SaveRequest("元旦排班", days[0], days[2], {{days[0], plate}, {days[1], plate}, {days[2], plate}}));
    ASSERT_EQ(client->WaitForCode(9009), 4);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(client->received[i].code, 9007);

    // The client answers each 9007 with that day's rows, then 9009 with the timetable.
    for (const std::string& day : days)
        client->Send(SaveRequest("元旦排班", days[0], days[2], {{day, day == days[1] ? other : plate}}));
    Json::Value timetable =
        Request("9006", {{"startdate", days[0]}, {"enddate", days[2]}, {"name", "元旦排班"}, {"userName", "admin"}});
    timetable["body"]["stationns"].append(
        *ParseDocument(R"({"batch": "早班", "starttime": "07:30", "flag": "0", "linename": "1路"})"));
    client->Send(timetable);
    // No more 9007s: the day answers did not start new saves.
    EXPECT_FALSE(client->WaitFor(6, 400));
    ASSERT_EQ(client->received.size(), 5u);

    // A later login is given the schedule (the schedule flow test checks the list); its plan drives
    // the stop times of its dates, and the day answer changed the 2nd's vehicle.
    auto later = LoggedIn();
    const int done = later->Ask(Request("9016", {{"code", other}, {"date", days[1]}}), 9019);
    ASSERT_EQ(done, static_cast<int>(sc().FindLineByName("1路")->stops.size()));
    EXPECT_EQ(Fields(later->received[0].body, {"planleavetime", "batchname"}), (Texts{"2027-01-02 07:30:00", "早班"}));

    // Deleting it answers 9015; deleting it again fails.
    const Json::Value remove = Request("9014", {{"classename", "元旦排班"}, {"username", "admin"}});
    for (const char* result : {"succeed", "failed"}) {
        ASSERT_EQ(later->Ask(remove, 9015), 0);
        EXPECT_EQ(Text(later->received[0].body, "result"), result);
    }

    // Day answers sent after the client's form was reset carry no name; they still count as
    // answers and never open a save of their own. A save under another name abandons an
    // unfinished one, and one with an impossible range is refused at once.
    const std::size_t schedules = sc().schedules.size();
    ASSERT_EQ(client->Ask(SaveRequest("甲", "2027-02-01", "2027-02-02"), 9009), 2);
    client->Send(Request("9006", {{"name", "甲"}, {"startdate", "2027-02-01"}, {"enddate", "2027-02-02"}}));
    // Two day answers, then one more after all days have answered: none opens a save.
    for (int i = 0; i < 3; ++i) client->Send(SaveRequest("", "2027-02-01", "2027-02-02"));
    EXPECT_FALSE(client->WaitFor(4, 400));
    ASSERT_EQ(sc().schedules.size(), schedules + 1);
    EXPECT_EQ(sc().schedules.back().name, "甲");

    ASSERT_EQ(client->Ask(SaveRequest("乙", "2027-03-01", "2027-03-01"), 9009), 1);
    ASSERT_EQ(client->Ask(SaveRequest("丙", "2027-03-01", "2027-03-01"), 9009), 1);
    client->Send(Request("9006", {{"name", "乙"}}));  // for the abandoned save: ignored
    client->Send(Request("9006", {{"name", "丙"}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sc().schedules.size() == schedules + 2; }, 3000));
    EXPECT_EQ(sc().schedules.back().name, "丙");

    for (auto [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"2027-01-05", "2027-01-01"}, {"2020-01-01", "2029-12-31"}, {"someday", "2027-01-01"}}) {
        ASSERT_EQ(client->Ask(SaveRequest("坏排班", from, to), 8000), 0) << from;
        EXPECT_EQ(Fields(client->received[0].body, {"cmd", "result"}), (Texts{"9008", "failed"}));
        EXPECT_FALSE(client->WaitFor(2, 200));
    }
}

TEST_F(Protocol, AClientThatStopsReadingIsDroppedAfterItsBacklogGrows) {
    server->SetMaxPendingOutput(256 * 1024);
    const Json::Value query = Request("9018", {{"group", "admin"}, {"username", "admin"},
                                               {"timeStart", sc().date + " 00:00:00"}, {"timeEnd", sc().date + " 23:59:59"}});
    // One large answer is sent in full to a client that reads it.
    auto reader = LoggedIn();
    EXPECT_GT(reader->Ask(query, 9019, 10000), 1000);

    // A client that stops reading and keeps asking is dropped; the reader is not.
    auto stalled = LoggedIn();
    stalled->StopReading();
    for (int i = 0; i < 100 && stalled->socket().state() == QAbstractSocket::ConnectedState; ++i) {
        stalled->Send(query);
        QTest::qWait(30);  // one request at a time: each answer is handed to the kernel before the next
    }
    EXPECT_TRUE(stalled->Disconnected(10000));
    EXPECT_FALSE(log.filter("does not read").isEmpty());
    EXPECT_GT(reader->Ask(Request("9016", {{"code", sc().vehicles[0].code}, {"date", sc().date}}), 9019), 0);
}

}  // namespace
}  // namespace fw::sim
