#include "net/ReconnectPlan.h"

#include <algorithm>

namespace fw {

std::optional<int> ReconnectPlan::DelayBefore(int attempt, int elapsedMs) {
    if (attempt < 1) attempt = 1;
    const int delay = attempt <= 4 ? 1000 << attempt : 30000;
    if (elapsedMs + delay > kGiveUpAfterMs) return std::nullopt;
    return delay;
}

std::string ReconnectPlan::BandText(int attempt) {
    return "连接已断开，正在重新连接…(第 " + std::to_string(std::max(attempt, 1)) + " 次)";
}

}  // namespace fw
