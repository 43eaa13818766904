#pragma once

#include <string>
#include <vector>

namespace fw {

struct CommandLine {
    std::string home;        // --home DIR
    bool autoLogin = false;  // --autologin: submit the first login window at once if a password is kept
    int page = -1;           // --page NAME: the page shown after login; -1 when not given
    bool help = false;
    bool version = false;
    std::string error;       // set when the arguments cannot be understood
};

// The work pages by the names --page and conf.ini's Page use, in menu order (0 routes … 3
// monitoring); -1 for any other name.
int PageNumberOf(const std::string& name);
const char* PageNameOf(int page);

// Takes out the options Qt's application object would consume (-platform xcb, -style=x, ...),
// so the program's own options can be checked before any window system is needed.
std::vector<std::string> WithoutQtOptions(const std::vector<std::string>& args);

CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const std::string& program);

}  // namespace fw
