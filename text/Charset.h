#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

// How a charset builds its multibyte characters, as far as telling ASCII bytes from the bytes
// of a multibyte character needs. In these double-byte charsets a trail byte can be '{', '}'
// or '\', which must never be taken for JSON punctuation.
enum class CharsetFamily {
    Ascii,     // every byte below 0x80 stands for itself (UTF-8)
    Gbk,       // lead 81-FE, trail 40-7E 80-FE
    Gb18030,   // as GBK, plus four bytes: lead, 30-39, 81-FE, 30-39
    Big5,      // lead 81-FE, trail 40-7E A1-FE
    ShiftJis,  // lead 81-9F E0-FC, trail 40-7E 80-FC; A1-DF are single half-width katakana
};

// A charset the dispatch server may speak.
struct WireCharset {
    std::string_view name;       // as the user writes it: "Shift_JIS"
    std::string_view iconvName;  // the Windows code page the server really uses: "CP932"
    CharsetFamily family;
};

// The supported charset of this name or one of its aliases (letter case ignored), else nothing.
std::optional<WireCharset> FindWireCharset(std::string_view name);

// Empty when the charset is supported; otherwise the message that refuses it, naming the
// supported ones.
std::string CharsetRefusal(std::string_view name);

// Follows a byte stream one byte at a time and tells which bytes continue a multibyte
// character. A lead byte not followed by a valid trail stands alone, and the byte after it is
// read afresh; the decoder (TextCodec) cuts characters by the same rules.
class CharacterScanner {
public:
    explicit CharacterScanner(CharsetFamily family = CharsetFamily::Ascii) : family_(family) {}

    // True when the byte belongs to a character begun by earlier bytes. A lead byte itself is
    // never below 0x80, so callers looking for ASCII need no other test.
    bool Continues(unsigned char byte);
    void Reset() { state_ = State::Start; }
    // True between characters: no byte seen so far waits for the rest of its character.
    bool AtCharacterStart() const { return state_ == State::Start; }
    CharsetFamily Family() const { return family_; }
    // The smallest byte that may begin a multibyte character: bytes below it stand for themselves.
    unsigned char FirstLead() const { return family_ == CharsetFamily::Ascii ? 0xFF : 0x81; }

    // Length of the character at the start of bytes by these rules: 1 to 4, 0 for no bytes.
    static std::size_t CharacterLength(CharsetFamily family, std::string_view bytes);

private:
    enum class State { Start, Lead, FourSecond, FourThird };
    CharsetFamily family_;
    State state_ = State::Start;
};

}  // namespace fw
