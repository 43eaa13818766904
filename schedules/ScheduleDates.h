#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/OleDate.h"

namespace fw {

// The pickers show dates as "yyyy-MM-dd"; a picker's text is read at those places: the year in
// characters 0 to 3, the month in 5 and 6, the day in 8 and 9, each as far as its digits go
// (a missing part counts as 0). Nothing when the numbers are no date.
std::optional<OleDate> ReadPickerDate(std::string_view text);

// Longest schedule the grid and the server take: a year, leap day included.
inline constexpr int kMaxScheduleDays = 366;

inline constexpr const char* kStartAfterEnd = "开始时间不能大于结束时间";

struct ScheduleDays {
    std::vector<std::string> dates;  // "%Y-%m-%d", from the first day to the last
    std::optional<OleDate> first;
    std::string error;  // for the user; dates is then empty
};

// The days of a schedule from the texts of its start and end pickers (the start text trimmed).
// No days and no error when either text is no date.
ScheduleDays ReadScheduleDays(std::string_view startText, std::string_view endText);

}  // namespace fw
