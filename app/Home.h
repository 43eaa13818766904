#pragma once

#include <string>

namespace fw {

// Where conf.ini, the hourly logs and the database live: the --home option, else the
// FENWARDE_HOME environment variable, else the folder of the executable.
std::string ResolveHome(const std::string& homeOption, const char* homeVariable,
                        const std::string& executableDir);

}  // namespace fw
