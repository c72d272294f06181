#include "vault/StringCipher.h"

#include "vault/AesEcb.h"
#include "vault/Base64.h"
#include "vault/Cfb8.h"

#include <algorithm>
#include <array>
#include <exception>
#include <openssl/crypto.h>
#include <openssl/sha.h>
#include <thread>

namespace velmora {

namespace {

// Values are independent of each other, so large batches are split into contiguous chunks of
// about equal size, one per core, each with a cipher context of its own.
template <typename Size, typename Work> void ForEachChunk(const AesEcb& aes, std::size_t count, Size sizeOf, Work work)
{
    constexpr std::size_t kBytesPerThread = 1 << 20;
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        total += sizeOf(i);
    }
    // Asking for the core count reads a system file, so it is asked once.
    static const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t chunks = std::clamp<std::size_t>(total / kBytesPerThread, 1, std::min<std::size_t>(cores, 8));
    if (chunks == 1) {
        work(aes, 0, count);
        return;
    }

    std::vector<std::size_t> bounds{0};
    std::size_t sum = 0;
    for (std::size_t i = 0; i < count && bounds.size() < chunks; ++i) {
        sum += sizeOf(i);
        if (sum * chunks >= total * bounds.size()) {
            bounds.push_back(i + 1);
        }
    }
    bounds.push_back(count);

    std::vector<std::exception_ptr> errors(bounds.size() - 1);
    std::vector<std::thread> threads;
    for (std::size_t c = 1; c + 1 < bounds.size(); ++c) {
        threads.emplace_back([&, c] {
            try {
                const AesEcb own(aes);
                work(own, bounds[c], bounds[c + 1]);
            } catch (...) {
                errors[c] = std::current_exception();
            }
        });
    }
    try {
        work(aes, bounds[0], bounds[1]);
    } catch (...) {
        errors[0] = std::current_exception();
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::exception_ptr& error : errors) {
        if (error) {
            std::rethrow_exception(error);
        }
    }
}

} // namespace

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

    // The values are gathered side by side and enciphered in place, so the cipher reads memory in
    // order; then each one's Base64 line goes to its place in the output.
    std::size_t plainBytes = 0;
    std::size_t outputBytes = 0;
    for (const std::string_view value : values) {
        plainBytes += value.size();
        outputBytes += Base64Length(value.size()) + separator.size();
    }
    std::string ciphertext(plainBytes, '\0');
    std::vector<Cfb8Job> jobs;
    jobs.reserve(values.size());
    auto* next = reinterpret_cast<unsigned char*>(ciphertext.data());
    for (const std::string_view value : values) {
        std::copy(value.begin(), value.end(), reinterpret_cast<char*>(next));
        jobs.push_back({next, next, value.size()});
        next += value.size();
    }
    std::vector<std::size_t> offsets;
    offsets.reserve(jobs.size());
    std::string output(outputBytes, '\0');
    std::size_t offset = 0;
    for (const Cfb8Job& job : jobs) {
        offsets.push_back(offset);
        offset += Base64Length(job.size) + separator.size();
    }
    ForEachChunk(
        key.Aes(), jobs.size(), [&](std::size_t i) { return jobs[i].size; },
        [&](const AesEcb& aes, std::size_t begin, std::size_t end) {
            const auto chunk = std::span(jobs).subspan(begin, end - begin);
            Cfb8Encrypt(aes, key.Iv(), chunk);
            for (std::size_t i = begin; i < end; ++i) {
                char* out = output.data() + offsets[i];
                EncodeBase64(std::string_view(reinterpret_cast<const char*>(jobs[i].out), jobs[i].size), out);
                std::copy(separator.begin(), separator.end(), out + Base64Length(jobs[i].size));
            }
        });
    return output;
}

std::vector<std::optional<std::string>> StringCipher::DecipherLines(std::string_view keyText,
                                                                    std::span<const std::string_view> lines)
{
    const Key& key = KeyFor(keyText);
    std::vector<std::optional<std::string>> values(lines.size());
    ForEachChunk(
        key.Aes(), lines.size(), [&](std::size_t i) { return lines[i].size(); },
        [&](const AesEcb& aes, std::size_t begin, std::size_t end) {
            std::size_t cipherBytes = 0;
            for (std::size_t i = begin; i < end; ++i) {
                if (const auto length = DecodedBase64Length(lines[i])) {
                    values[i].emplace(*length, '\0');
                    cipherBytes += *length;
                }
            }
            std::string ciphertext(cipherBytes, '\0');
            std::vector<Cfb8Job> jobs;
            jobs.reserve(end - begin);
            auto* next = reinterpret_cast<unsigned char*>(ciphertext.data());
            for (std::size_t i = begin; i < end; ++i) {
                if (values[i]) {
                    DecodeBase64Into(lines[i], reinterpret_cast<char*>(next));
                    jobs.push_back({next, reinterpret_cast<unsigned char*>(values[i]->data()), values[i]->size()});
                    next += values[i]->size();
                }
            }
            Cfb8Decrypt(aes, key.Iv(), jobs);
        });
    return values;
}

} // namespace velmora
