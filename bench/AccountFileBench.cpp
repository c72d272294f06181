// Loading and saving an account of 10,000, 100,000 and 1,000,000 records, each timed in rounds
// against its reference (RatioReporter.h): the AES-192-ECB bound over every value of the account
// (one 16-byte block per enciphered byte), or for a save after one edit, which enciphers a few
// lines only, a copy of the account file with its flush. With the heap each holds: after a load,
// at its peak, and what a save adds to the open account.

#include "AesBound.h"
#include "BenchAccount.h"
#include "HeapCounter.h"
#include "RatioReporter.h"
#include "Rounds.h"
#include "core/account/AccountFilesWriter.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/Account.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace velmora {
namespace {

using bench::GeneratedAccount;
using bench::kBenchPassword;

constexpr double kMiB = 1 << 20;

// `cold` gives the freed memory back to the system before each load, so the load meets fresh
// pages as the first one in a new process does: otherwise a load reuses the heap of the last one.
void BM_LoadFromFile(benchmark::State& state, bool cold)
{
    const auto& made = GeneratedAccount(state.range(0));
    AesBound bound(made.encipheredBytes);
    bench::Rounds rounds(state);
    std::size_t peak = 0;
    std::size_t open = 0;
    if (!cold) {
        // The first load meets fresh pages as a cold one does.
        TAccount first;
        first.Password = kBenchPassword;
        first.LoadFromFile(made.file);
    }
    for (auto _ : state) {
        if (cold) {
            malloc_trim(0);
        }
        auto account = std::make_unique<TAccount>();
        account->Password = kBenchPassword;
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        ReadResult result = ReadResult::Failed;
        rounds.Run([&] { bound.Run(); }, [&] { result = account->LoadFromFile(made.file); });
        if (result != ReadResult::Ok) {
            state.SkipWithError("the generated account did not load");
            break;
        }
        peak = std::max(peak, bench::HeapPeak() - before);
        open = std::max(open, bench::HeapInUse() - before);
    }
    rounds.Report();
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / kMiB;
    state.counters["open_heap_MiB"] = static_cast<double>(open) / kMiB;
}

// Runs `save` on an account loaded once, after `change`, against `reference`, and counts the heap
// the saves add.
template <typename Reference, typename Change, typename Save>
void MeasureSaves(benchmark::State& state, Reference reference, Change change, Save save)
{
    const auto& made = GeneratedAccount(state.range(0));
    TAccount account;
    account.Name = "bench";
    account.Password = kBenchPassword;
    if (account.LoadFromFile(made.file) != ReadResult::Ok) {
        state.SkipWithError("the generated account did not load");
        return;
    }
    bench::Rounds rounds(state);
    std::size_t added = 0;
    for (auto _ : state) {
        change(account);
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        rounds.Run(reference, [&] { save(account, made); });
        added = std::max(added, bench::HeapPeak() - before);
    }
    rounds.Report();
    state.counters["save_heap_MiB"] = static_cast<double>(added) / kMiB;
}

// Every value enciphered again: the password alternates between two texts.
void BM_SaveAfterPasswordChange(benchmark::State& state)
{
    AesBound bound(GeneratedAccount(state.range(0)).encipheredBytes);
    MeasureSaves(
        state, [&] { bound.Run(); },
        [](TAccount& account) {
            account.Password = account.Password == kBenchPassword ? "another password" : kBenchPassword;
        },
        [](TAccount& account, const bench::BenchAccount& made) { account.SaveToFile(made.directory / "saved.vmk"); });
}

// A copy of `from` at `to`, flushed to its disk.
void CopyWithFlush(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    const int fd = open(to.c_str(), O_WRONLY);
    if (fd < 0 || fsync(fd) != 0) {
        throw std::runtime_error("the copy could not be flushed");
    }
    close(fd);
}

// One record edited, then saved as the program saves: the account file and the settings file
// under the account's lock, each flushed to disk and renamed into place. `onDisk` puts the
// program directory on the disk of the working directory instead of the memory file system.
// The reference is a copy of the account file into the same directory, flushed.
void BM_SaveAfterOneEdit(benchmark::State& state, bool onDisk)
{
    const auto& made = GeneratedAccount(state.range(0));
    const std::filesystem::path programDir =
        onDisk ? std::filesystem::current_path() / "velmora-bench-disk" / std::to_string(state.range(0))
               : made.directory;
    std::filesystem::create_directories(programDir / "Users");
    const std::filesystem::path copy = programDir / "Users" / "copy.vmk";
    int edits = 0;
    MeasureSaves(
        state, [&] { CopyWithFlush(made.file, copy); },
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
                                         {{"BM_LoadFromFile/Warm"},
                                          {"BM_LoadFromFile/Cold"},
                                          {"BM_SaveAfterPasswordChange"},
                                          {"BM_SaveAfterOneEdit/Memory", "copy + flush"},
                                          {"BM_SaveAfterOneEdit/Disk", "copy + flush"}});
}
