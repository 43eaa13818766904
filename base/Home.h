#pragma once

#include <string>

namespace fw {

// Where conf.ini, the hourly logs and the database live: the --home option, else the
// FENWARDE_HOME environment variable, else the folder of the executable.
std::string ResolveHome(const std::string& homeOption, const char* homeVariable,
                        const std::string& executableDir);

// The warning to show once at start-up when the home cannot keep what the program writes there
// (a new file in the folder for the logs, conf.ini, the database file); empty when all is well.
std::string HomeWriteWarning(const std::string& home, const std::string& databaseFile);

}  // namespace fw
