#include "AesBound.h"

#include <algorithm>
#include <benchmark/benchmark.h>

namespace velmora {

std::array<unsigned char, 24> BenchKey()
{
    std::array<unsigned char, 24> key{};
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<unsigned char>(i * 7 + 1);
    }
    return key;
}

AesBound::AesBound(std::size_t encipheredBytes)
    : m_aes(BenchKey()), m_chunk(kChunkBlocks * 16, 0x5A), m_blocks(encipheredBytes)
{}

void AesBound::Run()
{
    for (std::size_t left = m_blocks; left > 0;) {
        const std::size_t now = std::min(left, kChunkBlocks);
        m_aes.EncryptBlocks(m_chunk.data(), m_chunk.data(), now);
        benchmark::DoNotOptimize(m_chunk.data());
        left -= now;
    }
}

} // namespace velmora
