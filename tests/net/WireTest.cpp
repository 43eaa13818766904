#include <gtest/gtest.h>

#include <string>

#include "net/Message.h"
#include "net/Outgoing.h"
#include "net/Requests.h"
#include "text/Encoding.h"

namespace fw {
namespace {

// Every request as the server must receive it. Json::Value equality counts the type too, so a
// number where the server wants text fails. The layout is the styled writer's (LayoutTest).
TEST(Wire, EveryRequestCarriesExactlyItsMembers) {
    const std::string user = "调度员";
    const std::string client = R"("header":{"clientType":"fenWarde","cmd":")";
    const struct {
        Json::Value message;
        std::string document;
    } cases[] = {
        {LoginRequest(user, "p\"w"),
         R"({"body":{"name":"调度员","pass":"p\"w","ver":")" + std::string(kClientVersion) +
             R"("},"header":{"cmd":"1000","mode":"","type":"json_busmgr"}})"},
        {HeartbeatRequest(), R"({"body":{"result":""},"header":{"cmd":"1002"}})"},
        {AnnounceRequest(), R"({"body":{"client":"true"},"header":{"cmd":"1008"}})"},
        {GroupAnswer("g7"), R"({"body":{"groupid":"g7"},"header":{"cmd":"1010"}})"},
        {HelloRequest(user), R"({"body":{"fen_warde":"true","username":"调度员"},)" + client + R"(9000"}})"},
        {RouteStationsRequest("5"), R"({"body":{"lineid":"5"},)" + client + R"(9002"}})"},
        {SaveRouteRequest({"71路甲", "00:15", "3.75", user, {{"11", "A", "0", "5"}, {"12", "B", "1", "10"}}}),
         R"({"body":{"counterdis":"3.75","countertime":"00:15","linename":"71路甲","stationns":[)"
         R"({"serialnumber":"0","time":"5","usermarkid":"11","usermarkname":"A"},)"
         R"({"serialnumber":"1","time":"10","usermarkid":"12","usermarkname":"B"}],"userName":"调度员"},)" +
             client + R"(9004"}})"},
        {SendTimetableRequest({"2014-08-25", "2014-08-26", "夏", user, {{"1", " 06:00:00", "71路甲"}}}),
         R"({"body":{"enddate":"2014-08-26","name":"夏","startdate":"2014-08-25","stationns":[)"
         R"({"batch":"1","flag":"0","linename":"71路甲","starttime":" 06:00:00"}],"userName":"调度员"},)" +
             client + R"(9006"}})"},
        {ScheduleContentRequest({"夏", user, "2014-08-25", "2014-08-25", {{"2014-08-25", "1", ""}}}),
         R"({"body":{"classname":"夏","content":[{"batch":"1","carcode":"","date":"2014-08-25"}],)"
         R"("enddate":"2014-08-25","startdate":"2014-08-25","username":"调度员"},)" + client + R"(9008"}})"},
        {DeleteRouteRequest("71路甲", user), R"({"body":{"linename":"71路甲","username":"调度员"},)" + client + R"(9012"}})"},
        {DeleteScheduleRequest("夏", user), R"({"body":{"classename":"夏","username":"调度员"},)" + client + R"(9014"}})"},
        {StopTimesRequest(user, "v1", "A1", "2014-08-25"),
         R"({"body":{"code":"A1","date":"2014-08-25","username":"调度员","vhcid":"v1"},)" + client + R"(9016"}})"},
        {ReportQueryRequest({"", "", "一", user, "2014-08-25 05:00:00", "2014-08-25 21:00:00"}),
         R"({"body":{"code":"","group":"一","timeEnd":"2014-08-25 21:00:00","timeStart":"2014-08-25 05:00:00",)"
         R"("username":"调度员","vhcid":""},)" + client + R"(9018"}})"},
    };
    for (const auto& c : cases) {
        const auto expected = ParseDocument(c.document);
        ASSERT_TRUE(expected) << c.document;
        EXPECT_EQ(c.message, *expected) << c.message.toStyledString();
    }
}

// The bytes themselves: the styled layout, and the server's code page as raw bytes, never \u escapes.
TEST(Wire, RequestsGoOutStyledInTheCodePage) {
    const TextCodec gbk("GBK");
    EXPECT_EQ(PrepareOutgoing(LoginRequest("调度员", "p\"w"), gbk).wire,
              "{\n   \"body\" : {\n      \"name\" : \"\xB5\xF7\xB6\xC8\xD4\xB1\",\n      \"pass\" : \"p\\\"w\",\n"
              "      \"ver\" : \"" + std::string(kClientVersion) + "\"\n   },\n   \"header\" : {\n      \"cmd\" : \"1000\",\n"
              "      \"mode\" : \"\",\n      \"type\" : \"json_busmgr\"\n   }\n}\n");
}

TEST(Wire, TheLogNeverHoldsTheLoginPassword) {
    const TextCodec gbk("GBK");
    const Outgoing login = PrepareOutgoing(LoginRequest("admin", "s3cret"), gbk);
    EXPECT_NE(login.wire.find("s3cret"), std::string::npos);
    EXPECT_EQ(login.logged.find("s3cret"), std::string::npos);
    EXPECT_NE(login.logged.find("\"pass\" : \"******\""), std::string::npos);
    // Other messages are logged as sent, a body key named "pass" included.
    Json::Value other = HeartbeatRequest();
    other["body"]["pass"] = "kept";
    EXPECT_EQ(PrepareOutgoing(other, gbk).logged, PrepareOutgoing(other, gbk).text);
}

}  // namespace
}  // namespace fw
