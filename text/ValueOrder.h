#pragma once

#include <string_view>

namespace fw {

// What a list column holds, for sorting it.
enum class ValueKind { Text, Number, Time };

// Negative, zero or positive as a sorts before, with or after b in a column of this kind.
// Numbers compare by value ("8.10" before "10.07"), times and dates field by field ("9:05"
// before "10:00", "2014-8-5" before "2014-08-25"); a cell that does not read as such a value
// sorts after those that do. Texts, and cells that are no value, compare as text ignoring ASCII
// letter case.
int CompareValues(std::string_view a, std::string_view b, ValueKind kind);

}  // namespace fw
