#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fw::fuzz {

// A property that failed: said on stderr, then the run stops with the input saved by libFuzzer.
[[noreturn]] inline void Fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "property failed: %s\n%.*s\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

// A small deterministic generator for cut points and choices, seeded from the input.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }

private:
    std::uint64_t state_;
};

// Splits the input at its first zero byte: the part before, and the part after (empty if none).
inline std::pair<std::string_view, std::string_view> SplitAtZero(std::string_view data) {
    const std::size_t zero = data.find('\0');
    if (zero == std::string_view::npos) return {data, {}};
    return {data.substr(0, zero), data.substr(zero + 1)};
}

}  // namespace fw::fuzz
