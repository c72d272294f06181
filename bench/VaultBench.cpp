// Cipher and account file throughput, each reported as a ratio to the machine's bound: AES-192
// over one 16-byte block per enciphered byte, in one bulk call.

#include "AesBound.h"
#include "HeapCounter.h"
#include "core/vault/Account.h"
#include "core/vault/AesEcb.h"
#include "core/vault/AesNi.h"
#include "core/vault/Cfb8.h"
#include "core/vault/StringCipher.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <openssl/evp.h>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace velmora {
namespace {

constexpr int kFolders = 10;
constexpr int kRecordsPerFolder = 10'000;
const std::string kPassword = "correct horse battery staple";

std::string RandomText(std::mt19937& random, std::size_t minimum, std::size_t maximum)
{
    std::uniform_int_distribution<std::size_t> length(minimum, maximum);
    std::uniform_int_distribution<int> byte(0x20, 0xFF);
    std::string text(length(random), ' ');
    for (char& c : text) {
        c = static_cast<char>(byte(random));
    }
    return text;
}

// 10 folders of 10,000 records: fields of 5 to 40 bytes, notes of 0 to 200.
const TAccount& GeneratedVault()
{
    static const TAccount* vault = [] {
        auto* account = new TAccount;
        account->Name = "bench";
        account->Password = kPassword;
        std::mt19937 random(2026);
        for (int f = 0; f < kFolders; ++f) {
            account->AddFolder(RandomText(random, 5, 40), f);
            TFolderType& folder = account->Folder(static_cast<std::size_t>(f));
            for (int r = 0; r < kRecordsPerFolder; ++r) {
                folder.AddRecord(RandomText(random, 5, 40), RandomText(random, 5, 40), RandomText(random, 5, 40),
                                 RandomText(random, 5, 40), RandomText(random, 5, 40), RandomText(random, 0, 200));
            }
        }
        return account;
    }();
    return *vault;
}

// Every value the account file holds, in file order.
const std::vector<std::string>& VaultValues()
{
    static const std::vector<std::string> values = [] {
        const TAccount& vault = GeneratedVault();
        std::vector<std::string> all{"account_check_line", std::to_string(vault.FolderCount())};
        for (std::size_t f = 0; f < vault.FolderCount(); ++f) {
            const TFolderType& folder = vault.Folder(f);
            all.insert(all.end(), {"folder_check_line", folder.Name, std::to_string(folder.ImageIndex),
                                   std::to_string(folder.Count())});
            for (std::size_t r = 0; r < folder.Count(); ++r) {
                const TRecType& record = folder.RecordAt(r);
                all.insert(all.end(),
                           {record.Name, record.URL, record.Login, record.IDNumber, record.Password, record.Notes});
            }
        }
        return all;
    }();
    return values;
}

std::size_t EncipheredBytes()
{
    std::size_t total = 0;
    for (const std::string& value : VaultValues()) {
        total += value.size();
    }
    return total;
}

std::filesystem::path BenchDirectory()
{
    // A memory file system keeps the disk's flush time out of the cipher figures.
    const std::filesystem::path shm = "/dev/shm";
    const auto base = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
    const auto dir = base / "velmora-bench";
    std::filesystem::create_directories(dir);
    return dir;
}

void BM_Bound_Aes192Ecb(benchmark::State& state)
{
    MeasureAesBound(state, EncipheredBytes());
}

void BM_Reference_PerValueEvpCfb8(benchmark::State& state)
{
    const auto key = BenchKey();
    std::array<unsigned char, 16> iv{};
    iv.fill(0xFF);
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    std::vector<unsigned char> out(1024);
    for (auto _ : state) {
        for (const std::string& value : VaultValues()) {
            out.resize(std::max(out.size(), value.size()));
            int written = 0;
            EVP_EncryptInit_ex(context, EVP_aes_192_cfb8(), nullptr, key.data(), iv.data());
            EVP_EncryptUpdate(context, out.data(), &written, reinterpret_cast<const unsigned char*>(value.data()),
                              static_cast<int>(value.size()));
            benchmark::DoNotOptimize(out.data());
        }
    }
    EVP_CIPHER_CTX_free(context);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncipheredBytes()));
}

// Runs a benchmark on the library's block cipher instead of the processor's AES instructions.
class PortableAes
{
public:
    explicit PortableAes(bool portable) { ForcePortableAes(portable); }
    ~PortableAes() { ForcePortableAes(false); }
    PortableAes(const PortableAes&) = delete;
    PortableAes& operator=(const PortableAes&) = delete;
};

// CFB-8 alone over every value of the vault, staged side by side: no Base64, no allocation.
void BM_Cfb8(benchmark::State& state, bool encrypt, bool portable)
{
    const PortableAes path(portable);
    const AesEcb aes(BenchKey());
    AesBlock iv;
    iv.fill(0xA5);
    std::vector<unsigned char> in;
    for (const std::string& value : VaultValues()) {
        in.insert(in.end(), value.begin(), value.end());
    }
    std::vector<unsigned char> out(in.size());
    std::vector<Cfb8Job> jobs;
    std::size_t offset = 0;
    for (const std::string& value : VaultValues()) {
        jobs.push_back({in.data() + offset, out.data() + offset, value.size()});
        offset += value.size();
    }
    for (auto _ : state) {
        if (encrypt) {
            Cfb8Encrypt(aes, iv, jobs);
        } else {
            Cfb8Decrypt(aes, iv, jobs);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncipheredBytes()));
}

// The string cipher over every value of the vault, without the file and the model.
void BM_EncipherAllValues(benchmark::State& state, bool portable)
{
    const PortableAes path(portable);
    const std::vector<std::string_view> values(VaultValues().begin(), VaultValues().end());
    StringCipher cipher;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cipher.EncipherLines(kPassword, values, "\r\n"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncipheredBytes()));
}

void BM_DecipherAllValues(benchmark::State& state, bool portable)
{
    const PortableAes path(portable);
    StringCipher cipher;
    const std::vector<std::string_view> values(VaultValues().begin(), VaultValues().end());
    const std::string joined = cipher.EncipherLines(kPassword, values, "\n");
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < joined.size();) {
        const std::size_t end = joined.find('\n', start);
        lines.push_back(std::string_view(joined).substr(start, end - start));
        start = end + 1;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(cipher.DecipherLines(kPassword, lines));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncipheredBytes()));
}

void BM_SaveToFile(benchmark::State& state)
{
    auto& vault = const_cast<TAccount&>(GeneratedVault());
    const auto path = BenchDirectory() / "bench.vmk";
    for (auto _ : state) {
        vault.SaveToFile(path);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncipheredBytes()));
}

void BM_LoadFromFile(benchmark::State& state)
{
    const auto path = BenchDirectory() / "bench.vmk";
    const_cast<TAccount&>(GeneratedVault()).SaveToFile(path);
    const auto fileBytes = std::filesystem::file_size(path);
    std::size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto account = std::make_unique<TAccount>();
        account->Password = kPassword;
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        state.ResumeTiming();

        if (account->LoadFromFile(path) != ReadResult::Ok) {
            state.SkipWithError("the generated vault did not load");
            break;
        }

        state.PauseTiming();
        peak = std::max(peak, bench::HeapPeak() - before);
        account.reset();
        state.ResumeTiming();
    }
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["file_MiB"] = static_cast<double>(fileBytes) / (1 << 20);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncipheredBytes()));
}

void BM_EncipherText(benchmark::State& state)
{
    StringCipher cipher;
    const std::string value(static_cast<std::size_t>(state.range(0)), 'v');
    for (auto _ : state) {
        benchmark::DoNotOptimize(cipher.EncipherText(kPassword, value));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_DecipherText(benchmark::State& state)
{
    StringCipher cipher;
    const std::string line = cipher.EncipherText(kPassword, std::string(static_cast<std::size_t>(state.range(0)), 'v'));
    for (auto _ : state) {
        benchmark::DoNotOptimize(cipher.DecipherText(kPassword, line));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_Bound_Aes192Ecb)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reference_PerValueEvpCfb8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Cfb8, Encrypt, true, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Cfb8, Decrypt, false, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Cfb8, EncryptPortable, true, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Cfb8, DecryptPortable, false, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EncipherAllValues, Native, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DecipherAllValues, Native, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EncipherAllValues, Portable, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DecipherAllValues, Portable, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EncipherText)->Arg(8)->Arg(32)->Arg(256);
BENCHMARK(BM_DecipherText)->Arg(8)->Arg(32)->Arg(256);

// Prints the usual table, then the vault figures as ratios to the bound of the same run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                m_times[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
                if (const auto peak = run.counters.find("peak_heap_MiB"); peak != run.counters.end()) {
                    m_peakHeap = peak->second.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto bound = m_times.find("BM_Bound_Aes192Ecb");
        if (bound == m_times.end()) {
            return;
        }
        std::printf("\nVault of %d records, %zu enciphered bytes; %u cores, every figure on one thread (pin it "
                    "with taskset -c 0)\n",
                    kFolders * kRecordsPerFolder, EncipheredBytes(), std::thread::hardware_concurrency());
        // On a shared machine the wall clock also counts other processes' turns on the core; the
        // thread's CPU time does not.
        std::printf("%-32s %10.2f ms wall %10.2f ms CPU\n", "bound (AES-192-ECB, 1 call)", bound->second.real,
                    bound->second.cpu);
        std::printf("AES instructions %s\n", CpuHasAesNi() ? "in use (Native figures)" : "missing: Native = Portable");
        for (const char* name :
             {"BM_LoadFromFile", "BM_SaveToFile", "BM_DecipherAllValues/Native", "BM_EncipherAllValues/Native",
              "BM_Cfb8/Decrypt", "BM_Cfb8/Encrypt", "BM_DecipherAllValues/Portable", "BM_EncipherAllValues/Portable",
              "BM_Cfb8/DecryptPortable", "BM_Cfb8/EncryptPortable", "BM_Reference_PerValueEvpCfb8"}) {
            if (const auto it = m_times.find(name); it != m_times.end()) {
                std::printf("%-32s %10.2f ms  %5.2fx bound wall %5.2fx bound CPU\n", name, it->second.real,
                            it->second.real / bound->second.real, it->second.cpu / bound->second.cpu);
            }
        }
        if (m_peakHeap > 0) {
            std::printf("%-32s %10.1f MiB\n", "peak heap of a load", m_peakHeap);
        }
    }

private:
    struct Times
    {
        double real;
        double cpu;
    };
    std::map<std::string, Times> m_times;
    double m_peakHeap = 0;
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
