#include "schedules/Timetable.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "schedules/CsvSheet.h"
#include "schedules/XlsWorkbook.h"
#include "schedules/XlsxWorkbook.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr std::string_view kBaseDate = "1899-12-30";

void RemoveAll(std::string& text, std::string_view what) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
}

TimetableImport Refused(ReadProblem problem) {
    TimetableImport result;
    result.error = WorkbookProblemText(problem);
    return result;
}

TimetableImport Import(std::string_view bytes, WorkbookFormat format, const std::string& xlsPath) {
    ReadProblem problem;
    std::unique_ptr<Sheet> sheet;
    switch (format) {
        case WorkbookFormat::Xls: sheet = OpenXlsSheet(xlsPath, bytes, kTimetableSheet, &problem); break;
        case WorkbookFormat::Xlsx: sheet = OpenXlsxSheet(bytes, kTimetableSheet, &problem); break;
        case WorkbookFormat::Csv: sheet = OpenCsvSheet(bytes, &problem); break;
        case WorkbookFormat::Other: problem.kind = WorkbookProblem::NotAWorkbook; break;
    }
    if (!sheet) return Refused(problem.kind == WorkbookProblem::None ? ReadProblem{WorkbookProblem::Damaged, {}, {}} : problem);
    TimetableImport result;
    result.timetable = BuildTimetable(*sheet);
    if (result.timetable.rows.empty()) {
        // Batches without a single departure would leave empty grid columns behind.
        result.timetable = {};
        result.error = format == WorkbookFormat::Csv ? std::string("文件中没有班次")
                                                     : std::string("工作表“") + kTimetableSheet + "”中没有班次";
    }
    return result;
}

// Removes a temporary file when the import is done with it.
struct TempFile {
    std::string path;
    ~TempFile() {
        if (!path.empty()) ::unlink(path.c_str());
    }
};

}  // namespace

std::string ColumnName(std::string_view header, int column) {
    if (TrimView(header).empty()) return "F" + std::to_string(column + 1);
    return std::string(header);
}

ImportedTimetable BuildTimetable(const Sheet& sheet) {
    ImportedTimetable out;
    // The batch of each column that holds one: -1 for line columns and skipped pairs.
    std::vector<int> batchOf(static_cast<std::size_t>(std::max(sheet.ColumnCount(), 0)), -1);
    for (int column = 0; column < sheet.ColumnCount(); column += 2) {
        const std::string batch = Trim(ColumnName(sheet.CellText(0, column), column));
        if (batch.starts_with('F')) continue;
        batchOf[static_cast<std::size_t>(column)] = static_cast<int>(out.batches.size());
        out.batches.push_back(batch);
    }
    // One walk over the cells, departures gathered per batch in sheet order.
    std::vector<std::vector<TimetableRow>> departures(out.batches.size());
    for (int row = 1; row < sheet.RowCount(); ++row)
        sheet.ForEachCell(row, [&](int column, const std::string& text) {
            const int batch = static_cast<std::size_t>(column) < batchOf.size() ? batchOf[static_cast<std::size_t>(column)] : -1;
            if (batch < 0) return;
            std::string time = Trim(text);
            if (time.empty()) return;
            RemoveAll(time, kBaseDate);
            departures[static_cast<std::size_t>(batch)].push_back(
                {out.batches[static_cast<std::size_t>(batch)], std::move(time), sheet.CellText(row, column + 1)});
        });
    for (auto& rows : departures) std::move(rows.begin(), rows.end(), std::back_inserter(out.rows));
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

TimetableImport ImportTimetableWorkbook(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return Refused({WorkbookProblem::Unreadable, {}, {}});
    if (!S_ISREG(info.st_mode)) return Refused({WorkbookProblem::NotAWorkbook, {}, {}});
    if (static_cast<std::size_t>(info.st_size) > kMaxWorkbookFileBytes)
        return Refused({WorkbookProblem::TooLarge, {}, "超过" + std::to_string(kMaxWorkbookFileBytes >> 20) + " MB"});
    std::ifstream in(path, std::ios::binary);
    if (!in) return Refused({WorkbookProblem::Unreadable, {}, {}});
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return Refused({WorkbookProblem::Unreadable, {}, {}});
    const std::string data = std::move(bytes).str();
    return Import(data, SniffWorkbookFormat(data, path), path);
}

TimetableImport ImportTimetableBytes(std::string_view bytes, WorkbookFormat format) {
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
    return Import(bytes, format, temp.path);
}

}  // namespace fw
