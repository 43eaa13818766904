#include "schedules/XlsWorkbook.h"

#include <freexl.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "schedules/XlsStrings.h"
#include "text/Strings.h"

namespace fw {
namespace {

// The cell text the spreadsheet driver gave for a number: its shortest form with up to
// fifteen significant digits, as "%.15g" writes it.
std::string NumberText(double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

class XlsSheet : public Sheet {
public:
    XlsSheet(const void* handle, int rows, int columns)
        : handle_(handle), rows_(rows), columns_(columns) {}
    ~XlsSheet() override { freexl_close(handle_); }
    XlsSheet(const XlsSheet&) = delete;
    XlsSheet& operator=(const XlsSheet&) = delete;

    int RowCount() const override { return rows_; }
    int ColumnCount() const override { return columns_; }

    std::string CellText(int row, int column) const override {
        if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return {};
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(handle_, static_cast<unsigned>(row),
                                  static_cast<unsigned short>(column), &cell) != FREEXL_OK)
            return {};
        switch (cell.type) {
            case FREEXL_CELL_INT: return std::to_string(cell.value.int_value);
            case FREEXL_CELL_DOUBLE: return NumberText(cell.value.double_value);
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATETIME: return Text(cell);
            case FREEXL_CELL_DATE: return Text(cell) + " 00:00:00";
            case FREEXL_CELL_TIME: return "1899-12-30 " + Text(cell);
            default: return {};
        }
    }

private:
    static std::string Text(const FreeXL_CellValue& cell) {
        return cell.value.text_value != nullptr ? cell.value.text_value : "";
    }

    const void* handle_;
    int rows_;
    int columns_;
};

WorkbookProblem ProblemOf(int freexlError) {
    switch (freexlError) {
        case FREEXL_FILE_NOT_FOUND: return WorkbookProblem::Unreadable;
        case FREEXL_INSUFFICIENT_MEMORY:
        case FREEXL_CFBF_READ_ERROR:
        case FREEXL_CFBF_SEEK_ERROR:
        case FREEXL_CFBF_EMPTY_FAT_CHAIN:
        case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
        case FREEXL_BIFF_INVALID_BOF:
        case FREEXL_BIFF_INVALID_SST:
        case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        case FREEXL_ILLEGAL_CELL_ROW_COL:
        case FREEXL_ILLEGAL_RK_VALUE:
        case FREEXL_INVALID_MINI_STREAM:
        case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        case FREEXL_CRAFTED_FILE:
        case FREEXL_INVALID_CHARACTER:
        case FREEXL_UNSUPPORTED_CHARSET: return WorkbookProblem::Damaged;
        default: return WorkbookProblem::NotAWorkbook;  // a compound file without a workbook
    }
}

// Closes the handle unless it is handed on.
struct HandleGuard {
    const void* handle = nullptr;
    ~HandleGuard() {
        if (handle != nullptr) freexl_close(handle);
    }
};

}  // namespace

WorkbookFormat SniffWorkbookFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return WorkbookFormat::Unreadable;
    std::array<char, 8> head{};
    in.read(head.data(), head.size());
    if (in.gcount() < static_cast<std::streamsize>(head.size())) return WorkbookFormat::Other;
    static constexpr unsigned char kCompoundFile[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (std::memcmp(head.data(), kCompoundFile, 8) == 0) return WorkbookFormat::Xls;
    if (std::memcmp(head.data(), "PK\x03\x04", 4) == 0) return WorkbookFormat::Xlsx;
    return WorkbookFormat::Other;
}

std::unique_ptr<Sheet> OpenXlsSheet(const std::string& path, std::string_view sheetName,
                                    WorkbookProblem* problem) {
    auto fail = [problem](WorkbookProblem p) {
        if (problem != nullptr) *problem = p;
        return nullptr;
    };
    {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.is_open()) return fail(WorkbookProblem::Unreadable);
        if (CheckSharedStrings(bytes) == SharedStrings::TooLong) return fail(WorkbookProblem::TooLongText);
    }
    HandleGuard guard;
    const int opened = freexl_open(path.c_str(), &guard.handle);
    if (opened != FREEXL_OK) return fail(ProblemOf(opened));

    unsigned int info = 0;
    if (freexl_get_info(guard.handle, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK)
        return fail(WorkbookProblem::Damaged);
    if (info == FREEXL_BIFF_OBFUSCATED) return fail(WorkbookProblem::Protected);

    unsigned int sheets = 0;
    if (freexl_get_info(guard.handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK)
        return fail(WorkbookProblem::Damaged);
    int found = -1;
    for (int pass = 0; pass < 2 && found < 0; ++pass)
        for (unsigned int i = 0; i < sheets && i <= 0xFFFF && found < 0; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(guard.handle, static_cast<unsigned short>(i), &name) !=
                    FREEXL_OK ||
                name == nullptr)
                continue;
            if (pass == 0 ? sheetName == name : EqualsNoCase(sheetName, name))
                found = static_cast<int>(i);
        }
    if (found < 0) return fail(WorkbookProblem::NoSuchSheet);

    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(guard.handle, static_cast<unsigned short>(found)) != FREEXL_OK ||
        freexl_worksheet_dimensions(guard.handle, &rows, &columns) != FREEXL_OK)
        return fail(WorkbookProblem::Damaged);
    if (problem != nullptr) *problem = WorkbookProblem::None;
    auto sheet = std::make_unique<XlsSheet>(guard.handle, static_cast<int>(rows), columns);
    guard.handle = nullptr;
    return sheet;
}

}  // namespace fw
