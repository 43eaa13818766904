// Exporting a listed report of 10,000 rows to PDF as the report window does: its charts drawn
// on the interface thread, then every page written (the charts on the last one).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "reports/PdfWriter.h"
#include "reports/PunctualityChart.h"
#include "reports/ReportDocument.h"
#include "tests/reports/HandmadeList.h"

namespace {

bool StartGui() {
    if (QApplication::instance() != nullptr) return true;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fenwarde-bench";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return app != nullptr;
}

void BM_ExportPdf(benchmark::State& state) {
    if (!StartGui()) return state.SkipWithError("no application");
    const auto rows = fw::test::LongList(static_cast<std::size_t>(state.range(0)));
    const fw::ReportHeading heading = fw::test::LongListHeading();
    std::string dir = (std::filesystem::temp_directory_path() / "fenwarde-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return state.SkipWithError("no temporary directory");
    const std::string path = dir + "/报表.pdf";
    for (auto _ : state) {
        const fw::ChartDrawing charts = fw::DrawCharts(rows, {}, QSize(980, 290));
        const fw::ExportDocument document = fw::ReportDocument(heading, rows, {});
        if (!fw::WritePdf(document, path, charts).Written())
            return state.SkipWithError("export failed");
    }
    state.counters["rows"] = static_cast<double>(rows.size());
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_ExportPdf)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
