#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

// How long a trip of each line takes, for how long a batch keeps its vehicle after its last
// departure: the route's total time when a route of that name is known (names compared trimmed
// and without regard to ASCII case, as the server compares them), else the fallback
// (conf.ini's DefaultTripTime; 0 counts a batch from its first departure to its last).
class TripTimes {
public:
    void Set(std::string_view line, int seconds);
    void SetFallback(int seconds) { fallback_ = seconds; }
    int Fallback() const { return fallback_; }

    // The line's own time, when one is known.
    std::optional<int> Known(std::string_view line) const;
    int Of(std::string_view line) const { return Known(line).value_or(fallback_); }
    bool Empty() const { return byLine_.empty(); }

    friend bool operator==(const TripTimes&, const TripTimes&) = default;

private:
    std::map<std::string, int> byLine_;
    int fallback_ = 0;
};

// A route's total time as the server sends it ("00:40", hours and minutes): seconds, or nothing
// for a text that is no such time.
std::optional<int> RouteTimeSeconds(std::string_view text);

}  // namespace fw
