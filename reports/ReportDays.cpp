#include "reports/ReportDays.h"

#include <cmath>

#include "text/OleDate.h"

namespace fw {

std::optional<std::string> ReportDays::Plan(std::string_view start, std::string_view end) {
    Clear();
    notes_.clear();
    current_ = 0;
    const std::optional<OleDate> first = ParseDateTime(DatePart(start));
    const std::optional<OleDate> last = ParseDateTime(DatePart(end));
    if (!first || !last || *last <= *first) return std::nullopt;
    const auto count = static_cast<std::size_t>(std::lround(*last - *first)) + 1;
    if (count > kMaxReportDays)
        return "报表时间范围最多 " + std::to_string(kMaxReportDays) + " 天，所选范围有 " +
               std::to_string(count) + " 天";
    for (std::size_t i = 0; i < count; ++i) {
        const std::string date = FormatDate(AddDays(*first, static_cast<int>(i)));
        days_.push_back({date, i == 0 ? std::string(start) : date + " 00:00:00",
                         i + 1 == count ? std::string(end) : date + " 23:59:59"});
    }
    return std::nullopt;
}

bool ReportDays::Next() {
    if (current_ + 1 < days_.size()) {
        ++current_;
        return true;
    }
    Clear();
    return false;
}

std::string ReportDays::Progress() const {
    return "第 " + std::to_string(current_ + 1) + " / " + std::to_string(days_.size()) + " 天";
}

void ReportDays::Note(const std::string& message) { notes_.push_back(Date() + "：" + message); }

std::string ReportDays::Notes() const {
    std::string text;
    for (const std::string& note : notes_) text += (text.empty() ? "" : "\n") + note;
    return text;
}

}  // namespace fw
