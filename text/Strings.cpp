#include "text/Strings.h"

#include <cmath>

#include <charconv>
#include <climits>

namespace fw {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view TrimView(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

int AtoiLike(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double AtofLike(std::string_view text) {
    // from_chars rather than strtod: the decimal point must not follow the user's locale.
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) return 0.0;
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                     std::chars_format::general);
    if (ec == std::errc::result_out_of_range) return 0.0;
    if (ec != std::errc()) return 0.0;
    (void)ptr;
    return negative ? -value : value;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

std::string FormatFixed6(double value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) return std::to_string(value);
    return std::string(buf, end);
}

bool NaturalLess(std::string_view a, std::string_view b) {
    const std::string_view wholeA = a, wholeB = b;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    auto lower = [](char c) {
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            // Values compare by length once leading zeros are gone, then digit by digit.
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei])) ++ei;
            while (ej < b.size() && digit(b[ej])) ++ej;
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            const std::string_view x = a.substr(si, ei - si), y = b.substr(sj, ej - sj);
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
            i = ei;
            j = ej;
            continue;
        }
        if (lower(a[i]) != lower(b[j])) return lower(a[i]) < lower(b[j]);
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    // Texts that read alike ("07路", "7路") still differ: in byte order.
    return wholeA < wholeB;
}

double RoundToSixDecimals(double value) {
    const double magnitude = std::fabs(value);
    // Beyond this the product below leaves the range where its fraction is exact (and NaN).
    if (!(magnitude < 4e9)) return AtofLike(FormatFixed6(value));
    // p + error is the exact product; p < 2^52, so p - floor(p) is exact too.
    const double p = magnitude * 1e6;
    const double error = std::fma(magnitude, 1e6, -p);
    double n = std::floor(p);
    // The fraction against one half. A nonzero difference is a multiple of p's ulp, larger than
    // the error, so its sign decides; on an exact half the error does, and a true tie goes to even.
    const double half = (p - n) - 0.5;
    if (half > 0 || (half == 0 && (error > 0 || (error == 0 && std::fmod(n, 2.0) != 0)))) n += 1;
    // n < 2^53 and 1e6 are exact: the quotient is the double nearest to n / 10^6.
    return std::copysign(n / 1e6, value);
}

}  // namespace fw
