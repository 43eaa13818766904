// The simulator's side of a fleet run's vehicle-day: one vehicle's track of a day made and
// written as the track service's reply (the fleet benchmark pays it for every vehicle-day).
#include <benchmark/benchmark.h>

#include "sim/ScenarioGenerator.h"
#include "sim/SimState.h"
#include "sim/WebSite.h"

namespace {

void BM_SimTrackReply(benchmark::State& state) {
    fw::sim::SimState sim(fw::sim::GenerateScenario(100, "2014-08-25"));
    const std::string plate = sim.scenario().vehicles[7].code;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto track = sim.TrackSourceOf(plate, "2014-08-26").Track();
        const std::string reply = fw::sim::WriteTrackReply(track->fixes);
        bytes = reply.size();
        benchmark::DoNotOptimize(reply);
    }
    state.counters["reply_MiB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_SimTrackReply)->Unit(benchmark::kMillisecond);

}  // namespace
