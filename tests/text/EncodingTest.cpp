#include <gtest/gtest.h>

#include <ostream>

#include "text/Encoding.h"

namespace fw {
namespace {

const std::string kUtf8 = "线路名称：一号线 A1";
const std::string kGbk = "\xCF\xDF\xC2\xB7\xC3\xFB\xB3\xC6\xA3\xBA\xD2\xBB\xBA\xC5\xCF\xDF A1";
const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

struct DecodeCase {
    const char* name;
    const char* charset;
    std::string wire;
    std::string utf8;
    friend std::ostream& operator<<(std::ostream& os, const DecodeCase& c) { return os << c.name; }
};

class Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, WireBytesBecomeUtf8) {
    TextCodec codec(GetParam().charset);
    ASSERT_TRUE(codec.IsValid());
    EXPECT_EQ(codec.ToUtf8(GetParam().wire), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, Decode,
    testing::Values(
        DecodeCase{"Gbk", "GBK", kGbk, kUtf8},
        // A byte that is never valid, a lead byte whose trail is a blank, a truncated character:
        // each one replacement, no neighbour lost.
        DecodeCase{"GbkBroken", "gbk", std::string("a\xFF") + "b\x81 c\xD2\xBB\xCF",
                   "a" + kBad + "b" + kBad + " c一" + kBad},
        // An unassigned pair is one character to the framer: its '{' trail must not reappear.
        DecodeCase{"GbkUnassignedPair", "CP936", "\xA1{}", kBad + "}"},
        DecodeCase{"GbkEuro", "GBK", "\x80", "€"},
        DecodeCase{"Gb18030FourBytes", "GB18030", "\x81\x30\x81\x30", "\xC2\x80"},
        DecodeCase{"Big5", "Big5", "\xA5\x5C", "功"},
        // The code page, not iconv's SHIFT_JIS, whose 0x5C is a yen sign.
        DecodeCase{"ShiftJis", "Shift_JIS", "\\\xB1\x83\x5C", "\\ｱソ"},
        DecodeCase{"Utf8PassesThrough", "UTF-8", kUtf8 + "\xFF", kUtf8 + "\xFF"}));

TEST(Encoding, Utf8ToGbkReplacesWhatGbkLacks) {
    EXPECT_EQ(Utf8ToGbk(kUtf8), kGbk);
    EXPECT_EQ(Utf8ToGbk("x😀y"), "x?y");
    EXPECT_EQ(Utf8ToGbk(std::string("a\xFF") + "b"), "a?b");  // invalid UTF-8 too
    EXPECT_EQ(TextCodec("Shift_JIS").FromUtf8("a\xF3\xA0\x80\x80" "b"), "a?b");  // iconv drops tags
}

TEST(Encoding, OnlySupportedCharsetsAreAccepted) {
    for (const char* name : {"GBK", "cp936", "GB2312", "GB18030", "BIG5", "cp950", "Shift_JIS",
                             "sjis", "CP932", "utf-8", "UTF8", " GBK "})
        EXPECT_EQ(CharsetRefusal(name), "") << name;
    for (const char* name : {"", "EUC-KR", "ISO-8859-1", "NO-SUCH-CHARSET"}) {
        const std::string refusal = CharsetRefusal(name);
        EXPECT_NE(refusal.find(std::string("Charset=") + name), std::string::npos) << refusal;
        TextCodec codec(name);
        EXPECT_FALSE(codec.IsValid()) << name;
        EXPECT_EQ(codec.ToUtf8("abc"), "abc");
    }
}

TEST(Encoding, TruncateUtf8NeverSplitsACharacter) {
    EXPECT_EQ(TruncateUtf8("abc", 5), "abc");
    EXPECT_EQ(TruncateUtf8("ab线路", 4), "ab");  // 线 is three bytes: 2..4
    EXPECT_EQ(TruncateUtf8("ab线路", 5), "ab线");
}

}  // namespace
}  // namespace fw
