#include "text/ValueOrder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "text/Strings.h"

namespace fw {
namespace {

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto lower = [](char c) {
            return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        };
        if (lower(a[i]) != lower(b[i])) return lower(a[i]) < lower(b[i]) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::optional<double> ReadNumber(std::string_view text) {
    text = TrimView(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "2014-8-5 06:10:00" → 2014, 8, 5, 6, 10, 0: runs of digits, one separator between them.
std::optional<std::vector<long long>> ReadFields(std::string_view text) {
    text = TrimView(text);
    std::vector<long long> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!fields.empty()) {
            if (std::string_view("-:/. ").find(text[i]) == std::string_view::npos) return std::nullopt;
            ++i;
        }
        long long field = 0;
        const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), field);
        if (error != std::errc() || field < 0) return std::nullopt;
        i = static_cast<std::size_t>(end - text.data());
        fields.push_back(field);
    }
    if (fields.empty()) return std::nullopt;
    return fields;
}

template <class T>
int CompareRead(const std::optional<T>& a, const std::optional<T>& b, std::string_view ta, std::string_view tb) {
    if (a && b) return *a < *b ? -1 : (*b < *a ? 1 : 0);
    if (a) return -1;
    if (b) return 1;
    return CompareText(ta, tb);
}

}  // namespace

int CompareValues(std::string_view a, std::string_view b, ValueKind kind) {
    switch (kind) {
        case ValueKind::Number: return CompareRead(ReadNumber(a), ReadNumber(b), a, b);
        case ValueKind::Time: return CompareRead(ReadFields(a), ReadFields(b), a, b);
        case ValueKind::Text: break;
    }
    return CompareText(a, b);
}

}  // namespace fw
