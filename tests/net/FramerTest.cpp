#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Framer.h"

namespace fw {
namespace {

// Feeds the reads in order and returns, per read, the documents it completed.
std::vector<std::vector<std::string>> Frame(Framer& framer, const std::vector<std::string>& reads) {
    std::vector<std::vector<std::string>> out;
    for (const std::string& read : reads) {
        framer.Append(read);
        out.emplace_back();
        while (auto doc = framer.Next()) out.back().push_back(*doc);
    }
    return out;
}

using Reads = std::vector<std::string>;
using PerRead = std::vector<std::vector<std::string>>;

const std::string kA = R"({"header":{"cmd":"1011"},"body":{"code":"A1"}})";
const std::string kB = R"({"header":{"cmd":"1011"},"body":{"code":"B2"}})";

TEST(Framer, MessageSplitOverThreeReadsCompletesOnTheThird) {
    Framer f;
    EXPECT_EQ(Frame(f, {kA.substr(0, 10), kA.substr(10, 20), kA.substr(30)}),
              (PerRead{{}, {}, {kA}}));
}

TEST(Framer, TwoMessagesInOneReadComeOutInOrder) {
    Framer f;
    EXPECT_EQ(Frame(f, {kA + "\n" + kB + "\n"}), (PerRead{{kA, kB}}));
    EXPECT_EQ(f.Buffered(), 0u);
}

TEST(Framer, BytesBetweenDocumentsAreSkipped) {
    Framer f;
    // The newline that followed a document arrives at the start of the next read.
    EXPECT_EQ(Frame(f, {kA, "\n" + kB, "garbage\r\n" + kA}), (PerRead{{kA}, {kB}, {kA}}));
}

TEST(Framer, BracesInsideStringsDoNotCount) {
    const std::string doc = R"({"body":{"text":"unmatched } and { and \"}\" here"},"header":{}})";
    Framer f;
    EXPECT_EQ(Frame(f, {doc + kA}), (PerRead{{doc, kA}}));
}

TEST(Framer, GbkTrailBytesThatLookLikeBracesDoNotCount) {
    // 0x81 0x7B and 0x81 0x7D are GBK characters whose trail bytes are '{' and '}'; 0x81 0x5C
    // ends in '\', which must not escape the closing quote.
    const std::string doc = "{\"name\":\"\x81\x7B\x81\x7D\x81\x5C\"}";
    Framer f;
    EXPECT_EQ(Frame(f, {doc + kB}), (PerRead{{doc, kB}}));
    // Split between lead and trail byte.
    Framer g;
    EXPECT_EQ(Frame(g, {doc.substr(0, 10), doc.substr(10) + kB}), (PerRead{{}, {doc, kB}}));
}

TEST(Framer, SingleByteCharsetsHaveNoTrailBytes) {
    const std::string doc = "{\"k\":\"\xC3\xA9\"}";  // UTF-8 é: no byte of it is ASCII
    Framer f(false);
    EXPECT_EQ(Frame(f, {doc}), (PerRead{{doc}}));
}

TEST(Framer, ZeroByteDoesNotCutARead) {
    const std::string doc = std::string("{\"k\":\"a\0b\"}", 11);
    Framer f;
    EXPECT_EQ(Frame(f, {doc + kA}), (PerRead{{doc, kA}}));
}

TEST(Framer, ShortBalancedRunsAreDroppedNotHeld) {
    Framer f;
    EXPECT_EQ(Frame(f, {"{}" + kA, "{x}\n{\"\"}" + kB}), (PerRead{{kA}, {"{\"\"}", kB}}));
}

TEST(Framer, OversizePartialDocumentIsDroppedAndTheNextStillArrives) {
    Framer f(true, 1000);
    std::string big = R"({"body":{"k":")" + std::string(1500, 'x');
    EXPECT_EQ(Frame(f, {big}), (PerRead{{}}));
    EXPECT_EQ(f.TakeDroppedBytes(), big.size());
    EXPECT_EQ(f.TakeDroppedBytes(), 0u);
    // The rest of the dropped document, with an inner object that must not come out alone,
    // then a good document.
    EXPECT_EQ(Frame(f, {std::string(500, 'y') + R"(","inner":{"cmd":"9017"}}})" + "\n" + kA}),
              (PerRead{{kA}}));
    EXPECT_EQ(f.TakeDroppedBytes(), 0u);
}

TEST(Framer, DefaultCapIsEightMebibytes) {
    Framer f;
    std::string partial = "{\"k\":\"" + std::string(std::size_t{9} << 20, 'z');
    f.Append(partial);
    EXPECT_FALSE(f.Next());
    EXPECT_EQ(f.TakeDroppedBytes(), partial.size());
    f.Append("\"}" + kB);
    EXPECT_EQ(f.Next(), kB);
}

TEST(Framer, ManySmallReadsOfALargeDocumentScanEachByteOnce) {
    // A quadratic rescan would make this take seconds; it is here for correctness, the
    // benchmark covers speed.
    std::string doc = R"({"k":")" + std::string(2 << 20, 'q') + "\"}";
    Framer f;
    std::size_t pos = 0, produced = 0;
    while (pos < doc.size()) {
        f.Append(std::string_view(doc).substr(pos, 1000));
        pos += 1000;
        while (auto d = f.Next()) {
            ++produced;
            EXPECT_EQ(d->size(), doc.size());
        }
    }
    EXPECT_EQ(produced, 1u);
}

}  // namespace
}  // namespace fw
