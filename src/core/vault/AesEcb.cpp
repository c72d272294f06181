#include "core/vault/AesEcb.h"

#include <climits>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <stdexcept>

namespace velmora {
namespace {

const EVP_CIPHER* CipherForKeySize(std::size_t bytes)
{
    switch (bytes) {
    case 16:
        return EVP_aes_128_ecb();
    case 24:
        return EVP_aes_192_ecb();
    case 32:
        return EVP_aes_256_ecb();
    default:
        throw std::invalid_argument("AES key must be 16, 24 or 32 bytes");
    }
}

} // namespace

AesEcb::AesEcb(std::span<const unsigned char> key) : m_context(EVP_CIPHER_CTX_new())
{
    if (m_context == nullptr ||
        EVP_EncryptInit_ex(m_context, CipherForKeySize(key.size()), nullptr, key.data(), nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(m_context, 0) != 1) {
        EVP_CIPHER_CTX_free(m_context);
        throw std::runtime_error("AES key set-up failed");
    }
    if (key.size() == 24 && CpuHasAesNi()) {
        ExpandAes192Key(key.first<24>(), m_roundKeys.emplace());
    }
}

AesEcb::~AesEcb()
{
    // Freeing the context wipes its key schedule; ours is wiped here.
    EVP_CIPHER_CTX_free(m_context);
    if (m_roundKeys) {
        OPENSSL_cleanse(m_roundKeys->bytes.data(), m_roundKeys->bytes.size());
    }
}

void AesEcb::EncryptBlocks(const unsigned char* in, unsigned char* out, std::size_t blocks) const
{
    constexpr std::size_t kMaxBlocksPerCall = INT_MAX / 16;
    while (blocks > 0) {
        const std::size_t now = std::min(blocks, kMaxBlocksPerCall);
        int written = 0;
        if (EVP_EncryptUpdate(m_context, out, &written, in, static_cast<int>(now * 16)) != 1) {
            throw std::runtime_error("AES encryption failed");
        }
        in += now * 16;
        out += now * 16;
        blocks -= now;
    }
}

AesBlock AesEcb::EncryptBlock(const AesBlock& block) const
{
    AesBlock out;
    EncryptBlocks(block.data(), out.data(), 1);
    return out;
}

} // namespace velmora
