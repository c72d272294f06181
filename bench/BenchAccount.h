#pragma once

#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <string>

namespace velmora::bench {

inline const std::string kBenchPassword = "correct horse battery staple";
inline constexpr std::int64_t kSizes[] = {10'000, 100'000, 1'000'000};

// An account file generated for a benchmark, in a memory file system where there is one.
struct BenchAccount
{
    std::filesystem::path directory; // the program directory: the file is Users/bench.vmk
    std::filesystem::path file;
    std::size_t encipheredBytes = 0; // of every value in the file, counted from its lines
};

// `records` records in folders of up to 10,000, at least 10: fields of 5 to 40 bytes of every
// value but the line ends, notes of 0 to 200. Made and saved once per size and process.
const BenchAccount& GeneratedAccount(std::int64_t records);

// Runs a benchmark once for each of kSizes, in rounds (Rounds.h).
void EverySize(benchmark::internal::Benchmark* benchmark);

} // namespace velmora::bench
