#pragma once

#include "core/vault/AesNi.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>

using evp_cipher_ctx_st = struct evp_cipher_ctx_st;

namespace velmora {

using AesBlock = std::array<unsigned char, 16>;

// The AES block cipher with a 128-, 192- or 256-bit key, applied to whole blocks at a time.
// Handing it many blocks in one call lets the library pipeline them.
class AesEcb
{
public:
    explicit AesEcb(std::span<const unsigned char> key);
    ~AesEcb();
    AesEcb(const AesEcb&) = delete;
    AesEcb& operator=(const AesEcb&) = delete;

    // Enciphers `blocks` 16-byte blocks from `in` to `out`.
    void EncryptBlocks(const unsigned char* in, unsigned char* out, std::size_t blocks) const;

    AesBlock EncryptBlock(const AesBlock& block) const;

    // The round keys for the processor's AES instructions: a 192-bit key on a processor that has them.
    const Aes192RoundKeys* NativeRoundKeys() const { return m_roundKeys ? &*m_roundKeys : nullptr; }

private:
    evp_cipher_ctx_st* m_context = nullptr;
    std::optional<Aes192RoundKeys> m_roundKeys;
};

} // namespace velmora
