#pragma once

#include <json/value.h>

#include <optional>
#include <string>
#include <string_view>

namespace fw {

class TextCodec;

// One document of the dispatch protocol: {"header": {"cmd": "1000", ...}, "body": {...}}.
struct Message {
    int code = 0;  // atoi of header "cmd"; 0 (handled by nobody) when missing or not a string
    Json::Value header;
    Json::Value body;
};

// Every scalar of the protocol is a JSON string. A member that is missing or holds anything else
// (a number, null, an object) reads as empty text, so 1000 sent as a number is not "1000".
std::string Text(const Json::Value& object, const char* key);

// Takes the root by value so a parsed document can be moved in without copying its body.
Message ReadMessage(Json::Value root);

// Reads a document with the tolerant rules of JsonCpp's classic Reader (comments allowed,
// trailing bytes after the root ignored). Nothing on a syntax error, and nothing for a document
// nested past the reader's depth limit: it never throws.
std::optional<Json::Value> ParseDocument(std::string_view utf8);

// {"header": {"cmd": cmd}, "body": {}} — the other header members are the caller's.
Json::Value MakeMessage(std::string_view cmd);

// The bytes that go on the wire: the styled text converted as a whole to the wire charset.
std::string EncodeForWire(const Json::Value& root, const TextCodec& codec);

}  // namespace fw
