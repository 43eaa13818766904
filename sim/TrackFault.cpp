#include "sim/TrackFault.h"

#include <charconv>

namespace fw::sim {
namespace {

std::optional<int> Number(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<TrackFault> TrackFault::Parse(std::string_view text, std::string* error) {
    auto fail = [&](const std::string& why) -> std::optional<TrackFault> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (text == "none") return TrackFault{};
    if (text == "cut") return TrackFault{Kind::Cut, 0};
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    const std::string_view arg =
        colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    if (name == "slow") {
        if (auto ms = Number(arg, 1, 600000)) return TrackFault{Kind::Slow, *ms};
        return fail("slow takes the milliseconds the body takes, 1 to 600000");
    }
    if (name == "status") {
        if (auto code = Number(arg, 400, 599)) return TrackFault{Kind::Status, *code};
        return fail("status takes an HTTP error status, 400 to 599");
    }
    return fail("track fault '" + std::string(text) +
                "' is none of none, slow:MS, cut, status:CODE");
}

std::string TrackFault::Text() const {
    switch (kind) {
        case Kind::Slow:
            return "slow:" + std::to_string(value);
        case Kind::Cut:
            return "cut";
        case Kind::Status:
            return "status:" + std::to_string(value);
        case Kind::None:
            break;
    }
    return "none";
}

}  // namespace fw::sim
