// A report run on a full day: 11,520 fixes (16 h at one per 5 s), 3 routes of 40 stations,
// 1,200 stop rows; from the track text to the sorted report rows, the HTTP transfer excluded.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "reports/ReportRun.h"
#include "reports/TrackReader.h"
#include "routes/RouteStore.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "tests/reports/SyntheticDay.h"

namespace {

void RunReportDay(benchmark::State& state, const char* password,
                  fw::DetectionRule rule = fw::DetectionRule::FirstFix,
                  fw::Matching matching = fw::Matching::Nearest) {
    const fw::test::DayShape shape = fw::test::FullDay();
    const fw::test::SyntheticDay day = fw::test::MakeSyntheticDay(shape);

    std::string dir = (std::filesystem::temp_directory_path() / "fenwarde-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return state.SkipWithError("no temporary directory");
    {
        fw::Database db;
        if (!db.Open(dir, "bench", password)) return state.SkipWithError("database did not open");
        fw::StopTimeTable table(db);
        for (const auto& stop : day.stops) table.InsertStopTime(stop.entry, "调度员");
        fw::RouteStore routes;
        for (const auto& route : day.routes) routes.AddRoute(route);
        fw::VehicleStore vehicles;
        vehicles.Add({shape.plate, "77", "东区"});

        fw::ReportForm query;
        query.plate = shape.plate;
        query.start = day.firstFix;
        query.end = day.lastFix;
        query.userName = "调度员";
        query.serverAddress = "127.0.0.1";
        query.detection.rule = rule;
        query.detection.matching = matching;
        std::size_t rows = 0, reached = 0;
        for (auto _ : state) {
            fw::ReportRun run(table, routes, vehicles, nullptr);
            run.Begin(query);
            fw::ReportList list;
            run.Finish(query, day.trackBody, list);
            rows = list.Size();
            reached = 0;
            for (const auto& row : list.Rows()) reached += !row[fw::kColRealReach].empty();
            benchmark::DoNotOptimize(list);
        }
        state.counters["fixes"] = day.fixes;
        state.counters["stop_rows"] = static_cast<double>(day.stops.size());
        state.counters["rows"] = static_cast<double>(rows);
        state.counters["reached"] = static_cast<double>(reached);
        state.counters["track_MiB"] = static_cast<double>(day.trackBody.size()) / (1 << 20);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
void BM_ReportRun(benchmark::State& state) { RunReportDay(state, ""); }
BENCHMARK(BM_ReportRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same day with the interpolated rule: the crossing instants between fixes.
void BM_ReportRunInterpolated(benchmark::State& state) {
    RunReportDay(state, "", fw::DetectionRule::Interpolated);
}
BENCHMARK(BM_ReportRunInterpolated)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same day with the events matched in trip order: the whole day's rows aligned at once.
void BM_ReportRunSequence(benchmark::State& state) {
    RunReportDay(state, "", fw::DetectionRule::FirstFix, fw::Matching::Sequence);
}
BENCHMARK(BM_ReportRunSequence)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same on a password-protected store: every page written is encrypted.
void BM_ReportRunKeyed(benchmark::State& state) { RunReportDay(state, "s3cret"); }
BENCHMARK(BM_ReportRunKeyed)->Unit(benchmark::kMillisecond)->UseRealTime();

// The track reply of that day read into its points: the part of the run the reader owns.
void BM_ReadTrack(benchmark::State& state) {
    const fw::test::SyntheticDay day = fw::test::MakeSyntheticDay(fw::test::FullDay());
    for (auto _ : state) benchmark::DoNotOptimize(fw::ReadTrackPoints(day.trackBody));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * day.trackBody.size()));
}
BENCHMARK(BM_ReadTrack)->Unit(benchmark::kMillisecond);

}  // namespace
