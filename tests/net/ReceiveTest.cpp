// The receive path: the framer cuts the byte stream into documents, the pipeline reads and logs
// them, and the hold keeps them in order while a report run waits.
#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "net/DocumentHold.h"
#include "net/Framer.h"
#include "net/ReceivePipeline.h"
#include "text/Encoding.h"

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

class Recorder : public ReceiveHandler {
public:
    void WriteLog(std::string_view text) override { log.emplace_back(text); }
    bool Dispatch(Message& m) override {
        codes.push_back(m.code);
        bodies.push_back(m.body);
        if (m.code == throwOn) throw std::runtime_error("handler fault");
        return m.code != stopOn;
    }
    bool Logged(std::string_view part) const {
        for (const auto& line : log)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> log;
    std::vector<int> codes;
    std::vector<Json::Value> bodies;
    int throwOn = -1;
    int stopOn = -1;
};

std::string Doc(const char* cmd, const std::string& extra = "") {
    return std::string("{\"body\":{") + extra + "},\"header\":{\"cmd\":\"" + cmd + "\"}}\n";
}

// 1005 bytes that pass the framer and nest past JsonCpp's limit: it throws instead of failing.
std::string DeeplyNested() { return "{\"a\":" + std::string(999, '[') + "}"; }

class ReceivePipelineTest : public testing::Test {
protected:
    TextCodec gbk{"GBK"};
    ReceivePipeline pipeline{gbk};
    Recorder r;
};

TEST_F(ReceivePipelineTest, LogsEachReadThenEachDocumentInUtf8) {
    const std::string doc = Doc("1009", "\"groupname\":\"" + Utf8ToGbk("一组") + "\"");
    pipeline.OnRead(doc.substr(0, 20), r);
    pipeline.OnRead(doc.substr(20), r);
    ASSERT_EQ(r.log.size(), 3u);
    EXPECT_EQ(r.log[0], "接收：" + doc.substr(0, 20));
    EXPECT_EQ(r.log[1].rfind("接收：", 0), 0u);
    EXPECT_EQ(r.log[2] + "\n", GbkToUtf8(doc));
    EXPECT_EQ(r.codes, std::vector<int>{1009});
}

TEST_F(ReceivePipelineTest, DocumentsThatDoNotParseOrWhoseHandlingFailsAreDroppedAlone) {
    r.throwOn = 1011;
    pipeline.OnRead("{\"header\":\"broken\" \"x\"}" + DeeplyNested() + Doc("1011") + Doc("9001"), r);
    pipeline.OnRead(DeeplyNested(), r);
    pipeline.OnRead(Doc("1009"), r);
    EXPECT_EQ(r.codes, (std::vector<int>{1011, 9001, 1009}));
}

TEST_F(ReceivePipelineTest, EndingTheLoginDiscardsTheRestOfTheRead) {
    r.stopOn = 8000;
    pipeline.OnRead(Doc("8000") + Doc("1009") + "{\"header\":", r);
    EXPECT_EQ(r.codes, std::vector<int>{8000});
    EXPECT_EQ(pipeline.Buffered(), 0u);
}

// What the framer drops, an unbalanced or an oversize document, is logged, and the rest goes on.
TEST_F(ReceivePipelineTest, DroppedDocumentsAreLoggedAndDoNotSilenceTheRest) {
    pipeline.OnRead("{\"a\":{}\n", r);
    for (int i = 0; i < 2; ++i) pipeline.OnRead(Doc("1011"), r);
    EXPECT_TRUE(r.Logged("接收的报文不完整（8字节）"));
    pipeline.OnRead("{\"body\":{\"k\":\"" + std::string(std::size_t{9} << 20, 'x'), r);
    EXPECT_TRUE(r.Logged("已丢弃"));
    pipeline.OnRead("\"}}" + Doc("9001"), r);
    EXPECT_EQ(r.codes, (std::vector<int>{1011, 1011, 9001}));
}

TEST(ReceivePipeline, FramesByTheRulesOfTheConfiguredCharset) {
    // A half-width katakana before an escaped quote: GBK's rules would take it for a lead byte,
    // swallow the backslash and lose this document and the next.
    TextCodec sjis("Shift_JIS");
    ReceivePipeline pipeline(sjis);
    Recorder r;
    pipeline.OnRead(Doc("9001", "\"k\":\"\xB1\\\"\"") + Doc("1011"), r);
    ASSERT_EQ(r.codes, (std::vector<int>{9001, 1011}));
    EXPECT_EQ(Text(r.bodies[0], "k"), "ｱ\"");
}

// A handler whose documents act on the hold the way the client's do: 9019 begins a run (a new
// hold), 1 ends the login, 2 runs a modal box during which document 3 arrives and the running
// report ends.
class DocumentHoldTest : public testing::Test {
protected:
    static Message Doc(int code) {
        Message m;
        m.code = code;
        return m;
    }
    bool Receive(int code) {
        Message m = Doc(code);
        return hold.Receive(m);
    }
    bool Handle(Message& m) {
        handled.push_back(m.code);
        if (m.code == 9019) hold.Begin();
        if (m.code == 2) {
            Receive(3);
            hold.Release();
        }
        return m.code != 1;
    }

    std::vector<int> handled;
    DocumentHold hold{[this](Message& m) { return Handle(m); }};
};

TEST_F(DocumentHoldTest, DocumentsPassAtOnceUntilAHoldThenFollowInOrder) {
    EXPECT_TRUE(Receive(9017));
    hold.Begin();
    for (int code : {9021, 1009, 9017}) EXPECT_TRUE(Receive(code));
    EXPECT_EQ(hold.Waiting(), 3u);
    EXPECT_TRUE(hold.Release());
    EXPECT_EQ(handled, (std::vector<int>{9017, 9021, 1009, 9017}));
    EXPECT_FALSE(hold.Holding());
}

// A second run holds the rest; what arrives meanwhile queues behind them. A document arriving
// under a modal box keeps its place behind those that waited.
TEST_F(DocumentHoldTest, AWaitingRunOrAModalBoxHoldsTheDocumentsBehindIt) {
    hold.Begin();
    for (int code : {9017, 9019, 9021, 2, 4}) Receive(code);
    hold.Release();
    EXPECT_EQ(handled, (std::vector<int>{9017, 9019}));
    EXPECT_TRUE(hold.Holding());
    Receive(9023);
    hold.Release();
    EXPECT_EQ(handled, (std::vector<int>{9017, 9019, 9021, 2, 4, 9023, 3}));
}

TEST_F(DocumentHoldTest, EndedLoginDropsTheRest) {
    hold.Begin();
    for (int code : {9021, 1, 9021}) Receive(code);
    EXPECT_FALSE(hold.Release());
    EXPECT_EQ(handled, (std::vector<int>{9021, 1}));
    EXPECT_EQ(hold.Waiting(), 0u);
    // Logging out clears the hold: what comes next passes at once.
    hold.Begin();
    Receive(9021);
    hold.Clear();
    EXPECT_TRUE(Receive(9017));
    EXPECT_EQ(handled, (std::vector<int>{9021, 1, 9017}));
}

}  // namespace
}  // namespace fw
