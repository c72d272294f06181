#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// What one guess at a sealed account's password costs: Argon2id passes over this much memory.
struct SealCost
{
    std::uint32_t passes = 0;
    std::uint32_t memoryKiB = 0;

    friend bool operator==(const SealCost&, const SealCost&) = default;
};

// The least a new seal costs: 64 MiB of memory, two passes.
inline constexpr SealCost kMinimumSealCost{2, 64 * 1024};
// What a sealed file's header may ask for, so a changed header cannot make the reader take
// gigabytes or minutes: a file outside these bounds is refused as changed.
inline constexpr SealCost kSmallestReadableSealCost{1, 8 * 1024};
inline constexpr SealCost kLargestReadableSealCost{64, 1024 * 1024};

inline constexpr std::size_t kSealSaltBytes = 16;
using SealSalt = std::array<unsigned char, kSealSaltBytes>;

// The key that seals one account's text, derived from its password by Argon2id. It is derived
// once when the account is opened or sealed and kept while it is open, so a save costs no
// derivation; every save still gets a fresh nonce. Wiped when it goes.
class SealKey
{
public:
    static constexpr std::size_t kBytes = 32;

    // A new seal: a fresh random salt.
    static SealKey Derive(std::string_view password, SealCost cost);
    // The key of an existing seal, from the salt and cost its header names.
    static SealKey Derive(std::string_view password, SealCost cost, const SealSalt& salt);

    SealKey(const SealKey& other) = default;
    SealKey& operator=(const SealKey& other) = default;
    ~SealKey();

    SealCost Cost() const { return m_cost; }
    // How long deriving this key took here: what one guess at the password costs an attacker
    // with a machine like this one.
    double DerivationSeconds() const { return m_derivationSeconds; }
    const SealSalt& Salt() const { return m_salt; }
    const std::array<unsigned char, kBytes>& Bytes() const { return m_key; }

private:
    SealKey() = default;

    std::array<unsigned char, kBytes> m_key{};
    SealSalt m_salt{};
    SealCost m_cost{};
    double m_derivationSeconds = 0;
};

// True when the bytes start as a sealed file does; anything else is read as a plain file.
bool IsSealedText(std::string_view fileBytes);

// The whole sealed file for a plain file text: header (format, version, cost, salt, a check of
// the key), a fresh random nonce, and the text enciphered and authenticated with
// XChaCha20-Poly1305, the header bound to it.
std::string SealText(const SealKey& key, std::string_view plainText);

enum class UnsealResult
{
    Ok,
    // The header's key check does not match the key derived from this password.
    WrongPassword,
    // Not a sealed file the program wrote: a byte changed, cut short, grown, or a header no
    // version of the program writes. Nothing of it is returned.
    Changed,
};

struct UnsealedText
{
    UnsealResult result = UnsealResult::Changed;
    // The plain file text; empty unless the result is Ok.
    std::string text;
    // The key that opened it, for sealing the next saves; set only when the result is Ok.
    std::optional<SealKey> key;
};

// Opens a sealed file with the account password: derives the key from the header's salt and
// cost, then checks and deciphers the whole text. Never returns part of a text.
UnsealedText UnsealText(std::string_view sealedFile, std::string_view password);
// The same, taking `known` as the key when the header names its salt and cost: the other file
// of an open account costs no second derivation. Any other header derives from the password.
UnsealedText UnsealText(std::string_view sealedFile, std::string_view password, const std::optional<SealKey>& known);

// The cost for a new seal: at least kMinimumSealCost, with as many passes as take about
// `target` on this machine (measured here, stored in the header, so any machine opens it).
SealCost ChooseSealCost(std::chrono::duration<double> target);

} // namespace velmora
