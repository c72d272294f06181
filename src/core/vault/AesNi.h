#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace velmora {

// The 13 round keys of AES-192 as the processor's AES instructions use them.
struct Aes192RoundKeys
{
    alignas(16) std::array<unsigned char, 13 * 16> bytes;
};

// Whether this processor has the AES instructions; asked once.
bool CpuHasAesNi();

// Whether the ciphers use the AES instructions: the processor has them and the portable path is
// not forced. Forcing it lets tests and measurements run the library path on any machine.
bool AesNiInUse();
void ForcePortableAes(bool portable);

// Both only where CpuHasAesNi(). The round keys are written in place, so no copy is left to wipe.
void ExpandAes192Key(std::span<const unsigned char, 24> key, Aes192RoundKeys& keys);
void AesNiEncryptBlocks(const Aes192RoundKeys& keys, const unsigned char* in, unsigned char* out, std::size_t blocks);

} // namespace velmora
