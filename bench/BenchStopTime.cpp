// The receive path stores one stop-time row per message. Its INSERT through the table's
// operation must keep at least half the rate of a bare prepared sqlite3 INSERT on the same
// database and settings.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "store/Database.h"
#include "store/StopTimeTable.h"

namespace {

constexpr int kRows = 20000;

std::vector<fw::StopTimeEntry> MakeRows() {
    std::vector<fw::StopTimeEntry> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        char plan[32];
        std::snprintf(plan, sizeof plan, "2014-08-25 %02d:%02d:%02d", 5 + i / 1800 % 16,
                      i / 30 % 60, i * 2 % 60);
        rows.push_back({"沪A" + std::to_string(10000 + i % 50), "班次" + std::to_string(i % 40),
                        std::to_string(i % 12 + 1) + "路", "2014-08-25", plan, plan,
                        "站点" + std::to_string(i % 40), std::to_string(i % 3)});
    }
    return rows;
}

// A database of its own in a fresh temporary directory, removed afterwards.
struct BenchDatabase {
    BenchDatabase() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "fenwarde-bench-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data())) dir = made;
        ok = db.Open(dir, "bench", "");
    }
    ~BenchDatabase() {
        db.Close();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string dir;
    fw::Database db;
    bool ok = false;
};

void BM_StopTimeInsert(benchmark::State& state) {
    const auto rows = MakeRows();
    BenchDatabase bench;
    if (!bench.ok) return state.SkipWithError("database did not open");
    fw::StopTimeTable table(bench.db);
    for (auto _ : state) {
        for (const auto& row : rows)
            if (!table.InsertStopTime(row, "调度员")) return state.SkipWithError("insert failed");
        state.PauseTiming();
        table.DeleteAllStopTimes();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StopTimeInsert)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareInsert(benchmark::State& state) {
    const auto rows = MakeRows();
    BenchDatabase bench;
    if (!bench.ok) return state.SkipWithError("database did not open");
    sqlite3* db = bench.db.Handle();
    sqlite3_stmt* stmt = nullptr;
    const std::string sql(fw::StopTimeTable::kInsertSql);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        return state.SkipWithError("prepare failed");
    const std::string user = "调度员";
    auto bind = [&](int index, const std::string& text) {
        sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    };
    for (auto _ : state) {
        for (const auto& row : rows) {
            bind(1, row.code);
            bind(2, row.batchName);
            bind(3, row.lineName);
            bind(4, row.batchDate);
            bind(5, user);
            bind(6, row.planReachTime);
            bind(7, row.planLeaveTime);
            bind(8, row.userMarkName);
            bind(9, row.flag);
            if (sqlite3_step(stmt) != SQLITE_DONE) {
                sqlite3_finalize(stmt);
                return state.SkipWithError("insert failed");
            }
            sqlite3_reset(stmt);
        }
        state.PauseTiming();
        bench.db.Execute(fw::StopTimeTable::kDeleteAllSql);
        state.ResumeTiming();
    }
    sqlite3_finalize(stmt);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_BareInsert)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
