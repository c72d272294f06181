#pragma once

#include "core/vault/AesEcb.h"

#include <array>
#include <cstddef>
#include <vector>

namespace velmora {

// A fixed AES-192 key for the benchmarks.
std::array<unsigned char, 24> BenchKey();

// The bound of a figure that enciphers or deciphers `encipheredBytes` bytes: CFB-8 needs one AES
// block per byte, so AES-192-ECB over that many 16-byte blocks. The blocks are one chunk that
// stays in the core's cache, enciphered again until they add up: one pass over gigabytes of
// blocks would time the memory, not the cipher.
class AesBound
{
public:
    explicit AesBound(std::size_t encipheredBytes);

    void Run();

private:
    static constexpr std::size_t kChunkBlocks = (512 << 10) / 16;

    AesEcb m_aes;
    std::vector<unsigned char> m_chunk;
    std::size_t m_blocks;
};

} // namespace velmora
