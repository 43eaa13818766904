#include "schedules/ScheduleList.h"

#include <algorithm>

#include "text/Strings.h"

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
    rows_.push_back({std::move(name), std::move(startDate), std::move(endDate), false});
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
    std::vector<std::pair<std::string, ScheduleRow>> keyed;
    keyed.reserve(rows_.size());
    for (ScheduleRow& row : rows_) keyed.emplace_back(ToLowerAscii(ColumnText(row, column)), std::move(row));
    const bool descending = sort_.descending;
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
        return descending ? b.first < a.first : a.first < b.first;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i) rows_[i] = std::move(keyed[i].second);
}

}  // namespace fw
