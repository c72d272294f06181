#include "core/vault/SealedText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sodium.h>
#include <stdexcept>

namespace velmora {

namespace {

// Header: magic, version, three zero bytes, passes and memory (32 bits each, little endian),
// salt, key check, nonce. All of it is bound to the ciphertext as associated data.
constexpr std::string_view kMagic = "VMSEALED";
constexpr unsigned char kVersion = 1;
constexpr std::size_t kCheckBytes = 16;
constexpr std::size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr std::size_t kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr std::size_t kVersionAt = kMagic.size();
constexpr std::size_t kPassesAt = kVersionAt + 4;
constexpr std::size_t kMemoryAt = kPassesAt + 4;
constexpr std::size_t kSaltAt = kMemoryAt + 4;
constexpr std::size_t kCheckAt = kSaltAt + kSealSaltBytes;
constexpr std::size_t kNonceAt = kCheckAt + kCheckBytes;
constexpr std::size_t kHeaderBytes = kNonceAt + kNonceBytes;
// Hashed under the key to give the header's key check: a wrong password is told from a changed
// file without deciphering anything. It tells a guesser nothing the AEAD tag would not.
constexpr std::string_view kCheckLabel = "velmora sealed account key check";

static_assert(SealKey::kBytes == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(kSealSaltBytes == crypto_pwhash_argon2id_SALTBYTES);

void StartSodium()
{
    static const bool started = sodium_init() >= 0;
    if (!started) {
        throw std::runtime_error("the cryptography library could not start");
    }
}

const unsigned char* Bytes(std::string_view text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

void PutUint32(std::string& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint32_t GetUint32(std::string_view in, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(in[at + i]);
    }
    return value;
}

std::array<unsigned char, kCheckBytes> KeyCheck(const SealKey& key)
{
    std::array<unsigned char, kCheckBytes> check{};
    crypto_generichash(check.data(), check.size(), Bytes(kCheckLabel), kCheckLabel.size(), key.Bytes().data(),
                       key.Bytes().size());
    return check;
}

bool Readable(SealCost cost)
{
    return cost.passes >= kSmallestReadableSealCost.passes && cost.passes <= kLargestReadableSealCost.passes &&
           cost.memoryKiB >= kSmallestReadableSealCost.memoryKiB &&
           cost.memoryKiB <= kLargestReadableSealCost.memoryKiB;
}

} // namespace

SealKey SealKey::Derive(std::string_view password, SealCost cost)
{
    StartSodium();
    SealSalt salt{};
    randombytes_buf(salt.data(), salt.size());
    return Derive(password, cost, salt);
}

SealKey SealKey::Derive(std::string_view password, SealCost cost, const SealSalt& salt)
{
    StartSodium();
    SealKey key;
    key.m_salt = salt;
    key.m_cost = cost;
    const auto start = std::chrono::steady_clock::now();
    if (crypto_pwhash(key.m_key.data(), key.m_key.size(), password.data(), password.size(), salt.data(), cost.passes,
                      static_cast<std::size_t>(cost.memoryKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0) {
        throw std::runtime_error("not enough memory to derive the account's key");
    }
    key.m_derivationSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return key;
}

SealKey::~SealKey()
{
    sodium_memzero(m_key.data(), m_key.size());
}

bool IsSealedText(std::string_view fileBytes)
{
    return fileBytes.starts_with(kMagic);
}

std::string SealText(const SealKey& key, std::string_view plainText)
{
    StartSodium();
    std::string sealed(kHeaderBytes + plainText.size() + kTagBytes, '\0');
    std::memcpy(sealed.data(), kMagic.data(), kMagic.size());
    sealed[kVersionAt] = static_cast<char>(kVersion);
    PutUint32(sealed, kPassesAt, key.Cost().passes);
    PutUint32(sealed, kMemoryAt, key.Cost().memoryKiB);
    std::memcpy(sealed.data() + kSaltAt, key.Salt().data(), kSealSaltBytes);
    const auto check = KeyCheck(key);
    std::memcpy(sealed.data() + kCheckAt, check.data(), check.size());
    auto* out = reinterpret_cast<unsigned char*>(sealed.data());
    randombytes_buf(out + kNonceAt, kNonceBytes);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(out + kHeaderBytes, &written, Bytes(plainText), plainText.size(), out,
                                               kHeaderBytes, nullptr, out + kNonceAt, key.Bytes().data());
    return sealed;
}

UnsealedText UnsealText(std::string_view sealedFile, std::string_view password)
{
    return UnsealText(sealedFile, password, std::nullopt);
}

UnsealedText UnsealText(std::string_view sealedFile, std::string_view password, const std::optional<SealKey>& known)
{
    StartSodium();
    UnsealedText opened;
    if (sealedFile.size() < kHeaderBytes + kTagBytes || !IsSealedText(sealedFile) ||
        static_cast<unsigned char>(sealedFile[kVersionAt]) != kVersion || sealedFile[kVersionAt + 1] != '\0' ||
        sealedFile[kVersionAt + 2] != '\0' || sealedFile[kVersionAt + 3] != '\0') {
        return opened;
    }
    const SealCost cost{GetUint32(sealedFile, kPassesAt), GetUint32(sealedFile, kMemoryAt)};
    if (!Readable(cost)) {
        return opened;
    }
    SealSalt salt{};
    std::memcpy(salt.data(), sealedFile.data() + kSaltAt, salt.size());
    SealKey key =
        known && known->Cost() == cost && known->Salt() == salt ? *known : SealKey::Derive(password, cost, salt);
    const auto check = KeyCheck(key);
    if (sodium_memcmp(check.data(), sealedFile.data() + kCheckAt, check.size()) != 0) {
        opened.result = UnsealResult::WrongPassword;
        return opened;
    }
    const std::size_t cipherBytes = sealedFile.size() - kHeaderBytes;
    std::string text(cipherBytes - kTagBytes, '\0');
    unsigned long long read = 0;
    const unsigned char* in = Bytes(sealedFile);
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(text.data()), &read, nullptr,
                                                   in + kHeaderBytes, cipherBytes, in, kHeaderBytes, in + kNonceAt,
                                                   key.Bytes().data()) != 0) {
        sodium_memzero(text.data(), text.size()); // nothing of a text that failed its check
        return opened;
    }
    opened.result = UnsealResult::Ok;
    opened.text = std::move(text);
    opened.key = std::move(key);
    return opened;
}

SealCost ChooseSealCost(std::chrono::duration<double> target)
{
    // The time grows with the passes: time the least cost and scale it.
    const auto start = std::chrono::steady_clock::now();
    SealKey::Derive("cost probe", kMinimumSealCost);
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    const double perPass = taken.count() / kMinimumSealCost.passes;
    SealCost cost = kMinimumSealCost;
    if (perPass > 0) {
        const double passes = std::floor(target.count() / perPass);
        cost.passes = static_cast<std::uint32_t>(
            std::clamp(passes, double(kMinimumSealCost.passes), double(kLargestReadableSealCost.passes)));
    }
    return cost;
}

} // namespace velmora
