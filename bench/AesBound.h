#pragma once

#include <array>
#include <benchmark/benchmark.h>
#include <cstddef>

namespace velmora {

// A fixed AES-192 key for the benchmarks.
std::array<unsigned char, 24> BenchKey();

// The bound every vault figure is a ratio to: CFB-8 needs one AES block per enciphered byte, so
// AES-192-ECB over 16 bytes for each of `encipheredBytes`, in one bulk call.
void MeasureAesBound(benchmark::State& state, std::size_t encipheredBytes);

} // namespace velmora
