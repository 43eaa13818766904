#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ChartData.h"
#include "reports/Punctuality.h"
#include "tests/reports/HandmadeList.h"

namespace fw {
namespace {

using test::HandmadeList;
using test::StopRow;

// The cells of a table's rows, "|" between cells and "\n" after each row.
std::string Cells(const ExportTable& table) {
    std::string out;
    for (std::size_t r = 0; r < table.rowCount; ++r)
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            out += std::string(table.cell(r, c)) + (c + 1 < table.columns.size() ? "|" : "\n");
    return out;
}

TEST(Punctuality, EachStopOfTheHandmadeListUnderThreeWindows) {
    const std::vector<ReportRow> rows = HandmadeList();
    // O on time, L late, E early, N not served, U unreadable.
    const std::pair<OnTimeWindow, const char*> cases[] = {
        {{60, 240}, "OLEOOELNLU"},
        {{0, 0}, "OLELEELNLU"},      // exactly on the planned second only
    };
    for (const auto& [window, expected] : cases) {
        std::string got;
        for (const ReportRow& row : rows) got += "NOLEU"[static_cast<int>(Classify(row, window))];
        EXPECT_EQ(got, expected) << window.earlySeconds << "/" << window.lateSeconds;
    }
    EXPECT_EQ(ArrivalDeviation(rows[1]), 330);
    EXPECT_EQ(ArrivalDeviation(rows[5]), -61);
    EXPECT_FALSE(ArrivalDeviation(rows[8]).has_value());  // no real arrival
}

TEST(Punctuality, SummaryPerLineWithATotal) {
    const std::vector<ReportRow> rows = HandmadeList();
    // Its title, headings and cell kinds show in the CSV and workbook tests.
    EXPECT_EQ(Cells(LineSummary(rows, {})),
              "7路|8|7|3|2|2|1|0|0.42857142857142855\n"
              "9路|2|2|0|1|0|0|1|0\n"
              "合计|10|9|3|3|2|1|1|0.375\n");
    // Lines in natural order, whatever order the list meets them in; no share without a
    // served stop.
    std::vector<ReportRow> lines;
    for (const char* line : {"西湖观光线", "155路", "7路", "1路", "201路", "7路"})
        lines.push_back(StopRow("早班", line, "定安路", "2014-08-25 08:00:00", ""));
    EXPECT_EQ(Cells(LineSummary(lines, {})),
              "1路|1|0|0|0|0|1|0|\n7路|2|0|0|0|0|2|0|\n155路|1|0|0|0|0|1|0|\n"
              "201路|1|0|0|0|0|1|0|\n西湖观光线|1|0|0|0|0|1|0|\n合计|6|0|0|0|0|6|0|\n");
    EXPECT_EQ(Cells(LineSummary({}, {})), "合计|0|0|0|0|0|0|0|\n");

    EXPECT_EQ(DescribeWindow({90, 300}), "提前90秒至迟到5分钟");  // the default's in the CSV test
}

// Lateness along the route: one line per batch, points in seconds late; where the batches meet
// different stops the place shows both, where more than two its number. The histogram: one bin
// a minute, split by the window, far outliers in the outermost bins, which say so.
TEST(ChartData, LatenessAlongTheRouteAndTheHistogram) {
    const LatenessChartData data = LatenessAlongRoute(HandmadeList());
    std::string chart;
    for (const std::string& stop : data.stops) chart += stop + " ";
    for (const LatenessLine& line : data.lines) {
        chart += "\n" + line.name + ":";
        for (const LatenessPoint& p : line.points)
            chart += " " + std::to_string(p.position) + " " + std::to_string(p.minutes * 60);
    }
    EXPECT_EQ(chart,
              "定安路/城站 鼓楼/龙翔桥 官巷口 众安桥 武林门 "
              "\n早班 7路: 0 0.000000 1 330.000000 2 -120.000000 3 240.000000 4 -60.000000"
              "\n午班 7路: 0 -61.000000 1 241.000000\n晚班 9路:");  // no readable arrival
    std::vector<ReportRow> rows(3, StopRow("早班", "7路", "定安路", "2014-08-25 08:00:00", ""));
    for (std::size_t i = 0; i < 3; ++i) rows[i].text[kColStop] = "站" + std::to_string(i);
    rows[1].text[kColDate] = "2014-08-26";  // batches of more than one day carry their date
    rows[2].text[kColBatch] = "午班";
    const LatenessChartData days = LatenessAlongRoute(rows);
    EXPECT_EQ(days.stops, std::vector<std::string>{"1"});
    EXPECT_EQ(days.lines.at(1).name, "2014-08-26 早班 7路");

    const DeviationHistogram h = ArrivalHistogram(HandmadeList(), {});
    std::string bins;  // "label:early/onTime/late", -2 .. 5, the empty minutes included
    for (std::size_t i = 0; i < h.bins.size(); ++i)
        bins += h.Label(i) + ":" + std::to_string(h.bins[i].early) + "/" +
                std::to_string(h.bins[i].onTime) + "/" + std::to_string(h.bins[i].late) + " ";
    EXPECT_EQ(bins, "-2:2/0/0 -1:0/1/0 0:0/1/0 1:0/0/0 2:0/0/0 3:0/0/0 4:0/1/1 5:0/0/1 ");
    rows[0].text[kColRealReach] = "2014-08-25 09:45:00";
    rows[1].text[kColRealReach] = "2014-08-25 07:00:00";
    const DeviationHistogram clipped = ArrivalHistogram(rows, {});
    ASSERT_EQ(clipped.bins.size(), 61u);
    EXPECT_EQ(clipped.Label(0) + " " + clipped.Label(60), "≤-30 ≥30");
    EXPECT_EQ(clipped.bins[0].early + clipped.bins[60].late, 2u);
    EXPECT_TRUE(ArrivalHistogram({}, {}).bins.empty());
}

}  // namespace
}  // namespace fw
