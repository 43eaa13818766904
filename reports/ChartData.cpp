#include "reports/ChartData.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

#include "text/Strings.h"

namespace fw {
namespace {

long long FloorMinutes(long long seconds) {
    return seconds >= 0 ? seconds / 60 : -((-seconds + 59) / 60);
}

}  // namespace

LatenessChartData LatenessAlongRoute(std::span<const ReportRow> rows) {
    LatenessChartData data;
    using Key = std::tuple<std::string, std::string, std::string>;  // batch, date, line
    std::map<Key, std::size_t> lineOf;
    std::vector<int> served;  // stops seen so far per line
    std::vector<Key> keys;
    std::vector<std::vector<std::string>> names;  // the stops seen at each place
    for (const ReportRow& row : rows) {
        Key key{row[kColBatch], row[kColDate], row[kColLine]};
        auto [at, added] = lineOf.try_emplace(key, data.lines.size());
        if (added) {
            data.lines.push_back({});
            served.push_back(0);
            keys.push_back(key);
        }
        const std::size_t line = at->second;
        const int place = served[line]++;
        const auto slot = static_cast<std::size_t>(place);
        if (slot >= names.size()) names.resize(slot + 1);
        if (std::find(names[slot].begin(), names[slot].end(), row[kColStop]) == names[slot].end())
            names[slot].push_back(row[kColStop]);
        if (row[kColRealReach].empty()) continue;
        if (const auto deviation = ArrivalDeviation(row))
            data.lines[line].points.push_back({place, static_cast<double>(*deviation) / 60.0});
    }
    // A date appears in the names only when the list spans more than one.
    const bool manyDates = std::any_of(keys.begin(), keys.end(), [&](const Key& k) {
        return std::get<1>(k) != std::get<1>(keys.front());
    });
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto& [batch, date, line] = keys[i];
        std::string name = batch.empty() ? std::string("（无批次）") : batch;
        if (!line.empty()) name += " " + line;
        if (manyDates && !date.empty()) name = date + " " + name;
        data.lines[i].name = std::move(name);
    }
    // Colours: one per batch while they last, else one per line, lines in natural order.
    if (keys.size() <= kLegendColours) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            data.lines[i].colour = i;
            data.legend.push_back({data.lines[i].name, i});
        }
    } else {
        data.grouped = true;
        std::map<std::string, std::size_t, bool (*)(std::string_view, std::string_view)> batches(
            &NaturalLess);
        for (const Key& key : keys) ++batches[std::get<2>(key)];
        std::size_t colour = 0;
        std::map<std::string, std::size_t> colourOf;
        for (const auto& [line, count] : batches) {
            colourOf[line] = colour % kLegendColours;
            data.legend.push_back({(line.empty() ? std::string("（无线路）") : line) + "（" +
                                       std::to_string(count) + " 个批次）",
                                   colour++ % kLegendColours});
        }
        for (std::size_t i = 0; i < keys.size(); ++i)
            data.lines[i].colour = colourOf[std::get<2>(keys[i])];
    }
    // Trips back and forth meet a place from either end: two names are shown, more a number.
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].size() == 1)
            data.stops.push_back(names[i][0]);
        else if (names[i].size() == 2)
            data.stops.push_back(names[i][0] + "/" + names[i][1]);
        else
            data.stops.push_back(std::to_string(i + 1));
    }
    return data;
}

std::string DeviationHistogram::Label(std::size_t bin) const {
    const std::string number = std::to_string(bins[bin].minute);
    if (bin == 0 && clippedLow) return "≤" + number;
    if (bin + 1 == bins.size() && clippedHigh) return "≥" + number;
    return number;
}

DeviationHistogram ArrivalHistogram(std::span<const ReportRow> rows, OnTimeWindow window) {
    DeviationHistogram histogram;
    std::map<long long, DeviationBin> bins;
    for (const ReportRow& row : rows) {
        if (row[kColRealReach].empty()) continue;
        const std::optional<long long> deviation = ArrivalDeviation(row);
        if (!deviation) continue;
        long long minute = FloorMinutes(*deviation);
        if (minute < -kHistogramLimit) {
            minute = -kHistogramLimit;
            histogram.clippedLow = true;
        } else if (minute > kHistogramLimit) {
            minute = kHistogramLimit;
            histogram.clippedHigh = true;
        }
        DeviationBin& bin = bins[minute];
        bin.minute = static_cast<int>(minute);
        if (*deviation < -static_cast<long long>(window.earlySeconds))
            ++bin.early;
        else if (*deviation > static_cast<long long>(window.lateSeconds))
            ++bin.late;
        else
            ++bin.onTime;
    }
    if (bins.empty()) return histogram;
    // Empty minutes between the outermost ones are bins too, so the axis runs evenly.
    for (long long m = bins.begin()->first; m <= bins.rbegin()->first; ++m) {
        DeviationBin bin = bins.count(m) ? bins[m] : DeviationBin{};
        bin.minute = static_cast<int>(m);
        histogram.bins.push_back(bin);
    }
    return histogram;
}

}  // namespace fw
