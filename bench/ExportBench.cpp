// The command-line exports of accounts of 10,000 to 1,000,000 records, from reading the account
// file to the last byte written, each timed in rounds against the AES-192-ECB bound over every
// value of the account (one 16-byte block per deciphered byte; RatioReporter.h), with the peak heap
// of each. An export from an account already loaded deciphers nothing: its ratio is a scale only.

#include "AesBound.h"
#include "BenchAccount.h"
#include "HeapCounter.h"
#include "RatioReporter.h"
#include "Rounds.h"
#include "cli/AccountJson.h"
#include "core/export/ExportFile.h"
#include "core/export/TextExport.h"
#include "core/vault/Account.h"
#include "core/vault/AesEcb.h"
#include "core/vault/CodePage.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <string>

namespace velmora {
namespace {

constexpr std::int64_t kReferenceSize = 100'000; // the former exports take minutes on a million
using bench::kBenchPassword;

using BenchFiles = bench::BenchAccount;

const BenchFiles& Files(std::int64_t records)
{
    return bench::GeneratedAccount(records);
}

std::filesystem::path Output(const BenchFiles& files)
{
    return files.directory / "export.out";
}

void ExportJson(const TAccount& account, const BenchFiles& files)
{
    const std::optional<AccountSettings> settings = AccountSettings{};
    WriteExportFile(
        Output(files), [&](const PieceWriter& write) { cli::WriteAccountJson(account, settings, write); },
        files.directory / "Users");
}

void ExportText(const TAccount& account, const BenchFiles& files)
{
    const TextExportTexts texts{"Account: ", "      Date: ", "Name: ", "Login: ", "Password: ", "Notes: "};
    WriteExportFile(
        Output(files),
        [&](const PieceWriter& write) {
            ExportBuffer out(write);
            WriteTextExport(account, {}, texts, "01.02.2026 10:00:00", Utf8Bytes(), out);
            out.Flush();
        },
        files.directory / "Users");
}

// The exports as they were made before: a whole tree, a whole text, then written at once.
void TreeJson(const TAccount& account, const BenchFiles& files)
{
    const std::string content = cli::AccountToJson(account, AccountSettings{}).dump(2) + "\n";
    WriteExportFile(Output(files), content, files.directory / "Users");
}

void WholeText(const TAccount& account, const BenchFiles& files)
{
    const TextExportTexts texts{"Account: ", "      Date: ", "Name: ", "Login: ", "Password: ", "Notes: "};
    const std::string content = CodePageToUtf8(TextExport(account, {}, texts, "01.02.2026 10:00:00"));
    WriteExportFile(Output(files), content, files.directory / "Users");
}

// Loads the account and exports it to a file, as `velmora-cli export -o` does; the peak heap is
// counted from before the load.
template <void (*Export)(const TAccount&, const BenchFiles&)> void BM_Export(benchmark::State& state)
{
    const BenchFiles& files = Files(state.range(0));
    AesBound bound(files.encipheredBytes);
    bench::Rounds rounds(state);
    std::size_t peak = 0;  // from before the load
    std::size_t added = 0; // by the export over the loaded account
    for (auto _ : state) {
        auto account = std::make_unique<TAccount>();
        account->Password = kBenchPassword;
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        bool loaded = false;
        std::size_t loadPeak = 0;
        std::size_t loadedHeap = 0;
        std::size_t exportPeak = 0;
        rounds.Run([&] { bound.Run(); },
                   [&] {
                       loaded = account->LoadFromFile(files.file) == ReadResult::Ok;
                       if (!loaded) {
                           return;
                       }
                       loadPeak = bench::HeapPeak() - before;
                       loadedHeap = bench::HeapInUse();
                       bench::ResetHeapPeak();
                       Export(*account, files);
                       exportPeak = bench::HeapPeak() - loadedHeap;
                       account.reset();
                   });
        if (!loaded) {
            state.SkipWithError("the generated account did not load");
            break;
        }
        peak = std::max({peak, loadPeak, loadedHeap - before + exportPeak});
        added = std::max(added, exportPeak);
    }
    rounds.Report();
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["export_heap_MiB"] = static_cast<double>(added) / (1 << 20);
    state.counters["output_MiB"] = static_cast<double>(std::filesystem::file_size(Output(files))) / (1 << 20);
}

// The export alone, from an account loaded once.
template <void (*Export)(const TAccount&, const BenchFiles&)> void BM_ExportLoaded(benchmark::State& state)
{
    const BenchFiles& files = Files(state.range(0));
    TAccount account;
    account.Password = kBenchPassword;
    if (account.LoadFromFile(files.file) != ReadResult::Ok) {
        state.SkipWithError("the generated account did not load");
        return;
    }
    AesBound bound(files.encipheredBytes);
    bench::Rounds rounds(state);
    for (auto _ : state) {
        rounds.Run([&] { bound.Run(); }, [&] { Export(account, files); });
    }
    rounds.Report();
}

void BM_LoadOnly(benchmark::State& state)
{
    const BenchFiles& files = Files(state.range(0));
    AesBound bound(files.encipheredBytes);
    bench::Rounds rounds(state);
    for (auto _ : state) {
        ReadResult result = ReadResult::Failed;
        rounds.Run([&] { bound.Run(); },
                   [&] {
                       // Made and freed inside, as an export does.
                       TAccount account;
                       account.Password = kBenchPassword;
                       result = account.LoadFromFile(files.file);
                   });
        if (result != ReadResult::Ok) {
            state.SkipWithError("the generated account did not load");
            break;
        }
    }
    rounds.Report();
}

using bench::EverySize;

void ReferenceSize(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(kReferenceSize);
    bench::InRounds(benchmark);
}

BENCHMARK(BM_LoadOnly)->Apply(EverySize);
BENCHMARK(BM_Export<ExportJson>)->Name("BM_ExportJson")->Apply(EverySize);
BENCHMARK(BM_Export<ExportText>)->Name("BM_ExportText")->Apply(EverySize);
BENCHMARK(BM_ExportLoaded<ExportJson>)->Name("BM_ExportJson_Loaded")->Apply(EverySize);
BENCHMARK(BM_ExportLoaded<ExportText>)->Name("BM_ExportText_Loaded")->Apply(EverySize);
BENCHMARK(BM_Export<TreeJson>)->Name("BM_Reference_TreeJson")->Apply(ReferenceSize);
BENCHMARK(BM_Export<WholeText>)->Name("BM_Reference_WholeText")->Apply(ReferenceSize);

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    return velmora::bench::RunWithRatios(argc, argv,
                                         [](std::int64_t size) {
                                             std::printf("Account of %lld records, %zu enciphered bytes\n",
                                                         static_cast<long long>(size),
                                                         velmora::Files(size).encipheredBytes);
                                         },
                                         {{"BM_LoadOnly"},
                                          {"BM_ExportJson"},
                                          {"BM_ExportText"},
                                          {"BM_ExportJson_Loaded", "AES (scale)"},
                                          {"BM_ExportText_Loaded", "AES (scale)"},
                                          {"BM_Reference_TreeJson"},
                                          {"BM_Reference_WholeText"}});
}
