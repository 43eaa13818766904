// A timetable of 200 batches with 100 departures each (400 columns, 20,000 rows of the timetable
// list) in each format the import reads: the file read, the sheet walked once and the
// departures grouped by batch. The .xlsx figure is the one with a target (under 300 ms).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "schedules/Timetable.h"
#include "tests/support/XlsWriter.h"
#include "tests/support/XlsxWriter.h"

namespace {

constexpr int kBatches = 200, kDepartures = 100;

int MinuteOf(int batch, int departure) { return 5 * 60 + (batch * 3 + departure * 10) % (18 * 60); }
std::string BatchName(int batch) { return "班次" + std::to_string(batch + 1); }
std::string LineName(int batch) { return std::to_string(batch % 40 + 1) + "路"; }

std::string XlsTimetable() {
    fw::test::XlsWriter book;
    auto& sheet = book.AddSheet("Sheet1");
    for (int b = 0; b < kBatches; ++b) {
        sheet.Text(0, 2 * b, BatchName(b));
        for (int d = 0; d < kDepartures; ++d)
            sheet.Time(d + 1, 2 * b, MinuteOf(b, d) / 60, MinuteOf(b, d) % 60).Text(d + 1, 2 * b + 1, LineName(b));
    }
    return book.Bytes();
}

std::string XlsxTimetable() {
    fw::test::XlsxWriter book;
    auto& sheet = book.AddSheet("Sheet1");
    for (int b = 0; b < kBatches; ++b) {
        sheet.Text(0, 2 * b, BatchName(b));
        for (int d = 0; d < kDepartures; ++d)
            sheet.Time(d + 1, 2 * b, MinuteOf(b, d) / 60, MinuteOf(b, d) % 60).Text(d + 1, 2 * b + 1, LineName(b));
    }
    return book.Bytes();
}

std::string CsvTimetable() {
    std::string out;
    for (int b = 0; b < kBatches; ++b) out += (b ? "," : "") + BatchName(b) + ",线路";
    out += "\r\n";
    char time[16];
    for (int d = 0; d < kDepartures; ++d) {
        for (int b = 0; b < kBatches; ++b) {
            std::snprintf(time, sizeof time, "%d:%02d", MinuteOf(b, d) / 60, MinuteOf(b, d) % 60);
            out += (b ? "," : "") + std::string(time) + "," + LineName(b);
        }
        out += "\r\n";
    }
    return out;
}

void BM_TimetableImport(benchmark::State& state, const char* extension, std::string (*write)()) {
    std::string dir = (std::filesystem::temp_directory_path() / "fenwarde-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return state.SkipWithError("no temporary directory");
    const std::string path = dir + "/timetable" + extension;
    {
        const std::string bytes = write();
        std::ofstream out(path, std::ios::binary);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return state.SkipWithError("file not written");
        state.counters["file_kb"] = static_cast<double>(bytes.size()) / 1024;
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
BENCHMARK_CAPTURE(BM_TimetableImport, xls, ".xls", &XlsTimetable)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TimetableImport, xlsx, ".xlsx", &XlsxTimetable)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TimetableImport, csv, ".csv", &CsvTimetable)->Unit(benchmark::kMillisecond);

}  // namespace
