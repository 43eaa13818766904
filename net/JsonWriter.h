#pragma once

#include <json/value.h>

#include <string>

namespace fw {

// Prints a document in the layout of JsonCpp's classic StyledWriter, which is what the dispatch
// server reads: members in byte order of their keys, three-space indentation, " : " between key
// and value, short scalar arrays on one line, one newline at the end. Unlike JsonCpp 1.9's own
// writer, bytes >= 0x80 are written as they are instead of as \u escapes.
std::string WriteStyled(const Json::Value& root);

}  // namespace fw
