#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace fw {

struct ScheduleRow {
    std::string name, startDate, endDate;
    bool marked = false;  // chosen for deletion
};

// A list's sort: the column last sorted and its direction. A click on that column again turns
// the direction round; a click on another sorts it ascending. Column 0 counts as sorted
// ascending at first, so the first click on it sorts descending.
struct SortState {
    int column = 0;
    bool descending = false;
    void Click(int clicked);
};

// The server's schedules as the schedule list shows them: name, start and end date, and the
// mark of each row. Rows come in order of arrival until sorted.
class ScheduleList {
public:
    void Add(std::string name, std::string startDate, std::string endDate);
    void Clear();

    // The login was made again: the next list the server sends takes the place of the rows,
    // which keep their marks where they come again (same name and dates). Until then the rows
    // stay as they are.
    void BeginRefresh() { refreshPending_ = true; }
    // A list from the server begins (9011).
    void ListArrives();
    const std::vector<ScheduleRow>& Rows() const { return rows_; }

    // Marks every row whose trimmed name equals the trimmed text in full and unmarks the rest.
    // Returns the trimmed text.
    std::string Search(std::string_view text);
    // Inverts the mark of a row; false when there is no such row.
    bool ToggleMark(int row);
    // Walks the rows from the first: each marked row is handed to `remove` and taken out of the
    // list, and the same place is looked at again. A `remove` that returns false ends the walk
    // with that row left in place.
    void DeleteMarked(const std::function<bool(const ScheduleRow&)>& remove);

    // Sorts by a column as the sort state says: names as text without regard to ASCII case,
    // the dates by date.
    void SortBy(int column);

private:
    std::vector<ScheduleRow> rows_;
    SortState sort_;
    bool refreshPending_ = false;
    std::multiset<std::tuple<std::string, std::string, std::string>> markedBefore_;
};

}  // namespace fw
