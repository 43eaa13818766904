#pragma once

#include <json/value.h>

#include <string>

namespace fw {

class TextCodec;

// What one sent message becomes: its styled text, the bytes on the wire (that text in the wire
// charset) and the log entry, which never holds the login password.
struct Outgoing {
    std::string text;
    std::string wire;
    std::string logged;
};

Outgoing PrepareOutgoing(const Json::Value& root, const TextCodec& codec);

inline constexpr const char* kMaskedPassword = "******";

}  // namespace fw
