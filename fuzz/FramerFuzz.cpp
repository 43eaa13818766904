// The framer gives the same documents and drops, in the same order, however the stream is cut
// into reads: in one read, byte by byte, or at random cuts; and the same as a plain byte-by-byte
// reading of its rules, without the fast paths.
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "net/Framer.h"

namespace {

using fw::Framer;

template <typename Cut>
std::vector<std::string> Frame(fw::CharsetFamily family, std::string_view stream, Cut nextRead) {
    Framer framer(family);
    std::vector<std::string> events;
    std::size_t at = 0;
    while (at < stream.size()) {
        const std::size_t n = std::min(nextRead(), stream.size() - at);
        framer.Append(stream.substr(at, n));
        at += n;
        for (;;) {
            auto doc = framer.Next();
            for (const auto& drop : framer.TakeDrops())
                events.push_back("drop " + std::to_string(drop.bytes));
            if (!doc) break;
            if (doc->size() < 4 || doc->front() != '{' || doc->back() != '}')
                fw::fuzz::Fail("a document is not a braced run of four bytes or more", *doc);
            events.push_back(std::move(*doc));
        }
        if (framer.Buffered() > at) fw::fuzz::Fail("the framer holds more than it was given");
    }
    return events;
}

// The framing rules read one byte at a time, as simply as they can be written.
std::vector<std::string> Reference(fw::CharsetFamily family, std::string_view stream) {
    std::vector<std::string> events;
    fw::CharacterScanner scanner(family);
    bool inDocument = false, inString = false, escaped = false, afterLineFeed = false;
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        const auto b = static_cast<unsigned char>(stream[i]);
        if (!inDocument) {
            if (b != '{') continue;
            inDocument = true;
            start = i;
            scanner.Reset();
            inString = escaped = afterLineFeed = false;
            depth = 0;
        } else if (b == '{' && afterLineFeed) {
            events.push_back("drop " + std::to_string(i - start));
            start = i;
            scanner.Reset();
            inString = escaped = false;
            depth = 0;
        }
        afterLineFeed = b == '\n';
        if (scanner.Continues(b)) continue;
        if (inString) {
            if (escaped) escaped = false;
            else if (b == '\\') escaped = true;
            else if (b == '"') inString = false;
        } else if (b == '"') {
            inString = true;
        } else if (b == '{') {
            ++depth;
        } else if (b == '}' && --depth == 0) {
            inDocument = false;
            if (i + 1 - start >= 4) events.emplace_back(stream.substr(start, i + 1 - start));
        }
    }
    return events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const auto family = static_cast<fw::CharsetFamily>(data[0] % 5);
    fw::fuzz::Rng rng(data[1]);
    const std::string_view stream(reinterpret_cast<const char*>(data) + 2, size - 2);

    const auto whole = Frame(family, stream, [&] { return stream.size(); });
    if (Reference(family, stream) != whole) fw::fuzz::Fail("the framer differs from its rules read plainly");
    if (Frame(family, stream, [] { return std::size_t{1}; }) != whole)
        fw::fuzz::Fail("byte-by-byte reads differ from one read");
    if (Frame(family, stream, [&] { return 1 + rng.Below(64); }) != whole)
        fw::fuzz::Fail("random cuts differ from one read");

    // A small cap: documents may then depend on the cuts, but nothing may go wrong.
    Framer small(family, 16);
    for (std::size_t at = 0; at < stream.size(); at += 7) {
        small.Append(stream.substr(at, 7));
        while (small.Next()) {
        }
        small.TakeDrops();
    }
    return 0;
}
