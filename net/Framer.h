#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/Charset.h"

namespace fw {

// Cuts the byte stream from the dispatch server into JSON documents. A document runs from a '{'
// to the '}' that balances it; braces inside strings do not count, nor does a byte of a
// multibyte character of the wire charset (a GBK, Big5 or Shift_JIS trail byte can be '{', '}'
// or '\'). Bytes between documents are skipped. Complete documents are taken out as they
// arrive, so only one partial document is ever held.
//
// The server's writer puts only the braces of a top-level document at the start of a line, and
// a raw line break cannot stand inside a JSON string, so a '{' right after a line feed always
// begins a new document: a partial document still open there is given up (an unbalanced
// document never holds back the ones after it). A partial document that grows past the cap is
// given up too, and its rest skipped until it balances or the next document begins.
class Framer {
public:
    static constexpr std::size_t kDefaultMaxPartial = std::size_t{8} << 20;

    explicit Framer(CharsetFamily family = CharsetFamily::Gbk,
                    std::size_t maxPartial = kDefaultMaxPartial);

    void Append(std::string_view bytes);
    // The next complete document (raw wire bytes), or nothing until more bytes arrive.
    std::optional<std::string> Next();

    // A partial document given up: cut short by the next document, or grown past the cap.
    struct Drop {
        enum class Reason { Incomplete, TooLarge };
        Reason reason;
        std::size_t bytes;
        friend bool operator==(const Drop&, const Drop&) = default;
    };
    // The documents given up since the last call, in stream order. A drop reported together
    // with a document from Next() came before it.
    std::vector<Drop> TakeDrops();

    std::size_t Buffered() const { return buffer_.size() - consumed_; }
    void Clear();

private:
    enum class Mode { Between, InDocument, Skipping };

    bool Step(unsigned char byte);  // true when the byte closes the document
    void ResetScan();
    void Compact();

    CharacterScanner scanner_;
    std::size_t maxPartial_;
    std::string buffer_;
    std::size_t consumed_ = 0;  // bytes at the front already taken out or skipped
    std::size_t scanned_ = 0;   // scan position inside the current document
    Mode mode_ = Mode::Between;
    std::vector<Drop> drops_;
    int depth_ = 0;
    bool inString_ = false;
    bool escaped_ = false;
    bool afterLineFeed_ = false;  // the byte before scanned_ was '\n'
};

}  // namespace fw
