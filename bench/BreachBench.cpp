// Breach list look-ups: 1,000 passwords, half of them listed, in a 1 GB sorted `SHA1-HEX:COUNT`
// list generated in a temporary directory (removed at the end). The list is searched on disk, so
// the heap a look-up takes stays the same whatever the list's size and however many passwords.

#include "ConsoleOptions.h"
#include "HeapCounter.h"
#include "core/health/BreachList.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace velmora {
namespace {

constexpr std::uint64_t kListBytes = std::uint64_t{1} << 30;
constexpr int kPasswords = 1000;
constexpr double kMiB = 1024.0 * 1024.0;

std::string Hex(const unsigned char* bytes, std::size_t size)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

// Lines of random digests in order (an even spread of 64-bit prefixes, random tails), with the
// listed passwords' own digests merged in where they belong, until the file holds 1 GB.
struct GeneratedList
{
    GeneratedList();
    GeneratedList(const GeneratedList&) = delete;
    GeneratedList& operator=(const GeneratedList&) = delete;

    std::filesystem::path directory;
    std::filesystem::path file;
    std::vector<std::string> passwords; // the even ones are listed
    std::uint64_t bytes = 0;

    ~GeneratedList()
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
};

GeneratedList::GeneratedList()
{
    directory = std::filesystem::temp_directory_path() / ("velmora-breach-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    file = directory / "breached.txt";

    std::vector<std::string> listed;
    for (int i = 0; i < kPasswords; ++i) {
        passwords.push_back("bench-password-" + std::to_string(i));
        if (i % 2 == 0) {
            const Sha1Digest digest = BreachDigest(passwords.back());
            listed.push_back(Hex(digest.data(), digest.size()));
        }
    }
    std::sort(listed.begin(), listed.end());

    constexpr std::uint64_t kLineBytes = 40 + 1 + 6 + 1; // a six-digit count and LF
    const std::uint64_t lines = kListBytes / kLineBytes;
    const std::uint64_t step = ~std::uint64_t{0} / lines;
    std::mt19937_64 random(2026);
    std::ofstream out(file, std::ios::binary);
    std::size_t next = 0;
    char line[64];
    for (std::uint64_t i = 0; i < lines; ++i) {
        std::snprintf(line, sizeof line, "%016llX%016llX%08X:%06u\n", static_cast<unsigned long long>(i * step),
                      static_cast<unsigned long long>(random()), static_cast<unsigned>(random()),
                      static_cast<unsigned>(100000 + random() % 900000));
        const std::string_view key(line, 40);
        for (; next < listed.size() && listed[next] < key; ++next) {
            out << listed[next] << ":3\n";
        }
        out.write(line, static_cast<std::streamsize>(kLineBytes));
    }
    for (; next < listed.size(); ++next) {
        out << listed[next] << ":3\n";
    }
    out.close();
    bytes = std::filesystem::file_size(file);
}

const GeneratedList& List()
{
    static const GeneratedList list;
    return list;
}

// Looks up the first `state.range(0)` passwords; the heap peak is the same for 10 as for 1,000.
void BM_BreachLookup(benchmark::State& state)
{
    const GeneratedList& list = List();
    const auto count = static_cast<std::size_t>(state.range(0));
    std::size_t found = 0;
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        BreachList breaches(list.file);
        found = 0;
        for (std::size_t i = 0; i < count; ++i) {
            found += breaches.TimesSeen(BreachDigest(list.passwords[i])).has_value() ? 1 : 0;
        }
        peak = std::max(peak, bench::HeapPeak() - before);
    }
    if (found != (count + 1) / 2) {
        state.SkipWithError("the listed passwords were not all found");
    }
    state.counters["found"] = static_cast<double>(found);
    state.counters["list_MiB"] = static_cast<double>(list.bytes) / kMiB;
    state.counters["peak_heap_KiB"] = static_cast<double>(peak) / 1024.0;
}

BENCHMARK(BM_BreachLookup)->Arg(10)->Arg(kPasswords)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace velmora

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::ConsoleReporter reporter(velmora::bench::ConsoleOptions());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
