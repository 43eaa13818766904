#include "fleet/FleetOptions.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "text/CommandOptions.h"
#include "text/OleDate.h"
#include "text/Strings.h"

namespace fw {
namespace {

// Exactly "yyyy-MM-dd" and a real day.
std::optional<OleDate> ParseDay(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const std::optional<OleDate> day = ParseDateTime(text);
    if (!day || FormatDate(*day) != text) return std::nullopt;
    return day;
}

std::optional<int> Number(const std::string& text, int lowest, int highest) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || at != end || value < lowest || value > highest) return std::nullopt;
    return value;
}

// Plates separated by commas or line breaks; in a line, what follows a tab is not the plate (the
// lines --list-plates writes name the group there).
std::vector<std::string> SplitPlates(std::string_view list) {
    std::vector<std::string> plates;
    while (!list.empty()) {
        const std::size_t end = list.find_first_of(",\n");
        std::string_view item = list.substr(0, end);
        item = item.substr(0, item.find('\t'));
        const std::string plate = Trim(item);
        if (!plate.empty()) plates.push_back(plate);
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return plates;
}

// "--plates @FILE": the plates are in the file.
bool ReadPlates(const std::string& value, std::vector<std::string>& plates, std::string& error) {
    if (value.empty() || value.front() != '@') {
        plates = SplitPlates(value);
        return true;
    }
    std::ifstream in(value.substr(1), std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) {
        error = "--plates: cannot read " + value.substr(1);
        return false;
    }
    plates = SplitPlates(text.str());
    return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

std::vector<std::string> DatesBetween(const std::string& from, const std::string& to) {
    std::vector<std::string> dates;
    const std::optional<OleDate> first = ParseDay(from);
    const std::optional<OleDate> last = ParseDay(to);
    if (!first || !last) return dates;
    for (OleDate day = *first; day <= *last + 0.5; day = AddDays(day, 1)) dates.push_back(FormatDate(day));
    return dates;
}

FleetOptions ParseFleetOptions(const std::vector<std::string>& args, int cores) {
    FleetOptions o;
    o.jobs = std::max(1, cores);
    bool plates = false;
    auto value = [&](std::size_t& i, const std::string& option) {
        std::optional<std::string> v = OptionValue(args, i, option);
        if (!v) o.error = option + " needs a value";
        return v.value_or(std::string());
    };
    auto count = [&](std::size_t& i, const std::string& option, int lowest, int highest) {
        const std::string text = value(i, option);
        const std::optional<int> n = Number(text, lowest, highest);
        if (o.error.empty() && !n)
            o.error = option + ": " + text + " is not a number from " + std::to_string(lowest) + " to " +
                      std::to_string(highest);
        return n.value_or(lowest);
    };
    for (std::size_t i = 0; i < args.size() && o.error.empty(); ++i) {
        const std::string& a = args[i];
        if (OptionIs(a, "--home")) {
            o.home = value(i, "--home");
            if (o.error.empty() && o.home.empty()) o.error = "--home needs a folder";
        } else if (OptionIs(a, "--from")) {
            o.from = value(i, "--from");
        } else if (OptionIs(a, "--to")) {
            o.to = value(i, "--to");
        } else if (OptionIs(a, "--plates")) {
            plates = true;
            const std::string list = value(i, "--plates");
            if (o.error.empty() && ReadPlates(list, o.plates, o.error) && o.plates.empty())
                o.error = "--plates needs at least one plate";
        } else if (OptionIs(a, "--group")) {
            o.group = Trim(value(i, "--group"));
            if (o.error.empty() && o.group.empty()) o.error = "--group needs a group name";
        } else if (OptionIs(a, "--rule")) {
            const std::string rule = value(i, "--rule");
            o.rule = ParseDetectionRule(rule);
            if (o.error.empty() && !o.rule) o.error = "--rule: " + rule + " is neither first-fix nor interpolated";
        } else if (OptionIs(a, "--matching")) {
            const std::string matching = value(i, "--matching");
            o.matching = ParseMatching(matching);
            if (o.error.empty() && !o.matching)
                o.error = "--matching: " + matching + " is neither nearest nor sequence";
        } else if (OptionIs(a, "--jobs")) {
            o.jobs = count(i, "--jobs", 1, 64);
        } else if (OptionIs(a, "--fetches")) {
            o.fetches = count(i, "--fetches", 1, 32);
        } else if (OptionIs(a, "--timeout")) {
            o.timeoutSeconds = count(i, "--timeout", 1, 3600);
        } else if (OptionIs(a, "--out")) {
            o.out = value(i, "--out");
        } else if (a == "--force") {
            o.force = true;
        } else if (a == "--sequential") {
            o.sequential = true;
        } else if (a == "--list-plates") {
            o.listPlates = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version" || a == "-v") {
            o.version = true;
        } else if (a.rfind("--password", 0) == 0 || a.rfind("--pass", 0) == 0) {
            o.error = "a password is never taken from the command line (others can read it there): keep it "
                      "in conf.ini or set FENWARDE_PASSWORD";
        } else {
            o.error = "unknown option: " + a;
        }
    }
    if (!o.error.empty() || o.help || o.version) return o;
    if (plates && !o.group.empty()) {
        o.error = "--plates and --group cannot be used together";
        return o;
    }
    if (o.listPlates) return o;

    if (o.from.empty() || o.to.empty()) {
        o.error = "--from and --to are required";
        return o;
    }
    const std::optional<OleDate> from = ParseDay(o.from);
    const std::optional<OleDate> to = ParseDay(o.to);
    if (!from || !to) {
        o.error = (from ? "--to: " + o.to : "--from: " + o.from) + " is not a date as YYYY-MM-DD";
        return o;
    }
    if (*to < *from) {
        o.error = "--from " + o.from + " is after --to " + o.to;
        return o;
    }
    const long long days = SecondsBetween(*to, *from) / 86400 + 1;
    if (days > kFleetMaxDays && !o.force) {
        o.error = "the range holds " + std::to_string(days) + " days; more than " + std::to_string(kFleetMaxDays) +
                  " need --force";
        return o;
    }
    if (o.out.empty()) {
        o.error = "--out is required (a .xlsx or .csv file)";
    } else if (EndsWithNoCase(o.out, ".xlsx")) {
        o.format = FleetFormat::Xlsx;
    } else if (EndsWithNoCase(o.out, ".csv")) {
        o.format = FleetFormat::Csv;
    } else {
        o.error = "--out: " + o.out + " must end in .xlsx or .csv";
    }
    return o;
}

std::string FleetUsageText(const std::string& program) {
    return "Usage: " + program +
           " [--home DIR] --from YYYY-MM-DD --to YYYY-MM-DD\n"
           "       [--plates P1,P2,...|--plates @FILE|--group NAME] [--rule first-fix|interpolated]\n"
           "       [--matching nearest|sequence] [--jobs N] [--fetches N] [--timeout S] [--force] --out FILE.xlsx|FILE.csv\n"
           "   or: " + program + " [--home DIR] [--group NAME] --list-plates\n"
           "Punctuality of every vehicle and day of the range, computed as the report window does,\n"
           "written as one workbook or CSV file: every stop and a summary per vehicle-day and line.\n"
           "  --home DIR       conf.ini to sign in with (default: the client's home:\n"
           "                   $FENWARDE_HOME, else the program's folder; installed,\n"
           "                   $XDG_DATA_HOME/fenwarde or ~/.local/share/fenwarde); the password\n"
           "                   is conf.ini's remembered one, or $FENWARDE_PASSWORD, never an option\n"
           "  --from, --to     first and last day, both included; at most " +
           std::to_string(kFleetMaxDays) +
           " days unless --force\n"
           "  --plates LIST    only these vehicles: plates separated by commas, or @FILE for\n"
           "                   a file of them (one a line, as --list-plates writes them)\n"
           "  --group NAME     only this group's vehicles (the user name: every vehicle)\n"
           "                   (default: every vehicle of the login)\n"
           "  --rule RULE      first-fix or interpolated arrival detection (default: the\n"
           "                   Detection of conf.ini, as the report window uses, else first-fix)\n"
           "  --matching M     nearest (each event to its stop's nearest plan) or sequence (a\n"
           "                   vehicle's rows in trip order; default: the Matching of conf.ini,\n"
           "                   else nearest)\n"
           "  --jobs N         detection workers (default: the number of cores)\n"
           "  --fetches N      track transfers at once (default 4)\n"
           "  --timeout S      longest wait for the server's stop rows or a track (default 60)\n"
           "  --out FILE       .xlsx or .csv; written whole or not at all\n"
           "  --list-plates    sign in, write the plates (and their groups) the options select,\n"
           "                   one a line, and stop: a list to split a fleet with\n"
           "  --sequential     one vehicle-day at a time, stop rows, track and detection one after\n"
           "                   another, as the report window goes (to compare speeds)\n"
           "  -h, --help       show this text\n"
           "  -v, --version    show the version\n"
           "Exit status: 0 every vehicle-day reported, 3 some failed (listed in the summary),\n"
           "2 bad command line, home, output folder or sign-in, 1 the file could not be written,\n"
           "130 interrupted (SIGINT or SIGTERM; nothing is written).\n";
}

}  // namespace fw
