#pragma once

#include "core/vault/AesNi.h"
#include "core/vault/Cfb8.h"

namespace velmora {

// CFB-8 with AES-192 on the processor's AES instructions (only where CpuHasAesNi()): the same
// bytes as Cfb8Encrypt and Cfb8Decrypt.
void AesNiCfb8Encrypt(const Aes192RoundKeys& keys, const AesBlock& iv, std::span<const Cfb8Job> jobs);
void AesNiCfb8Decrypt(const Aes192RoundKeys& keys, const AesBlock& iv, std::span<const Cfb8Job> jobs);

} // namespace velmora
