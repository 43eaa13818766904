#include "app/Home.h"

namespace fw {

std::string ResolveHome(const std::string& homeOption, const char* homeVariable,
                        const std::string& executableDir) {
    if (!homeOption.empty()) return homeOption;
    if (homeVariable != nullptr && *homeVariable != '\0') return homeVariable;
    return executableDir;
}

}  // namespace fw
