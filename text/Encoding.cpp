#include "text/Encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace fw {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

std::size_t Utf8SequenceLength(const char* p, std::size_t left) {
    const auto lead = static_cast<unsigned char>(*p);
    std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    n = std::min(n, left);
    for (std::size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return i;
    return n;
}

// Runs iconv over the whole input; on an invalid or incomplete sequence writes the replacement
// and skips the offending character: as the framer cuts characters of the legacy charset, or a
// whole UTF-8 sequence (one '?' per unrepresentable character).
std::string Convert(iconv_t cd, std::string_view in, std::string_view replacement,
                    std::optional<CharsetFamily> legacyInput) {
    std::string out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (srcLeft > 0) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {  // EILSEQ or EINVAL
            if (out.size() - used < replacement.size()) out.resize(out.size() * 2);
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            const std::size_t skip =
                legacyInput ? CharacterScanner::CharacterLength(*legacyInput, {src, srcLeft})
                            : Utf8SequenceLength(src, srcLeft);
            src += skip;
            srcLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    // Flush any shift state (none for GBK, but cheap and correct for stateful charsets).
    for (;;) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        size_t r = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != static_cast<size_t>(-1) || errno != E2BIG) break;
        out.resize(out.size() * 2);
    }
    out.resize(used);
    return out;
}

// glibc's converters drop the tag characters U+E0000..U+E007F in silence where the target cannot
// hold them; give them the '?' of every other unrepresentable character, so that a name never
// loses a character unnoticed and Unsendable() names them.
std::string MarkTagCharacters(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (utf8.compare(i, 2, "\xF3\xA0") == 0 && i + 3 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 2]) & 0xFE) == 0x80 &&
            (static_cast<unsigned char>(utf8[i + 3]) & 0xC0) == 0x80) {
            out += '?';
            i += 4;
        } else {
            out += utf8[i++];
        }
    }
    return out;
}

}  // namespace

TextCodec::TextCodec(std::string charset) : charset_(std::move(charset)) {
    const auto wire = FindWireCharset(charset_);
    if (!wire) {
        valid_ = false;
        passThrough_ = true;
        return;
    }
    family_ = wire->family;
    if (wire->family == CharsetFamily::Ascii) {
        passThrough_ = true;
        return;
    }
    const std::string name(wire->iconvName);
    iconv_t in = iconv_open("UTF-8", name.c_str());
    iconv_t out = iconv_open(name.c_str(), "UTF-8");
    if (in == kNoConverter || out == kNoConverter) {
        if (in != kNoConverter) iconv_close(in);
        if (out != kNoConverter) iconv_close(out);
        valid_ = false;
        passThrough_ = true;
        return;
    }
    toUtf8_ = in;
    fromUtf8_ = out;
}

TextCodec::~TextCodec() {
    if (toUtf8_) iconv_close(static_cast<iconv_t>(toUtf8_));
    if (fromUtf8_) iconv_close(static_cast<iconv_t>(fromUtf8_));
}

std::string TextCodec::ToUtf8(std::string_view wire) const {
    if (passThrough_) return std::string(wire);
    // Plain ASCII is the same in both charsets; skip iconv for it.
    if (std::all_of(wire.begin(), wire.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::string(wire);
    return Convert(static_cast<iconv_t>(toUtf8_), wire, "\xEF\xBF\xBD", family_);
}

std::string TextCodec::FromUtf8(std::string_view utf8) const {
    if (passThrough_) return std::string(utf8);
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::string(utf8);
    if (family_ != CharsetFamily::Gb18030 && utf8.find("\xF3\xA0") != std::string_view::npos)
        return Convert(static_cast<iconv_t>(fromUtf8_), MarkTagCharacters(utf8), "?", std::nullopt);
    return Convert(static_cast<iconv_t>(fromUtf8_), utf8, "?", std::nullopt);
}

std::vector<std::string> TextCodec::Unsendable(std::string_view utf8) const {
    std::vector<std::string> out;
    if (passThrough_) return out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = Utf8SequenceLength(utf8.data() + i, utf8.size() - i);
        const std::string_view character = utf8.substr(i, n);
        i += n;
        if (static_cast<unsigned char>(character[0]) < 0x80) continue;
        if (FromUtf8(character) == "?" && std::find(out.begin(), out.end(), character) == out.end())
            out.emplace_back(character);
    }
    return out;
}

std::string GbkToUtf8(std::string_view gbk) {
    static thread_local TextCodec codec("GBK");
    return codec.ToUtf8(gbk);
}

std::string Utf8ToGbk(std::string_view utf8) {
    static thread_local TextCodec codec("GBK");
    return codec.FromUtf8(utf8);
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string_view TruncateUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t cut = maxBytes;
    // Step back over continuation bytes to the start of the character that straddles the cut.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

}  // namespace fw
