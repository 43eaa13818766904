#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "net/Message.h"
#include "reports/TrackReader.h"

namespace fw {
namespace {

std::string Reply(const std::string& topics, const std::string& result = "true") {
    return R"({"result":)" + result + R"(,"msg":"","topics":[)" + topics + "]}";
}

const std::string kFix =
    R"({"gpst":"2014-08-25 08:00:00","recvt":"2014-08-25 08:00:02","lat":31.2,"lat_xz":0.0021,)"
    R"("lng":121.4,"lng_xz":-0.0043})";

// The service's rules: the points read, and the last one's time and place.
TEST(ReadTrackPoints, ReadsTheFixesByTheServicesRules) {
    const struct {
        const char* name;
        std::string body;
        std::size_t count;
        std::string gpsTime;
        double latitude, longitude;
    } cases[] = {
        {"CorrectedCoordinates", Reply(kFix), 1, "2014-08-25 08:00:00", 31.2021, 121.3957},
        // 0.0000004 rounds to 0; both terms of the longitude round down.
        {"EachTermRoundedToSixDecimals",
         Reply(R"({"gpst":"t","lat":31.12345678,"lat_xz":0.0000004,"lng":121.0000004,)"
               R"("lng_xz":0.0000004})"),
         1, "t", 31.123457, 121.0},
        {"NullMissingIntegerTermsAndNonStringTimes",
         Reply(R"({"gpst":"t","lat":31.2,"lat_xz":null,"lng":121},)"
               R"({"gpst":20140825,"recvt":true,"lat":31,"lng":null})"),
         2, "", 31.0, 0.0},
        {"UnplaceablePointsLeftOut",
         Reply(kFix + R"(,{"gpst":"s","lat":"31.2","lng":121},{"lat":31.2,"lng":[121]},)"
                      R"({"lat":31.2,"lng_xz":{}},"not a point",{"gpst":"last","lat":true})"),
         2, "last", 1.0, 0.0},
    };
    for (const auto& c : cases) {
        const auto points = ReadTrackPoints(c.body);
        ASSERT_EQ(points.size(), c.count) << c.name;
        EXPECT_EQ(points.back().gpsTime, c.gpsTime) << c.name;
        EXPECT_DOUBLE_EQ(points.back().latitude, c.latitude) << c.name;
        EXPECT_DOUBLE_EQ(points.back().longitude, c.longitude) << c.name;
    }
    for (const char* yes : {"true", "1", "-2.5", "\"yes\"", "\"false\""})
        EXPECT_EQ(ReadTrackPoints(Reply(kFix, yes)).size(), 1u) << yes;
    for (const char* no : {"false", "0", "-0.0", "\"\"", "null", "[1]", "{}"})
        EXPECT_TRUE(ReadTrackPoints(Reply(kFix, no)).empty()) << no;
}

// Broken replies give no points, even after good fixes. Everything else is read as JsonCpp reads
// it: escapes, unknown and repeated members, comments (JsonCpp's path, which has the same rules),
// and values on either side of what simdjson and JsonCpp each accept. (fuzz-trackreader checks
// the same on mutated replies.)
TEST(ReadTrackPoints, BrokenRepliesAndEdgeValuesAsJsonCppReadsThem) {
    const std::string good = R"({"result":true,"topics":[)" + kFix + ",";
    std::vector<std::string> bodies = {
        "", "<html>502 Bad Gateway</html>\n", "[1,2,3]", R"({"result":true})",
        R"({"result":true,"topics":{"lat":31}})", R"({"msg":"key wrong","topics":[)" + kFix + "]}",
        R"({"result":true,"topics":[)" + kFix + R"(],"topics":"none"})",  // the last one counts
        good, good + "{", good + R"({"gpst":"unterminated)", good + R"({"gpst":"bad \x escape"}]})",
        good + R"({"lat":1e999}]})", good + R"({"lat":tru}]})", good + R"({"lat" 1}]})",
        good + R"({"lat":1 "lng":2}]})", good + R"({"gpst":"\ud800"}]})", good + "/* never closed",
        // A comment between a key and its colon, which JsonCpp refuses too.
        good + R"({"lat" /* c */ : 1}]})",
        // Nesting past JsonCpp's limit: refused, not thrown, not a stack overflow.
        good + std::string(999, '[') + std::string(999, ']') + "]}",
        good + std::string(100000, '['),
        good + std::string(5000, '[') + std::string(5000, ']') + "]}"};
    const std::size_t broken = bodies.size();
    bodies.push_back(
        R"({"extra":{"deep":[1,{"x":"]}"}],"n":null}, "result":false, "result":1,)"
        R"("topics":[{"gpst":"08\u003a00 \"A\" \u6caa \ud83d\ude8c","lat":1,"l\u0061t":31.5,)"
        R"("lng":"bad","lng":121.5,"more":[[]],"recvt":5}], "tail":[true,false,-1.5e3]})");
    bodies.push_back("/* track */{\r\n\"result\" : true, // ok\r\n\"topics\" : [\r\n" + kFix +
                     ",\r\n" + kFix + "\r\n]\r\n} trailing junk");
    for (const char* n : {"0", "-0", "1.", "-", ".5", "+3", "01", "1e", "0x10", "NaN", "1.5e5.5",
                          "2.5E+3", "1e400", "1e-400", "4.9e-324", "31.2345675", "0.0000005",
                          "9223372036854775807", "9223372036854775808", "-9223372036854775809",
                          "18446744073709551615", "18446744073709551616", "tru", "nul", "[]",
                          // More than 19 digits, which simdjson 3.0.1 misreads.
                          "30.27130007777777777777777777777", "123456789012345678901234567890"})
        bodies.push_back(Reply(kFix + R"(,{"lat":)" + n + R"(,"lng":121,"lng_xz":)" + n + "}"));
    for (const char* s : {"\\u0000", "\\x", "\\u12", "\\udc00", "\\ud800\\u0041", "\\ud83d\\ude8c",
                          "\\/", "\x01", "\t", "\xB2\xE2", "\xF0\x9F\x9A"})
        bodies.push_back(Reply(kFix + R"(,{"gpst":")" + s + R"(","lat":31,"lng":121})"));
    // Nesting below JsonCpp's limit is read.
    bodies.push_back(Reply(kFix + R"(,{"x":)" + std::string(990, '[') + std::string(990, ']') +
                           R"(,"lat":1})"));
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const auto parsed = ParseDocument(bodies[i]);
        const auto expected =
            parsed && i >= broken ? TrackPointsOf(*parsed) : std::vector<TrackPoint>{};
        const auto points = ReadTrackPoints(bodies[i]);
        ASSERT_EQ(points.size(), expected.size()) << bodies[i].substr(0, 200);
        for (std::size_t k = 0; k < points.size(); ++k) {
            const TrackPoint &a = points[k], &b = expected[k];
            EXPECT_TRUE(std::tie(a.gpsTime, a.latitude, a.longitude) ==
                        std::tie(b.gpsTime, b.latitude, b.longitude))
                << bodies[i].substr(0, 200) << " point " << k;
        }
    }
}

}  // namespace
}  // namespace fw
