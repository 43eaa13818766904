#include "schedules/XlsWorkbook.h"

#include <freexl.h>

#include "schedules/CompoundFile.h"
#include "schedules/XlsCells.h"
#include "schedules/NumberFormats.h"
#include "schedules/XlsStrings.h"
#include "text/Strings.h"

namespace fw {
namespace {

class XlsSheet : public Sheet {
public:
    XlsSheet(const void* handle, int rows, int columns, XlsCells cells)
        : handle_(handle), rows_(rows), columns_(columns), cells_(std::move(cells)) {}
    ~XlsSheet() override { freexl_close(handle_); }
    XlsSheet(const XlsSheet&) = delete;
    XlsSheet& operator=(const XlsSheet&) = delete;

    int RowCount() const override { return rows_; }
    int ColumnCount() const override { return columns_; }

    const std::vector<CellProblem>& Problems() const override { return cells_.problems; }

    std::string CellText(int row, int column) const override {
        if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return {};
        if (const auto own = cells_.texts.find({row, column}); own != cells_.texts.end()) return own->second;
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
    XlsCells cells_;  // what FreeXL does not give
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

std::unique_ptr<Sheet> OpenXlsSheet(const std::string& path, std::string_view bytes, std::string_view sheetName,
                                    ReadProblem* problem) {
    ReadProblem ignored;
    if (problem == nullptr) problem = &ignored;
    *problem = {};
    auto fail = [problem](WorkbookProblem p, std::string where = {}) {
        problem->kind = p;
        problem->where = std::move(where);
        return nullptr;
    };
    // An .xlsx saved with a password is an encrypted package in the .xls container.
    if (CompoundFile compound(bytes); compound.Open() && compound.HasStream("EncryptedPackage"))
        return fail(WorkbookProblem::Protected);
    if (CheckSharedStrings(bytes) == SharedStrings::TooLong) return fail(WorkbookProblem::TooLongText);
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
    if (found < 0) return fail(WorkbookProblem::NoSuchSheet, std::string(sheetName));

    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(guard.handle, static_cast<unsigned short>(found)) != FREEXL_OK ||
        freexl_worksheet_dimensions(guard.handle, &rows, &columns) != FREEXL_OK)
        return fail(WorkbookProblem::Damaged);
    const char* selected = nullptr;
    freexl_get_worksheet_name(guard.handle, static_cast<unsigned short>(found), &selected);
    auto sheet = std::make_unique<XlsSheet>(guard.handle, static_cast<int>(rows), columns,
                                            ReadXlsCells(bytes, selected != nullptr ? selected : sheetName).value_or(XlsCells{}));
    guard.handle = nullptr;
    return sheet;
}

}  // namespace fw
