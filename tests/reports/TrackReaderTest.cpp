#include <gtest/gtest.h>

#include <string>

#include "reports/TrackReader.h"

namespace fw {
namespace {

std::string Reply(const std::string& topics, const std::string& result = "true") {
    return R"({"result":)" + result + R"(,"msg":"","topics":[)" + topics + "]}";
}

const std::string kFix =
    R"({"gpst":"2014-08-25 08:00:00","recvt":"2014-08-25 08:00:02","lat":31.2,"lat_xz":0.0021,)"
    R"("lng":121.4,"lng_xz":-0.0043})";

TEST(ReadTrackPoints, ReadsTimesAndCorrectedCoordinates) {
    const auto points = ReadTrackPoints(Reply(kFix));
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].gpsTime, "2014-08-25 08:00:00");
    EXPECT_EQ(points[0].receiveTime, "2014-08-25 08:00:02");
    EXPECT_DOUBLE_EQ(points[0].latitude, 31.2021);
    EXPECT_DOUBLE_EQ(points[0].longitude, 121.3957);
}

TEST(ReadTrackPoints, EachTermIsRoundedToSixDecimalsBeforeTheSum) {
    const auto points = ReadTrackPoints(Reply(
        R"({"gpst":"t","lat":31.12345678,"lat_xz":0.0000004,"lng":121.0000004,"lng_xz":0.0000004})"));
    ASSERT_EQ(points.size(), 1u);
    EXPECT_DOUBLE_EQ(points[0].latitude, 31.123457);  // 0.0000004 rounds to 0
    EXPECT_DOUBLE_EQ(points[0].longitude, 121.0);     // both terms round down
}

TEST(ReadTrackPoints, NullOrMissingTermsReadZeroAndIntegersAreNumbers) {
    const auto points = ReadTrackPoints(
        Reply(R"({"gpst":"t","lat":31.2,"lat_xz":null,"lng":121}, {"lat":31, "lng":null})"));
    ASSERT_EQ(points.size(), 2u);
    EXPECT_DOUBLE_EQ(points[0].latitude, 31.2);
    EXPECT_DOUBLE_EQ(points[0].longitude, 121.0);
    EXPECT_EQ(points[1].gpsTime, "");
    EXPECT_DOUBLE_EQ(points[1].longitude, 0.0);
}

TEST(ReadTrackPoints, PointsWithUnreadableCoordinatesAreLeftOut) {
    const auto points = ReadTrackPoints(
        Reply(kFix +
              R"(,{"gpst":"s","lat":"31.2","lng":121},{"gpst":"a","lat":31.2,"lng":[121]},)"
              R"({"gpst":"o","lat":31.2,"lng_xz":{}},"not a point",)" +
              kFix));
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[1].gpsTime, "2014-08-25 08:00:00");
}

TEST(ReadTrackPoints, NonStringTimesReadAsEmpty) {
    const auto points =
        ReadTrackPoints(Reply(R"({"gpst":20140825,"recvt":true,"lat":31,"lng":121})"));
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].gpsTime, "");
    EXPECT_EQ(points[0].receiveTime, "");
}

struct TruthCase {
    const char* result;
    bool used;
};

void PrintTo(const TruthCase& c, std::ostream* os) { *os << "result " << c.result; }

class ReadTrackPointsResult : public ::testing::TestWithParam<TruthCase> {};

TEST_P(ReadTrackPointsResult, PointsAreUsedOnlyWhenResultReadsTrue) {
    EXPECT_EQ(ReadTrackPoints(Reply(kFix, GetParam().result)).size(), GetParam().used ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Truth, ReadTrackPointsResult,
                         ::testing::Values(TruthCase{"true", true}, TruthCase{"1", true},
                                           TruthCase{"-2.5", true}, TruthCase{"\"yes\"", true},
                                           TruthCase{"\"false\"", true}, TruthCase{"false", false},
                                           TruthCase{"0", false}, TruthCase{"0.0", false},
                                           TruthCase{"\"\"", false}, TruthCase{"null", false},
                                           TruthCase{"[]", false}, TruthCase{"{}", false}));

TEST(ReadTrackPoints, NothingFromBrokenOrEmptyReplies) {
    EXPECT_TRUE(ReadTrackPoints("").empty());
    EXPECT_TRUE(ReadTrackPoints("<html>502 Bad Gateway</html>\n").empty());
    EXPECT_TRUE(ReadTrackPoints(R"({"result":true,"topics":[)").empty());
    EXPECT_TRUE(ReadTrackPoints(R"({"result":true})").empty());
    EXPECT_TRUE(ReadTrackPoints(R"({"result":true,"topics":{"lat":31}})").empty());
    EXPECT_TRUE(ReadTrackPoints(Reply("")).empty());
    EXPECT_TRUE(ReadTrackPoints(R"({"msg":"key wrong","topics":[)" + kFix + "]}").empty());
    EXPECT_TRUE(ReadTrackPoints("[1,2,3]").empty());
}

TEST(ReadTrackPoints, EscapesUnknownMembersAndDuplicatesReadAsJsonSays) {
    const auto points = ReadTrackPoints(
        R"({"extra":{"deep":[1,{"x":"]}"}],"n":null}, "result":false, "result":1,)"
        R"("topics":[{"gpst":"08\u003a00 \"A\" \u6caa \ud83d\ude8c","lat":1,"lat":31.5,)"
        R"("lng":"bad","lng":121.5,"more":[[]],"recvt":5}], "tail":[true,false,-1.5e3]})");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].gpsTime, "08:00 \"A\" 沪 \xF0\x9F\x9A\x8C");
    EXPECT_EQ(points[0].receiveTime, "");
    EXPECT_DOUBLE_EQ(points[0].latitude, 31.5);
    EXPECT_DOUBLE_EQ(points[0].longitude, 121.5);
    // The last `topics` counts.
    EXPECT_TRUE(ReadTrackPoints(Reply(kFix) + "").size() == 1u);
    EXPECT_TRUE(
        ReadTrackPoints(R"({"result":true,"topics":[)" + kFix + R"(],"topics":"none"})").empty());
    // Anything after the root value is not looked at; a trailing comma is let through.
    EXPECT_EQ(ReadTrackPoints(Reply(kFix + ",") + " trailing junk").size(), 1u);
}

TEST(ReadTrackPoints, BrokenDocumentsGiveNoPointsEvenAfterGoodFixes) {
    const std::string good = R"({"result":true,"topics":[)" + kFix + ",";
    for (const std::string tail :
         {"", "{", R"({"gpst":"unterminated)", R"({"gpst":"bad \x escape"}]})", R"({"lat":1.}]})",
          R"({"lat":-}]})", R"({"lat":1e999}]})", R"({"lat":tru}]})", R"({"lat" 1}]})",
          R"({"lat":1 "lng":2}]})", R"({"gpst":"\ud800"}]})", "/* never closed", R"({"lat":+1}]})"})
        EXPECT_TRUE(ReadTrackPoints(good + tail).empty()) << tail;
    // Nesting beyond any sane depth is refused rather than exhausting the stack.
    EXPECT_TRUE(ReadTrackPoints(good + std::string(100000, '[')).empty());
    EXPECT_TRUE(
        ReadTrackPoints(good + std::string(5000, '[') + std::string(5000, ']') + "]}").empty());
    EXPECT_EQ(ReadTrackPoints(good + std::string(50, '[') + std::string(50, ']') + "]}").size(),
              1u);
}

TEST(ReadTrackPoints, CrLfBodiesAndCommentsReadLikeOneLine) {
    const std::string body = "/* track */{\r\n\"result\" : true, // ok\r\n\"topics\" : [\r\n" +
                             kFix + ",\r\n" + kFix + "\r\n]\r\n}\r\n";
    const auto points = ReadTrackPoints(body);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_DOUBLE_EQ(points[1].latitude, 31.2021);
}

}  // namespace
}  // namespace fw
