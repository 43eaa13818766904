#include "schedules/AssignmentGrid.h"

namespace fw {

std::vector<int> CarryDownColumns(int columnCount, int rowCount, int editColumn) {
    std::vector<int> columns;
    if (columnCount < 2 || editColumn < 1 || editColumn >= columnCount) return columns;
    int c = editColumn;
    for (int row = 0; row < rowCount; ++row) {
        int k = c % columnCount;
        ++c;
        if (k == 0) {
            c = 2;
            k = 1;
        }
        columns.push_back(k);
    }
    return columns;
}

std::string BatchForContent(std::string_view batch) {
    constexpr int kMaxCharacters = 255;
    int characters = 0;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        // A character starts at every byte that is not a UTF-8 continuation byte.
        if ((static_cast<unsigned char>(batch[i]) & 0xC0) != 0x80 && ++characters > kMaxCharacters)
            return std::string(batch.substr(0, i));
    }
    return std::string(batch);
}

void AssignmentGrid::SetBatches(std::vector<std::string> batches) {
    batches_ = std::move(batches);
    dates_.clear();
    cells_.clear();
}

void AssignmentGrid::SetDates(std::vector<std::string> dates) {
    dates_ = std::move(dates);
    cells_.assign(dates_.size(), std::vector<std::string>(batches_.size()));
}

void AssignmentGrid::Clear() { SetBatches({}); }

bool AssignmentGrid::IsCell(int row, int column) const {
    return row >= 0 && row < RowCount() && column >= 1 && column < ColumnCount();
}

const std::string& AssignmentGrid::Cell(int row, int column) const {
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)];
}

std::vector<GridCell> AssignmentGrid::StoreEdit(int row, int column, const std::string& text) {
    if (!IsCell(row, column)) return {};
    auto set = [this](int r, int c, const std::string& t) {
        cells_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c - 1)] = t;
    };
    set(row, column, text);
    if (row > 0) return {{row, column}};
    std::vector<GridCell> written;
    const std::vector<int> path = CarryDownColumns(ColumnCount(), RowCount(), column);
    for (int r = 0; r < static_cast<int>(path.size()); ++r) {
        set(r, path[static_cast<std::size_t>(r)], text);
        written.push_back({r, path[static_cast<std::size_t>(r)]});
    }
    return written;
}

void AssignmentGrid::SetCell(int row, int column, const std::string& text) {
    if (IsCell(row, column)) cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)] = text;
}

void AssignmentGrid::AppendRow(int row, std::vector<AssignmentRow>& out) const {
    for (int column = 1; column < ColumnCount(); ++column)
        out.push_back({Date(row), BatchForContent(Batch(column)), Cell(row, column)});
}

std::vector<AssignmentRow> AssignmentGrid::Content() const {
    std::vector<AssignmentRow> out;
    out.reserve(static_cast<std::size_t>(RowCount()) * batches_.size());
    for (int row = 0; row < RowCount(); ++row) AppendRow(row, out);
    return out;
}

std::vector<AssignmentRow> AssignmentGrid::DayContent(std::string_view date) const {
    std::vector<AssignmentRow> out;
    for (int row = 0; row < RowCount(); ++row)
        if (Date(row) == date) AppendRow(row, out);
    return out;
}

}  // namespace fw
