#include "schedules/Sheet.h"

#include <algorithm>

namespace fw {

TableSheet::TableSheet(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {
    for (const auto& row : rows_) columns_ = std::max(columns_, static_cast<int>(row.size()));
}

std::string TableSheet::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0) return {};
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                           : std::string();
}

}  // namespace fw
