// The roster checks run after every typed cell: a year of 200 batches (73,200 cells), a fleet
// of 400 vehicles, every cell filled by the carry-down of the first row.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "schedules/AssignmentGrid.h"
#include "schedules/RosterCheck.h"

namespace {

void BM_RosterCheck(benchmark::State& state) {
    constexpr int kBatches = 200, kDays = 366;
    std::vector<std::string> batches, fleet, dates;
    std::vector<fw::TimetableRow> rows;
    for (int b = 0; b < kBatches; ++b) {
        batches.push_back("班次" + std::to_string(b + 1));
        for (int h : {5 + b % 10, 12 + b % 10})
            rows.push_back({batches.back(), std::to_string(h) + ":00", "1路"});
    }
    for (int v = 0; v < 400; ++v) fleet.push_back("浙A" + std::to_string(10000 + v));
    for (int d = 0; d < kDays; ++d) dates.push_back("2014-" + std::to_string(d));
    fw::AssignmentGrid grid;
    grid.SetBatches(batches);
    grid.SetDates(dates);
    for (int column = 1; column <= kBatches; ++column)
        grid.StoreEdit(0, column, fleet[static_cast<std::size_t>(column)]);
    const auto spans = fw::BatchSpans(batches, rows);
    for (auto _ : state) {
        const fw::RosterCheck check = fw::CheckRoster(grid, spans, fleet, 180);
        benchmark::DoNotOptimize(check.findings.data());
    }
    state.counters["cells"] = kBatches * kDays;
}
BENCHMARK(BM_RosterCheck)->Unit(benchmark::kMillisecond);

}  // namespace
