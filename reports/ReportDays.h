#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

inline constexpr std::size_t kMaxReportDays = 31;

// A generated report over a range of several days, run as the one-day runs it is made of: for
// each day the vehicle's planned stops of that day (9016), then the run on the track of that
// day's part of the range, the rows gathered in one list. A range within one day is no plan:
// that run goes as it always has.
class ReportDays {
public:
    // Plans the days of [start, end] ("yyyy-MM-dd HH:mm:ss"). Gives the text to show instead
    // when the range spans more than kMaxReportDays days; a range within a day, or one that
    // ends before it starts (the run itself says so), plans nothing.
    std::optional<std::string> Plan(std::string_view start, std::string_view end);
    void Clear() { days_.clear(); }

    // A plan of several days is under way.
    bool Active() const { return !days_.empty(); }
    std::size_t Count() const { return days_.size(); }
    std::size_t Index() const { return current_; }
    // The day now being reported ("yyyy-MM-dd") and its part of the range.
    const std::string& Date() const { return days_[current_].date; }
    const std::string& Start() const { return days_[current_].start; }
    const std::string& End() const { return days_[current_].end; }
    // The whole range.
    const std::string& RangeStart() const { return days_.front().start; }
    const std::string& RangeEnd() const { return days_.back().end; }
    // Moves to the next day; false (and the plan ends) after the last.
    bool Next();

    // "第 3 / 7 天".
    std::string Progress() const;
    // What a day's run had to say, kept for the end: "2014-08-27：轨迹数据为空".
    void Note(const std::string& message);
    // The notes of the days so far, one a line; empty when none had anything to say.
    std::string Notes() const;

private:
    struct Day {
        std::string date, start, end;
    };
    std::vector<Day> days_;
    std::size_t current_ = 0;
    std::vector<std::string> notes_;
};

}  // namespace fw
