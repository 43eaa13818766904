#include "timetable/TimetableCommand.h"

#include <ostream>
#include <set>
#include <string_view>

#include "net/Requests.h"
#include "reports/CsvWriter.h"
#include "schedules/Timetable.h"
#include "text/Charset.h"
#include "text/Encoding.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr const char* kProgram = "fenwarde-timetable";

bool OptionIs(const std::string& arg, std::string_view option) {
    return arg == option || (arg.size() > option.size() && arg.compare(0, option.size(), option) == 0 &&
                             arg[option.size()] == '=');
}

struct Options {
    std::string command;
    std::vector<std::string> files;
    std::string charset = "GBK";
    bool csv = false;
    std::string error;
};

// args[0] is the command.
Options Parse(const std::vector<std::string>& args) {
    Options o;
    o.command = args[0];
    auto value = [&](std::size_t& i, const std::string& option) -> std::string {
        const std::string& a = args[i];
        if (a.size() > option.size() && a[option.size()] == '=') return a.substr(option.size() + 1);
        if (i + 1 < args.size()) return args[++i];
        o.error = option + " needs a value";
        return {};
    };
    for (std::size_t i = 1; i < args.size() && o.error.empty(); ++i) {
        const std::string& a = args[i];
        if (OptionIs(a, "--charset") && o.command == "check") {
            o.charset = value(i, "--charset");
            if (o.error.empty() && !FindWireCharset(o.charset)) o.error = CharsetRefusal(o.charset);
        } else if (a == "--csv" && o.command == "show") {
            o.csv = true;
        } else if (a.starts_with("--")) {
            o.error = "unknown option" + (o.command.empty() ? "" : " of " + o.command) + ": " + a;
        } else {
            o.files.push_back(a);
        }
    }
    if (!o.error.empty()) return o;
    if (o.files.empty()) o.error = o.command + " needs a file";
    else if (o.command == "show" && o.files.size() > 1) o.error = "show takes one file";
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

}  // namespace

std::string TimetableUsageText(const std::string& program) {
    return "Usage: " + program + " check FILE... [--charset NAME]\n"
           "       " + program + " show FILE [--csv]\n"
           "Reads timetables (.xls, .xlsx, .csv) as the scheduling page imports them.\n"
           "  check            per file: its batches, departures and lines, or one line per\n"
           "                   problem naming the file, the sheet and cell or the line;\n"
           "                   exit status 0 when every file reads clean, 3 when some do not\n"
           "  --charset NAME   the server's charset that batch names must fit (default GBK)\n"
           "  show             the departures as the import page lists them: batch, departure,\n"
           "                   line, one a row (tab-separated)\n"
           "  --csv            the same as CSV (UTF-8)\n"
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
    if (command != "check" && command != "show") {
        err << kProgram << ": " << (command.empty() ? "a command is needed" : "unknown command: " + command) << '\n'
            << TimetableUsageText(kProgram);
        return kTimetableUsage;
    }
    const Options o = Parse(args);
    if (!o.error.empty()) {
        err << kProgram << ": " << o.error << '\n' << TimetableUsageText(kProgram);
        return kTimetableUsage;
    }
    return command == "check" ? Check(o, out) : Show(o, out, err);
}

}  // namespace fw
