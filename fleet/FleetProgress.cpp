#include "fleet/FleetProgress.h"

#include <cmath>
#include <cstdio>

#include "fleet/FleetPlan.h"

namespace fw {

std::string FormatDuration(double seconds) {
    const long long s = seconds > 0 && std::isfinite(seconds) ? std::llround(seconds) : 0;
    char buf[32];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%lld:%02lld", s / 60, s % 60);
    return buf;
}

std::string ProgressLine(const ProgressState& state) {
    const int width = static_cast<int>(std::to_string(state.total).size());
    char head[64];
    std::snprintf(head, sizeof head, "[%*zu/%zu]", width, state.done, state.total);
    std::string line = head;
    if (state.done == 0 || state.seconds <= 0) return line + "  starting";
    const double rate = static_cast<double>(state.done) / state.seconds;
    char figures[64];
    std::snprintf(figures, sizeof figures, "  %.1f vehicle-days/s", rate);
    line += figures;
    if (state.failed > 0) line += "  " + std::to_string(state.failed) + " failed";
    if (state.done < state.total)
        line += "  ETA " + FormatDuration(static_cast<double>(state.total - state.done) / rate);
    else
        line += "  done in " + FormatDuration(state.seconds);
    return line;
}

std::string VehicleDayLine(const ProgressState& state, const VehicleDay& day, std::size_t stops,
                           const std::string& failure) {
    std::string line = std::to_string(state.done) + "/" + std::to_string(state.total) + " " + day.plate + " " +
                       day.date + " ";
    if (failure.empty()) return line + "ok, " + std::to_string(stops) + " stops";
    return line + "failed: " + failure;
}

}  // namespace fw
