#include "schedules/ScheduleDates.h"

#include <cmath>

#include "text/Strings.h"

namespace fw {
namespace {

int NumberAt(std::string_view text, std::size_t from, std::size_t count) {
    return from < text.size() ? AtoiLike(text.substr(from, count)) : 0;
}

}  // namespace

std::optional<OleDate> ReadPickerDate(std::string_view text) {
    CivilDateTime c;
    c.year = NumberAt(text, 0, 4);
    c.month = NumberAt(text, 5, 2);
    c.day = NumberAt(text, 8, 2);
    return ToOleDate(c);
}

ScheduleDays ReadScheduleDays(std::string_view startText, std::string_view endText) {
    ScheduleDays out;
    const auto first = ReadPickerDate(TrimView(startText));
    const auto last = ReadPickerDate(endText);
    if (!first || !last) return out;
    if (*first > *last) {
        out.error = kStartAfterEnd;
        return out;
    }
    const auto days = std::llround(*last - *first) + 1;
    if (days > kMaxScheduleDays) {
        out.error = "排班日期范围不能超过" + std::to_string(kMaxScheduleDays) + "天";
        return out;
    }
    out.first = first;
    for (long long d = 0; d < days; ++d) out.dates.push_back(FormatDate(AddDays(*first, static_cast<int>(d))));
    return out;
}

}  // namespace fw
