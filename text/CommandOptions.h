#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Whether `arg` is the option `name`, alone or as "name=value".
bool OptionIs(std::string_view arg, std::string_view name);

// The value of the option `name` at args[i]: what follows its '=', or else the next argument
// (and `i` moves on to it); nothing when neither is there.
std::optional<std::string> OptionValue(const std::vector<std::string>& args, std::size_t& i,
                                       std::string_view name);

}  // namespace fw
