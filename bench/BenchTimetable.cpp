// A timetable of 200 batches with 100 departures each (400 columns, 20,000 rows of the timetable
// list) in each format the import reads: the file read, the sheet walked once and the
// departures grouped by batch. The .xlsx figure is the one with a target (under 300 ms).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
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
        benchmark::DoNotOptimize(import.timetable.rows.size());
    }
    state.counters["departures"] = kBatches * kDepartures;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK_CAPTURE(BM_TimetableImport, xls, ".xls", &XlsTimetable)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TimetableImport, xlsx, ".xlsx", &XlsxTimetable)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TimetableImport, csv, ".csv", &CsvTimetable)->Unit(benchmark::kMillisecond);

}  // namespace

// The largest .csv inside every limit of the file: 200 batch pairs, 21,438 departures each
// (4.3 million departures, 45 MB). The import's peak memory above what the process held before
// is reported beside the file's size (the target: at most ten times it, plus a constant), and
// what is still held after a small timetable has replaced it.
namespace {

constexpr int kLargeBatches = 200, kLargeRows = 21438;

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

// Sets the peak resident size back to the present one (Linux 4.0 and later).
bool ResetPeak() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

void BM_TimetableImportLargeCsv(benchmark::State& state) {
    std::string dir = (std::filesystem::temp_directory_path() / "fenwarde-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return state.SkipWithError("no temporary directory");
    const std::string path = dir + "/large.csv", small = dir + "/small.csv";
    std::size_t bytes = 0;
    {
        std::ofstream out(path, std::ios::binary);
        std::string line;
        for (int b = 0; b < kLargeBatches; ++b) line += (b ? "," : "") + BatchName(b) + ",线路";
        out << line << "\r\n";
        bytes += line.size() + 2;
        char time[16];
        for (int d = 0; d < kLargeRows; ++d) {
            line.clear();
            for (int b = 0; b < kLargeBatches; ++b) {
                const int minute = 5 * 60 + (b * 3 + d) % (18 * 60);
                std::snprintf(time, sizeof time, "%d:%02d", minute / 60, minute % 60);
                line += (b ? "," : "") + std::string(time) + "," + std::to_string(b % 9 + 1) + "路";
            }
            out << line << "\r\n";
            bytes += line.size() + 2;
        }
        std::ofstream(small, std::ios::binary) << "早班,线路\r\n6:00,1路\r\n";
    }
    ::malloc_trim(0);
    const long before = StatusKb("VmRSS");
    long peak = 0;
    std::size_t departures = 0;
    for (auto _ : state) {
        if (!ResetPeak()) return state.SkipWithError("peak memory cannot be reset here");
        fw::TimetableImport import = fw::ImportTimetableWorkbook(path);
        if (!import.error.empty()) return state.SkipWithError(import.error.c_str());
        departures = import.timetable.rows.size();
        peak = std::max(peak, StatusKb("VmHWM") - before);
    }
    // A small timetable replaces it: what the large one held goes back.
    ::malloc_trim(0);
    const fw::TimetableImport replaced = fw::ImportTimetableWorkbook(small);
    benchmark::DoNotOptimize(replaced.timetable.rows.size());
    const long after = StatusKb("VmRSS") - before;
    state.counters["file_mb"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["departures"] = static_cast<double>(departures);
    state.counters["peak_mb"] = static_cast<double>(peak) / 1024;
    state.counters["peak_per_file"] = static_cast<double>(peak) * 1024 / static_cast<double>(bytes);
    state.counters["held_after_mb"] = static_cast<double>(after) / 1024;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_TimetableImportLargeCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
