#include "schedules/TripTimes.h"

#include "text/Strings.h"

namespace fw {

void TripTimes::Set(std::string_view line, int seconds) {
    const std::string key = ToLowerAscii(TrimView(line));
    if (!key.empty() && seconds >= 0) byLine_[key] = seconds;
}

std::optional<int> TripTimes::Known(std::string_view line) const {
    const auto found = byLine_.find(ToLowerAscii(TrimView(line)));
    if (found == byLine_.end()) return std::nullopt;
    return found->second;
}

std::optional<int> RouteTimeSeconds(std::string_view text) {
    text = TrimView(text);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 3 || text.size() - colon - 1 != 2) return std::nullopt;
    int hours = 0, minutes = 0;
    for (char c : text.substr(0, colon)) {
        if (c < '0' || c > '9') return std::nullopt;
        hours = hours * 10 + (c - '0');
    }
    for (char c : text.substr(colon + 1)) {
        if (c < '0' || c > '9') return std::nullopt;
        minutes = minutes * 10 + (c - '0');
    }
    if (minutes > 59) return std::nullopt;
    return hours * 3600 + minutes * 60;
}

}  // namespace fw
