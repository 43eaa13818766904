#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "reports/ReportExport.h"
#include "reports/ReportRows.h"

namespace fw {

// A stop counts as on time from `earlySeconds` before its planned time to `lateSeconds` after it,
// both ends included (conf.ini: OnTimeEarly, OnTimeLate).
struct OnTimeWindow {
    int earlySeconds = 60;
    int lateSeconds = 240;
};

enum class Punctuality {
    NotServed,  // no real arrival and no real departure
    OnTime,
    Late,
    Early,
    Unreadable,  // served, but its planned or real time is no date-time
};

// Real minus planned arrival in seconds (negative: early); none unless both read as times.
std::optional<long long> ArrivalDeviation(const ReportRow& row);
// The arrival decides; a stop with only a departure (the vehicle set off from inside the
// station's circle) is judged by its departure.
Punctuality Classify(const ReportRow& row, OnTimeWindow window);

struct PunctualityCounts {
    std::size_t planned = 0;
    std::size_t served = 0;
    std::size_t onTime = 0;
    std::size_t late = 0;
    std::size_t early = 0;
    std::size_t notServed = 0;
    std::size_t unreadable = 0;

    void Add(Punctuality p);
    // On time among the served stops that could be judged; none when there are none.
    std::optional<double> OnTimeShare() const;
    bool operator==(const PunctualityCounts&) const = default;
};

PunctualityCounts CountPunctuality(std::span<const ReportRow> rows, OnTimeWindow window);

// One row of a summary: the texts of its key columns and its counts.
struct SummaryRow {
    std::vector<std::string> key;
    PunctualityCounts counts;
};

// The counts per distinct key (the texts of `keyColumns`), keys in natural order (1路, 7路,
// 155路), then a total row ("合计" in the first key column).
std::vector<SummaryRow> SummariseBy(std::span<const ReportRow> rows,
                                    std::span<const ReportColumn> keyColumns, OnTimeWindow window);

// The summary as a table: the key headings, then 计划站次, 已服务, 准点, 迟到, 早到, 未服务,
// 无法判定 and 准点率.
ExportTable SummaryTable(std::string title, std::vector<std::string> keyHeadings,
                         std::vector<SummaryRow> rows);

// The per-line summary of a listed report ("汇总").
ExportTable LineSummary(std::span<const ReportRow> rows, OnTimeWindow window);

// "提前1分钟至迟到4分钟", for the header block of a summary.
std::string DescribeWindow(OnTimeWindow window);

}  // namespace fw
