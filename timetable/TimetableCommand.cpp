#include "timetable/TimetableCommand.h"

#include <fstream>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string_view>

#include "net/Requests.h"
#include "reports/CsvWriter.h"
#include "reports/ReplacingFile.h"
#include "schedules/AutoAssign.h"
#include "schedules/RosterCheck.h"
#include "schedules/ScheduleDates.h"
#include "schedules/Timetable.h"
#include "text/Charset.h"
#include "text/CommandOptions.h"
#include "text/Encoding.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr const char* kProgram = "fenwarde-timetable";

struct Options {
    std::string command;
    std::vector<std::string> files;
    std::string charset = "GBK";
    bool csv = false;
    // plan
    std::string from, to, out;
    std::vector<std::string> vehicles;
    bool vehiclesGiven = false;
    int turnaround = kDefaultMinTurnaround;
    TripTimes trips;
    std::string error;
};

// Plates separated by commas or line breaks; a line's plate is what stands before a tab (the
// lines fenwarde-report --list-plates writes).
std::vector<std::string> SplitPlates(std::string_view text) {
    std::vector<std::string> plates;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(",\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view field = text.substr(start, end - start);
        field = field.substr(0, field.find('\t'));
        if (const std::string_view plate = TrimView(field); !plate.empty()) plates.emplace_back(plate);
        start = end + 1;
    }
    return plates;
}

std::optional<int> Count(std::string_view text, int lowest, int highest) {
    text = TrimView(text);
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    const int n = std::stoi(std::string(text));
    if (n < lowest || n > highest) return std::nullopt;
    return n;
}

// args[0] is the command.
Options Parse(const std::vector<std::string>& args) {
    Options o;
    o.command = args[0];
    auto value = [&](std::size_t& i, const std::string& option) {
        std::optional<std::string> v = OptionValue(args, i, option);
        if (!v) o.error = option + " needs a value";
        return v.value_or(std::string());
    };
    for (std::size_t i = 1; i < args.size() && o.error.empty(); ++i) {
        const std::string& a = args[i];
        if (OptionIs(a, "--charset") && o.command == "check") {
            o.charset = value(i, "--charset");
            if (o.error.empty() && !FindWireCharset(o.charset)) o.error = CharsetRefusal(o.charset);
        } else if (a == "--csv" && o.command == "show") {
            o.csv = true;
        } else if (OptionIs(a, "--from") && o.command == "plan") {
            o.from = value(i, "--from");
        } else if (OptionIs(a, "--to") && o.command == "plan") {
            o.to = value(i, "--to");
        } else if (OptionIs(a, "--out") && o.command == "plan") {
            o.out = value(i, "--out");
        } else if (OptionIs(a, "--vehicles") && o.command == "plan") {
            const std::string list = value(i, "--vehicles");
            o.vehiclesGiven = true;
            if (list.starts_with('@')) {
                std::ifstream in(list.substr(1), std::ios::binary);
                std::ostringstream text;
                text << in.rdbuf();
                if (!in) o.error = "--vehicles: cannot read " + list.substr(1);
                o.vehicles = SplitPlates(text.str());
            } else {
                o.vehicles = SplitPlates(list);
            }
        } else if (OptionIs(a, "--turnaround") && o.command == "plan") {
            const std::string text = value(i, "--turnaround");
            const auto seconds = Count(text, 0, 86400);
            if (o.error.empty() && !seconds) o.error = "--turnaround: " + text + " is not a number of seconds from 0 to 86400";
            o.turnaround = seconds.value_or(0);
        } else if (OptionIs(a, "--trip-time") && o.command == "plan") {
            const std::string text = value(i, "--trip-time");
            const std::size_t equals = text.rfind('=');
            const auto minutes = equals == std::string::npos ? std::nullopt : Count(text.substr(equals + 1), 0, 1440);
            if (o.error.empty() && (!minutes || TrimView(text.substr(0, equals)).empty()))
                o.error = "--trip-time: " + text + " is not LINE=MINUTES";
            else if (minutes) o.trips.Set(text.substr(0, equals), *minutes * 60);
        } else if (a.starts_with("--")) {
            o.error = "unknown option" + (o.command.empty() ? "" : " of " + o.command) + ": " + a;
        } else {
            o.files.push_back(a);
        }
    }
    if (!o.error.empty()) return o;
    if (o.files.empty()) o.error = o.command + " needs a file";
    else if (o.command != "check" && o.files.size() > 1) o.error = o.command + " takes one file";
    else if (o.command == "plan" && (o.from.empty() || o.to.empty())) o.error = "plan needs --from and --to";
    else if (o.command == "plan" && !o.vehiclesGiven) o.error = "plan needs --vehicles";
    else if (o.command == "plan" && o.vehicles.empty()) o.error = "--vehicles names no plate";
    else if (o.command == "plan" && o.out.empty()) o.error = "plan needs --out FILE.csv";
    return o;
}

// "file: place: text", the sheet named before a workbook's cell.
std::string ProblemLine(const std::string& file, const TimetableProblem& p) {
    return file + ": " + (p.sheet.empty() ? "" : p.sheet + "!") + p.place + ": " + p.text;
}

int Check(const Options& o, std::ostream& out) {
    const TextCodec wire(o.charset);
    bool clean = true;
    for (const std::string& file : o.files) {
        const TimetableImport import = ImportTimetableWorkbook(file);
        if (!import.problems.empty()) {
            clean = false;
            for (const TimetableProblem& p : import.problems) out << ProblemLine(file, p) << '\n';
            continue;
        }
        if (!import.error.empty()) {
            clean = false;
            out << file << ": " << import.error << '\n';
            continue;
        }
        const ImportedTimetable& t = import.timetable;
        std::set<std::string> lines;
        for (std::size_t i = 0; i < t.rows.size(); ++i)
            if (const std::string_view line = TrimView(t.rows.At(i).line); !line.empty()) lines.emplace(line);
        out << file << ": " << t.batches.size() << " 个批次，" << t.rows.size() << " 个发车，" << lines.size() << " 条线路\n";
        // A name the server's charset cannot carry arrives with '?' for the character.
        for (const std::string& batch : t.batches) {
            const std::vector<std::string> lost = wire.Unsendable(batch);
            if (lost.empty()) continue;
            clean = false;
            std::string characters;
            for (const std::string& c : lost) characters += "“" + c + "”";
            out << file << ": 批次“" << batch << "”: 名称中的" << characters << "无法以" << o.charset
                << "发送，服务器收到的是“?”\n";
        }
    }
    return clean ? kTimetableClean : kTimetableProblems;
}

int Show(const Options& o, std::ostream& out, std::ostream& err) {
    const std::string& file = o.files[0];
    const TimetableImport import = ImportTimetableWorkbook(file);
    if (!import.error.empty()) {
        err << file << ": " << import.error << '\n';
        return kTimetableProblems;
    }
    std::string text;
    auto row = [&](std::string_view batch, std::string_view time, std::string_view line) {
        text.clear();
        if (o.csv) {
            AppendCsvField(text, batch);
            text += ',';
            AppendCsvField(text, time);
            text += ',';
            AppendCsvField(text, line);
        } else {
            text.append(batch).append("\t").append(time).append("\t").append(line);
        }
        out << text << (o.csv ? "\r\n" : "\n");
    };
    row("批次", "出发时间", "线路");
    const DepartureList& rows = import.timetable.rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DepartureList::View d = rows.At(i);
        row(rows.Batches()[static_cast<std::size_t>(d.batch)], d.time, d.line);
    }
    return kTimetableClean;
}

// A moment of the plan as a date-time: `seconds` from the start of `day`.
std::string MomentText(OleDate day, int seconds) {
    return FormatDateTime(day + seconds / 86400.0);
}

int Plan(const Options& o, std::ostream& err) {
    const ScheduleDays days = ReadScheduleDays(o.from, o.to);
    if (!days.error.empty() || days.dates.empty()) {
        err << kProgram << ": " << (days.error.empty() ? "--from and --to must be dates as YYYY-MM-DD" : days.error) << '\n'
            << TimetableUsageText(kProgram);
        return kTimetableUsage;
    }
    const std::string& file = o.files[0];
    const TimetableImport import = ImportTimetableWorkbook(file);
    if (!import.error.empty()) {
        err << file << ": " << import.error << '\n';
        return kTimetableProblems;
    }
    AutoAssignRequest request;
    request.batches = import.timetable.batches;
    request.spans = BatchSpans(import.timetable.rows, o.trips);
    request.vehicles = o.vehicles;
    request.minTurnaround = o.turnaround;
    request.days = static_cast<int>(days.dates.size());
    const AutoAssignment plan = AutoAssign(request);

    std::string csv = "日期,批次,车牌,开始,结束\r\n";
    for (std::size_t d = 0; d < plan.days.size(); ++d) {
        const OleDate day = *days.first + static_cast<double>(d);
        for (std::size_t b = 0; b < request.batches.size(); ++b) {
            const BatchSpan& span = request.spans[b];
            for (const std::string_view field : {std::string_view(days.dates[d]), std::string_view(request.batches[b]),
                                                 std::string_view(plan.days[d].plates[b])}) {
                AppendCsvField(csv, field);
                csv += ',';
            }
            if (span.known) csv += MomentText(day, span.first) + "," + MomentText(day, span.end);
            else csv += ",";
            csv += "\r\n";
        }
    }
    ReplacingFile target(o.out);
    std::string error;
    if (!target.Open(&error) || !target.Write(csv, &error) || !target.Commit(&error)) {
        err << kProgram << ": " << error << '\n';
        return kTimetableProblems;
    }
    for (std::size_t d = 0; d < plan.days.size(); ++d) {
        const DayAssignment& day = plan.days[d];
        err << days.dates[d] << ": 需 " << day.need << " 辆，已配 " << day.used << " 辆";
        if (day.unassigned > 0) err << "，" << day.unassigned << " 个班次未配车";
        err << '\n';
    }
    for (const std::string& finding : plan.findings) err << file << ": " << finding << '\n';
    err << plan.Summary() << '\n';
    return plan.Unassigned() > 0 ? kTimetableProblems : kTimetableClean;
}

}  // namespace

std::string TimetableUsageText(const std::string& program) {
    return "Usage: " + program + " check FILE... [--charset NAME]\n"
           "       " + program + " show FILE [--csv]\n"
           "       " + program + " plan FILE --from YYYY-MM-DD --to YYYY-MM-DD --vehicles P1,P2,...|@FILE\n"
           "                         [--turnaround S] [--trip-time LINE=MIN ...] --out FILE.csv\n"
           "Reads timetables (.xls, .xlsx, .csv) as the scheduling page imports them.\n"
           "  check            per file: its batches, departures and lines, or one line per\n"
           "                   problem naming the file, the sheet and cell or the line;\n"
           "                   exit status 0 when every file reads clean, 3 when some do not\n"
           "  --charset NAME   the server's charset that batch names must fit (default GBK)\n"
           "  show             the departures as the import page lists them: batch, departure,\n"
           "                   line, one a row (tab-separated)\n"
           "  --csv            the same as CSV (UTF-8)\n"
           "  plan             the fewest vehicles for each day's batches, turned round day by\n"
           "                   day: date, batch, plate, start, end as CSV (UTF-8) in --out, what\n"
           "                   each day needs on stderr; exit status 3 when some batch is left\n"
           "                   without a vehicle\n"
           "  --vehicles       plates separated by commas, or @FILE with one a line\n"
           "  --turnaround S   seconds a vehicle needs between two batches (default 180)\n"
           "  --trip-time LINE=MIN  minutes a trip of the line takes, after a batch's last\n"
           "                   departure (repeat for each line; others count none)\n"
           "  --help, --version\n"
           "Exit status: 0 done, 2 a bad command line, 3 problems found.\n";
}

int RunTimetableCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string command = args.empty() ? std::string() : args[0];
    if (command == "--help" || command == "-h") {
        out << TimetableUsageText(kProgram);
        return kTimetableClean;
    }
    if (command == "--version" || command == "-v") {
        out << kProgram << " " << kClientVersion << '\n';
        return kTimetableClean;
    }
    if (command != "check" && command != "show" && command != "plan") {
        err << kProgram << ": " << (command.empty() ? "a command is needed" : "unknown command: " + command) << '\n'
            << TimetableUsageText(kProgram);
        return kTimetableUsage;
    }
    const Options o = Parse(args);
    if (!o.error.empty()) {
        err << kProgram << ": " << o.error << '\n' << TimetableUsageText(kProgram);
        return kTimetableUsage;
    }
    if (command == "plan") return Plan(o, err);
    return command == "check" ? Check(o, out) : Show(o, out, err);
}

}  // namespace fw
