// Exporting a listed report of 10,000 rows (with its per-line summary) to a workbook and to
// CSV, as the report window does: from the rows to the file under its name.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "reports/CsvWriter.h"
#include "reports/ReportDocument.h"
#include "reports/XlsxWriter.h"
#include "tests/reports/HandmadeList.h"

namespace {

template <class Write>
void ExportRows(benchmark::State& state, Write write, const char* name) {
    const auto rows = fw::test::LongList(static_cast<std::size_t>(state.range(0)));
    const fw::ReportHeading heading = fw::test::LongListHeading();
    std::string dir = (std::filesystem::temp_directory_path() / "fenwarde-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return state.SkipWithError("no temporary directory");
    const std::string path = dir + "/" + name;
    for (auto _ : state) {
        const fw::ExportDocument document = fw::ReportDocument(heading, rows, {});
        if (!write(document, path).Written()) return state.SkipWithError("export failed");
    }
    state.counters["rows"] = static_cast<double>(rows.size());
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void BM_ExportXlsx(benchmark::State& state) {
    ExportRows(
        state, [](const auto& d, const auto& p) { return fw::WriteXlsx(d, p); }, "报表.xlsx");
}
BENCHMARK(BM_ExportXlsx)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ExportCsv(benchmark::State& state) {
    ExportRows(
        state,
        [](const auto& d, const auto& p) { return fw::WriteCsv(d, p, fw::CsvCharset::Utf8); },
        "报表.csv");
}
BENCHMARK(BM_ExportCsv)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ExportCsvGbk(benchmark::State& state) {
    ExportRows(
        state, [](const auto& d, const auto& p) { return fw::WriteCsv(d, p, fw::CsvCharset::Gbk); },
        "报表.csv");
}
BENCHMARK(BM_ExportCsvGbk)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
