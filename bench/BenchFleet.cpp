// One vehicle-day of fenwarde-report as a worker runs it: the report run on the track, the day's
// stop rows stored with their real times on a store of its own in memory, the rows read back.
// The same day as BM_ReportRun (11,520 fixes, 1,200 stop rows), so the two read side by side.
#include <benchmark/benchmark.h>

#include "fleet/VehicleDayRun.h"
#include "routes/RouteStore.h"
#include "tests/reports/SyntheticDay.h"

namespace {

void BM_FleetVehicleDay(benchmark::State& state) {
    const fw::test::DayShape shape = fw::test::FullDay();
    const fw::test::SyntheticDay day = fw::test::MakeSyntheticDay(shape);
    fw::RouteStore routes;
    for (const auto& route : day.routes) routes.AddRoute(route);
    const fw::FleetContext context{"调度员", "127.0.0.1", 8089, {}};
    fw::VehicleDayInput input{{shape.plate, "77", day.firstFix.substr(0, 10)}, {}, day.trackBody, {}};
    for (const auto& stop : day.stops) input.stops.push_back(stop.entry);
    std::size_t rows = 0;
    for (auto _ : state) {
        const fw::VehicleDayResult result = fw::RunVehicleDay(context, input, routes);
        if (!result.failure.empty()) return state.SkipWithError(result.failure.c_str());
        rows = result.rows.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_FleetVehicleDay)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
