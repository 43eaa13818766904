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

TEST(Punctuality, EachStopOfTheHandmadeListUnderTwoWindows) {
    using P = Punctuality;
    const std::vector<ReportRow> rows = HandmadeList();
    const struct {
        OnTimeWindow window;
        std::vector<P> expected;
    } cases[] = {
        {{60, 240},
         {P::OnTime, P::Late, P::Early, P::OnTime, P::OnTime, P::Early, P::Late, P::NotServed,
          P::Late, P::Unreadable}},
        // Exactly on the planned second only.
        {{0, 0},
         {P::OnTime, P::Late, P::Early, P::Late, P::Early, P::Early, P::Late, P::NotServed, P::Late,
          P::Unreadable}},
        // A wide window takes in everything but the 330 s and 300 s delays.
        {{300, 299},
         {P::OnTime, P::Late, P::OnTime, P::OnTime, P::OnTime, P::OnTime, P::OnTime, P::NotServed,
          P::Late, P::Unreadable}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(rows.size(), c.expected.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(Classify(rows[i], c.window), c.expected[i])
                << "row " << i << " window " << c.window.earlySeconds << "/"
                << c.window.lateSeconds;
    }
    EXPECT_EQ(ArrivalDeviation(rows[1]), 330);
    EXPECT_EQ(ArrivalDeviation(rows[5]), -61);
    EXPECT_FALSE(ArrivalDeviation(rows[8]).has_value());  // no real arrival
}

TEST(Punctuality, SummaryPerLineWithATotalAsATable) {
    const std::vector<ReportRow> rows = HandmadeList();
    // Its title, headings and cell kinds show in the CSV and workbook tests.
    const ExportTable table = LineSummary(rows, {});
    ASSERT_EQ(table.rowCount, 3u);
    const std::vector<std::vector<std::string>> expected = {
        {"7路", "8", "7", "3", "2", "2", "1", "0", "0.42857142857142855"},
        {"9路", "2", "2", "0", "1", "0", "0", "1", "0"},
        {"合计", "10", "9", "3", "3", "2", "1", "1", "0.375"},
    };
    for (std::size_t r = 0; r < expected.size(); ++r)
        for (std::size_t c = 0; c < expected[r].size(); ++c)
            EXPECT_EQ(table.cell(r, c), expected[r][c]) << r << "," << c;

    // Lines in natural order, whatever order the list meets them in.
    std::vector<ReportRow> lines;
    for (const char* line : {"西湖观光线", "155路", "7路", "1路", "201路", "7路"})
        lines.push_back(StopRow("早班", line, "定安路", "2014-08-25 08:00:00", ""));
    const ExportTable byLine = LineSummary(lines, {});
    std::vector<std::string> names;
    for (std::size_t r = 0; r < byLine.rowCount; ++r) names.emplace_back(byLine.cell(r, 0));
    EXPECT_EQ(names, (std::vector<std::string>{"1路", "7路", "155路", "201路", "西湖观光线", "合计"}));

    // Per vehicle and day, as a fleet's summary groups them: one key, then the total.
    static constexpr ReportColumn kByVehicleDay[] = {kColPlate, kColDate};
    const std::vector<SummaryRow> byDay = SummariseBy(rows, kByVehicleDay, {});
    ASSERT_EQ(byDay.size(), 2u);
    EXPECT_EQ(byDay[0].key, (std::vector<std::string>{"沪A10086", "2014-08-25"}));
    EXPECT_EQ(byDay[1].key, (std::vector<std::string>{"合计", ""}));
    EXPECT_EQ(byDay[0].counts, byDay[1].counts);

    // An empty list still has its total, with no share.
    const ExportTable empty = LineSummary({}, {});
    ASSERT_EQ(empty.rowCount, 1u);
    EXPECT_EQ(empty.cell(0, 0), "合计");
    EXPECT_EQ(empty.cell(0, 1), "0");
    EXPECT_EQ(empty.cell(0, 8), "");
    // Nor has a line whose stops were none of them served.
    EXPECT_EQ(LineSummary(std::vector<ReportRow>{rows[7]}, {}).cell(0, 8), "");
    EXPECT_EQ(DescribeWindow({90, 300}), "提前90秒至迟到5分钟");  // the default's in the CSV test
}

TEST(ChartData, LatenessAlongTheRouteOneLinePerBatch) {
    const LatenessChartData data = LatenessAlongRoute(HandmadeList());
    // Where the batches meet different stops the place shows both.
    EXPECT_EQ(data.stops, (std::vector<std::string>{"定安路/城站", "鼓楼/龙翔桥", "官巷口",
                                                    "众安桥", "武林门"}));
    ASSERT_EQ(data.lines.size(), 3u);
    EXPECT_EQ(data.lines[0].name, "早班 7路");
    EXPECT_EQ(data.lines[1].name, "午班 7路");
    EXPECT_EQ(data.lines[2].name, "晚班 9路");
    auto points = [](const LatenessLine& line) {
        std::vector<std::pair<int, double>> out;
        for (const LatenessPoint& p : line.points) out.emplace_back(p.position, p.minutes);
        return out;
    };
    EXPECT_EQ(points(data.lines[0]), (std::vector<std::pair<int, double>>{
                                         {0, 0.0}, {1, 5.5}, {2, -2.0}, {3, 4.0}, {4, -1.0}}));
    EXPECT_EQ(points(data.lines[1]),
              (std::vector<std::pair<int, double>>{{0, -61.0 / 60}, {1, 241.0 / 60}}));
    EXPECT_TRUE(data.lines[2].points.empty());  // no readable arrival

    // Batches of more than one day carry their date.
    std::vector<ReportRow> twoDays = {StopRow("早班", "7路", "定安路", "2014-08-25 08:00:00", "")};
    twoDays.push_back(twoDays[0]);
    twoDays[1].text[kColDate] = "2014-08-26";
    const LatenessChartData days = LatenessAlongRoute(twoDays);
    ASSERT_EQ(days.lines.size(), 2u);
    EXPECT_EQ(days.lines[1].name, "2014-08-26 早班 7路");
    EXPECT_EQ(days.stops, std::vector<std::string>{"定安路"});
    twoDays.push_back(twoDays[0]);
    twoDays[2].text[kColBatch] = "午班";
    for (int i = 0; i < 3; ++i)
        twoDays[static_cast<std::size_t>(i)].text[kColStop] = "站" + std::to_string(i);
    EXPECT_EQ(LatenessAlongRoute(twoDays).stops, std::vector<std::string>{"1"});
}

TEST(ChartData, HistogramInMinuteBinsSplitByTheWindow) {
    const DeviationHistogram h = ArrivalHistogram(HandmadeList(), {});
    ASSERT_EQ(h.bins.size(), 8u);  // -2 .. 5, the empty minutes included
    const struct {
        int minute;
        std::size_t early, onTime, late;
    } expected[] = {{-2, 2, 0, 0}, {-1, 0, 1, 0}, {0, 0, 1, 0}, {1, 0, 0, 0},
                    {2, 0, 0, 0},  {3, 0, 0, 0},  {4, 0, 1, 1}, {5, 0, 0, 1}};
    for (std::size_t i = 0; i < h.bins.size(); ++i) {
        EXPECT_EQ(h.bins[i].minute, expected[i].minute);
        EXPECT_EQ(h.bins[i].early, expected[i].early) << expected[i].minute;
        EXPECT_EQ(h.bins[i].onTime, expected[i].onTime) << expected[i].minute;
        EXPECT_EQ(h.bins[i].late, expected[i].late) << expected[i].minute;
    }
    EXPECT_EQ(h.Label(0), "-2");
    EXPECT_FALSE(h.clippedLow || h.clippedHigh);

    // Far outliers land in the outermost bins, which say so.
    std::vector<ReportRow> far = {
        StopRow("早班", "7路", "a", "2014-08-25 08:00:00", "2014-08-25 09:45:00"),
        StopRow("早班", "7路", "b", "2014-08-25 08:00:00", "2014-08-25 07:00:00")};
    const DeviationHistogram clipped = ArrivalHistogram(far, {});
    ASSERT_EQ(clipped.bins.size(), 61u);
    EXPECT_EQ(clipped.Label(0), "≤-30");
    EXPECT_EQ(clipped.Label(60), "≥30");
    EXPECT_EQ(clipped.bins[60].late, 1u);
    EXPECT_TRUE(ArrivalHistogram({}, {}).bins.empty());
}

}  // namespace
}  // namespace fw
