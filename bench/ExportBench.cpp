// The command-line exports of a 100,000-record account, from reading the account file to the
// last byte written, as a ratio to the AES-192-ECB bound of the same run (one 16-byte block per
// enciphered byte), with the peak heap of each.

#include "AesBound.h"
#include "HeapCounter.h"
#include "cli/AccountJson.h"
#include "core/export/ExportFile.h"
#include "core/export/TextExport.h"
#include "core/vault/Account.h"
#include "core/vault/AesEcb.h"
#include "core/vault/CodePage.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace velmora {
namespace {

constexpr int kRecordsPerFolder = 10'000;
constexpr std::int64_t kSizes[] = {10'000, 100'000, 1'000'000};
constexpr std::int64_t kReferenceSize = 100'000; // the former exports take minutes on a million
const std::string kPassword = "correct horse battery staple";

// Every byte but the line ends, so the code page conversion and the escaping both have work.
std::string RandomText(std::mt19937& random, std::size_t minimum, std::size_t maximum)
{
    std::uniform_int_distribution<std::size_t> length(minimum, maximum);
    std::uniform_int_distribution<int> byte(0x01, 0xFF);
    std::string text(length(random), ' ');
    for (char& c : text) {
        const int value = byte(random);
        c = static_cast<char>(value == '\r' || value == '\n' ? ' ' : value);
    }
    return text;
}

struct BenchFiles
{
    std::filesystem::path directory;
    std::filesystem::path account;
    std::size_t encipheredBytes = 0;
};

// Folders of up to 10,000 records, at least 10 (fields of 5 to 40 bytes, notes of 0 to 200),
// saved once for each size.
BenchFiles MakeFiles(std::int64_t records)
{
    const std::filesystem::path shm = "/dev/shm";
    BenchFiles made;
    made.directory = (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) /
                     "velmora-export" / std::to_string(records);
    std::filesystem::create_directories(made.directory / "Users");
    made.account = made.directory / "bench.vmk";

    TAccount account;
    account.Password = kPassword;
    std::mt19937 random(2026);
    const int folders = static_cast<int>(std::max<std::int64_t>(10, records / kRecordsPerFolder));
    const int perFolder = static_cast<int>(records / folders);
    for (int f = 0; f < folders; ++f) {
        account.AddFolder(RandomText(random, 5, 40), f);
        TFolderType& folder = account.Folder(static_cast<std::size_t>(f));
        made.encipheredBytes += folder.Name.size() + std::to_string(f).size() + std::to_string(perFolder).size();
        for (int r = 0; r < perFolder; ++r) {
            const TRecType& record =
                folder.AddRecord(RandomText(random, 5, 40), RandomText(random, 5, 40), RandomText(random, 5, 40),
                                 RandomText(random, 5, 40), RandomText(random, 5, 40), RandomText(random, 0, 200));
            for (const std::string* value :
                 {&record.Name, &record.URL, &record.Login, &record.IDNumber, &record.Password, &record.Notes}) {
                made.encipheredBytes += value->size();
            }
        }
    }
    account.SaveToFile(made.account);
    return made;
}

const BenchFiles& Files(std::int64_t records)
{
    static std::map<std::int64_t, BenchFiles> files;
    auto it = files.find(records);
    if (it == files.end()) {
        it = files.emplace(records, MakeFiles(records)).first;
    }
    return it->second;
}

void BM_Bound_Aes192Ecb(benchmark::State& state)
{
    MeasureAesBound(state, Files(state.range(0)).encipheredBytes);
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
    std::size_t peak = 0;  // from before the load
    std::size_t added = 0; // by the export over the loaded account
    for (auto _ : state) {
        state.PauseTiming();
        auto account = std::make_unique<TAccount>();
        account->Password = kPassword;
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        state.ResumeTiming();

        if (account->LoadFromFile(files.account) != ReadResult::Ok) {
            state.SkipWithError("the generated account did not load");
            break;
        }
        const std::size_t loadPeak = bench::HeapPeak() - before;
        const std::size_t loaded = bench::HeapInUse();
        bench::ResetHeapPeak();
        Export(*account, files);
        const std::size_t exportPeak = bench::HeapPeak() - loaded;
        account.reset();

        state.PauseTiming();
        peak = std::max({peak, loadPeak, loaded - before + exportPeak});
        added = std::max(added, exportPeak);
        state.ResumeTiming();
    }
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["export_heap_MiB"] = static_cast<double>(added) / (1 << 20);
    state.counters["output_MiB"] = static_cast<double>(std::filesystem::file_size(Output(files))) / (1 << 20);
}

// The export alone, from an account loaded once.
template <void (*Export)(const TAccount&, const BenchFiles&)> void BM_ExportLoaded(benchmark::State& state)
{
    const BenchFiles& files = Files(state.range(0));
    TAccount account;
    account.Password = kPassword;
    if (account.LoadFromFile(files.account) != ReadResult::Ok) {
        state.SkipWithError("the generated account did not load");
        return;
    }
    for (auto _ : state) {
        Export(account, files);
    }
}

void BM_LoadOnly(benchmark::State& state)
{
    const BenchFiles& files = Files(state.range(0));
    for (auto _ : state) {
        TAccount account;
        account.Password = kPassword;
        if (account.LoadFromFile(files.account) != ReadResult::Ok) {
            state.SkipWithError("the generated account did not load");
            break;
        }
    }
}

void EverySize(benchmark::internal::Benchmark* benchmark)
{
    for (const std::int64_t size : kSizes) {
        benchmark->Arg(size);
    }
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

void ReferenceSize(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(kReferenceSize)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Bound_Aes192Ecb)->Apply(EverySize);
BENCHMARK(BM_LoadOnly)->Apply(EverySize);
BENCHMARK(BM_Export<ExportJson>)->Name("BM_ExportJson")->Apply(EverySize);
BENCHMARK(BM_Export<ExportText>)->Name("BM_ExportText")->Apply(EverySize);
BENCHMARK(BM_ExportLoaded<ExportJson>)->Name("BM_ExportJson_Loaded")->Apply(EverySize);
BENCHMARK(BM_ExportLoaded<ExportText>)->Name("BM_ExportText_Loaded")->Apply(EverySize);
BENCHMARK(BM_Export<TreeJson>)->Name("BM_Reference_TreeJson")->Apply(ReferenceSize);
BENCHMARK(BM_Export<WholeText>)->Name("BM_Reference_WholeText")->Apply(ReferenceSize);

// Prints the usual table, then each figure as a ratio to the bound of the same run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                const Key key{run.run_name.function_name, std::stoll(run.run_name.args)};
                m_realTime[key] = run.GetAdjustedRealTime();
                for (const char* counter : {"peak_heap_MiB", "export_heap_MiB"}) {
                    if (const auto it = run.counters.find(counter); it != run.counters.end()) {
                        m_heap[key][counter] = it->second.value;
                    }
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%u cores\n", std::thread::hardware_concurrency());
        for (const std::int64_t size : kSizes) {
            PrintRatios(size);
        }
    }

private:
    using Key = std::pair<std::string, std::int64_t>; // benchmark and record count

    void PrintRatios(std::int64_t size)
    {
        const auto bound = m_realTime.find({"BM_Bound_Aes192Ecb", size});
        if (bound == m_realTime.end()) {
            return;
        }
        std::printf("\nAccount of %lld records, %zu enciphered bytes\n", static_cast<long long>(size),
                    Files(size).encipheredBytes);
        std::printf("%-28s %10.2f ms\n", "bound (AES-192-ECB, 1 call)", bound->second);
        for (const char* name : {"BM_LoadOnly", "BM_ExportJson", "BM_ExportText", "BM_ExportJson_Loaded",
                                 "BM_ExportText_Loaded", "BM_Reference_TreeJson", "BM_Reference_WholeText"}) {
            const auto it = m_realTime.find({name, size});
            if (it == m_realTime.end()) {
                continue;
            }
            std::printf("%-28s %10.2f ms  %5.2fx bound", name, it->second, it->second / bound->second);
            if (const auto heap = m_heap.find({name, size}); heap != m_heap.end()) {
                std::printf("  peak heap %7.1f MiB, export adds %5.1f MiB", heap->second["peak_heap_MiB"],
                            heap->second["export_heap_MiB"]);
            }
            std::printf("\n");
        }
    }

    std::map<Key, double> m_realTime;
    std::map<Key, std::map<std::string, double>> m_heap;
};

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    velmora::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
