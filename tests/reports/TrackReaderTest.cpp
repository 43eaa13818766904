#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

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

struct FixCase {
    const char* name;
    std::string body;
    std::size_t count;  // points read
    // The last point:
    std::string gpsTime, receiveTime;
    double latitude = 0, longitude = 0;
    friend std::ostream& operator<<(std::ostream& os, const FixCase& c) { return os << c.name; }
};

class Fixes : public testing::TestWithParam<FixCase> {};

TEST_P(Fixes, ReadAsJsonCppReadsThem) {
    const FixCase& c = GetParam();
    const auto points = ReadTrackPoints(c.body);
    ASSERT_EQ(points.size(), c.count);
    if (c.count == 0) return;
    EXPECT_EQ(points.back().gpsTime, c.gpsTime);
    EXPECT_EQ(points.back().receiveTime, c.receiveTime);
    EXPECT_DOUBLE_EQ(points.back().latitude, c.latitude);
    EXPECT_DOUBLE_EQ(points.back().longitude, c.longitude);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, Fixes,
    testing::Values(
        FixCase{"CorrectedCoordinates", Reply(kFix), 1, "2014-08-25 08:00:00",
                "2014-08-25 08:00:02", 31.2021, 121.3957},
        // 0.0000004 rounds to 0; both terms of the longitude round down.
        FixCase{"EachTermRoundedToSixDecimals",
                Reply(R"({"gpst":"t","lat":31.12345678,"lat_xz":0.0000004,"lng":121.0000004,)"
                      R"("lng_xz":0.0000004})"),
                1, "t", "", 31.123457, 121.0},
        FixCase{"NullMissingAndIntegerTerms",
                Reply(R"({"gpst":"t","lat":31.2,"lat_xz":null,"lng":121},{"lat":31,"lng":null})"), 2,
                "", "", 31.0, 0.0},
        FixCase{"NonStringTimesReadEmpty",
                Reply(R"({"gpst":20140825,"recvt":true,"lat":31,"lng":121})"), 1, "", "", 31, 121},
        FixCase{"UnplaceablePointsLeftOut",
                Reply(kFix + R"(,{"gpst":"s","lat":"31.2","lng":121},{"lat":31.2,"lng":[121]},)"
                             R"({"lat":31.2,"lng_xz":{}},"not a point",{"gpst":"last","lat":true})"),
                2, "last", "", 1.0, 0.0},
        FixCase{"EscapesUnknownMembersAndDuplicates",
                R"({"extra":{"deep":[1,{"x":"]}"}],"n":null}, "result":false, "result":1,)"
                R"("topics":[{"gpst":"08\u003a00 \"A\" \u6caa \ud83d\ude8c","lat":1,"l\u0061t":31.5,)"
                R"("lng":"bad","lng":121.5,"more":[[]],"recvt":5}], "tail":[true,false,-1.5e3]})",
                1, "08:00 \"A\" 沪 \xF0\x9F\x9A\x8C", "", 31.5, 121.5},
        FixCase{"LastTopicsCounts", R"({"result":true,"topics":[)" + kFix + R"(],"topics":"none"})",
                0, "", ""},
        FixCase{"CrLfAndComments",
                "/* track */{\r\n\"result\" : true, // ok\r\n\"topics\" : [\r\n" + kFix + ",\r\n" +
                    kFix + "\r\n]\r\n} trailing junk",
                2, "2014-08-25 08:00:00", "2014-08-25 08:00:02", 31.2021, 121.3957},
        // What JsonCpp accepts and simdjson does not: read by JsonCpp, not refused.
        FixCase{"JsonCppNumbers",
                Reply(R"({"lat":1.,"lng":-},{"lat":-.5,"lng":+3},{"lat":1e-400,"lng":01,"lat_xz":2,})"),
                3, "", "", 2.0, 1.0},
        // More than 19 digits, which simdjson 3.0.1 misreads.
        FixCase{"LongDecimals",
                Reply(R"({"lat":30.27130007777777777777777777777,"lng":123456789012345678901234567890,)"
                      R"("lat_xz":0.0088888888888888888888})"),
                1, "", "", 30.280189, 1.2345678901234568e+29},
        FixCase{"JsonCppSurrogates", Reply(R"({"gpst":"\ud800\u0041","lat":1,"lng":2})"), 1,
                "\xF0\x90\x81\x81", "", 1, 2},
        FixCase{"InvalidUtf8", Reply("{\"gpst\":\"\xB2\xE2\",\"lat\":1,\"lng\":2}"), 1, "\xB2\xE2", "",
                1, 2},
        FixCase{"NestingBelowJsonCppLimit",
                Reply(kFix + ",{\"gpst\":\"deep\",\"x\":" + std::string(990, '[') +
                      std::string(990, ']') + ",\"lat\":1,\"lng\":2}"),
                2, "deep", "", 1, 2}));

struct TruthCase {
    const char* result;
    bool used;
};

void PrintTo(const TruthCase& c, std::ostream* os) { *os << "result " << c.result; }

class Truth : public testing::TestWithParam<TruthCase> {};

TEST_P(Truth, PointsAreUsedOnlyWhenResultReadsTrue) {
    EXPECT_EQ(ReadTrackPoints(Reply(kFix, GetParam().result)).size(), GetParam().used ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Results, Truth,
                         testing::Values(TruthCase{"true", true}, TruthCase{"1", true},
                                         TruthCase{"-2.5", true}, TruthCase{"\"yes\"", true},
                                         TruthCase{"\"false\"", true}, TruthCase{"false", false},
                                         TruthCase{"0", false}, TruthCase{"-0.0", false},
                                         TruthCase{"\"\"", false}, TruthCase{"null", false},
                                         TruthCase{"[1]", false}, TruthCase{"{}", false}));

TEST(ReadTrackPoints, BrokenRepliesGiveNoPointsEvenAfterGoodFixes) {
    const std::string good = R"({"result":true,"topics":[)" + kFix + ",";
    for (const std::string& body :
         {std::string(), std::string("<html>502 Bad Gateway</html>\n"), std::string("[1,2,3]"),
          std::string(R"({"result":true})"), std::string(R"({"result":true,"topics":{"lat":31}})"),
          R"({"msg":"key wrong","topics":[)" + kFix + "]}", good, good + "{",
          good + R"({"gpst":"unterminated)", good + R"({"gpst":"bad \x escape"}]})",
          good + R"({"lat":1e999}]})", good + R"({"lat":tru}]})", good + R"({"lat" 1}]})",
          good + R"({"lat":1 "lng":2}]})", good + R"({"gpst":"\ud800"}]})", good + "/* never closed",
          // A comment between a key and its colon, which JsonCpp refuses too.
          good + R"({"lat" /* c */ : 1}]})",
          // Nesting past JsonCpp's limit: refused, not thrown, not a stack overflow.
          good + std::string(999, '[') + std::string(999, ']') + "]}",
          good + std::string(100000, '['),
          good + std::string(5000, '[') + std::string(5000, ']') + "]}"})
        EXPECT_TRUE(ReadTrackPoints(body).empty()) << body.substr(0, 200);
}

// Builds replies from pieces chosen to sit on both sides of what simdjson and JsonCpp accept:
// most are strict JSON (read by simdjson), some need JsonCpp, some are broken.
class ReplyGenerator {
public:
    explicit ReplyGenerator(unsigned seed) : rng_(seed) {}

    std::string Reply() {
        std::string out;
        if (Chance(2)) out += "\xEF\xBB\xBF";
        if (Chance(2)) out += "/* c */";
        out += '{';
        if (Chance(80)) {
            out += "\"msg\"" + Blank() + ":\"\"," + Blank() + "\"result\":" +
                   (Chance(90) ? "true" : Value(1)) + Comma() + "\"topics\":" + Blank() + Topics();
        } else {
            const int members = Pick(5);
            for (int i = 0; i < members; ++i) {
                static constexpr std::array kKeys = {"result", "topics", "msg", "topics", "result"};
                const std::string key = kKeys[static_cast<std::size_t>(Pick(5))];
                out += (i > 0 ? Comma() : "") + '"' + key + '"' + Blank() + ':' + Blank();
                out += key == "topics" && Chance(90) ? Topics() : key == "result" && Chance(70) ? "true" : Value(1);
            }
        }
        if (Chance(2)) out += ',';
        if (Chance(99)) out += '}';
        if (Chance(5)) out += Chance(50) ? " junk" : "\n{\"a\":";
        return out;
    }

private:
    bool Chance(int percent) { return Pick(100) < percent; }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    template <std::size_t N>
    std::string From(const std::array<const char*, N>& items) {
        return items[static_cast<std::size_t>(Pick(static_cast<int>(N)))];
    }
    std::string Blank() { return Chance(80) ? "" : From(std::array{" ", "\r\n", "\t", "\n", " ", " // c\n"}); }
    std::string Comma() { return Chance(99) ? "," + Blank() : Chance(50) ? "" : ",,"; }

    std::string Number() {
        if (Chance(85)) return std::to_string(Pick(180) - 90) + "." + std::to_string(Pick(10000000));
        return From(std::array{"0", "-0", "-0.0", "1", "1.", "-", "-.5", "+3", "01", "1e-400", "1e400",
                               "2.5E+3", "1e", ".5", "0x10", "31.2345675", "0.0000005",
                               "9223372036854775807", "9223372036854775808", "18446744073709551615",
                               "18446744073709551616", "-9223372036854775809",
                               "123456789012345678901234567890", "30.27130007777777777777777", "0.0088888888888888888888",
                               "4.9e-324",
                               "NaN", "1.5e5.5"});
    }
    std::string String() {
        std::string s = "\"";
        const int pieces = Pick(4);
        for (int i = 0; i < pieces; ++i)
            s += From(std::array{"2014-08-25 08:00:00", "abc", "\\\"", "\\\\", "\\/", "\\n", "\\u0041",
                                 "\\u4e00", "\\ud83d\\ude8c", "\\ud800", "\\ud800\\u0041", "\\udc00",
                                 "\\u0000", "\\x", "\\u12", "沪", "\xB2\xE2", "\x01", "\t"});
        return s + (Chance(99) ? "\"" : "");
    }
    std::string Value(int depth) {
        const int kind = depth > 4 ? Pick(4) : Pick(7);
        switch (kind) {
            case 0: return Number();
            case 1: return String();
            case 2: return From(std::array{"true", "false", "null", "tru", "nul"});
            case 3: return Chance(95) ? Number() : String();
            case 4: {
                if (Chance(2)) return std::string(300, '[') + std::string(300, ']');
                std::string a = "[";
                const int n = Pick(3);
                for (int i = 0; i < n; ++i) a += (i ? Comma() : "") + Value(depth + 1);
                return a + (Chance(3) ? "," : "") + "]";
            }
            default: {
                std::string o = "{";
                const int n = Pick(3);
                for (int i = 0; i < n; ++i)
                    o += (i ? Comma() : "") + String() + Blank() + ":" + Value(depth + 1);
                return o + "}";
            }
        }
    }
    std::string Fix() {
        std::string o = "{";
        const int n = Pick(8);
        for (int i = 0; i < n; ++i) {
            const std::string key = From(std::array{"gpst", "recvt", "lat", "lat_xz", "lng", "lng_xz",
                                                    "l\\u0061t", "speed", "lat", "lng"});
            std::string value;
            if (key == "gpst" || key == "recvt")
                value = Chance(85) ? "\"2014-08-25 08:00:0" + std::to_string(Pick(10)) + "\"" : Value(3);
            else
                value = Chance(85) ? Number() : Value(3);
            o += (i ? Comma() : "") + "\"" + key + "\"" + Blank() + ":" + Blank() + value;
        }
        return o + (Chance(2) ? "," : "") + "}";
    }
    std::string Topics() {
        std::string a = "[";
        const int n = Pick(6);
        for (int i = 0; i < n; ++i) a += (i ? Comma() : "") + (Chance(95) ? Fix() : Value(2));
        return a + (Chance(2) ? "," : "") + "]";
    }

    std::mt19937 rng_;
};

TEST(ReadTrackPoints, ReadsWhatJsonCppReadsOnThousandsOfGeneratedReplies) {
    ReplyGenerator generator(20140825);
    int withPoints = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string body = generator.Reply();
        const auto parsed = ParseDocument(body);
        const auto expected = parsed ? TrackPointsOf(*parsed) : std::vector<TrackPoint>{};
        const auto points = ReadTrackPoints(body);
        ASSERT_EQ(points.size(), expected.size()) << body;
        for (std::size_t k = 0; k < points.size(); ++k) {
            ASSERT_EQ(points[k].gpsTime, expected[k].gpsTime) << body;
            ASSERT_EQ(points[k].receiveTime, expected[k].receiveTime) << body;
            ASSERT_EQ(points[k].latitude, expected[k].latitude) << body;
            ASSERT_EQ(points[k].longitude, expected[k].longitude) << body;
        }
        withPoints += !points.empty();
    }
    EXPECT_GT(withPoints, 2000);  // the generator is not producing only refusals
}

}  // namespace
}  // namespace fw
