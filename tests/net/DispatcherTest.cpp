#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ChoiceList.h"
#include "net/Dispatcher.h"
#include "net/Message.h"
#include "net/Requests.h"
#include "routes/RouteStore.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

// Records what reaches the windows and the link, in order.
class FakeTarget : public DispatchTarget, public RouteEvents, public ScheduleEvents, public ReportEvents {
public:
    bool SendJson(const Json::Value& m) override {
        sent.push_back(m);
        return sendSucceeds;
    }
    bool LoginResult(const std::string& result, const std::string& text) override {
        return Event("login " + result + "|" + text, result == "succeed");
    }
    void AddGroupChoice(const std::string& g) override { Event("group " + g); }
    // The index the plate is selected at, and the vehicle the store has last by then.
    void AddVehicleChoice(const std::string& p) override {
        Event("plate " + std::to_string(OfferChoice(plates, p)) + " " +
              (vehicles->Size() > 0 ? vehicles->Records().back().code : "-"));
    }
    void RouteStationsArrived(const RouteRecord& r, const std::string& joined) override {
        Event("stations " + r.lineName + "|" + joined);
    }
    bool SendDayContent() override { return Event("day"); }
    bool FinishScheduleSave() override { return Event("finish"); }
    void AddScheduleRow(const std::string& n, const std::string& s, const std::string& e) override {
        Event("schedule " + n + "|" + s + "|" + e);
    }
    bool ReportBatchEnded(bool run) override { return Event(run ? "run+enable" : "enable"); }
    void AddReportRow(const Message& m) override { Event("row " + Text(m.body, "code")); }
    bool Event(std::string e, bool result = true) {
        events.push_back(std::move(e));
        return result;
    }

    const VehicleStore* vehicles = nullptr;
    std::vector<std::string> events, plates;
    std::vector<Json::Value> sent;
    bool sendSucceeds = true;
};

class DispatcherTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db.Open(home.Path(), "bus", ""));
        dispatcher.SetUser("调度员");
        dispatcher.SetRouteEvents(&target);
        dispatcher.SetScheduleEvents(&target);
        dispatcher.SetReportEvents(&target);
        target.vehicles = &vehicles;
    }
    bool Receive(const std::string& cmd, const std::string& body) {
        const std::string json = R"({"header":{"cmd":")" + cmd + R"("},"body":)" + body + "}";
        auto root = ParseDocument(json);
        EXPECT_TRUE(root) << json;
        return dispatcher.Dispatch(ReadMessage(*root));
    }

    test::TempHome home;
    test::MemoryLog log;
    Database db;
    StopTimeTable table{db};
    RouteStore routes{&log};
    VehicleStore vehicles;
    FakeTarget target;
    Dispatcher dispatcher{routes, vehicles, table, target};
};

TEST_F(DispatcherTest, LoginReplyOnlyForTheLoginRequest) {
    EXPECT_TRUE(Receive("8000", R"({"cmd":"1002","result":"fail"})"));
    EXPECT_TRUE(target.events.empty());
    EXPECT_FALSE(Receive("8000", R"({"cmd":"1000","result":"no","text":"密码错误"})"));
    EXPECT_EQ(target.events, std::vector<std::string>{"login no|密码错误"});
}

TEST_F(DispatcherTest, GroupIsOfferedThenAnswered) {
    EXPECT_TRUE(Receive("1009", R"({"groupid":"g7","groupname":"一公司"})"));
    EXPECT_EQ(target.events, std::vector<std::string>{"group 一公司"});
    ASSERT_EQ(target.sent.size(), 1u);
    EXPECT_EQ(target.sent[0], GroupAnswer("g7"));
    target.sendSucceeds = false;
    EXPECT_FALSE(Receive("1009", R"({"groupid":"g8"})"));
}

// A plate selects the first one that begins with it, ignoring case, or is added; each vehicle is
// stored before its plate is offered.
TEST_F(DispatcherTest, VehiclesAreAllStoredButPlatesOfferedByPrefix) {
    for (const char* plate : {"A12", "A12", "a1", "B3", "A123"})
        Receive("1011", std::string(R"({"code":")") + plate + R"(","id":"7","groupname":"g"})");
    EXPECT_EQ(vehicles.Size(), 5u);
    EXPECT_EQ(target.plates, (std::vector<std::string>{"A12", "B3", "A123"}));
    EXPECT_EQ(target.events, (std::vector<std::string>{"plate 0 A12", "plate 0 A12", "plate 0 a1", "plate 1 B3",
                                                       "plate 2 A123"}));
}

TEST_F(DispatcherTest, RoutesAskForStationsAndGetThemJoined) {
    Receive("9001", R"({"lineid":"5","linename":"71路","counterdis":"12.5","countertime":"00:40"})");
    Receive("9001", R"({"lineid":"6","linename":"71路"})");
    // The duplicate is still answered, but not stored.
    EXPECT_EQ(target.sent, (std::vector<Json::Value>{RouteStationsRequest("5"), RouteStationsRequest("6")}));
    EXPECT_EQ(routes.Size(), 1u);

    Receive("9003", R"({"lineId":"5","stationns":[
        {"id":"1","name":"甲","lat":"31.1","lng":"121.1","time":"3"},
        {"id":"2","name":"乙","lat":"31.2","lng":"121.2","time":"4"}]})");
    Receive("9003", R"({"lineId":"99","stationns":[]})");
    EXPECT_EQ(target.events.back(), "stations 71路|甲 — 乙");
    // A repeated 9003 lists its own stations only; the route keeps gathering them.
    Receive("9003", R"({"lineId":"5","stationns":[{"name":"丙"}]})");
    EXPECT_EQ(target.events.back(), "stations 71路|丙");
    ASSERT_EQ(routes.At(0)->stations.size(), 3u);
    EXPECT_EQ(routes.At(0)->stations[1].latitude, "31.2");
}

TEST_F(DispatcherTest, StopTimesAreStoredUnderTheUserWithApostrophesIntact) {
    Receive("9017", R"({"code":"沪A1","batchname":"1","linenaem":"71路",
        "batchdate":"2014-08-25","planreachtime":"2014-08-25 08:00:00",
        "planleavetime":"2014-08-25 08:01:00","userMarkName":"O'Hare 站","flag":"1"})");
    std::vector<StopTimeRecord> rows;
    ASSERT_TRUE(table.ReadReportRows("沪A1", "调度员", "2014-08-25 00:00:00", "2014-08-25 23:59:59", rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].usermarkName + "|" + rows[0].lineName + "|" + rows[0].realReachTime, "O'Hare 站|71路|");
}

TEST_F(DispatcherTest, StopTimeTheDatabaseRefusesIsLostAlone) {
    db.Close();
    EXPECT_TRUE(Receive("9017", R"({"code":"x"})"));
    EXPECT_TRUE(Receive("9019", R"({"type":"batch"})"));
    EXPECT_EQ(target.events, std::vector<std::string>{"run+enable"});
}

TEST_F(DispatcherTest, WindowCodesReachTheirWindows) {
    Receive("9007", R"({})");
    Receive("9009", R"({})");
    Receive("9011", R"([{"classename":"夏","startDate":"a","endDate":"b"},{"classename":"冬"}])");
    Receive("9019", R"({"type":"Batch"})");
    Receive("9021", R"({"code":"沪A1"})");
    Receive("4242", R"({})");
    dispatcher.Dispatch(ReadMessage(*ParseDocument(R"({"header":{"cmd":9007},"body":{}})")));  // a number: no code
    EXPECT_EQ(target.events, (std::vector<std::string>{"day", "finish", "schedule 夏|a|b",
                                                       "schedule 冬||", "enable", "row 沪A1"}));
    // Pages not hooked in yet ignore their messages and never end the login.
    target.events.clear();
    dispatcher.SetScheduleEvents(nullptr);
    dispatcher.SetReportEvents(nullptr);
    for (const char* code : {"9007", "9009", "9019", "9021"}) EXPECT_TRUE(Receive(code, R"({"type":"batch"})")) << code;
    EXPECT_TRUE(target.events.empty());
}

}  // namespace
}  // namespace fw
