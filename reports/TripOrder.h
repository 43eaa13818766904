#pragma once

#include <cstddef>
#include <limits>
#include <span>
#include <vector>

namespace fw {

// How far from its plan an event may lie and still be a row's, in trip order: a late start of
// 25 minutes, or a bus that catches up over its stops, is still its trip's.
inline constexpr long long kSequenceToleranceSeconds = 3600;

// A planned or a detected instant at a place (one stop of one line, numbered by the caller).
struct PlacedTime {
    std::size_t place = 0;
    long long seconds = 0;
};

inline constexpr std::size_t kUnmatched = std::numeric_limits<std::size_t>::max();

// The order-preserving alignment of planned instants (in planned order) with detected ones (in
// time order): each plan takes at most one event of its own place within the tolerance, each
// event serves at most one plan, and no two pairs cross (a later plan never takes an earlier
// event). Among such alignments it takes the one with the least total deviation, a plan left
// without an event counting as the tolerance and a second: so a plan takes an event whenever it
// can, unless that would push others further from theirs. Equal totals go to the earlier plan.
// Returns, for each plan, the index of its event, or kUnmatched.
std::vector<std::size_t> AlignInTripOrder(std::span<const PlacedTime> plans,
                                          std::span<const PlacedTime> events,
                                          long long tolerance = kSequenceToleranceSeconds);

}  // namespace fw
