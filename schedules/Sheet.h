#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace fw {

// A cell whose text is not what the sheet shows, or shows nothing the timetable can use: a
// formula without a stored result, a formula whose result is an error or true/false.
struct CellProblem {
    int row = 0;
    int column = 0;
    std::string text;
};

// "C5": the name a spreadsheet gives the cell in row 4, column 2 (both from 0).
std::string CellName(int row, int column);

// One worksheet as a spreadsheet driver hands it over: every cell as text, row 0 the headers.
// The timetable rules read sheets only through this, whatever file format they came from.
class Sheet {
public:
    virtual ~Sheet() = default;
    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    // The cell's text; empty when the cell is empty or outside the sheet.
    virtual std::string CellText(int row, int column) const = 0;

    using CellVisitor = std::function<void(int column, const std::string& text)>;
    // Every cell of the row that holds something, left to right. Sheets that know where their
    // cells are skip the empty ones; this one asks every column.
    virtual void ForEachCell(int row, const CellVisitor& visit) const;

    // Cells whose text cannot stand for what the sheet shows, in no particular order.
    virtual const std::vector<CellProblem>& Problems() const;
    // Where a cell is, as the user finds it: "C5"; a .csv names its line and column.
    virtual std::string CellPlace(int row, int column) const { return CellName(row, column); }
};

// A sheet held in memory, row by row; rows may be shorter than the column count.
class TableSheet : public Sheet {
public:
    TableSheet() = default;
    explicit TableSheet(std::vector<std::vector<std::string>> rows);

    int RowCount() const override { return static_cast<int>(rows_.size()); }
    int ColumnCount() const override { return columns_; }
    std::string CellText(int row, int column) const override;
    void ForEachCell(int row, const CellVisitor& visit) const override;

private:
    std::vector<std::vector<std::string>> rows_;
    int columns_ = 0;
};

// A sheet that keeps only the cells that hold something, for formats whose cells may stand
// anywhere (a lone cell in column XFD costs no more than one in column A).
class SparseSheet : public Sheet {
public:
    // Cells may come in any order; a cell given twice keeps its last text. Empty texts are
    // not kept.
    void Put(int row, int column, std::string text);
    // Sorts what Put gathered; call once before reading.
    void Finish();

    int RowCount() const override { return static_cast<int>(rows_.size()); }
    int ColumnCount() const override { return columns_; }
    std::string CellText(int row, int column) const override;
    void ForEachCell(int row, const CellVisitor& visit) const override;

    void AddProblem(CellProblem problem) { problems_.push_back(std::move(problem)); }
    const std::vector<CellProblem>& Problems() const override { return problems_; }
    // Cells kept so far.
    std::size_t CellCount() const { return cells_; }

private:
    using Cell = std::pair<int, std::string>;
    std::vector<CellProblem> problems_;
    std::size_t cells_ = 0;
    std::vector<std::vector<Cell>> rows_;
    int columns_ = 0;
};

}  // namespace fw
