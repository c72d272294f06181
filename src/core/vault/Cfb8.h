#pragma once

#include "core/vault/AesEcb.h"

#include <span>

namespace velmora {

// One value for CFB mode with 8-bit feedback: `size` bytes from `in` to `out`. Encryption may work
// in place (in == out); decryption needs separate buffers.
struct Cfb8Job
{
    const unsigned char* in;
    unsigned char* out;
    std::size_t size;
};

// Every job restarts its feedback register at `iv`. With a 192-bit key on a processor with AES
// instructions, both run on those (Cfb8AesNi.h); otherwise on the library's block cipher:
//
// Decryption knows every register in advance (they are windows of the ciphertext), so all
// keystream blocks go to the block cipher in large batches. Encryption is serial inside a value,
// so many values advance side by side and each step enciphers one block of each in a single call.
void Cfb8Encrypt(const AesEcb& aes, const AesBlock& iv, std::span<const Cfb8Job> jobs);
void Cfb8Decrypt(const AesEcb& aes, const AesBlock& iv, std::span<const Cfb8Job> jobs);

} // namespace velmora
