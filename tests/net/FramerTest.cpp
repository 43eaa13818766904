#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "net/Framer.h"

namespace fw {
namespace {

using Reads = std::vector<std::string>;
using PerRead = std::vector<std::vector<std::string>>;
using Drops = std::vector<Framer::Drop>;
constexpr auto kIncomplete = Framer::Drop::Reason::Incomplete;
constexpr auto kTooLarge = Framer::Drop::Reason::TooLarge;

// Feeds the reads in order; per read, the documents it completed.
PerRead Frame(Framer& framer, const Reads& reads) {
    PerRead out;
    for (const std::string& read : reads) {
        framer.Append(read);
        out.emplace_back();
        while (auto doc = framer.Next()) out.back().push_back(*doc);
    }
    return out;
}

const std::string kA = R"({"header":{"cmd":"1011"},"body":{"code":"A1"}})";
const std::string kB = R"({"header":{"cmd":"1011"},"body":{"code":"B2"}})";
const std::string kBraces = R"({"body":{"text":"unmatched } and { and \"}\" here"},"header":{}})";
// GBK characters whose trail bytes are '{', '}' and '\', and one with a letter for its trail
// before an escaped quote.
const std::string kGbkTrails = "{\"name\":\"\x81\x7B\x81\x7D\x81\x5C\x81\x41\\\"\"}";
// Shift_JIS: a half-width katakana (one byte, 0xB1) before an escaped quote.
const std::string kKatakana = "{\"k\":\"\xB1\\\"\"}";

struct FrameCase {
    const char* name;
    CharsetFamily family;
    Reads reads;
    PerRead documents;
    Drops drops;
    friend std::ostream& operator<<(std::ostream& os, const FrameCase& c) { return os << c.name; }
};

class FramerCase : public testing::TestWithParam<FrameCase> {};

TEST_P(FramerCase, CutsTheStreamIntoDocuments) {
    Framer framer(GetParam().family);
    EXPECT_EQ(Frame(framer, GetParam().reads), GetParam().documents);
    EXPECT_EQ(framer.TakeDrops(), GetParam().drops);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, FramerCase,
    testing::Values(
        FrameCase{"SplitOverThreeReads", CharsetFamily::Gbk,
                  {kA.substr(0, 10), kA.substr(10, 20), kA.substr(30)}, {{}, {}, {kA}}, {}},
        FrameCase{"TwoInOneReadInOrder", CharsetFamily::Gbk, {kA + "\n" + kB + "\n"}, {{kA, kB}}, {}},
        // The newline after a document may arrive at the start of the next read.
        FrameCase{"BytesBetweenDocumentsSkipped", CharsetFamily::Gbk,
                  {kA, "\n" + kB, "garbage\r\n" + kA}, {{kA}, {kB}, {kA}}, {}},
        FrameCase{"BracesInsideStrings", CharsetFamily::Gbk, {kBraces + kA}, {{kBraces, kA}}, {}},
        FrameCase{"GbkTrailBytes", CharsetFamily::Gbk, {kGbkTrails + kB}, {{kGbkTrails, kB}}, {}},
        FrameCase{"GbkPairSplitBetweenReads", CharsetFamily::Gbk,
                  {kGbkTrails.substr(0, 10), kGbkTrails.substr(10) + kB}, {{}, {kGbkTrails, kB}}, {}},
        FrameCase{"Gb18030FourByteAndPairs", CharsetFamily::Gb18030,
                  {"{\"k\":\"\x81\x30\x81\x30\x81\x5C\"}" + kB},
                  {{"{\"k\":\"\x81\x30\x81\x30\x81\x5C\"}", kB}}, {}},
        FrameCase{"Big5TrailBackslash", CharsetFamily::Big5, {"{\"k\":\"\xA5\x5C\"}" + kB},
                  {{"{\"k\":\"\xA5\x5C\"}", kB}}, {}},
        FrameCase{"ShiftJisKatakanaIsOneByte", CharsetFamily::ShiftJis, {kKatakana + kB},
                  {{kKatakana, kB}}, {}},
        FrameCase{"ShiftJisTrailBackslash", CharsetFamily::ShiftJis,
                  {"{\"k\":\"\x83\x5C\"}" + kB}, {{"{\"k\":\"\x83\x5C\"}", kB}}, {}},
        FrameCase{"Utf8HasNoAsciiTrailBytes", CharsetFamily::Ascii, {"{\"k\":\"\xC3\xA9\"}"},
                  {{"{\"k\":\"\xC3\xA9\"}"}}, {}},
        FrameCase{"ZeroByteDoesNotCutARead", CharsetFamily::Gbk,
                  {std::string("{\"k\":\"a\0b\"}", 11) + kA},
                  {{std::string("{\"k\":\"a\0b\"}", 11), kA}}, {}},
        FrameCase{"ShortBalancedRunsDropped", CharsetFamily::Gbk, {"{}" + kA, "{x}\n{\"\"}" + kB},
                  {{kA}, {"{\"\"}", kB}}, {}},
        // An unbalanced document gives way to the next one at the start of a line, even inside
        // what looked like a string, and even when the line feed ended the previous read.
        FrameCase{"UnbalancedDocumentGivesWay", CharsetFamily::Gbk,
                  {"{\"a\":{}\n" + kA + "\n", kB}, {{kA}, {kB}}, {{kIncomplete, 8}}},
        FrameCase{"UnterminatedStringGivesWay", CharsetFamily::Gbk, {"{\"a\":\"x\n", kA},
                  {{}, {kA}}, {{kIncomplete, 8}}},
        // Inside a document a '{' after a blank or on the same line is an inner object.
        FrameCase{"IndentedBraceIsInner", CharsetFamily::Gbk, {"{\"a\":\n  {\"b\":1}\n}" + kA},
                  {{"{\"a\":\n  {\"b\":1}\n}", kA}}, {}}));

TEST(Framer, OversizePartialDocumentIsDroppedAndItsRestSkipped) {
    Framer f(CharsetFamily::Gbk, 1000);
    const std::string big = R"({"body":{"k":")" + std::string(1500, 'x');
    EXPECT_EQ(Frame(f, {big}), (PerRead{{}}));
    EXPECT_EQ(f.TakeDrops(), (Drops{{kTooLarge, big.size()}}));
    // Its rest holds an inner object that must not come out alone; the skip ends where the
    // dropped document balances.
    EXPECT_EQ(Frame(f, {std::string(500, 'y') + R"(","inner":{"cmd":"9017"}}})" + kA}),
              (PerRead{{kA}}));
    EXPECT_TRUE(f.TakeDrops().empty());
}

TEST(Framer, SkippingAnOversizeDocumentThatNeverBalancesEndsAtTheNextLine) {
    Framer f;  // the real cap
    std::string unbalanced = "{\"a\":{}" + std::string(std::size_t{9} << 20, '{');
    EXPECT_EQ(Frame(f, {unbalanced, "}}}" + kA, "\n" + kB + "\n", kA}), (PerRead{{}, {}, {kB}, {kA}}));
    EXPECT_EQ(f.TakeDrops(), (Drops{{kTooLarge, unbalanced.size()}}));
}

TEST(Framer, ManySmallReadsOfALargeDocumentScanEachByteOnce) {
    // A quadratic rescan would make this take seconds; it is here for correctness, the
    // benchmark covers speed.
    const std::string doc = R"({"k":")" + std::string(2 << 20, 'q') + "\"}";
    Framer f;
    std::vector<std::size_t> sizes;
    for (std::size_t pos = 0; pos < doc.size(); pos += 1000) {
        f.Append(std::string_view(doc).substr(pos, 1000));
        while (auto d = f.Next()) sizes.push_back(d->size());
    }
    EXPECT_EQ(sizes, std::vector<std::size_t>{doc.size()});
}

}  // namespace
}  // namespace fw
