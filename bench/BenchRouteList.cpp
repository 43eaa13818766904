#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "routes/RouteDrawing.h"
#include "routes/RouteList.h"
#include "routes/RouteStore.h"
#include "text/Encoding.h"

namespace {

// 10,000 routes of 25 stations with Chinese names; every tenth has two stations and is not listed.
fw::RouteStore MakeStore(int routes) {
    fw::RouteStore store;
    for (int i = 0; i < routes; ++i) {
        fw::RouteRecord r;
        r.lineName = std::to_string(i % 977) + "路支线" + std::to_string(i);
        r.length = std::to_string(5 + i % 40) + ".25";
        r.time = "01:" + std::to_string(10 + i % 50);
        r.lineId = std::to_string(i);
        const int stations = i % 10 == 0 ? 2 : 25;
        for (int s = 0; s < stations; ++s)
            r.stations.push_back({std::to_string(s), "人民广场东站" + std::to_string(s), "31.2", "121.4",
                                  "", "3", fw::PresenceState::Outside});
        store.Append(std::move(r));
    }
    return store;
}

// Filling the last page walks the whole store: the worst case of a page button.
void BM_RouteLastPageFill(benchmark::State& state) {
    const fw::RouteStore store = MakeStore(10000);
    const int lastPage = static_cast<int>((store.ListedRouteCount() + 19) / 20);
    for (auto _ : state) {
        auto rows = fw::PageRows(store, lastPage);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_RouteLastPageFill)->Unit(benchmark::kMicrosecond);

// Sorting a full page by route name, GBK conversion of the keys included.
void BM_RoutePageSort(benchmark::State& state) {
    const fw::RouteStore store = MakeStore(10000);
    const auto rows = fw::PageRows(store, 7);
    fw::TextCodec gbk("GBK");
    for (auto _ : state) {
        std::vector<std::string> keys;
        for (const auto& row : rows) keys.push_back(gbk.FromUtf8(row.name));
        auto order = fw::SortOrder(keys, true);
        benchmark::DoNotOptimize(order);
    }
}
BENCHMARK(BM_RoutePageSort)->Unit(benchmark::kMicrosecond);

// A burst of marker commands, as a page that keeps sending them produces.
void BM_MarkerCommands(benchmark::State& state) {
    for (auto _ : state) {
        fw::RouteDrawing drawing;
        for (int i = 0; i < 10000; ++i)
            drawing.Apply("marker,S" + std::to_string(i) + ",站点" + std::to_string(i) +
                          ",30.274151,120.155151,0.83,3");
        benchmark::DoNotOptimize(drawing);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_MarkerCommands)->Unit(benchmark::kMillisecond);

}  // namespace
