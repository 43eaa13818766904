#pragma once

#include <optional>
#include <string>

namespace fw {

// When a lost connection is tried again: 2, 4, 8, 16 and 30 s after the previous try, then every
// 30 s, until five minutes have passed since the loss.
class ReconnectPlan {
public:
    static constexpr int kGiveUpAfterMs = 5 * 60 * 1000;

    // The wait before try `attempt` (1 for the first), counted from the previous try, or nothing
    // when that try would start more than five minutes after the loss (`elapsedMs` ago).
    static std::optional<int> DelayBefore(int attempt, int elapsedMs);

    // The band under the menu while it runs.
    static std::string BandText(int attempt);
};

}  // namespace fw
