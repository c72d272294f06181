#pragma once

#include "core/vault/AesNi.h"
#include "core/vault/Cfb8.h"

namespace velmora {

// CFB-8 with AES-192 on the processor's AES instructions (only where CpuHasAesNi()): the same
// bytes as Cfb8Encrypt and Cfb8Decrypt.
void AesNiCfb8Encrypt(const Aes192RoundKeys& keys, const AesBlock& iv, std::span<const Cfb8Job> jobs);
void AesNiCfb8Decrypt(const Aes192RoundKeys& keys, const AesBlock& iv, std::span<const Cfb8Job> jobs);

// Deciphers the `size` bytes of `frames` (Cfb8Frames) into `plain` at the same places, then copies
// each value from there (in) to where it goes (out). Only where WideAesInUse().
void AesNiCfb8DecryptFrames(const Aes192RoundKeys& keys, const unsigned char* frames, std::size_t size,
                            unsigned char* plain, std::span<const Cfb8Job> values);

} // namespace velmora
