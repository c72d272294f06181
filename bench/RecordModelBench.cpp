// The record list of a full folder: building the model from the folder's 65,535 records and
// fetching every shown cell, as a view does when it scrolls through all rows. The figure is
// reported as a ratio to the 50 ms the list may take without a visible pause.
#include "core/vault/Account.h"
#include "core/vault/ListRows.h"
#include "gui/widgets/ListRowModel.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace velmora;

constexpr double kBoundSeconds = 0.050;

const TFolderType& FullFolder()
{
    static const auto account = [] {
        auto filled = std::make_unique<TAccount>();
        filled->AddFolder("Everything", 0);
        TFolderType& folder = filled->Folder(0);
        for (std::size_t i = 0; i < kMaxRecordsPerFolder; ++i) {
            const std::string n = std::to_string(i);
            folder.AddRecord("Record " + n, "https://site" + n + ".example", "user" + n, "ID-" + n,
                             "pass\xE2\xEE\xF0\xE4" + n, "");
        }
        return filled;
    }();
    return account->Folder(0);
}

void BM_RecordModelFillAndFetch(benchmark::State& state)
{
    const TFolderType& folder = FullFolder();
    const RecordRowLayout layout{false, false, false, true};
    ListRowModel model({"Name", "Login", "ID", "Password"}, nullptr);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        model.RewriteRows([&](std::vector<ListRow>& rows) { FillRecordRows(folder, layout, rows); });
        for (int row = 0; row < model.rowCount(); ++row) {
            for (int column = 0; column < model.columnCount(); ++column) {
                benchmark::DoNotOptimize(model.data(model.index(row, column), Qt::DisplayRole));
            }
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["records"] = static_cast<double>(folder.Count());
    state.counters["ratio_to_50ms"] = seconds / static_cast<double>(state.iterations()) / kBoundSeconds;
    state.counters["nproc"] = static_cast<double>(std::thread::hardware_concurrency());
}
BENCHMARK(BM_RecordModelFillAndFetch)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
