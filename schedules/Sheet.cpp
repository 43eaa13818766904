#include "schedules/Sheet.h"

#include <algorithm>

namespace fw {

std::string CellName(int row, int column) {
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row + 1);
}

const std::vector<CellProblem>& Sheet::Problems() const {
    static const std::vector<CellProblem> kNone;
    return kNone;
}

void Sheet::ForEachCell(int row, const CellVisitor& visit) const {
    for (int column = 0; column < ColumnCount(); ++column)
        if (std::string text = CellText(row, column); !text.empty()) visit(column, text);
}

TableSheet::TableSheet(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {
    for (const auto& row : rows_) columns_ = std::max(columns_, static_cast<int>(row.size()));
}

std::string TableSheet::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0) return {};
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                           : std::string();
}

void TableSheet::ForEachCell(int row, const CellVisitor& visit) const {
    if (row < 0 || row >= RowCount()) return;
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    for (std::size_t column = 0; column < cells.size(); ++column)
        if (!cells[column].empty()) visit(static_cast<int>(column), cells[column]);
}

void SparseSheet::Put(int row, int column, std::string text) {
    if (row < 0 || column < 0 || text.empty()) return;
    if (static_cast<std::size_t>(row) >= rows_.size())
        rows_.resize(static_cast<std::size_t>(row) + 1);
    rows_[static_cast<std::size_t>(row)].emplace_back(column, std::move(text));
    ++cells_;
    columns_ = std::max(columns_, column + 1);
}

void SparseSheet::Finish() {
    for (auto& cells : rows_) {
        // Stable, so that of two cells at one place the later one ends last and is kept.
        auto byColumn = [](const Cell& a, const Cell& b) { return a.first < b.first; };
        if (!std::is_sorted(cells.begin(), cells.end(), byColumn))
            std::stable_sort(cells.begin(), cells.end(), byColumn);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i + 1 < cells.size() && cells[i + 1].first == cells[i].first)
                continue;  // a later one follows
            if (kept != i) cells[kept] = std::move(cells[i]);
            ++kept;
        }
        cells.resize(kept);
    }
}

std::string SparseSheet::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount()) return {};
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    const auto at = std::lower_bound(cells.begin(), cells.end(), column,
                                     [](const Cell& c, int col) { return c.first < col; });
    return at != cells.end() && at->first == column ? at->second : std::string();
}

void SparseSheet::ForEachCell(int row, const CellVisitor& visit) const {
    if (row < 0 || row >= RowCount()) return;
    for (const Cell& cell : rows_[static_cast<std::size_t>(row)]) visit(cell.first, cell.second);
}

}  // namespace fw
