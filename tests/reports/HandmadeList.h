#pragma once

// A small report list made by hand for the export and summary tests: one vehicle, two batches
// of line 7 and one of line 9, with every way a stop can turn out.

#include <cstdio>
#include <string>
#include <vector>

#include "reports/ReportRows.h"

namespace fw::test {

inline ReportRow StopRow(std::string batch, std::string line, std::string stop,
                         std::string planReach, std::string realReach, std::string planLeave = "",
                         std::string realLeave = "") {
    ReportRow row;
    row.text = {"沪A10086",
                std::move(batch),
                "2014-08-25",
                std::move(line),
                std::move(stop),
                std::move(planReach),
                std::move(realReach),
                "",
                std::move(planLeave),
                std::move(realLeave),
                ""};
    row.text[kColLate] = FormatDelay(DelayKind::Late, row[kColPlanReach], row[kColRealReach]);
    row.text[kColOverstay] =
        FormatDelay(DelayKind::Overstay, row[kColPlanLeave], row[kColRealLeave]);
    return row;
}

// Deviations under the default window (-60 s .. +240 s on time), in planned order.
inline std::vector<ReportRow> HandmadeList() {
    return {
        StopRow("早班", "7路", "定安路", "2014-08-25 08:00:00",
                "2014-08-25 08:00:00"),                                                // 0: on time
        StopRow("早班", "7路", "鼓楼", "2014-08-25 08:05:00", "2014-08-25 08:10:30"),  // +330: late
        StopRow("早班", "7路", "官巷口", "2014-08-25 08:10:00",
                "2014-08-25 08:08:00"),  // -120: early
        StopRow("早班", "7路", "众安桥", "2014-08-25 08:15:00",
                "2014-08-25 08:19:00"),  // +240: on time
        StopRow("早班", "7路", "武林门", "2014-08-25 08:20:00",
                "2014-08-25 08:19:00"),  // -60: on time
        StopRow("午班", "7路", "定安路", "2014-08-25 12:00:00",
                "2014-08-25 11:58:59"),                                                // -61: early
        StopRow("午班", "7路", "鼓楼", "2014-08-25 12:05:00", "2014-08-25 12:09:01"),  // +241: late
        StopRow("午班", "7路", "官巷口", "2014-08-25 12:10:00", ""),                   // not served
        // Only a departure: judged by it (+300: late).
        StopRow("晚班", "9路", "城站", "2014-08-25 18:00:00", "", "2014-08-25 18:01:00",
                "2014-08-25 18:06:00"),
        StopRow("晚班", "9路", "龙翔桥", "2014-08-25 18:10:00", "soon"),  // unreadable
    };
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
