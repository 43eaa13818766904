#include "app/CommandLine.h"

namespace fw {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--home") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                cl.error = "--home needs a folder";
                return cl;
            }
            cl.home = args[++i];
        } else if (a.rfind("--home=", 0) == 0 && a.size() > 7) {
            cl.home = a.substr(7);
        } else if (a == "--autologin") {
            cl.autoLogin = true;
        } else if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version" || a == "-v") {
            cl.version = true;
        } else {
            cl.error = "unknown option: " + a;
            return cl;
        }
    }
    return cl;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [--home DIR] [--autologin] [--help] [--version]\n"
           "  --home DIR    keep conf.ini, the logs and the database in DIR\n"
           "                (default: $FENWARDE_HOME, else the program's folder)\n"
           "  --autologin   sign in at once when conf.ini remembers a password\n"
           "  --help        show this text\n"
           "  --version     show the client version\n";
}

}  // namespace fw
