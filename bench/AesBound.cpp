#include "AesBound.h"

#include "core/vault/AesEcb.h"

#include <cstdint>
#include <vector>

namespace velmora {

std::array<unsigned char, 24> BenchKey()
{
    std::array<unsigned char, 24> key{};
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<unsigned char>(i * 7 + 1);
    }
    return key;
}

void MeasureAesBound(benchmark::State& state, std::size_t encipheredBytes)
{
    const AesEcb aes(BenchKey());
    std::vector<unsigned char> blocks(encipheredBytes * 16, 0x5A);
    for (auto _ : state) {
        aes.EncryptBlocks(blocks.data(), blocks.data(), encipheredBytes);
        benchmark::DoNotOptimize(blocks.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * encipheredBytes));
}

} // namespace velmora
