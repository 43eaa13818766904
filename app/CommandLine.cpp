#include "app/CommandLine.h"

#include <array>
#include <string_view>

#include "text/CommandOptions.h"

namespace fw {
namespace {

constexpr std::array<const char*, 4> kPageNames = {"routes", "schedules", "reports", "monitor"};

// Qt's application options; those in the first list take the next argument as their value.
constexpr std::array<std::string_view, 12> kQtOptionsWithValue = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowtitle", "-qwindowicon", "-style", "-stylesheet", "-session", "-display", "-geometry"};
constexpr std::array<std::string_view, 6> kQtFlags = {"-reverse", "-widgetcount", "-nograb",
                                                      "-dograb", "-sync", "-qmljsdebugger"};

}  // namespace

int PageNumberOf(const std::string& name) {
    for (std::size_t i = 0; i < kPageNames.size(); ++i)
        if (name == kPageNames[i]) return static_cast<int>(i);
    return -1;
}

const char* PageNameOf(int page) {
    return page >= 0 && page < static_cast<int>(kPageNames.size()) ? kPageNames[page] : "";
}

std::vector<std::string> WithoutQtOptions(const std::vector<std::string>& args) {
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        bool taken = false;
        for (std::string_view option : kQtOptionsWithValue) {
            if (a == option) {
                ++i;  // its value goes with it
                taken = true;
            } else if (OptionIs(a, option)) {
                taken = true;
            }
        }
        for (std::string_view flag : kQtFlags) taken = taken || OptionIs(a, flag);
        if (!taken) kept.push_back(args[i]);
    }
    return kept;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    auto value = [&](std::size_t& i, const std::string& option, const char* what) {
        std::optional<std::string> v = OptionValue(args, i, option);
        if (!v) cl.error = option + " needs " + what;
        return v.value_or(std::string());
    };
    for (std::size_t i = 0; i < args.size() && cl.error.empty(); ++i) {
        const std::string& a = args[i];
        if (OptionIs(a, "--home")) {
            cl.home = value(i, "--home", "a folder");
            if (cl.error.empty() && cl.home.empty()) cl.error = "--home needs a folder";
        } else if (OptionIs(a, "--page")) {
            const std::string name = value(i, "--page", "a page name");
            if (!cl.error.empty()) break;
            cl.page = PageNumberOf(name);
            if (cl.page < 0)
                cl.error = "unknown page: " + name + " (routes, schedules, reports or monitor)";
        } else if (a == "--autologin") {
            cl.autoLogin = true;
        } else if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version" || a == "-v") {
            cl.version = true;
        } else {
            cl.error = "unknown option: " + a;
        }
    }
    return cl;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [--home DIR] [--autologin] [--page PAGE] [--help] [--version]\n"
           "  --home DIR    keep conf.ini, the logs and the database in DIR\n"
           "                (default: $FENWARDE_HOME, else the program's folder; installed,\n"
           "                $XDG_DATA_HOME/fenwarde or ~/.local/share/fenwarde)\n"
           "  --autologin   sign in at once when conf.ini remembers a password\n"
           "  --page PAGE   show this page after login: routes, schedules, reports or monitor\n"
           "                (default: the page shown when the program last ended)\n"
           "  -h, --help    show this text\n"
           "  -v, --version show the client version\n"
           "SIGTERM or SIGINT (Ctrl-C) ends the program cleanly, as closing it does.\n";
}

}  // namespace fw
