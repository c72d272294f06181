#include "vault/StringCipher.h"

#include "vault/AesEcb.h"
#include "vault/Base64.h"
#include "vault/Cfb8.h"

#include <algorithm>
#include <array>
#include <openssl/crypto.h>
#include <openssl/sha.h>

namespace velmora {

class StringCipher::Key
{
public:
    explicit Key(std::string_view keyText) : m_keyText(keyText), m_aes(DeriveKey(keyText))
    {
        AesBlock allOnes;
        allOnes.fill(0xFF);
        m_iv = m_aes.EncryptBlock(allOnes);
    }

    ~Key()
    {
        OPENSSL_cleanse(m_iv.data(), m_iv.size());
        OPENSSL_cleanse(m_keyText.data(), m_keyText.size());
    }

    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool IsFor(std::string_view keyText) const { return m_keyText == keyText; }
    const AesEcb& Aes() const { return m_aes; }
    const AesBlock& Iv() const { return m_iv; }

private:
    // The 20-byte digest fills a 24-byte key area that starts zeroed: AES-192.
    class DerivedKey
    {
    public:
        explicit DerivedKey(std::string_view keyText)
        {
            SHA1(reinterpret_cast<const unsigned char*>(keyText.data()), keyText.size(), m_bytes.data());
        }
        ~DerivedKey() { OPENSSL_cleanse(m_bytes.data(), m_bytes.size()); }
        DerivedKey(const DerivedKey&) = delete;
        DerivedKey& operator=(const DerivedKey&) = delete;
        std::span<const unsigned char> Bytes() const { return m_bytes; }

    private:
        std::array<unsigned char, 24> m_bytes{};
    };

    static AesEcb DeriveKey(std::string_view keyText) { return AesEcb(DerivedKey(keyText).Bytes()); }

    std::string m_keyText;
    AesEcb m_aes;
    AesBlock m_iv{};
};

StringCipher::StringCipher() = default;
StringCipher::~StringCipher() = default;

const StringCipher::Key& StringCipher::KeyFor(std::string_view keyText)
{
    if (!m_key || !m_key->IsFor(keyText)) {
        m_key.reset();
        m_key = std::make_unique<Key>(keyText);
    }
    return *m_key;
}

void StringCipher::Forget()
{
    m_key.reset();
}

std::string StringCipher::EncipherText(std::string_view keyText, std::string_view value)
{
    return EncipherLines(keyText, std::span(&value, 1), {});
}

std::optional<std::string> StringCipher::DecipherText(std::string_view keyText, std::string_view line)
{
    return std::move(DecipherLines(keyText, std::span(&line, 1)).front());
}

std::string StringCipher::EncipherLines(std::string_view keyText, std::span<const std::string_view> values,
                                        std::string_view separator)
{
    const Key& key = KeyFor(keyText);

    // All ciphertext goes side by side into one buffer; then each value's Base64 line goes to its
    // place in the output.
    std::size_t plainBytes = 0;
    std::size_t outputBytes = 0;
    for (const std::string_view value : values) {
        plainBytes += value.size();
        outputBytes += Base64Length(value.size()) + separator.size();
    }
    std::vector<unsigned char> ciphertext(plainBytes);
    std::vector<Cfb8Job> jobs;
    jobs.reserve(values.size());
    unsigned char* next = ciphertext.data();
    for (const std::string_view value : values) {
        jobs.push_back({reinterpret_cast<const unsigned char*>(value.data()), next, value.size()});
        next += value.size();
    }
    Cfb8Encrypt(key.Aes(), key.Iv(), jobs);

    std::string output(outputBytes, '\0');
    char* out = output.data();
    for (const Cfb8Job& job : jobs) {
        EncodeBase64(std::string_view(reinterpret_cast<const char*>(job.out), job.size), out);
        out = std::copy(separator.begin(), separator.end(), out + Base64Length(job.size));
    }
    return output;
}

std::vector<std::optional<std::string>> StringCipher::DecipherLines(std::string_view keyText,
                                                                    std::span<const std::string_view> lines)
{
    const Key& key = KeyFor(keyText);
    std::vector<std::optional<std::string>> values(lines.size());
    std::size_t cipherBytes = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto length = DecodedBase64Length(lines[i])) {
            values[i].emplace(*length, '\0');
            cipherBytes += *length;
        }
    }
    std::vector<unsigned char> ciphertext(cipherBytes);
    std::vector<Cfb8Job> jobs;
    jobs.reserve(lines.size());
    unsigned char* next = ciphertext.data();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (values[i]) {
            DecodeBase64Into(lines[i], reinterpret_cast<char*>(next));
            jobs.push_back({next, reinterpret_cast<unsigned char*>(values[i]->data()), values[i]->size()});
            next += values[i]->size();
        }
    }
    Cfb8Decrypt(key.Aes(), key.Iv(), jobs);
    return values;
}

} // namespace velmora
