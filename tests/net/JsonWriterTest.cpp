#include <gtest/gtest.h>
#include <json/json.h>

#include "net/JsonWriter.h"
#include "net/Message.h"
#include "net/Requests.h"
#include "text/Encoding.h"

namespace fw {
namespace {

Json::Value Parse(const std::string& text) {
    auto v = ParseDocument(text);
    EXPECT_TRUE(v) << text;
    return v ? *v : Json::Value();
}

// JsonCpp's own StyledWriter is the reference for the layout; it differs from ours only in how
// it escapes bytes >= 0x80, so the comparison uses ASCII documents.
std::string Reference(const Json::Value& v) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::StyledWriter writer;
    return writer.write(v);
#pragma GCC diagnostic pop
}

class LayoutTest : public testing::TestWithParam<const char*> {};

TEST_P(LayoutTest, MatchesTheClassicStyledWriterByteForByte) {
    const Json::Value v = Parse(GetParam());
    EXPECT_EQ(WriteStyled(v), Reference(v));
}

INSTANTIATE_TEST_SUITE_P(
    Documents, LayoutTest,
    testing::Values(
        R"({"header":{"cmd":"1002"},"body":{"result":""}})",
        R"({"b":{},"a":[],"c":{"z":"1","y":{"x":"2"}}})",
        R"({"list":["a","b","c"]})",
        R"({"list":["aaaaaaaaaaaaaaaaaaaa","bbbbbbbbbbbbbbbbbbbb","cccccccccccccccccccc","dddd"]})",
        R"({"rows":[{"date":"2014-08-25","batch":"1","carcode":"A1"},{"date":"2014-08-26"}]})",
        R"({"mixed":[{},"x",[]],"nested":[["a"],["b","c"]]})",
        R"({"esc":"quote \" back \\ slash / tab \t nl \n cr \r"})",
        R"({"Zeta":"1","alpha":"2","Alpha":"3","_":"4"})",
        R"(["top","level","array"])",
        R"({"n":1,"r":2.5,"t":true,"f":false,"z":null})"));

TEST(JsonWriter, LoginRequestLayoutWithAChineseNameAsRawGbk) {
    const std::string wire = EncodeForWire(LoginRequest("调度员", "pw"), TextCodec("GBK"));
    const std::string expected =
        "{\n"
        "   \"body\" : {\n"
        "      \"name\" : \"\xB5\xF7\xB6\xC8\xD4\xB1\",\n"
        "      \"pass\" : \"pw\",\n"
        "      \"ver\" : \"4.6936\"\n"
        "   },\n"
        "   \"header\" : {\n"
        "      \"cmd\" : \"1000\",\n"
        "      \"mode\" : \"\",\n"
        "      \"type\" : \"json_busmgr\"\n"
        "   }\n"
        "}\n";
    EXPECT_EQ(wire, expected);
}

TEST(JsonWriter, NonAsciiStaysRawControlCharactersAreEscaped) {
    Json::Value v(Json::objectValue);
    v["linename"] = "一号线";
    v["k"] = std::string("a\x01" "b");
    EXPECT_EQ(WriteStyled(v), "{\n   \"k\" : \"a\\u0001b\",\n   \"linename\" : \"一号线\"\n}\n");
}

TEST(Requests, ArraysHoldOneObjectPerRowAndEveryValueIsText) {
    DrawnRoute route{"一号线", "00:15", "3.75", "admin", {{"7", "甲站", "0", "7"}, {"8", "乙站", "1", "8"}}};
    const Json::Value v = SaveRouteRequest(route);
    EXPECT_EQ(Text(v["header"], "cmd"), "9004");
    EXPECT_EQ(Text(v["header"], "clientType"), "fenWarde");
    ASSERT_EQ(v["body"]["stationns"].size(), 2u);
    EXPECT_EQ(Text(v["body"]["stationns"][1], "usermarkname"), "乙站");
    EXPECT_EQ(Text(v["body"]["stationns"][1], "serialnumber"), "1");
    EXPECT_EQ(Text(v["body"], "userName"), "admin");

    const Json::Value t = SendTimetableRequest({"2014-08-25", "2014-08-31", "夏季", "admin", {{"1", "06:00", "一号线"}}});
    EXPECT_EQ(Text(t["body"]["stationns"][0], "flag"), "0");
    // The schedule arrays are left out when they have no element.
    EXPECT_FALSE(ScheduleContentRequest({"夏季", "admin", "2014-08-25", "2014-08-25", {}})["body"].isMember("content"));
    EXPECT_FALSE(SendTimetableRequest({"2014-08-25", "2014-08-31", "夏季", "admin", {}})["body"].isMember("stationns"));
}

TEST(Requests, HeadersCarryExactlyTheirMembers) {
    struct Case {
        Json::Value request;
        const char* cmd;
        bool clientType;
    };
    const Case cases[] = {
        {HeartbeatRequest(), "1002", false},           {AnnounceRequest(), "1008", false},
        {GroupAnswer("g1"), "1010", false},            {HelloRequest("u"), "9000", true},
        {RouteStationsRequest("12"), "9002", true},    {DeleteRouteRequest("l", "u"), "9012", true},
        {DeleteScheduleRequest("c", "u"), "9014", true},
        {StopTimesRequest("u", "7", "沪A1", "2014-08-25"), "9016", true},
        {ReportQueryRequest({"7", "沪A1", "", "u", "a", "b"}), "9018", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(c.request["header"], "cmd"), c.cmd);
        EXPECT_EQ(c.request["header"].isMember("clientType"), c.clientType) << c.cmd;
        EXPECT_EQ(c.request["header"].size(), c.clientType ? 2u : 1u) << c.cmd;
    }
    EXPECT_EQ(Text(DeleteScheduleRequest("c", "u")["body"], "classename"), "c");
}

}  // namespace
}  // namespace fw
