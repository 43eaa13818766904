// The wire charset converters: decoding gives valid UTF-8 and keeps exactly the ASCII
// punctuation the framer sees (so a framed document parses as it was framed), and encoding then
// decoding keeps the number of characters.
#include <string>

#include "fuzz/FuzzSupport.h"
#include "text/Charset.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kCharsets[] = {"GBK", "GB18030", "Big5", "Shift_JIS", "UTF-8"};

bool IsFraming(unsigned char c) { return c == '{' || c == '}' || c == '"' || c == '\\' || c == '\n'; }

// Code points of valid UTF-8, or -1.
long CountUtf8(std::string_view s) {
    long count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return -1;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return -1;
        i += n;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const fw::TextCodec codec(kCharsets[data[0] % 5]);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const bool ascii = codec.Family() == fw::CharsetFamily::Ascii;

    const std::string utf8 = codec.ToUtf8(bytes);
    if (!ascii && CountUtf8(utf8) < 0) fw::fuzz::Fail("decoding gave invalid UTF-8", utf8);
    std::string framed, decoded;
    fw::CharacterScanner scanner(codec.Family());
    for (const char c : bytes)
        if (!scanner.Continues(static_cast<unsigned char>(c)) && IsFraming(static_cast<unsigned char>(c)))
            framed += c;
    for (const char c : utf8)
        if (IsFraming(static_cast<unsigned char>(c))) decoded += c;
    if (framed != decoded) fw::fuzz::Fail("framing and decoding see different punctuation", bytes);

    const long characters = CountUtf8(bytes);
    if (characters >= 0 && !ascii) {
        const std::string back = codec.ToUtf8(codec.FromUtf8(bytes));
        if (CountUtf8(back) != characters) fw::fuzz::Fail("a round trip changed the character count", bytes);
    }
    return 0;
}
