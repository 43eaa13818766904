// A timetable workbook of 200 batches with 100 departures each (400 columns, 20,000 rows of the
// timetable list): the file read, the sheet walked once and the departures grouped by batch.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "schedules/Timetable.h"
#include "tests/support/XlsWriter.h"

namespace {

void BM_TimetableImport(benchmark::State& state) {
    constexpr int kBatches = 200, kDepartures = 100;
    std::string dir = (std::filesystem::temp_directory_path() / "fenwarde-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return state.SkipWithError("no temporary directory");
    const std::string path = dir + "/timetable.xls";
    {
        fw::test::XlsWriter book;
        auto& sheet = book.AddSheet("Sheet1");
        for (int b = 0; b < kBatches; ++b) {
            sheet.Text(0, 2 * b, "班次" + std::to_string(b + 1));
            for (int d = 0; d < kDepartures; ++d) {
                const int minute = 5 * 60 + (b * 3 + d * 10) % (18 * 60);
                sheet.Time(d + 1, 2 * b, minute / 60, minute % 60).Text(d + 1, 2 * b + 1, std::to_string(b % 40 + 1) + "路");
            }
        }
        if (!book.Save(path)) return state.SkipWithError("workbook not written");
    }
    for (auto _ : state) {
        const fw::TimetableImport import = fw::ImportTimetableWorkbook(path);
        if (import.timetable.rows.size() != kBatches * kDepartures) return state.SkipWithError(import.error.c_str());
        benchmark::DoNotOptimize(import.timetable.rows.data());
    }
    state.counters["departures"] = kBatches * kDepartures;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_TimetableImport)->Unit(benchmark::kMillisecond);

}  // namespace
