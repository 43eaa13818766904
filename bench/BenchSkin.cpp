// Start-up cost of the skin: reading the program's skin document and identifier header into the
// model, and the layout of every child of every window on a resize.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "skin/SkinLayout.h"
#include "skin/SkinReader.h"

namespace {

std::string ReadRes(const char* name) {
    const auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "res" / name;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void BM_SkinRead(benchmark::State& state) {
    const std::string xui = ReadRes("the.xui");
    const std::string header = ReadRes("RESOURCE.H");
    for (auto _ : state) {
        fw::skin::Skin skin;
        const int code = fw::skin::ReadSkin(xui, header, &skin, nullptr);
        if (code != fw::skin::kSkinOk) state.SkipWithError("skin did not load");
        benchmark::DoNotOptimize(skin.windows.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(xui.size()));
}
BENCHMARK(BM_SkinRead)->Unit(benchmark::kMillisecond);

void BM_SkinLayoutAllWindows(benchmark::State& state) {
    fw::skin::Skin skin;
    if (fw::skin::ReadSkin(ReadRes("the.xui"), ReadRes("RESOURCE.H"), &skin, nullptr) != fw::skin::kSkinOk) {
        state.SkipWithError("skin did not load");
        return;
    }
    int grow = 0;
    for (auto _ : state) {
        grow = (grow + 7) % 400;
        for (const auto& w : skin.windows)
            for (const auto& c : w.controls)
                benchmark::DoNotOptimize(fw::skin::LayoutChild(c, w, {w.size.width + grow, w.size.height + grow}));
    }
}
BENCHMARK(BM_SkinLayoutAllWindows);

}  // namespace
