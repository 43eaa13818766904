#include "text/CommandOptions.h"

namespace fw {

bool OptionIs(std::string_view arg, std::string_view name) {
    return arg == name || (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=');
}

std::optional<std::string> OptionValue(const std::vector<std::string>& args, std::size_t& i,
                                       std::string_view name) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg[name.size()] == '=') return arg.substr(name.size() + 1);
    if (i + 1 < args.size()) return args[++i];
    return std::nullopt;
}

}  // namespace fw
