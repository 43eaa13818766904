#pragma once

#include <string>
#include <vector>

namespace fw {

// One worksheet as a spreadsheet driver hands it over: every cell as text, row 0 the headers.
// The timetable rules read sheets only through this, whatever file format they came from.
class Sheet {
public:
    virtual ~Sheet() = default;
    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    // The cell's text; empty when the cell is empty or outside the sheet.
    virtual std::string CellText(int row, int column) const = 0;
};

// A sheet held in memory, row by row; rows may be shorter than the column count.
class TableSheet : public Sheet {
public:
    TableSheet() = default;
    explicit TableSheet(std::vector<std::vector<std::string>> rows);

    int RowCount() const override { return static_cast<int>(rows_.size()); }
    int ColumnCount() const override { return columns_; }
    std::string CellText(int row, int column) const override;

private:
    std::vector<std::vector<std::string>> rows_;
    int columns_ = 0;
};

}  // namespace fw
