#pragma once

#include <json/value.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace fw {

// Prints a document in the layout of JsonCpp's classic StyledWriter, which is what the dispatch
// server reads: members in byte order of their keys, three-space indentation, " : " between key
// and value, short scalar arrays on one line, one newline at the end. Unlike JsonCpp 1.9's own
// writer, bytes >= 0x80 are written as they are instead of as \u escapes.
std::string WriteStyled(const Json::Value& root);

// Appends what WriteStyled gives for {"body": {fields}, "header": {"cmd": cmd}} when every
// member of the body is a string, written straight from the texts: a server's stop rows come by
// the hundred. `fields` are (key, value) in byte order of their keys, no key twice.
void AppendStyledMessage(std::string& out, std::string_view cmd,
                         std::initializer_list<std::pair<std::string_view, std::string_view>> fields);

}  // namespace fw
