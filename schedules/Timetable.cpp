#include "schedules/Timetable.h"

#include "text/Strings.h"

namespace fw {
namespace {

constexpr std::string_view kBaseDate = "1899-12-30";

void RemoveAll(std::string& text, std::string_view what) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
}

}  // namespace

std::string ColumnName(std::string_view header, int column) {
    if (TrimView(header).empty()) return "F" + std::to_string(column + 1);
    return std::string(header);
}

ImportedTimetable BuildTimetable(const Sheet& sheet) {
    ImportedTimetable out;
    const int columns = sheet.ColumnCount();
    const int rows = sheet.RowCount();
    for (int column = 0; column < columns; column += 2) {
        const std::string batch = Trim(ColumnName(sheet.CellText(0, column), column));
        if (batch.starts_with('F')) continue;
        out.batches.push_back(batch);
        for (int row = 1; row < rows; ++row) {
            std::string time = Trim(sheet.CellText(row, column));
            if (time.empty()) continue;
            RemoveAll(time, kBaseDate);
            out.rows.push_back({batch, std::move(time), sheet.CellText(row, column + 1)});
        }
    }
    return out;
}

std::string WorkbookProblemText(WorkbookProblem problem) {
    switch (problem) {
        case WorkbookProblem::None: return {};
        case WorkbookProblem::Unreadable: return "无法读取所选文件，请确认文件存在并且可以打开";
        case WorkbookProblem::NotAWorkbook: return "所选文件不是Excel 97-2003工作簿(*.xls)";
        case WorkbookProblem::NewerFormat:
            return "所选文件是Excel 2007及以后版本的.xlsx格式，请在Excel中另存为"
                   "“Excel 97-2003 工作簿(*.xls)”后再导入";
        case WorkbookProblem::Protected: return "工作簿设有密码保护，请在Excel中取消密码后再导入";
        case WorkbookProblem::Damaged: return "工作簿已损坏或不完整，无法读取";
        case WorkbookProblem::TooLongText: return "工作簿中有字数过多（数千字）的单元格，无法读取，请缩短后再导入";
        case WorkbookProblem::NoSuchSheet:
            return std::string("工作簿中没有名为“") + kTimetableSheet + "”的工作表";
    }
    return {};
}

TimetableImport ImportTimetableWorkbook(const std::string& path) {
    TimetableImport result;
    WorkbookProblem problem = WorkbookProblem::None;
    switch (SniffWorkbookFormat(path)) {
        case WorkbookFormat::Unreadable: problem = WorkbookProblem::Unreadable; break;
        case WorkbookFormat::Xlsx: problem = WorkbookProblem::NewerFormat; break;
        case WorkbookFormat::Other: problem = WorkbookProblem::NotAWorkbook; break;
        case WorkbookFormat::Xls:
            if (const auto sheet = OpenXlsSheet(path, kTimetableSheet, &problem))
                result.timetable = BuildTimetable(*sheet);
            break;
    }
    if (problem != WorkbookProblem::None) {
        result.error = WorkbookProblemText(problem);
    } else if (result.timetable.rows.empty()) {
        // Batches without a single departure would leave empty grid columns behind.
        result.timetable = {};
        result.error = std::string("工作表“") + kTimetableSheet + "”中没有班次";
    }
    return result;
}

}  // namespace fw
