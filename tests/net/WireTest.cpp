#include <gtest/gtest.h>

#include <string>

#include "net/Outgoing.h"
#include "net/Requests.h"
#include "text/Encoding.h"

namespace fw {
namespace {

// "调度员" and "71路甲" in GBK: the server reads raw code-page bytes, never \u escapes.
const std::string kUser = "\xB5\xF7\xB6\xC8\xD4\xB1";
const std::string kLine = "71\xC2\xB7\xBC\xD7";

struct WireCase {
    const char* code;
    Json::Value message;
    std::string bytes;
};

std::string Client(const std::string& cmd) {
    return "   \"header\" : {\n      \"clientType\" : \"fenWarde\",\n      \"cmd\" : \"" + cmd + "\"\n   }\n}\n";
}

TEST(Wire, EveryRequestGoesOutByteForByte) {
    const std::string user = "调度员";
    const WireCase cases[] = {
        {"1000", LoginRequest(user, "p\"w"),
         "{\n   \"body\" : {\n      \"name\" : \"" + kUser + "\",\n      \"pass\" : \"p\\\"w\",\n"
         "      \"ver\" : \"4.6936\"\n   },\n   \"header\" : {\n      \"cmd\" : \"1000\",\n"
         "      \"mode\" : \"\",\n      \"type\" : \"json_busmgr\"\n   }\n}\n"},
        {"1002", HeartbeatRequest(),
         "{\n   \"body\" : {\n      \"result\" : \"\"\n   },\n   \"header\" : {\n      \"cmd\" : \"1002\"\n   }\n}\n"},
        {"1008", AnnounceRequest(),
         "{\n   \"body\" : {\n      \"client\" : \"true\"\n   },\n   \"header\" : {\n      \"cmd\" : \"1008\"\n   }\n}\n"},
        {"1010", GroupAnswer("g7"),
         "{\n   \"body\" : {\n      \"groupid\" : \"g7\"\n   },\n   \"header\" : {\n      \"cmd\" : \"1010\"\n   }\n}\n"},
        {"9000", HelloRequest(user),
         "{\n   \"body\" : {\n      \"fen_warde\" : \"true\",\n      \"username\" : \"" + kUser + "\"\n   },\n" +
             Client("9000")},
        {"9002", RouteStationsRequest("5"), "{\n   \"body\" : {\n      \"lineid\" : \"5\"\n   },\n" + Client("9002")},
        {"9004", SaveRouteRequest({"71路甲", "00:15", "3.75", user, {{"11", "A", "0", "5"}, {"12", "B", "1", "10"}}}),
         "{\n   \"body\" : {\n      \"counterdis\" : \"3.75\",\n      \"countertime\" : \"00:15\",\n"
         "      \"linename\" : \"" + kLine + "\",\n      \"stationns\" : [\n         {\n"
         "            \"serialnumber\" : \"0\",\n            \"time\" : \"5\",\n            \"usermarkid\" : \"11\",\n"
         "            \"usermarkname\" : \"A\"\n         },\n         {\n            \"serialnumber\" : \"1\",\n"
         "            \"time\" : \"10\",\n            \"usermarkid\" : \"12\",\n            \"usermarkname\" : \"B\"\n"
         "         }\n      ],\n      \"userName\" : \"" + kUser + "\"\n   },\n" + Client("9004")},
        {"9006", SendTimetableRequest({"2014-08-25", "2014-08-26", "夏", user, {{"1", " 06:00:00", "71路甲"}}}),
         "{\n   \"body\" : {\n      \"enddate\" : \"2014-08-26\",\n      \"name\" : \"\xCF\xC4\",\n"
         "      \"startdate\" : \"2014-08-25\",\n      \"stationns\" : [\n         {\n            \"batch\" : \"1\",\n"
         "            \"flag\" : \"0\",\n            \"linename\" : \"" + kLine + "\",\n"
         "            \"starttime\" : \" 06:00:00\"\n         }\n      ],\n      \"userName\" : \"" + kUser + "\"\n   },\n" +
             Client("9006")},
        {"9008", ScheduleContentRequest({"夏", user, "2014-08-25", "2014-08-25", {{"2014-08-25", "1", ""}}}),
         "{\n   \"body\" : {\n      \"classname\" : \"\xCF\xC4\",\n      \"content\" : [\n         {\n"
         "            \"batch\" : \"1\",\n            \"carcode\" : \"\",\n            \"date\" : \"2014-08-25\"\n"
         "         }\n      ],\n      \"enddate\" : \"2014-08-25\",\n      \"startdate\" : \"2014-08-25\",\n"
         "      \"username\" : \"" + kUser + "\"\n   },\n" + Client("9008")},
        {"9012", DeleteRouteRequest("71路甲", user),
         "{\n   \"body\" : {\n      \"linename\" : \"" + kLine + "\",\n      \"username\" : \"" + kUser + "\"\n   },\n" +
             Client("9012")},
        {"9014", DeleteScheduleRequest("夏", user),
         "{\n   \"body\" : {\n      \"classename\" : \"\xCF\xC4\",\n      \"username\" : \"" + kUser + "\"\n   },\n" +
             Client("9014")},
        {"9016", StopTimesRequest(user, "v1", "A1", "2014-08-25"),
         "{\n   \"body\" : {\n      \"code\" : \"A1\",\n      \"date\" : \"2014-08-25\",\n      \"username\" : \"" + kUser +
             "\",\n      \"vhcid\" : \"v1\"\n   },\n" + Client("9016")},
        {"9018", ReportQueryRequest({"", "", "一", user, "2014-08-25 05:00:00", "2014-08-25 21:00:00"}),
         "{\n   \"body\" : {\n      \"code\" : \"\",\n      \"group\" : \"\xD2\xBB\",\n"
         "      \"timeEnd\" : \"2014-08-25 21:00:00\",\n      \"timeStart\" : \"2014-08-25 05:00:00\",\n"
         "      \"username\" : \"" + kUser + "\",\n      \"vhcid\" : \"\"\n   },\n" + Client("9018")},
    };
    const TextCodec gbk("GBK");
    for (const WireCase& c : cases) EXPECT_EQ(PrepareOutgoing(c.message, gbk).wire, c.bytes) << c.code;
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
