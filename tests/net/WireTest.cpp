// What goes over the wire both ways: received documents read into messages, the styled layout
// of what is sent, and every request as the server must receive it.
#include <gtest/gtest.h>
#include <json/json.h>

#include <string>

#include "net/JsonWriter.h"
#include "net/Message.h"
#include "net/Outgoing.h"
#include "net/Requests.h"
#include "text/Encoding.h"

namespace fw {
namespace {

TEST(Message, CodeIsTheAtoiOfAStringCmd) {
    const struct {
        const char* document;
        int code;
    } rows[] = {{R"({"header":{"cmd":"8000"},"body":{}})", 8000}, {R"({"header":{"cmd":" 9017x"},"body":{}})", 9017},
                {R"({"header":{"cmd":8000},"body":{}})", 0},      {R"({"header":{"cmd":null},"body":{}})", 0},
                {R"({"header":{},"body":{}})", 0},                {R"({"header":"8000","body":{}})", 0},
                {R"({"body":{}})", 0},                            {R"(["header"])", 0}};
    for (const auto& r : rows) {
        auto root = ParseDocument(r.document);
        ASSERT_TRUE(root) << r.document;
        EXPECT_EQ(ReadMessage(*root).code, r.code) << r.document;
    }
}

TEST(Message, ValuesThatAreNotStringsReadAsEmptyText) {
    auto root = ParseDocument(R"({"body":{"a":"x","n":1000,"t":true,"o":{},"z":null}})");
    ASSERT_TRUE(root);
    const Json::Value& body = (*root)["body"];
    EXPECT_EQ(Text(body, "a"), "x");
    for (const char* key : {"n", "t", "o", "z", "missing"}) EXPECT_EQ(Text(body, key), "") << key;
    EXPECT_EQ(Text(Json::Value("scalar"), "a"), "");
    EXPECT_FALSE(body.isMember("missing"));  // reading never inserts
}

TEST(Message, ParserAllowsCommentsAndEscapesAndRefusesBrokenText) {
    auto root = ParseDocument("{ // note\n \"a\" : /* x */ \"\\u4e00\" }");
    ASSERT_TRUE(root);
    EXPECT_EQ(Text(*root, "a"), "一");
    EXPECT_FALSE(ParseDocument("{\"a\":}"));
    EXPECT_FALSE(ParseDocument("{\"a\":\"b\""));
    // Past JsonCpp's depth limit the reader throws; that is a refusal too, well-formed or not.
    EXPECT_FALSE(ParseDocument("{\"a\":" + std::string(999, '[') + "}"));
    EXPECT_FALSE(ParseDocument(std::string(1200, '[') + std::string(1200, ']')));
}

// JsonCpp's own StyledWriter is the reference for the layout; it differs from ours only in how
// it escapes bytes >= 0x80, so the comparison uses ASCII documents.
class LayoutTest : public testing::TestWithParam<const char*> {};

TEST_P(LayoutTest, MatchesTheClassicStyledWriterByteForByte) {
    const auto v = ParseDocument(GetParam());
    ASSERT_TRUE(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    EXPECT_EQ(WriteStyled(*v), Json::StyledWriter().write(*v));
#pragma GCC diagnostic pop
}

INSTANTIATE_TEST_SUITE_P(
    Documents, LayoutTest,
    testing::Values(
        R"({"header":{"cmd":"1002"},"body":{"result":""},"b":{},"a":[],"c":{"z":"1","y":{"x":"2"}},"Zeta":"1","alpha":"2","Alpha":"3","_":"4"})",
        R"({"list":["a","b","c"],"rows":[{"date":"2014-08-25","batch":"1"},{"date":"2014-08-26"}],"mixed":[{},"x",[]],"nested":[["a"],["b","c"]]})",
        R"({"list":["aaaaaaaaaaaaaaaaaaaa","bbbbbbbbbbbbbbbbbbbb","cccccccccccccccccccc","dddd"]})",
        R"({"esc":"quote \" back \\ slash / tab \t nl \n cr \r"})",
        R"(["top","level","array"])",
        R"({"n":1,"r":2.5,"t":true,"f":false,"z":null})"));

TEST(JsonWriter, NonAsciiStaysRawControlCharactersAreEscaped) {
    Json::Value v(Json::objectValue);
    v["linename"] = "一号线";
    v["k"] = std::string("a\x01" "b");
    EXPECT_EQ(WriteStyled(v), "{\n   \"k\" : \"a\\u0001b\",\n   \"linename\" : \"一号线\"\n}\n");
}

TEST(JsonWriter, AFlatMessageWrittenStraightIsWhatTheStyledWriterGives) {
    using Fields = std::initializer_list<std::pair<std::string_view, std::string_view>>;
    const struct {
        const char* cmd;
        Fields fields;
    } rows[] = {
        {"9017", {{"batchdate", "2014-08-25"}, {"code", "浙A03869"}, {"flag", ""}, {"userMarkName", "清河坊"}}},
        {"9019", {{"type", "batch"}}},
        {"9\"1", {{"A", "q\"b\\s/\t\n\x01\x7f"}, {"a", std::string_view("nul\0x", 5)}}},
        {"", {}},
    };
    for (const auto& row : rows) {
        Json::Value message = MakeMessage(row.cmd);
        for (const auto& [key, value] : row.fields) message["body"][std::string(key)] = std::string(value);
        std::string written = "before";
        AppendStyledMessage(written, row.cmd, row.fields);
        EXPECT_EQ(written, "before" + WriteStyled(message)) << row.cmd;
    }
}

// Json::Value equality counts the type too, so a number where the server wants text fails.
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
        // Without rows, the arrays are left out.
        {SendTimetableRequest({"2014-08-25", "2014-08-31", "夏", user, {}}),
         R"({"body":{"enddate":"2014-08-31","name":"夏","startdate":"2014-08-25","userName":"调度员"},)" + client + R"(9006"}})"},
        {ScheduleContentRequest({"夏", user, "2014-08-25", "2014-08-25", {{"2014-08-25", "1", ""}}}),
         R"({"body":{"classname":"夏","content":[{"batch":"1","carcode":"","date":"2014-08-25"}],)"
         R"("enddate":"2014-08-25","startdate":"2014-08-25","username":"调度员"},)" + client + R"(9008"}})"},
        {ScheduleContentRequest({"夏", user, "2014-08-25", "2014-08-25", {}}),
         R"({"body":{"classname":"夏","enddate":"2014-08-25","startdate":"2014-08-25","username":"调度员"},)" + client + R"(9008"}})"},
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

// The bytes themselves: the styled layout, and the server's code page as raw bytes, never \u
// escapes. The log never holds the login's password; other messages are logged as sent, a body
// key named "pass" included.
TEST(Wire, RequestsGoOutStyledInTheCodePageAndTheLogHidesOnlyTheLoginPassword) {
    const TextCodec gbk("GBK");
    const Outgoing login = PrepareOutgoing(LoginRequest("调度员", "p\"w"), gbk);
    EXPECT_EQ(login.wire,
              "{\n   \"body\" : {\n      \"name\" : \"\xB5\xF7\xB6\xC8\xD4\xB1\",\n      \"pass\" : \"p\\\"w\",\n"
              "      \"ver\" : \"" + std::string(kClientVersion) + "\"\n   },\n   \"header\" : {\n      \"cmd\" : \"1000\",\n"
              "      \"mode\" : \"\",\n      \"type\" : \"json_busmgr\"\n   }\n}\n");
    EXPECT_EQ(login.logged.find("p\\\"w"), std::string::npos);
    EXPECT_NE(login.logged.find("\"pass\" : \"******\""), std::string::npos);
    Json::Value other = HeartbeatRequest();
    other["body"]["pass"] = "kept";
    EXPECT_EQ(PrepareOutgoing(other, gbk).logged, PrepareOutgoing(other, gbk).text);
}

}  // namespace
}  // namespace fw
