#pragma once

// A small report list made by hand for the export and summary tests: one vehicle, two batches
// of line 7 and one of line 9, with every way a stop can turn out.

#include <cstdio>
#include <string>
#include <vector>

#include "reports/ReportExport.h"
#include "reports/ReportRows.h"

namespace fw::test {

inline ReportRow StopRow(const std::string& batch, const std::string& line, const std::string& stop,
                         const std::string& planReach, const std::string& realReach,
                         const std::string& planLeave = "", const std::string& realLeave = "") {
    ReportRow row;
    row.text = {"沪A10086", batch, "2014-08-25", line,      stop, planReach,
                realReach,  "",    planLeave,    realLeave, ""};
    row.text[kColLate] = FormatDelay(DelayKind::Late, row[kColPlanReach], row[kColRealReach]);
    row.text[kColOverstay] =
        FormatDelay(DelayKind::Overstay, row[kColPlanLeave], row[kColRealLeave]);
    return row;
}

// Deviations under the default window (-60 s .. +240 s on time), in planned order.
inline std::vector<ReportRow> HandmadeList() {
    const std::string day = "2014-08-25 ";
    return {
        StopRow("早班", "7路", "定安路", day + "08:00:00", day + "08:00:00"),  // 0: on time
        StopRow("早班", "7路", "鼓楼", day + "08:05:00", day + "08:10:30"),    // +330: late
        StopRow("早班", "7路", "官巷口", day + "08:10:00", day + "08:08:00"),  // -120: early
        StopRow("早班", "7路", "众安桥", day + "08:15:00", day + "08:19:00"),  // +240: on time
        StopRow("早班", "7路", "武林门", day + "08:20:00", day + "08:19:00"),  // -60: on time
        StopRow("午班", "7路", "定安路", day + "12:00:00", day + "11:58:59"),  // -61: early
        StopRow("午班", "7路", "鼓楼", day + "12:05:00", day + "12:09:01"),    // +241: late
        StopRow("午班", "7路", "官巷口", day + "12:10:00", ""),                // not served
        // Only a departure: judged by it (+300: late).
        StopRow("晚班", "9路", "城站", day + "18:00:00", "", day + "18:01:00", day + "18:06:00"),
        StopRow("晚班", "9路", "龙翔桥", day + "18:10:00", "soon"),  // unreadable
    };
}

// The header block of the long list's exports.
inline ReportHeading LongListHeading() {
    return {.company = "一公司",
            .plate = "沪A10086",
            .start = "2014-08-25 05:00:00",
            .end = "2014-08-29 21:00:00",
            .rule = "首个定位点",
            .generatedAt = "2014-08-30 09:00:00",
            .matching = "最近计划"};
}

// A long list for benchmarks and the progress of an export: batches of 40 stops on three
// lines over as many days as it takes, arrivals from 3 minutes early to 6 minutes late, every
// tenth stop not served.
inline std::vector<ReportRow> LongList(std::size_t count) {
    std::vector<ReportRow> rows;
    rows.reserve(count);
    char plan[32], real[32], leave[32];
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t batch = i / 40, stop = i % 40;
        const int day = 25 + static_cast<int>(batch / 20) % 5;
        const int minutes = 5 * 60 + static_cast<int>(batch % 20) * 50 + static_cast<int>(stop);
        const int deviation = static_cast<int>((i * 37) % 540) - 180;  // seconds
        const int realSeconds = minutes * 60 + deviation;
        std::snprintf(plan, sizeof plan, "2014-08-%02d %02d:%02d:00", day, minutes / 60,
                      minutes % 60);
        std::snprintf(real, sizeof real, "2014-08-%02d %02d:%02d:%02d", day, realSeconds / 3600,
                      realSeconds / 60 % 60, realSeconds % 60);
        std::snprintf(leave, sizeof leave, "2014-08-%02d %02d:%02d:30", day, minutes / 60,
                      minutes % 60);
        const bool served = i % 10 != 9;
        rows.push_back(StopRow("班次" + std::to_string(batch % 20 + 1),
                               std::to_string(batch % 3 + 1) + "路",
                               "站点" + std::to_string(stop + 1), plan, served ? real : "", leave,
                               served ? leave : ""));
        rows.back().text[kColDate] = std::string(plan, 10);
    }
    return rows;
}

}  // namespace fw::test
