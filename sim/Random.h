#pragma once

#include <cstdint>
#include <string_view>

namespace fw::sim {

// SplitMix64 with our own distributions: the standard library's distributions are not the same
// on every platform, and a seed must give the same scenario everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }  // [0, 1)
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1)); }
    bool Chance(double p) { return Unit() < p; }

private:
    std::uint64_t state_;
};

inline std::uint64_t HashText(std::string_view text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    return h;
}

}  // namespace fw::sim
