#pragma once

#include <string>
#include <vector>

namespace fw {

struct CommandLine {
    std::string home;        // --home DIR
    bool autoLogin = false;  // --autologin: submit the login window at once if a password is kept
    bool help = false;
    bool version = false;
    std::string error;       // set when the arguments cannot be understood
};

// Qt's own options (-platform and the like) are taken out before this sees the arguments.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const std::string& program);

}  // namespace fw
