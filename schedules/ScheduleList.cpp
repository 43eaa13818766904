#include "schedules/ScheduleList.h"

#include <algorithm>
#include <utility>

#include "text/Strings.h"
#include "text/ValueOrder.h"

namespace fw {
namespace {

const std::string& ColumnText(const ScheduleRow& row, int column) {
    switch (column) {
        case 1: return row.startDate;
        case 2: return row.endDate;
        default: return row.name;
    }
}

}  // namespace

void SortState::Click(int clicked) {
    if (clicked == column) {
        descending = !descending;
    } else {
        column = clicked;
        descending = false;
    }
}

void ScheduleList::Add(std::string name, std::string startDate, std::string endDate) {
    bool marked = false;
    if (!markedBefore_.empty())
        if (const auto it = markedBefore_.find({name, startDate, endDate}); it != markedBefore_.end()) {
            markedBefore_.erase(it);
            marked = true;
        }
    rows_.push_back({std::move(name), std::move(startDate), std::move(endDate), marked});
}

void ScheduleList::Clear() {
    rows_.clear();
    refreshPending_ = false;
    markedBefore_.clear();
}

void ScheduleList::ListArrives() {
    if (!std::exchange(refreshPending_, false)) return;
    markedBefore_.clear();
    for (const ScheduleRow& row : rows_)
        if (row.marked) markedBefore_.insert({row.name, row.startDate, row.endDate});
    rows_.clear();
}

std::string ScheduleList::Search(std::string_view text) {
    std::string wanted = Trim(text);
    for (ScheduleRow& row : rows_) row.marked = TrimView(row.name) == wanted;
    return wanted;
}

bool ScheduleList::ToggleMark(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
    rows_[static_cast<std::size_t>(row)].marked = !rows_[static_cast<std::size_t>(row)].marked;
    return true;
}

void ScheduleList::DeleteMarked(const std::function<bool(const ScheduleRow&)>& remove) {
    for (std::size_t i = 0; i < rows_.size();) {
        if (!rows_[i].marked) {
            ++i;
            continue;
        }
        const ScheduleRow row = rows_[i];  // `remove` may empty the list (the login ended)
        if (!remove(row)) return;
        if (i < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void ScheduleList::SortBy(int column) {
    sort_.Click(column);
    // The dates compare as dates, also when written without leading zeros.
    const ValueKind kind = column == 0 ? ValueKind::Text : ValueKind::Time;
    const bool descending = sort_.descending;
    std::stable_sort(rows_.begin(), rows_.end(), [&](const ScheduleRow& a, const ScheduleRow& b) {
        const int c = CompareValues(ColumnText(a, column), ColumnText(b, column), kind);
        return descending ? c > 0 : c < 0;
    });
}

}  // namespace fw
