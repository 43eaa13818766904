#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "sim/DispatchServer.h"
#include "sim/Recorder.h"
#include "sim/ScenarioGenerator.h"
#include "sim/TripPlanner.h"
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
        ASSERT_NE(server->Port(), 0);
    }

    // A client that has logged in as admin and received the push of 1008.
    std::unique_ptr<WireClient> LoggedIn(const std::string& user = "admin", const std::string& pass = "admin") {
        auto c = std::make_unique<WireClient>();
        EXPECT_TRUE(c->Connect(server->Port()));
        c->Send(LoginRequest(user, pass));
        EXPECT_TRUE(c->WaitFor(1));
        return c;
    }

    std::size_t PushSize() const {
        const Scenario& sc = state->scenario();
        return sc.groups.size() + sc.vehicles.size() + sc.lines.size() + 1;
    }

    std::unique_ptr<SimState> state;
    std::unique_ptr<DispatchServer> server;
    QStringList log;
};

TEST_F(Protocol, LoginWithAChineseUserNameInGbk) {
    WireClient client;
    ASSERT_TRUE(client.Connect(server->Port()));
    client.Send(LoginRequest("调度员", "123456"));
    ASSERT_TRUE(client.WaitFor(1));
    const Message& m = client.received[0];
    EXPECT_EQ(m.code, 8000);
    EXPECT_EQ(Text(m.body, "cmd"), "1000");
    EXPECT_EQ(Text(m.body, "result"), "succeed");
    // The reply is GBK in the styled layout, with the Chinese text as raw bytes.
    EXPECT_EQ(client.wire.rfind("{\n   \"body\" : {\n      \"cmd\" : \"1000\",", 0), 0u) << client.wire;
    EXPECT_NE(client.wire.find(Utf8ToGbk("登录成功")), std::string::npos);
    EXPECT_EQ(client.wire.find("\\u"), std::string::npos);
}

TEST_F(Protocol, WrongOrMissingCredentialsAreRefusedWithAChineseText) {
    struct Case {
        std::string name, pass, text;
    };
    for (const Case& c : std::vector<Case>{{"调度员", "654321", "用户名或密码错误"},
                                           {"nobody", "admin", "用户名或密码错误"},
                                           {"", "", "用户名不能为空"},
                                           {"Admin", "admin", "用户名或密码错误"}}) {
        WireClient client;
        ASSERT_TRUE(client.Connect(server->Port()));
        client.Send(LoginRequest(c.name, c.pass));
        ASSERT_TRUE(client.WaitFor(1)) << c.name;
        EXPECT_EQ(Text(client.received[0].body, "result"), "failed") << c.name;
        EXPECT_EQ(Text(client.received[0].body, "text"), c.text) << c.name;
        // Still not logged in: the push is not given.
        client.Send(Request("1008", {{"client", "true"}}));
        EXPECT_FALSE(client.WaitFor(2, 300)) << c.name;
    }
}

TEST_F(Protocol, RequestsBeforeLoginAndUnknownCodesAreIgnored) {
    WireClient client;
    ASSERT_TRUE(client.Connect(server->Port()));
    client.Send(Request("1008", {{"client", "true"}}));
    client.Send(Request("9016", {{"code", state->scenario().vehicles[0].code}, {"date", "2026-12-07"}}));
    EXPECT_FALSE(client.WaitFor(1, 300));
    client.Send(LoginRequest("admin", "admin"));
    ASSERT_TRUE(client.WaitFor(1));
    client.Send(Request("4711", {}));
    Json::Value numeric = Request("1008", {});
    numeric["header"]["cmd"] = 1008;  // a number is not a code
    client.Send(numeric);
    EXPECT_FALSE(client.WaitFor(2, 300));
}

TEST_F(Protocol, PushAfter1008AndStationsForEach9002) {
    auto client = LoggedIn();
    const Scenario& sc = state->scenario();
    client->Send(Request("9000", {{"fen_warde", "true"}, {"username", "admin"}}));
    client->Send(Request("1008", {{"client", "true"}}));
    ASSERT_TRUE(client->WaitFor(1 + PushSize()));
    // Groups, vehicles, routes, then the schedule list, each in scenario order.
    std::vector<int> codes;
    std::vector<std::string> lineIds;
    for (std::size_t i = 1; i < client->received.size(); ++i) {
        const Message& m = client->received[i];
        codes.push_back(m.code);
        if (m.code == 9001) lineIds.push_back(Text(m.body, "lineid"));
    }
    std::vector<int> expected(sc.groups.size(), 1009);
    expected.insert(expected.end(), sc.vehicles.size(), 1011);
    expected.insert(expected.end(), sc.lines.size(), 9001);
    expected.push_back(9011);
    EXPECT_EQ(codes, expected);
    const std::size_t firstVehicle = 1 + sc.groups.size();
    EXPECT_EQ(Text(client->received[1].body, "groupname"), sc.groups[0].name);
    EXPECT_EQ(Text(client->received[firstVehicle].body, "code"), sc.vehicles[0].code);
    EXPECT_EQ(Text(client->received[firstVehicle].body, "id"), sc.vehicles[0].id);
    EXPECT_EQ(Text(client->received[firstVehicle + sc.vehicles.size()].body, "countertime").size(), 5u);
    EXPECT_EQ(Text(client->received.back().body[0], "classename"), sc.schedules[0].name);

    const std::size_t before = client->received.size();
    for (const auto& id : lineIds) client->Send(Request("9002", {{"lineid", id}}));
    ASSERT_TRUE(client->WaitFor(before + lineIds.size()));
    for (std::size_t k = 0; k < lineIds.size(); ++k) {
        const Message& m = client->received[before + k];
        EXPECT_EQ(Text(m.body, "lineId"), lineIds[k]);
        const Json::Value& st = m.body["stationns"];
        ASSERT_EQ(st.size(), sc.lines[k].stops.size());
        const Station* first = sc.FindStation(sc.lines[k].stops[0].stationId);
        EXPECT_EQ(Text(st[0], "name"), first->name);
        EXPECT_NEAR(std::stod(Text(st[0], "lat")), first->lat, 1e-6);
        EXPECT_EQ(Text(st[1], "time"), std::to_string(sc.lines[k].stops[1].minutes));
    }
}

TEST_F(Protocol, StopTimesOfAVehicleThenBatch) {
    auto client = LoggedIn();
    const Scenario& sc = state->scenario();
    const Vehicle& v = sc.vehicles[2];
    client->Send(Request("9016", {{"username", "admin"}, {"vhcid", v.id}, {"code", v.code}, {"date", sc.date}}));
    const int done = client->WaitForCode(9019);
    ASSERT_GT(done, 0);
    EXPECT_EQ(Text(client->received[done].body, "type"), "batch");
    std::vector<std::pair<const Trip*, const StopEvent*>> expected;
    for (const auto& t : sc.trips)
        if (t.vehicle == v.code)
            for (const auto& e : t.stops) expected.push_back({&t, &e});
    ASSERT_EQ(static_cast<std::size_t>(done - 1), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Message& m = client->received[1 + i];
        ASSERT_EQ(m.code, 9017);
        EXPECT_EQ(Text(m.body, "code"), v.code);
        EXPECT_EQ(Text(m.body, "batchname"), expected[i].first->batch);
        EXPECT_EQ(Text(m.body, "linenaem"), expected[i].first->line);
        EXPECT_EQ(Text(m.body, "batchdate"), sc.date);
        EXPECT_EQ(Text(m.body, "planreachtime"), expected[i].second->planReach);
        EXPECT_EQ(Text(m.body, "planleavetime"), expected[i].second->planLeave);
        EXPECT_EQ(Text(m.body, "userMarkName"), sc.FindStation(expected[i].second->stationId)->name);
        EXPECT_EQ(Text(m.body, "flag"), expected[i].first->flag);
    }

    // A plate without an id is found by plate; an unknown vehicle still gets its 9019.
    client->received.clear();
    client->Send(Request("9016", {{"vhcid", ""}, {"code", v.code}, {"date", sc.date}}));
    EXPECT_EQ(client->WaitForCode(9019), static_cast<int>(expected.size()));
    client->received.clear();
    client->Send(Request("9016", {{"vhcid", ""}, {"code", "京X00000"}, {"date", sc.date}}));
    EXPECT_EQ(client->WaitForCode(9019), 0);
}

TEST_F(Protocol, ReportQueryRowsThenQuery) {
    auto client = LoggedIn();
    const Scenario& sc = state->scenario();
    const Vehicle& v = sc.vehicles[0];
    client->Send(Request("9018", {{"vhcid", v.id}, {"code", v.code}, {"group", ""}, {"username", "admin"},
                                  {"timeStart", sc.date + " 05:00:00"}, {"timeEnd", sc.date + " 21:00:00"}}));
    const int done = client->WaitForCode(9019);
    ASSERT_GT(done, 1);
    EXPECT_EQ(Text(client->received[done].body, "type"), "query");
    int withReal = 0, late = 0;
    for (int i = 1; i < done; ++i) {
        const Message& m = client->received[i];
        ASSERT_EQ(m.code, 9021);
        EXPECT_EQ(Text(m.body, "vhcID"), v.id);
        withReal += !Text(m.body, "realreachtime").empty();
        late += Text(m.body, "realreachtime") > Text(m.body, "planreachtime");
    }
    EXPECT_GT(withReal, done / 2);
    EXPECT_GT(late, 0);

    // A group query covers the group's vehicles.
    client->received.clear();
    client->Send(Request("9018", {{"vhcid", ""}, {"code", ""}, {"group", "旅游客运公司"}, {"username", "admin"},
                                  {"timeStart", sc.date + " 05:00:00"}, {"timeEnd", sc.date + " 21:00:00"}}));
    const int groupDone = client->WaitForCode(9019);
    ASSERT_GT(groupDone, 0);
    std::set<std::string> ids;
    for (int i = 0; i < groupDone; ++i) ids.insert(Text(client->received[i].body, "vhcID"));
    EXPECT_EQ(ids.size(), 2u);
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

TEST_F(Protocol, ScheduleSaveExchangeCompletesTheScheduleForLaterLogins) {
    auto client = LoggedIn();
    const Scenario& sc = state->scenario();
    const std::string plate = sc.vehicles[0].code;
    client->Send(SaveRequest("元旦排班", "2027-01-01", "2027-01-03",
                             {{"2027-01-01", plate}, {"2027-01-02", plate}, {"2027-01-03", plate}}));
    const int nine = client->WaitForCode(9009);
    ASSERT_EQ(nine, 4);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(client->received[i].code, 9007);

    // The client answers each 9007 with that day's rows, then 9009 with the timetable.
    for (const char* day : {"2027-01-01", "2027-01-02", "2027-01-03"})
        client->Send(SaveRequest("元旦排班", "2027-01-01", "2027-01-03",
                                 {{day, std::string(day) == "2027-01-02" ? sc.vehicles[1].code : plate}}));
    Json::Value timetable = Request("9006", {{"startdate", "2027-01-01"}, {"enddate", "2027-01-03"},
                                             {"name", "元旦排班"}, {"userName", "admin"}});
    Json::Value row;
    row["batch"] = "早班";
    row["starttime"] = "07:30";
    row["flag"] = "0";
    row["linename"] = "1路";
    timetable["body"]["stationns"].append(row);
    client->Send(timetable);
    // No more 9007s: the day answers did not start new saves.
    EXPECT_FALSE(client->WaitFor(6, 400));
    ASSERT_EQ(client->received.size(), 5u);

    auto later = LoggedIn();
    later->Send(Request("1008", {{"client", "true"}}));
    const int list = later->WaitForCode(9011);
    ASSERT_GT(list, 0);
    const Json::Value& rows = later->received[list].body;
    ASSERT_EQ(rows.size(), sc.schedules.size());
    EXPECT_EQ(Text(rows[rows.size() - 1], "classename"), "元旦排班");
    EXPECT_EQ(Text(rows[rows.size() - 1], "startDate"), "2027-01-01");
    EXPECT_EQ(Text(rows[rows.size() - 1], "endDate"), "2027-01-03");

    // The saved plan drives the stop times of its dates; the day answer changed the 2nd's vehicle.
    later->received.clear();
    later->Send(Request("9016", {{"code", sc.vehicles[1].code}, {"date", "2027-01-02"}}));
    const int done = later->WaitForCode(9019);
    const Line* line = sc.FindLineByName("1路");
    ASSERT_EQ(done, static_cast<int>(line->stops.size()));
    EXPECT_EQ(Text(later->received[0].body, "planleavetime"), "2027-01-02 07:30:00");
    EXPECT_EQ(Text(later->received[0].body, "batchname"), "早班");

    // Deleting it answers 9015 and later logins no longer list it.
    later->received.clear();
    later->Send(Request("9014", {{"classename", "元旦排班"}, {"username", "admin"}}));
    const int deleted = later->WaitForCode(9015);
    ASSERT_EQ(deleted, 0);
    EXPECT_EQ(Text(later->received[0].body, "result"), "succeed");
    later->Send(Request("9014", {{"classename", "元旦排班"}, {"username", "admin"}}));
    const int again = later->WaitForCode(9015, 1);
    ASSERT_EQ(again, 1);
    EXPECT_EQ(Text(later->received[1].body, "result"), "failed");
}

// Day answers sent after the client's form was reset carry no name; they still count as answers
// and never open a save of their own. A save under another name abandons an unfinished one.
TEST_F(Protocol, DayAnswersWithoutANameAndAbandonedSaves) {
    auto client = LoggedIn();
    const std::size_t schedules = state->scenario().schedules.size();
    client->Send(SaveRequest("甲", "2027-02-01", "2027-02-02"));
    ASSERT_EQ(client->WaitForCode(9009), 3);
    client->Send(Request("9006", {{"name", "甲"}, {"startdate", "2027-02-01"}, {"enddate", "2027-02-02"}}));
    // Two day answers, then one more after all days have answered: none opens a save.
    for (int i = 0; i < 3; ++i) client->Send(SaveRequest("", "2027-02-01", "2027-02-02"));
    EXPECT_FALSE(client->WaitFor(5, 400));
    ASSERT_EQ(state->scenario().schedules.size(), schedules + 1);
    EXPECT_EQ(state->scenario().schedules.back().name, "甲");

    client->received.resize(1);
    client->Send(SaveRequest("乙", "2027-03-01", "2027-03-01"));
    ASSERT_EQ(client->WaitForCode(9009, 1), 2);
    client->Send(SaveRequest("丙", "2027-03-01", "2027-03-01"));
    ASSERT_EQ(client->WaitForCode(9009, 3), 4);
    client->Send(Request("9006", {{"name", "乙"}}));  // for the abandoned save: ignored
    client->Send(Request("9006", {{"name", "丙"}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->scenario().schedules.size() == schedules + 2; }, 3000));
    EXPECT_EQ(state->scenario().schedules.back().name, "丙");
    EXPECT_EQ(state->scenario().schedules[schedules].name, "甲");
}

TEST_F(Protocol, ASaveWithAnImpossibleRangeIsRefusedNotAnsweredDayByDay) {
    auto client = LoggedIn();
    for (auto [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"2027-01-05", "2027-01-01"}, {"2020-01-01", "2029-12-31"}, {"someday", "2027-01-01"}}) {
        client->received.resize(1);
        client->Send(SaveRequest("坏排班", from, to));
        const int reply = client->WaitForCode(8000, 1);
        ASSERT_EQ(reply, 1) << from;
        EXPECT_EQ(Text(client->received[1].body, "cmd"), "9008");
        EXPECT_EQ(Text(client->received[1].body, "result"), "failed");
        EXPECT_FALSE(client->WaitFor(3, 200));
    }
}

TEST_F(Protocol, DrawnRouteIsStoredListedWithStationsAndDeleted) {
    auto client = LoggedIn();
    const Scenario& sc = state->scenario();
    Json::Value add = Request("9004", {{"linename", "夜班线"}, {"countertime", "00:07"}, {"counterdis", "2.10"},
                                       {"userName", "admin"}});
    for (int i = 0; i < 3; ++i) {
        Json::Value st;
        st["usermarkid"] = sc.stations[sc.stations.size() - 1 - i].id;
        st["usermarkname"] = sc.stations[sc.stations.size() - 1 - i].name;
        st["serialnumber"] = std::to_string(i);
        st["time"] = i == 0 ? "0" : "3";
        add["body"]["stationns"].append(st);
    }
    client->Send(add);
    Json::Value bad = add;
    bad["body"]["stationns"][1]["usermarkid"] = "nowhere";
    bad["body"]["linename"] = "坏线";
    client->Send(bad);

    auto later = LoggedIn();
    later->Send(Request("1008", {{"client", "true"}}));
    ASSERT_TRUE(later->WaitFor(1 + PushSize()));
    std::string id;
    int routes = 0;
    for (const auto& m : later->received)
        if (m.code == 9001) {
            ++routes;
            if (Text(m.body, "linename") == "夜班线") {
                id = Text(m.body, "lineid");
                EXPECT_EQ(Text(m.body, "counterdis"), "2.10");
                EXPECT_EQ(Text(m.body, "countertime"), "00:07");
            }
        }
    EXPECT_EQ(routes, 5);
    ASSERT_FALSE(id.empty());
    const std::size_t before = later->received.size();
    later->Send(Request("9002", {{"lineid", id}}));
    ASSERT_TRUE(later->WaitFor(before + 1));
    const Json::Value& st = later->received[before].body["stationns"];
    ASSERT_EQ(st.size(), 3u);
    EXPECT_EQ(Text(st[0], "name"), sc.stations.back().name);
    EXPECT_FALSE(Text(st[0], "lat").empty());
    EXPECT_EQ(Text(st[2], "time"), "3");

    later->Send(Request("9012", {{"linename", "夜班线"}, {"username", "admin"}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->scenario().FindLineByName("夜班线") == nullptr; }, 3000));
    EXPECT_EQ(state->scenario().lines.size(), 4u);
}

TEST_F(Protocol, SeveralClientsAtOnceEachGetTheirOwnAnswers) {
    const Scenario& sc = state->scenario();
    std::vector<std::unique_ptr<WireClient>> clients;
    for (int i = 0; i < 5; ++i) clients.push_back(LoggedIn(i % 2 ? "调度员" : "admin", i % 2 ? "123456" : "admin"));
    // Everyone asks at once, for a different vehicle.
    for (std::size_t i = 0; i < clients.size(); ++i)
        clients[i]->Send(Request("9016", {{"code", sc.vehicles[i].code}, {"date", sc.date}}));
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const int done = clients[i]->WaitForCode(9019);
        ASSERT_GT(done, 1);
        for (int k = 1; k < done; ++k) EXPECT_EQ(Text(clients[i]->received[k].body, "code"), sc.vehicles[i].code);
    }
    EXPECT_EQ(server->ConnectionCount(), 5);
    clients.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->ConnectionCount() == 0; }, 3000));
}

TEST_F(Protocol, MisbehavingClientsDoNotDisturbAWellBehavedOne) {
    auto good = LoggedIn();

    // Garbage, a document that does not parse, and a client that closes mid-document.
    WireClient garbage;
    ASSERT_TRUE(garbage.Connect(server->Port()));
    garbage.SendRaw("hello there\r\n{ this is not json }\n}}}{\"header\":{\"cmd\":\"1000\"");
    WireClient closer;
    ASSERT_TRUE(closer.Connect(server->Port()));
    closer.SendRaw(EncodeForWire(LoginRequest("admin", "admin"), TextCodec("GBK")).substr(0, 20));
    closer.Close();

    // A document nested past the parser's limit, then an unbalanced one: each is ignored alone,
    // and the login that follows on the same connection is answered.
    WireClient nested;
    ASSERT_TRUE(nested.Connect(server->Port()));
    nested.SendRaw("{\"a\":" + std::string(999, '[') + "}\n{\"a\":{}\n");
    nested.Send(LoginRequest("admin", "admin"));
    ASSERT_TRUE(nested.WaitFor(1));
    EXPECT_EQ(Text(nested.received[0].body, "result"), "succeed");

    // A flood: one document that never ends.
    WireClient flood;
    ASSERT_TRUE(flood.Connect(server->Port()));
    const std::string chunk(1 << 20, '{');
    for (int i = 0; i < 10; ++i) flood.SendRaw(chunk);
    EXPECT_TRUE(flood.Disconnected(10000));

    const std::size_t before = good->received.size();
    good->Send(Request("1008", {{"client", "true"}}));
    EXPECT_TRUE(good->WaitFor(before + PushSize()));
    EXPECT_EQ(good->received.back().code, 9011);
    EXPECT_TRUE(log.filter("dropped").size() >= 1) << log.join('\n').toStdString();
}

TEST_F(Protocol, AClientThatStopsReadingIsDroppedAfterItsBacklogGrows) {
    server->SetMaxPendingOutput(256 * 1024);
    const Scenario& sc = state->scenario();
    const Json::Value query = Request("9018", {{"group", "admin"}, {"username", "admin"},
                                               {"timeStart", sc.date + " 00:00:00"}, {"timeEnd", sc.date + " 23:59:59"}});
    // One large answer is sent in full to a client that reads it.
    auto reader = LoggedIn();
    reader->Send(query);
    EXPECT_GT(reader->WaitForCode(9019, 1, 10000), 1000);

    // A client that stops reading and keeps asking is dropped; the reader is not.
    auto stalled = LoggedIn();
    stalled->StopReading();
    for (int i = 0; i < 100 && stalled->socket().state() == QAbstractSocket::ConnectedState; ++i) {
        stalled->Send(query);
        QTest::qWait(30);  // one request at a time: each answer is handed to the kernel before the next
    }
    EXPECT_TRUE(stalled->Disconnected(10000));
    EXPECT_FALSE(log.filter("does not read").isEmpty());
    reader->received.clear();
    reader->Send(Request("9016", {{"code", sc.vehicles[0].code}, {"date", sc.date}}));
    EXPECT_GT(reader->WaitForCode(9019), 0);
}

TEST_F(Protocol, RecordingKeepsEveryReceivedDocumentAsAJsonLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath("record.jsonl");
    Recorder recorder;
    QString error;
    ASSERT_TRUE(recorder.Open(path, &error)) << error.toStdString();
    server->SetRecorder(&recorder);
    auto client = LoggedIn("调度员", "123456");
    client->SendRaw("{ not json }");
    client->Send(Request("1002", {{"result", ""}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.filter("heartbeat").size() == 1; }, 3000));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);  // three lines and the empty text after the last newline
    const auto login = ParseDocument(lines[0].toStdString());
    ASSERT_TRUE(login);
    EXPECT_EQ((*login)["connection"].asInt(), 1);
    EXPECT_EQ((*login)["document"]["body"]["name"].asString(), "调度员");
    EXPECT_NE(lines[0].indexOf("调度员"), -1) << "UTF-8, not escaped";
    EXPECT_EQ((*login)["time"].asString().size(), 23u);
    EXPECT_EQ((*ParseDocument(lines[1].toStdString()))["raw"].asString(), "{ not json }");
    EXPECT_EQ((*ParseDocument(lines[2].toStdString()))["document"]["header"]["cmd"].asString(), "1002");

    // A second recorder on an unwritable path reports why.
    Recorder bad;
    EXPECT_FALSE(bad.Open(dir.filePath("missing/dir/record.jsonl"), &error));
    EXPECT_TRUE(error.contains("cannot write"));
}

TEST_F(Protocol, APortInUseIsAClearError) {
    DispatchServer second(*state, {});
    QString error;
    EXPECT_FALSE(second.Listen(QHostAddress::LocalHost, server->Port(), &error));
    EXPECT_TRUE(error.contains(QString::number(server->Port()))) << error.toStdString();
}

}  // namespace
}  // namespace fw::sim
