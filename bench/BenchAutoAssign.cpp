// Automatic vehicle assignment of a month: 200 batches a day over 31 days, 60 vehicles, the
// batches' spans as a day of a large depot has them (two to four hours, from 05:00 on, some
// past midnight). The target: under 20 ms.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "schedules/AutoAssign.h"

namespace {

void BM_AutoAssign(benchmark::State& state) {
    std::mt19937 random(7);
    auto uniform = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    fw::AutoAssignRequest request;
    for (int b = 0; b < 200; ++b) {
        fw::BatchSpan span;
        span.known = span.tripKnown = true;
        span.first = 5 * 3600 + uniform(0, 19 * 60) * 60;
        span.last = span.first + uniform(2 * 60, 4 * 60) * 60;
        span.end = span.last + 40 * 60;
        request.batches.push_back("班次" + std::to_string(b + 1));
        request.spans.push_back(span);
    }
    for (int v = 0; v < 60; ++v) request.vehicles.push_back("浙A" + std::to_string(10000 + v));
    request.days = 31;
    int need = 0, unassigned = 0;
    for (auto _ : state) {
        const fw::AutoAssignment plan = fw::AutoAssign(request);
        need = plan.Need();
        unassigned = plan.Unassigned();
        benchmark::DoNotOptimize(plan.days.data());
    }
    state.counters["need"] = need;
    state.counters["unassigned"] = unassigned;
    state.counters["cells"] = 200 * 31;
}
BENCHMARK(BM_AutoAssign)->Unit(benchmark::kMillisecond);

}  // namespace
