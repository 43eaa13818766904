#include <gtest/gtest.h>
#include <json/json.h>

#include "net/JsonWriter.h"
#include "net/Message.h"
#include "net/Requests.h"

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

TEST(JsonWriter, NonAsciiStaysRawControlCharactersAreEscaped) {
    Json::Value v(Json::objectValue);
    v["linename"] = "一号线";
    v["k"] = std::string("a\x01" "b");
    EXPECT_EQ(WriteStyled(v), "{\n   \"k\" : \"a\\u0001b\",\n   \"linename\" : \"一号线\"\n}\n");
}

// The wire test has every request with elements; without any, the arrays are left out.
TEST(Requests, EmptyScheduleArraysAreLeftOut) {
    EXPECT_FALSE(ScheduleContentRequest({"夏季", "admin", "2014-08-25", "2014-08-25", {}})["body"].isMember("content"));
    EXPECT_FALSE(SendTimetableRequest({"2014-08-25", "2014-08-31", "夏季", "admin", {}})["body"].isMember("stationns"));
}

}  // namespace
}  // namespace fw
