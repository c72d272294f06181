// Loading and saving an account of 10,000, 100,000 and 1,000,000 records, each as a ratio to the
// AES-192-ECB bound of the same run (one 16-byte block per enciphered byte), with the heap each
// holds: after a load, at its peak, and what a save adds to the open account.

#include "AesBound.h"
#include "BenchAccount.h"
#include "HeapCounter.h"
#include "RatioReporter.h"
#include "core/account/AccountFilesWriter.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/Account.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <string>

namespace velmora {
namespace {

using bench::GeneratedAccount;
using bench::kBenchPassword;

constexpr double kMiB = 1 << 20;

void BM_Bound_Aes192Ecb(benchmark::State& state)
{
    MeasureAesBound(state, GeneratedAccount(state.range(0)).encipheredBytes);
}

// `cold` gives the freed memory back to the system before each load, so the load meets fresh
// pages as the first one in a new process does: otherwise a load reuses the heap of the last one.
void BM_LoadFromFile(benchmark::State& state, bool cold)
{
    const auto& made = GeneratedAccount(state.range(0));
    std::size_t peak = 0;
    std::size_t open = 0;
    if (!cold) {
        // The first load meets fresh pages as a cold one does.
        TAccount first;
        first.Password = kBenchPassword;
        first.LoadFromFile(made.file);
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (cold) {
            malloc_trim(0);
        }
        auto account = std::make_unique<TAccount>();
        account->Password = kBenchPassword;
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        state.ResumeTiming();

        if (account->LoadFromFile(made.file) != ReadResult::Ok) {
            state.SkipWithError("the generated account did not load");
            break;
        }

        state.PauseTiming();
        peak = std::max(peak, bench::HeapPeak() - before);
        open = std::max(open, bench::HeapInUse() - before);
        account.reset();
        state.ResumeTiming();
    }
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / kMiB;
    state.counters["open_heap_MiB"] = static_cast<double>(open) / kMiB;
}

// Runs `save` on an account loaded once, after `change`, and counts the heap the saves add.
template <typename Change, typename Save> void MeasureSaves(benchmark::State& state, Change change, Save save)
{
    const auto& made = GeneratedAccount(state.range(0));
    TAccount account;
    account.Name = "bench";
    account.Password = kBenchPassword;
    if (account.LoadFromFile(made.file) != ReadResult::Ok) {
        state.SkipWithError("the generated account did not load");
        return;
    }
    std::size_t added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        change(account);
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        state.ResumeTiming();

        save(account, made);

        state.PauseTiming();
        added = std::max(added, bench::HeapPeak() - before);
        state.ResumeTiming();
    }
    state.counters["save_heap_MiB"] = static_cast<double>(added) / kMiB;
}

// Every value enciphered again: the password alternates between two texts.
void BM_SaveAfterPasswordChange(benchmark::State& state)
{
    MeasureSaves(
        state,
        [](TAccount& account) {
            account.Password = account.Password == kBenchPassword ? "another password" : kBenchPassword;
        },
        [](TAccount& account, const bench::BenchAccount& made) { account.SaveToFile(made.directory / "saved.vmk"); });
}

// One record edited, then saved as the program saves: the account file and the settings file
// under the account's lock, each flushed to disk and renamed into place. `onDisk` puts the
// program directory on the disk of the working directory instead of the memory file system.
void BM_SaveAfterOneEdit(benchmark::State& state, bool onDisk)
{
    const auto& made = GeneratedAccount(state.range(0));
    const std::filesystem::path programDir =
        onDisk ? std::filesystem::current_path() / "velmora-bench-disk" / std::to_string(state.range(0))
               : made.directory;
    int edits = 0;
    MeasureSaves(
        state,
        [&](TAccount& account) {
            TFolderType& folder = account.Folder(account.FolderCount() / 2);
            const TRecType& record = folder.RecordAt(folder.Count() / 2);
            folder.EditRecord(record.Key, record.Name(), record.URL(), record.Login(), record.IDNumber(),
                              "edit " + std::to_string(++edits), record.Notes());
            account.MarkChanged();
        },
        [&](TAccount& account, const bench::BenchAccount&) {
            AccountFilesWriter writer(programDir, account.Name);
            writer.StageAccount(account.FileContent());
            writer.StageSettings(SettingsFileText(AccountSettings{}, account.Password));
            writer.Commit();
            account.MarkSaved();
        });
}

BENCHMARK(BM_Bound_Aes192Ecb)->Apply(bench::EverySize);
BENCHMARK_CAPTURE(BM_LoadFromFile, Warm, false)->Apply(bench::EverySize);
BENCHMARK_CAPTURE(BM_LoadFromFile, Cold, true)->Apply(bench::EverySize);
BENCHMARK(BM_SaveAfterPasswordChange)->Apply(bench::EverySize);
BENCHMARK_CAPTURE(BM_SaveAfterOneEdit, Memory, false)->Apply(bench::EverySize);
BENCHMARK_CAPTURE(BM_SaveAfterOneEdit, Disk, true)->Apply(bench::EverySize);

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    return velmora::bench::RunWithRatios(argc, argv,
                                         [](std::int64_t size) {
                                             std::printf("Account of %lld records, %zu enciphered bytes\n",
                                                         static_cast<long long>(size),
                                                         velmora::bench::GeneratedAccount(size).encipheredBytes);
                                         },
                                         {"BM_LoadFromFile/Warm", "BM_LoadFromFile/Cold", "BM_SaveAfterPasswordChange",
                                          "BM_SaveAfterOneEdit/Memory", "BM_SaveAfterOneEdit/Disk"});
}
