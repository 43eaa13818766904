#include "reports/ChartData.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

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
    std::vector<std::optional<std::string>> names;  // per place; empty optional: not seen
    std::vector<bool> disagree;
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
        if (slot >= names.size()) {
            names.resize(slot + 1);
            disagree.resize(slot + 1, false);
        }
        if (!names[slot])
            names[slot] = row[kColStop];
        else if (*names[slot] != row[kColStop])
            disagree[slot] = true;
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
    for (std::size_t i = 0; i < names.size(); ++i)
        data.stops.push_back(disagree[i] || !names[i] ? std::to_string(i + 1) : *names[i]);
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
