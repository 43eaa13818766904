#include "reports/TrackReader.h"

#include <charconv>
#include <string>
#include <utility>

#include "text/Strings.h"

namespace fw {
namespace {

// A reply of a 16-hour day holds over ten thousand fixes. Building a JsonCpp tree of it and
// tearing it down again cost more than the whole rest of a report run, so the reply is read in
// one pass here, keeping only what the detection uses. The reading accepts what JsonCpp's reader
// accepts for such a reply (comments, members in any order, the last of duplicate members wins,
// anything after the root value ignored) and rejects the same broken documents.
class TrackScanner {
public:
    explicit TrackScanner(std::string_view text)
        : p_(text.data()), end_(text.data() + text.size()) {}

    std::vector<TrackPoint> Read() {
        std::vector<TrackPoint> points;
        points.reserve(static_cast<std::size_t>(end_ - p_) / 128);  // about one fix per line
        SkipBlanks();
        if (!Peek('{')) return points;  // any other root has no `result`
        bool result = false;
        if (!ReadRoot(result, points) || !result) points.clear();
        return points;
    }

private:
    enum class Kind { Null, True, False, Number, String, Other };

    // One coordinate term of a fix: a number, or unusable.
    struct Term {
        double value = 0.0;
        bool usable = true;
    };

    static constexpr int kDepthLimit = 1000;

    bool Peek(char c) const { return p_ < end_ && *p_ == c; }

    bool SkipBlanks() {
        while (p_ < end_) {
            const char c = *p_;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++p_;
            } else if (c == '/' && p_ + 1 < end_ && p_[1] == '/') {
                while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
            } else if (c == '/' && p_ + 1 < end_ && p_[1] == '*') {
                const std::string_view rest(p_ + 2, static_cast<std::size_t>(end_ - p_ - 2));
                const auto close = rest.find("*/");
                if (close == std::string_view::npos) return false;
                p_ += 2 + close + 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool Take(char c) {
        if (!SkipBlanks() || !Peek(c)) return false;
        ++p_;
        return true;
    }

    bool TakeWord(std::string_view word) {
        if (static_cast<std::size_t>(end_ - p_) < word.size() ||
            std::string_view(p_, word.size()) != word)
            return false;
        p_ += word.size();
        return true;
    }

    static void AppendUtf8(std::string& out, unsigned cp) {
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

    bool ReadHex4(unsigned& value) {
        if (end_ - p_ < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = *p_++;
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    // At the opening quote. With out null the text is only checked.
    bool ReadString(std::string* out) {
        ++p_;
        while (p_ < end_) {
            const char* run = p_;
            while (p_ < end_ && *p_ != '"' && *p_ != '\\') ++p_;
            if (out != nullptr) out->append(run, static_cast<std::size_t>(p_ - run));
            if (p_ >= end_) return false;
            if (*p_ == '"') {
                ++p_;
                return true;
            }
            if (++p_ >= end_) return false;
            const char e = *p_++;
            char plain = 0;
            switch (e) {
                case '"':
                    plain = '"';
                    break;
                case '\\':
                    plain = '\\';
                    break;
                case '/':
                    plain = '/';
                    break;
                case 'b':
                    plain = '\b';
                    break;
                case 'f':
                    plain = '\f';
                    break;
                case 'n':
                    plain = '\n';
                    break;
                case 'r':
                    plain = '\r';
                    break;
                case 't':
                    plain = '\t';
                    break;
                case 'u': {
                    unsigned cp = 0;
                    if (!ReadHex4(cp)) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        unsigned low = 0;
                        if (!TakeWord("\\u") || !ReadHex4(low) || low < 0xDC00 || low > 0xDFFF)
                            return false;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    if (out != nullptr) AppendUtf8(*out, cp);
                    continue;
                }
                default:
                    return false;
            }
            if (out != nullptr) *out += plain;
        }
        return false;
    }

    bool ReadNumber(double& value) {
        const char* start = p_;
        if (Peek('-')) ++p_;
        const char* digits = p_;
        while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
        if (p_ == digits) return false;
        if (Peek('.')) {
            ++p_;
            const char* fraction = p_;
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
            if (p_ == fraction) return false;
        }
        if (Peek('e') || Peek('E')) {
            ++p_;
            if (Peek('+') || Peek('-')) ++p_;
            const char* exponent = p_;
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
            if (p_ == exponent) return false;
        }
        const auto [ptr, ec] = std::from_chars(start, p_, value);
        return ec == std::errc() && ptr == p_;
    }

    // Any value; its kind, and for numbers the value, for strings the text when asked for.
    bool ReadValue(Kind& kind, double* number, std::string* text, int depth) {
        if (depth > kDepthLimit || !SkipBlanks() || p_ >= end_) return false;
        switch (*p_) {
            case '{':
                kind = Kind::Other;
                return SkipObject(depth + 1);
            case '[':
                kind = Kind::Other;
                return SkipArray(depth + 1);
            case '"':
                kind = Kind::String;
                return ReadString(text);
            case 't':
                kind = Kind::True;
                return TakeWord("true");
            case 'f':
                kind = Kind::False;
                return TakeWord("false");
            case 'n':
                kind = Kind::Null;
                return TakeWord("null");
            default: {
                kind = Kind::Number;
                double ignored = 0.0;
                return ReadNumber(number != nullptr ? *number : ignored);
            }
        }
    }

    bool SkipValue(int depth) {
        Kind kind;
        return ReadValue(kind, nullptr, nullptr, depth);
    }

    // Walks the members of an object; onMember(key) must read the member's value.
    template <typename OnMember>
    bool ReadMembers(int depth, OnMember onMember) {
        if (depth > kDepthLimit || !Take('{')) return false;
        if (!SkipBlanks()) return false;
        if (Peek('}')) {
            ++p_;
            return true;
        }
        std::string key;
        for (;;) {
            if (!SkipBlanks() || !Peek('"')) return false;
            key.clear();
            if (!ReadString(&key) || !Take(':') || !onMember(key)) return false;
            if (!SkipBlanks() || p_ >= end_) return false;
            if (*p_ == ',') {
                ++p_;
                if (!SkipBlanks()) return false;
                if (Peek('}')) {  // a trailing comma, as JsonCpp lets through
                    ++p_;
                    return true;
                }
                continue;
            }
            if (*p_ == '}') {
                ++p_;
                return true;
            }
            return false;
        }
    }

    template <typename OnElement>
    bool ReadElements(int depth, OnElement onElement) {
        if (depth > kDepthLimit || !Take('[')) return false;
        if (!SkipBlanks()) return false;
        if (Peek(']')) {
            ++p_;
            return true;
        }
        for (;;) {
            if (!onElement()) return false;
            if (!SkipBlanks() || p_ >= end_) return false;
            if (*p_ == ',') {
                ++p_;
                if (!SkipBlanks()) return false;
                if (Peek(']')) {
                    ++p_;
                    return true;
                }
                continue;
            }
            if (*p_ == ']') {
                ++p_;
                return true;
            }
            return false;
        }
    }

    bool SkipObject(int depth) {
        return ReadMembers(depth, [&](const std::string&) { return SkipValue(depth); });
    }

    bool SkipArray(int depth) {
        return ReadElements(depth, [&] { return SkipValue(depth); });
    }

    // `result` reads true when it is JSON true, a non-zero number or a non-empty string.
    bool ReadTruth(bool& truth, int depth) {
        Kind kind;
        double number = 0.0;
        std::string text;
        if (!ReadValue(kind, &number, &text, depth)) return false;
        truth = kind == Kind::True || (kind == Kind::Number && number != 0.0) ||
                (kind == Kind::String && !text.empty());
        return true;
    }

    bool ReadTerm(Term& term, int depth) {
        Kind kind;
        double number = 0.0;
        if (!ReadValue(kind, &number, nullptr, depth)) return false;
        term = {};
        switch (kind) {
            case Kind::Null:
                break;
            case Kind::True:
                term.value = 1.0;
                break;
            case Kind::False:
                break;
            // Each term as "%f" prints it and atof reads it back: rounded to six decimals.
            case Kind::Number:
                term.value = AtofLike(FormatFixed6(number));
                break;
            case Kind::String:
            case Kind::Other:
                term.usable = false;
                break;
        }
        return true;
    }

    bool ReadTime(std::string& time, int depth) {
        time.clear();
        Kind kind;
        return ReadValue(kind, nullptr, SkipBlanks() && Peek('"') ? &time : nullptr, depth);
    }

    bool ReadPoint(std::vector<TrackPoint>& points, int depth) {
        if (!SkipBlanks() || !Peek('{')) return SkipValue(depth);  // not a fix at all
        TrackPoint point;
        Term lat, latFix, lng, lngFix;
        const bool ok = ReadMembers(depth, [&](const std::string& key) {
            if (key == "gpst") return ReadTime(point.gpsTime, depth + 1);
            if (key == "recvt") return ReadTime(point.receiveTime, depth + 1);
            if (key == "lat") return ReadTerm(lat, depth + 1);
            if (key == "lat_xz") return ReadTerm(latFix, depth + 1);
            if (key == "lng") return ReadTerm(lng, depth + 1);
            if (key == "lng_xz") return ReadTerm(lngFix, depth + 1);
            return SkipValue(depth + 1);
        });
        if (!ok) return false;
        if (lat.usable && latFix.usable && lng.usable && lngFix.usable) {
            point.latitude = lat.value + latFix.value;
            point.longitude = lng.value + lngFix.value;
            points.push_back(std::move(point));
        }
        return true;
    }

    bool ReadRoot(bool& result, std::vector<TrackPoint>& points) {
        return ReadMembers(1, [&](const std::string& key) {
            if (key == "result") return ReadTruth(result, 2);
            if (key == "topics") {
                points.clear();  // the last `topics` counts
                if (!SkipBlanks() || !Peek('[')) return SkipValue(2);
                return ReadElements(2, [&] { return ReadPoint(points, 3); });
            }
            return SkipValue(2);
        });
    }

    const char* p_;
    const char* end_;
};

}  // namespace

std::vector<TrackPoint> ReadTrackPoints(std::string_view body) { return TrackScanner(body).Read(); }

}  // namespace fw
