#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/Charset.h"

namespace fw {

// Converts between UTF-8 (every text inside the program) and the wire charset of the dispatch
// server (GBK unless conf.ini says otherwise). Invalid input never fails: an undecodable
// character becomes one U+FFFD on the way in, cut by the same rules the framer follows (so a
// broken pair never frees a trail byte that looks like '{' or '\'), and a character the wire
// charset lacks becomes '?' on the way out.
class TextCodec {
public:
    explicit TextCodec(std::string charset = "GBK");
    ~TextCodec();
    TextCodec(const TextCodec&) = delete;
    TextCodec& operator=(const TextCodec&) = delete;

    const std::string& Charset() const { return charset_; }
    // How the charset builds multibyte characters; an unsupported one counts as ASCII-safe.
    CharsetFamily Family() const { return family_; }
    // False for a charset that is not supported; the codec then passes bytes through unchanged.
    bool IsValid() const { return valid_; }

    std::string ToUtf8(std::string_view wire) const;
    std::string FromUtf8(std::string_view utf8) const;
    // The characters of a UTF-8 text that the charset cannot carry (each once, in order of
    // appearance): on the wire each would become '?'.
    std::vector<std::string> Unsendable(std::string_view utf8) const;

private:
    std::string charset_;
    CharsetFamily family_ = CharsetFamily::Ascii;
    bool passThrough_ = false;
    bool valid_ = true;
    void* toUtf8_ = nullptr;    // iconv_t
    void* fromUtf8_ = nullptr;  // iconv_t
};

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// Cuts text to at most maxBytes without splitting a UTF-8 character.
std::string_view TruncateUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace fw
