#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

// Cuts the byte stream from the dispatch server into JSON documents. A document runs from a '{'
// to the '}' that balances it; braces inside strings do not count, nor does the trail byte of a
// double-byte character (a GBK trail byte can be '{', '}' or '\'). Bytes between documents are
// skipped. Complete documents are taken out as they arrive, so only one partial document is
// ever held; one that grows past the cap is dropped and the rest of it skipped as it arrives.
class Framer {
public:
    static constexpr std::size_t kDefaultMaxPartial = std::size_t{8} << 20;

    explicit Framer(bool doubleByteCharset = true, std::size_t maxPartial = kDefaultMaxPartial);

    void Append(std::string_view bytes);
    // The next complete document (raw wire bytes), or nothing until more bytes arrive.
    std::optional<std::string> Next();
    // Size of the partial documents dropped for growing past the cap since the last call.
    std::size_t TakeDroppedBytes();

    std::size_t Buffered() const { return buffer_.size() - consumed_; }
    void Clear();

private:
    bool Step(unsigned char byte);  // true when the byte closes the document
    void ResetScan();
    void Compact();

    bool doubleByte_;
    std::size_t maxPartial_;
    std::string buffer_;
    std::size_t consumed_ = 0;  // bytes at the front already taken out or skipped
    std::size_t scanned_ = 0;   // scan position inside the current document
    bool inDocument_ = false;   // a '{' at consumed_ opened a document
    bool discarding_ = false;   // skipping the rest of a dropped document
    std::size_t dropped_ = 0;
    int depth_ = 0;
    bool inString_ = false;
    bool escaped_ = false;
    bool leadByte_ = false;  // the previous byte opened a double-byte character
};

}  // namespace fw
