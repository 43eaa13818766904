#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fw::sim {

// How the track interface misbehaves, so tests can see what the client makes of it:
//   "none"          answers normally
//   "slow:MS"       sends the body in twenty pieces spread over MS milliseconds
//   "cut"           announces the whole body, sends half of it and resets the connection
//   "status:CODE"   answers with that HTTP error status (400-599) and an error page
struct TrackFault {
    enum class Kind { None, Slow, Cut, Status };
    Kind kind = Kind::None;
    int value = 0;  // milliseconds for Slow, the status for Status

    // Nothing, and why in `error`, when the text is none of the forms above.
    static std::optional<TrackFault> Parse(std::string_view text, std::string* error = nullptr);
    std::string Text() const;
};

}  // namespace fw::sim
