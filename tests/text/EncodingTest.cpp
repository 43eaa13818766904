#include <gtest/gtest.h>

#include "text/Encoding.h"

namespace fw {
namespace {

const std::string kUtf8 = "线路名称：一号线 A1";
const std::string kGbk = "\xCF\xDF\xC2\xB7\xC3\xFB\xB3\xC6\xA3\xBA\xD2\xBB\xBA\xC5\xCF\xDF A1";

TEST(Encoding, GbkRoundTripIsLossless) {
    EXPECT_EQ(Utf8ToGbk(kUtf8), kGbk);
    EXPECT_EQ(GbkToUtf8(kGbk), kUtf8);
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(kUtf8)), kUtf8);
}

TEST(Encoding, InvalidGbkBytesBecomeReplacementWithoutLosingNeighbours) {
    // A byte that is never valid, a lead byte whose trail is a blank, a truncated character.
    const std::string broken = std::string("a\xFF") + "b\x81 c" + "\xD2\xBB" + "\xCF";
    EXPECT_EQ(GbkToUtf8(broken), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" " c一\xEF\xBF\xBD");
}

TEST(Encoding, CharactersGbkLacksBecomeOneQuestionMarkEach) {
    EXPECT_EQ(Utf8ToGbk("x😀y"), "x?y");
    // Invalid UTF-8 input does not crash either.
    EXPECT_EQ(Utf8ToGbk(std::string("a\xFF") + "b"), "a?b");
}

TEST(Encoding, Utf8WireCharsetPassesBytesThrough) {
    TextCodec codec("UTF-8");
    EXPECT_FALSE(codec.IsDoubleByte());
    EXPECT_EQ(codec.FromUtf8(kUtf8), kUtf8);
    EXPECT_EQ(codec.ToUtf8(kUtf8), kUtf8);
}

TEST(Encoding, UnknownCharsetIsReportedAndHarmless) {
    TextCodec codec("NO-SUCH-CHARSET");
    EXPECT_FALSE(codec.IsValid());
    EXPECT_EQ(codec.ToUtf8("abc"), "abc");
}

TEST(Encoding, TruncateUtf8NeverSplitsACharacter) {
    EXPECT_EQ(TruncateUtf8("abc", 5), "abc");
    EXPECT_EQ(TruncateUtf8("ab线路", 4), "ab");   // 线 is three bytes: 2..4
    EXPECT_EQ(TruncateUtf8("ab线路", 5), "ab线");
}

}  // namespace
}  // namespace fw
