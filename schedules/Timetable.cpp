#include "schedules/Timetable.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <tuple>

#include "schedules/CsvSheet.h"
#include "schedules/XlsWorkbook.h"
#include "schedules/XlsxWorkbook.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr std::string_view kBaseDate = "1899-12-30";
constexpr std::size_t kListedProblems = 10;

void RemoveAll(std::string& text, std::string_view what) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
}

TimetableImport Refused(ReadProblem problem) {
    TimetableImport result;
    result.error = WorkbookProblemText(problem);
    result.cancelled = problem.kind == WorkbookProblem::Cancelled;
    return result;
}

std::string ProblemsText(const std::vector<TimetableProblem>& problems) {
    std::string text = "时刻表中有" + std::to_string(problems.size()) + "处问题，未导入：\n";
    for (std::size_t i = 0; i < problems.size() && i < kListedProblems; ++i)
        text += TimetableProblemLine(problems[i]) + "\n";
    if (problems.size() > kListedProblems)
        text += "……另有" + std::to_string(problems.size() - kListedProblems) + "处\n";
    return text;
}

TimetableImport Import(std::string_view bytes, WorkbookFormat format, const std::string& xlsPath, ReadStage stage) {
    ReadProblem problem;
    std::unique_ptr<Sheet> sheet;
    const ReadStage reading = stage.Part(0, 0.7);
    switch (format) {
        case WorkbookFormat::Xls: sheet = OpenXlsSheet(xlsPath, bytes, kTimetableSheet, &problem); break;
        case WorkbookFormat::Xlsx: sheet = OpenXlsxSheet(bytes, kTimetableSheet, &problem, reading); break;
        case WorkbookFormat::Csv: sheet = OpenCsvSheet(bytes, &problem, reading); break;
        case WorkbookFormat::Other: problem.kind = WorkbookProblem::NotAWorkbook; break;
    }
    if (!sheet) return Refused(problem.kind == WorkbookProblem::None ? ReadProblem{WorkbookProblem::Damaged, {}, {}} : problem);
    if (stage.Cancelled()) return Refused({WorkbookProblem::Cancelled, {}, {}});
    TimetableImport result;
    result.timetable = BuildTimetable(*sheet, stage.Part(0.7, 1));
    sheet.reset();
    if (stage.Cancelled()) return Refused({WorkbookProblem::Cancelled, {}, {}});
    if (!result.timetable.problems.empty()) {
        result.problems = std::move(result.timetable.problems);
        if (format != WorkbookFormat::Csv)
            for (TimetableProblem& p : result.problems) p.sheet = kTimetableSheet;
        result.error = ProblemsText(result.problems);
        result.timetable = {};
    } else if (result.timetable.rows.empty()) {
        // Batches without a single departure would leave empty grid columns behind.
        result.timetable = {};
        result.error = format == WorkbookFormat::Csv ? std::string("文件中没有班次")
                                                     : std::string("工作表“") + kTimetableSheet + "”中没有班次";
    }
    stage.Report(1);
    return result;
}

// Removes a temporary file when the import is done with it.
struct TempFile {
    std::string path;
    ~TempFile() {
        if (!path.empty()) ::unlink(path.c_str());
    }
};

// The whole file in one buffer of its own size.
bool ReadWholeFile(int fd, std::size_t size, std::string* out) {
    out->resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, out->data() + done, size - done);
        if (n < 0) return false;
        if (n == 0) break;  // shorter than it was a moment ago
        done += static_cast<std::size_t>(n);
    }
    out->resize(done);
    return true;
}

}  // namespace

std::string ColumnName(std::string_view header, int column) {
    if (TrimView(header).empty()) return "F" + std::to_string(column + 1);
    return std::string(header);
}

std::string TimetableProblemLine(const TimetableProblem& problem) {
    return (problem.sheet.empty() ? "" : "单元格") + problem.place + "：" + problem.text;
}

ImportedTimetable BuildTimetable(const Sheet& sheet, ReadStage stage) {
    ImportedTimetable out;
    const int columns = std::max(sheet.ColumnCount(), 0);
    // The batch of each column that holds one: -1 for line columns and skipped pairs.
    std::vector<int> batchOf(static_cast<std::size_t>(columns), -1);
    auto batchAt = [&batchOf](int column) {
        return column >= 0 && static_cast<std::size_t>(column) < batchOf.size() ? batchOf[static_cast<std::size_t>(column)] : -1;
    };
    std::map<std::string, int> columnOf;  // a batch name as the server compares it → its first column
    std::vector<std::tuple<int, int, TimetableProblem>> problems;  // in sheet order
    for (int column = 0; column < columns; column += 2) {
        const std::string batch = Trim(ColumnName(sheet.CellText(0, column), column));
        if (batch.starts_with('F')) continue;
        if (const auto [at, added] = columnOf.try_emplace(ToLowerAscii(batch), column); !added)
            problems.emplace_back(0, column, TimetableProblem{{}, sheet.CellPlace(0, at->second) + "、" + sheet.CellPlace(0, column),
                                                              "批次名称“" + batch + "”重复，服务器会把两列当作同一个批次"});
        batchOf[static_cast<std::size_t>(column)] = out.rows.AddBatch(batch);
        out.batches.push_back(batch);
    }
    // A cell problem matters where the timetable reads the cell. A batch's header whose formula
    // gave no name leaves the pair looking unnamed: its cells count all the same.
    std::vector<bool> read(static_cast<std::size_t>(columns), false);
    for (int column = 0; column < columns; column += 2) read[static_cast<std::size_t>(column)] = batchAt(column) >= 0;
    for (const CellProblem& p : sheet.Problems())
        if (p.row == 0 && p.column % 2 == 0 && p.column < columns) read[static_cast<std::size_t>(p.column)] = true;
    auto isRead = [&read](int column) { return column >= 0 && static_cast<std::size_t>(column) < read.size() && read[static_cast<std::size_t>(column)]; };
    for (const CellProblem& p : sheet.Problems()) {
        const bool header = p.row == 0 && isRead(p.column);
        const bool departure = p.row > 0 && isRead(p.column);
        const bool line = p.row > 0 && p.column % 2 == 1 && isRead(p.column - 1) &&
                          !TrimView(sheet.CellText(p.row, p.column - 1)).empty();
        if (header || departure || line)
            problems.emplace_back(p.row, p.column, TimetableProblem{{}, sheet.CellPlace(p.row, p.column), p.text});
    }
    std::stable_sort(problems.begin(), problems.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    for (auto& p : problems) out.problems.push_back(std::move(std::get<2>(p)));

    // One walk over the cells, departures gathered per batch in sheet order.
    const int rows = sheet.RowCount();
    for (int row = 1; row < rows; ++row) {
        if (row % 1024 == 0) {
            if (stage.Cancelled()) return {};
            stage.Report(static_cast<double>(row) / rows);
        }
        sheet.ForEachCell(row, [&](int column, const std::string& text) {
            const int batch = batchAt(column);
            if (batch < 0) return;
            std::string time = Trim(text);
            if (time.empty()) return;
            RemoveAll(time, kBaseDate);
            out.rows.Add(batch, time, sheet.CellText(row, column + 1));
        });
    }
    out.rows.Shrink();
    return out;
}

WorkbookFormat SniffWorkbookFormat(std::string_view bytes, std::string_view fileName) {
    if (bytes.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))) return WorkbookFormat::Xls;
    if (bytes.starts_with(std::string_view("PK\x03\x04", 4))) return WorkbookFormat::Xlsx;
    const std::size_t dot = fileName.rfind('.');
    if (dot != std::string_view::npos && fileName.find('/', dot) == std::string_view::npos &&
        EqualsNoCase(fileName.substr(dot), ".csv"))
        return WorkbookFormat::Csv;
    return WorkbookFormat::Other;
}

TimetableImport ImportTimetableWorkbook(const std::string& path, ReadControl* control) {
    // Not blocking: a pipe or a device named by mistake is refused, never waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Refused({WorkbookProblem::Unreadable, {}, {}});
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return Refused({WorkbookProblem::Unreadable, {}, {}});
    if (!S_ISREG(info.st_mode)) return Refused({WorkbookProblem::NotAWorkbook, {}, {}});
    if (static_cast<std::size_t>(info.st_size) > kMaxWorkbookFileBytes)
        return Refused({WorkbookProblem::TooLarge, {}, "超过" + std::to_string(kMaxWorkbookFileBytes >> 20) + " MB"});
    std::string data;
    if (!ReadWholeFile(fd, static_cast<std::size_t>(info.st_size), &data)) return Refused({WorkbookProblem::Unreadable, {}, {}});
    const ReadStage stage{control, 0, 1};
    stage.Report(0.05);
    return Import(data, SniffWorkbookFormat(data, path), path, stage.Part(0.05, 1));
}

TimetableImport ImportTimetableBytes(std::string_view bytes, WorkbookFormat format, ReadControl* control) {
    TempFile temp;
    if (format == WorkbookFormat::Xls) {
        const char* dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/fenwarde-xls-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) return Refused({WorkbookProblem::Unreadable, {}, {}});
        temp.path = pattern;
        bool written = true;
        for (std::size_t done = 0; done < bytes.size() && written;) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            written = n > 0;
            if (written) done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        if (!written) return Refused({WorkbookProblem::Unreadable, {}, {}});
    }
    return Import(bytes, format, temp.path, ReadStage{control, 0, 1});
}

}  // namespace fw
