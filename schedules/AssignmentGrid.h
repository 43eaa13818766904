#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/Requests.h"

namespace fw {

// The columns a vehicle typed into the first date row reaches, row by row: the edited column,
// then one batch further each day, wrapping from the last batch to the first. `columnCount`
// counts the date column 0, so with three batches (4) and column 2 the rows get 2, 3, 1, 2, 3, ….
std::vector<int> CarryDownColumns(int columnCount, int rowCount, int editColumn);

// A batch name as the assignment message carries it: at most its first 255 characters.
std::string BatchForContent(std::string_view batch);

struct GridCell {
    int row = 0;
    int column = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

// The vehicle grid of a schedule being made: one row per date, column 0 the date, one column per
// batch after it; cells hold vehicle codes as typed.
class AssignmentGrid {
public:
    // New batch columns; the rows go with the old ones.
    void SetBatches(std::vector<std::string> batches);
    // One empty row per date; the batch columns stay.
    void SetDates(std::vector<std::string> dates);
    void Clear();

    int RowCount() const { return static_cast<int>(dates_.size()); }
    int ColumnCount() const { return static_cast<int>(batches_.size()) + 1; }
    bool IsCell(int row, int column) const;
    const std::string& Date(int row) const { return dates_[static_cast<std::size_t>(row)]; }
    const std::string& Batch(int column) const { return batches_[static_cast<std::size_t>(column - 1)]; }
    const std::string& Cell(int row, int column) const;

    // Stores what was typed into a cell; typed into the first row it is carried down the rows.
    // Returns every cell written.
    std::vector<GridCell> StoreEdit(int row, int column, const std::string& text);
    // Sets one cell, the first row's too, without carrying it down (a plan that fills cells).
    void SetCell(int row, int column, const std::string& text);

    // The assignment of every cell, rows in order and each row's batches left to right, empty
    // cells included; only the rows of `date` when one is given.
    std::vector<AssignmentRow> Content() const;
    std::vector<AssignmentRow> DayContent(std::string_view date) const;

private:
    void AppendRow(int row, std::vector<AssignmentRow>& out) const;

    std::vector<std::string> batches_;
    std::vector<std::string> dates_;
    std::vector<std::vector<std::string>> cells_;  // [row][column - 1]
};

}  // namespace fw
