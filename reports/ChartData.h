#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "reports/Punctuality.h"
#include "reports/ReportRows.h"

namespace fw {

// Lateness along the route: one line per batch (batch, date and line of the rows), its points
// at the stops in the order the batch served them. A stop without a readable arrival leaves
// its point out.
struct LatenessPoint {
    int position = 0;    // the stop's place in its batch, from 0
    double minutes = 0;  // arrival deviation; negative is early
};
struct LatenessLine {
    std::string name;
    std::vector<LatenessPoint> points;
    std::size_t colour = 0;  // which of the chart's colours
};
// What the legend lists: each batch in a colour of its own while there are no more than
// kLegendColours; beyond, the batches of one line share its colour and the line is listed
// with their number.
inline constexpr std::size_t kLegendColours = 20;
struct LegendEntry {
    std::string name;
    std::size_t colour = 0;
};
struct LatenessChartData {
    // The stop names along the axis: "a/b" where the batches meet two different stops at that
    // place (trips back and forth), the place's number where they meet more.
    std::vector<std::string> stops;
    std::vector<LatenessLine> lines;
    std::vector<LegendEntry> legend;
    bool grouped = false;  // by line
};
LatenessChartData LatenessAlongRoute(std::span<const ReportRow> rows);

// Arrival deviations in 1-minute bins, early on the left: bin m holds [m, m+1) minutes, split
// by how the on-time window judges each arrival. Deviations beyond ±kHistogramLimit minutes
// are counted in the outermost bins.
inline constexpr int kHistogramLimit = 30;
struct DeviationBin {
    int minute = 0;
    std::size_t early = 0;
    std::size_t onTime = 0;
    std::size_t late = 0;
    std::size_t Total() const { return early + onTime + late; }
};
struct DeviationHistogram {
    std::vector<DeviationBin> bins;            // contiguous, from the lowest bin to the highest
    bool clippedLow = false;                   // the first bin also holds earlier arrivals
    bool clippedHigh = false;                  // the last bin also holds later ones
    std::string Label(std::size_t bin) const;  // "-1", "0", "≥30"
};
DeviationHistogram ArrivalHistogram(std::span<const ReportRow> rows, OnTimeWindow window);

}  // namespace fw
