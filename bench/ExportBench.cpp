// The command-line exports of a 100,000-record account, from reading the account file to the
// last byte written, as a ratio to the AES-192-ECB bound of the same run (one 16-byte block per
// enciphered byte), with the peak heap of each.

#include "HeapCounter.h"
#include "cli/AccountJson.h"
#include "export/ExportFile.h"
#include "export/TextExport.h"
#include "vault/Account.h"
#include "vault/AesEcb.h"
#include "vault/CodePage.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace velmora {
namespace {

constexpr int kFolders = 10;
constexpr int kRecordsPerFolder = 10'000;
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

// 10 folders of 10,000 records (fields of 5 to 40 bytes, notes of 0 to 200), saved once.
const BenchFiles& Files()
{
    static const BenchFiles files = [] {
        const std::filesystem::path shm = "/dev/shm";
        BenchFiles made;
        made.directory =
            (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) / "velmora-export";
        std::filesystem::create_directories(made.directory / "Users");
        made.account = made.directory / "bench.vmk";

        TAccount account;
        account.Password = kPassword;
        std::mt19937 random(2026);
        for (int f = 0; f < kFolders; ++f) {
            account.AddFolder(RandomText(random, 5, 40), f);
            TFolderType& folder = account.Folder(static_cast<std::size_t>(f));
            made.encipheredBytes += folder.Name.size() + 2 * std::to_string(f).size();
            for (int r = 0; r < kRecordsPerFolder; ++r) {
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
    }();
    return files;
}

std::array<unsigned char, 24> BenchKey()
{
    std::array<unsigned char, 24> key{};
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<unsigned char>(i * 7 + 1);
    }
    return key;
}

void BM_Bound_Aes192Ecb(benchmark::State& state)
{
    const AesEcb aes(BenchKey());
    const std::size_t bytes = Files().encipheredBytes;
    std::vector<unsigned char> blocks(bytes * 16, 0x5A);
    for (auto _ : state) {
        aes.EncryptBlocks(blocks.data(), blocks.data(), bytes);
        benchmark::DoNotOptimize(blocks.data());
    }
}

void ExportJson(const TAccount& account, const std::filesystem::path& output)
{
    const std::optional<AccountSettings> settings = AccountSettings{};
    WriteExportFile(
        output, [&](const PieceWriter& write) { cli::WriteAccountJson(account, settings, write); },
        Files().directory / "Users");
}

void ExportText(const TAccount& account, const std::filesystem::path& output)
{
    const TextExportTexts texts{"Account: ", "      Date: ", "Name: ", "Login: ", "Password: ", "Notes: "};
    WriteExportFile(
        output,
        [&](const PieceWriter& write) {
            ExportBuffer out(write);
            WriteTextExport(account, {}, texts, "01.02.2026 10:00:00", Utf8Bytes(), out);
            out.Flush();
        },
        Files().directory / "Users");
}

// The exports as they were made before: a whole tree, a whole text, then written at once.
void TreeJson(const TAccount& account, const std::filesystem::path& output)
{
    const std::string content = cli::AccountToJson(account, AccountSettings{}).dump(2) + "\n";
    WriteExportFile(output, content, Files().directory / "Users");
}

void WholeText(const TAccount& account, const std::filesystem::path& output)
{
    const TextExportTexts texts{"Account: ", "      Date: ", "Name: ", "Login: ", "Password: ", "Notes: "};
    const std::string content = CodePageToUtf8(TextExport(account, {}, texts, "01.02.2026 10:00:00"));
    WriteExportFile(output, content, Files().directory / "Users");
}

// Loads the account and exports it to a file, as `velmora-cli export -o` does; the peak heap is
// counted from before the load.
template <void (*Export)(const TAccount&, const std::filesystem::path&)> void BM_Export(benchmark::State& state)
{
    const std::filesystem::path output = Files().directory / "export.out";
    std::size_t peak = 0;  // from before the load
    std::size_t added = 0; // by the export over the loaded account
    for (auto _ : state) {
        state.PauseTiming();
        auto account = std::make_unique<TAccount>();
        account->Password = kPassword;
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        state.ResumeTiming();

        if (account->LoadFromFile(Files().account) != ReadResult::Ok) {
            state.SkipWithError("the generated account did not load");
            break;
        }
        const std::size_t loadPeak = bench::HeapPeak() - before;
        const std::size_t loaded = bench::HeapInUse();
        bench::ResetHeapPeak();
        Export(*account, output);
        const std::size_t exportPeak = bench::HeapPeak() - loaded;
        account.reset();

        state.PauseTiming();
        peak = std::max({peak, loadPeak, loaded - before + exportPeak});
        added = std::max(added, exportPeak);
        state.ResumeTiming();
    }
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["export_heap_MiB"] = static_cast<double>(added) / (1 << 20);
    state.counters["output_MiB"] = static_cast<double>(std::filesystem::file_size(output)) / (1 << 20);
}

// The export alone, from an account loaded once.
template <void (*Export)(const TAccount&, const std::filesystem::path&)> void BM_ExportLoaded(benchmark::State& state)
{
    TAccount account;
    account.Password = kPassword;
    if (account.LoadFromFile(Files().account) != ReadResult::Ok) {
        state.SkipWithError("the generated account did not load");
        return;
    }
    for (auto _ : state) {
        Export(account, Files().directory / "export.out");
    }
}

void BM_LoadOnly(benchmark::State& state)
{
    for (auto _ : state) {
        TAccount account;
        account.Password = kPassword;
        if (account.LoadFromFile(Files().account) != ReadResult::Ok) {
            state.SkipWithError("the generated account did not load");
            break;
        }
    }
}

BENCHMARK(BM_Bound_Aes192Ecb)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export<ExportJson>)->Name("BM_ExportJson")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export<ExportText>)->Name("BM_ExportText")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportLoaded<ExportJson>)->Name("BM_ExportJson_Loaded")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportLoaded<ExportText>)->Name("BM_ExportText_Loaded")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export<TreeJson>)->Name("BM_Reference_TreeJson")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export<WholeText>)->Name("BM_Reference_WholeText")->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the usual table, then each figure as a ratio to the bound of the same run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                const std::string name = run.run_name.function_name;
                m_realTime[name] = run.GetAdjustedRealTime();
                for (const char* counter : {"peak_heap_MiB", "export_heap_MiB"}) {
                    if (const auto it = run.counters.find(counter); it != run.counters.end()) {
                        m_heap[name][counter] = it->second.value;
                    }
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto bound = m_realTime.find("BM_Bound_Aes192Ecb");
        if (bound == m_realTime.end()) {
            return;
        }
        std::printf("\nAccount of %d records, %zu enciphered bytes; %u cores\n", kFolders * kRecordsPerFolder,
                    Files().encipheredBytes, std::thread::hardware_concurrency());
        std::printf("%-28s %10.2f ms\n", "bound (AES-192-ECB, 1 call)", bound->second);
        for (const char* name : {"BM_LoadOnly", "BM_ExportJson", "BM_ExportText", "BM_ExportJson_Loaded",
                                 "BM_ExportText_Loaded", "BM_Reference_TreeJson", "BM_Reference_WholeText"}) {
            if (const auto it = m_realTime.find(name); it != m_realTime.end()) {
                std::printf("%-28s %10.2f ms  %5.2fx bound", name, it->second, it->second / bound->second);
                if (const auto heap = m_heap.find(name); heap != m_heap.end()) {
                    std::printf("  peak heap %6.1f MiB, export adds %5.1f MiB", heap->second["peak_heap_MiB"],
                                heap->second["export_heap_MiB"]);
                }
                std::printf("\n");
            }
        }
    }

private:
    std::map<std::string, double> m_realTime;
    std::map<std::string, std::map<std::string, double>> m_heap;
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
