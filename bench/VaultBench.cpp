// Cipher throughput over every value of a 100,000-record vault, each figure timed in rounds against
// the AES-192-ECB bound over exactly those bytes (one 16-byte block per enciphered byte;
// RatioReporter.h).

#include "AesBound.h"
#include "HeapCounter.h"
#include "RatioReporter.h"
#include "Rounds.h"
#include "core/vault/Account.h"
#include "core/vault/AesEcb.h"
#include "core/vault/AesNi.h"
#include "core/vault/Cfb8.h"
#include "core/vault/StringCipher.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <openssl/evp.h>
#include <random>
#include <string>
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
                for (const std::string_view value : {record.Name(), record.URL(), record.Login(), record.IDNumber(),
                                                     record.Password(), record.Notes()}) {
                    all.emplace_back(value);
                }
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

void BM_Reference_PerValueEvpCfb8(benchmark::State& state)
{
    const auto key = BenchKey();
    std::array<unsigned char, 16> iv{};
    iv.fill(0xFF);
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    std::vector<unsigned char> out(1024);
    AesBound bound(EncipheredBytes());
    bench::Rounds rounds(state);
    for (auto _ : state) {
        rounds.Run([&] { bound.Run(); },
                   [&] {
                       for (const std::string& value : VaultValues()) {
                           out.resize(std::max(out.size(), value.size()));
                           int written = 0;
                           EVP_EncryptInit_ex(context, EVP_aes_192_cfb8(), nullptr, key.data(), iv.data());
                           EVP_EncryptUpdate(context, out.data(), &written,
                                             reinterpret_cast<const unsigned char*>(value.data()),
                                             static_cast<int>(value.size()));
                           benchmark::DoNotOptimize(out.data());
                       }
                   });
    }
    rounds.Report();
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
// Decryption on the 128-bit AES instructions where the wide ones would serve.
class NarrowAes
{
public:
    NarrowAes() { ForceNarrowAes(true); }
    ~NarrowAes() { ForceNarrowAes(false); }
    NarrowAes(const NarrowAes&) = delete;
    NarrowAes& operator=(const NarrowAes&) = delete;
};

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
    AesBound bound(EncipheredBytes());
    bench::Rounds rounds(state);
    for (auto _ : state) {
        rounds.Run([&] { bound.Run(); },
                   [&] {
                       if (encrypt) {
                           Cfb8Encrypt(aes, iv, jobs);
                       } else {
                           Cfb8Decrypt(aes, iv, jobs);
                       }
                       benchmark::DoNotOptimize(out.data());
                   });
    }
    rounds.Report();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncipheredBytes()));
}

void BM_Cfb8_DecryptNarrow(benchmark::State& state)
{
    const NarrowAes narrow;
    BM_Cfb8(state, false, false);
}

// The string cipher over every value of the vault, without the file and the model.
void BM_EncipherAllValues(benchmark::State& state, bool portable)
{
    const PortableAes path(portable);
    const std::vector<std::string_view> values(VaultValues().begin(), VaultValues().end());
    StringCipher cipher;
    AesBound bound(EncipheredBytes());
    bench::Rounds rounds(state);
    for (auto _ : state) {
        rounds.Run([&] { bound.Run(); },
                   [&] { benchmark::DoNotOptimize(cipher.EncipherLines(kPassword, values, "\r\n")); });
    }
    rounds.Report();
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
    AesBound bound(EncipheredBytes());
    bench::Rounds rounds(state);
    for (auto _ : state) {
        rounds.Run([&] { bound.Run(); }, [&] { benchmark::DoNotOptimize(cipher.DecipherLines(kPassword, lines)); });
    }
    rounds.Report();
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

// Looking up every record of a folder by its key, row by row, as the lists and the record window
// do; with the heap a record takes in the folder, its values and the key index included.
void BM_FindEveryRecord(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    TAccount account;
    account.AddFolder("lookups", 0);
    TFolderType& folder = account.Folder(0);
    const std::size_t before = bench::HeapInUse();
    for (std::size_t i = 0; i < count; ++i) {
        folder.AddRecord("name", "url", "login", "id", "password", "");
    }
    const std::size_t heap = bench::HeapInUse() - before;
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < count; ++i) {
        keys.emplace_back(folder.RecordAt(i).Key);
    }
    for (auto _ : state) {
        for (const std::string& key : keys) {
            benchmark::DoNotOptimize(folder.FindRecord(key));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
    state.counters["heap_per_record"] = static_cast<double>(heap) / static_cast<double>(count);
}

BENCHMARK(BM_Reference_PerValueEvpCfb8)->Apply(bench::InRounds);
BENCHMARK_CAPTURE(BM_Cfb8, Encrypt, true, false)->Apply(bench::InRounds);
BENCHMARK_CAPTURE(BM_Cfb8, Decrypt, false, false)->Apply(bench::InRounds);
BENCHMARK_CAPTURE(BM_Cfb8, EncryptPortable, true, true)->Apply(bench::InRounds);
BENCHMARK_CAPTURE(BM_Cfb8, DecryptPortable, false, true)->Apply(bench::InRounds);
BENCHMARK(BM_Cfb8_DecryptNarrow)->Apply(bench::InRounds);
BENCHMARK_CAPTURE(BM_EncipherAllValues, Native, false)->Apply(bench::InRounds);
BENCHMARK_CAPTURE(BM_DecipherAllValues, Native, false)->Apply(bench::InRounds);
BENCHMARK_CAPTURE(BM_EncipherAllValues, Portable, true)->Apply(bench::InRounds);
BENCHMARK_CAPTURE(BM_DecipherAllValues, Portable, true)->Apply(bench::InRounds);
BENCHMARK(BM_EncipherText)->Arg(8)->Arg(32)->Arg(256);
BENCHMARK(BM_DecipherText)->Arg(8)->Arg(32)->Arg(256);
BENCHMARK(BM_FindEveryRecord)->Arg(1'000)->Arg(10'000)->Arg(static_cast<std::int64_t>(kMaxRecordsPerFolder));

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    return velmora::bench::RunWithRatios(
        argc, argv,
        [](std::int64_t) {
            std::printf("Vault of %d records, %zu enciphered bytes\n", velmora::kFolders * velmora::kRecordsPerFolder,
                        velmora::EncipheredBytes());
            std::printf("AES instructions %s\n",
                        velmora::CpuHasAesNi() ? "in use (Native figures)" : "missing: Native = Portable");
        },
        {{"BM_DecipherAllValues/Native"},
         {"BM_EncipherAllValues/Native"},
         {"BM_Cfb8/Decrypt"},
         {"BM_Cfb8_DecryptNarrow"},
         {"BM_Cfb8/Encrypt"},
         {"BM_DecipherAllValues/Portable"},
         {"BM_EncipherAllValues/Portable"},
         {"BM_Cfb8/DecryptPortable"},
         {"BM_Cfb8/EncryptPortable"},
         {"BM_Reference_PerValueEvpCfb8"}});
}
