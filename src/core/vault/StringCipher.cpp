#include "core/vault/StringCipher.h"

#include "core/vault/AesEcb.h"
#include "core/vault/Base64.h"
#include "core/vault/Cfb8.h"

#include <algorithm>
#include <array>
#include <openssl/crypto.h>
#include <openssl/sha.h>

namespace velmora {

namespace {

// Ciphertext is staged a slice of values at a time in buffers that are reused and small enough to
// stay in the processor's caches, so a large batch neither clears nor faults in memory of its size.
constexpr std::size_t kSliceBytes = 1 << 16;

// Enciphering stages the ciphertext of a slice before its Base64 text is written.
struct Staging
{
    std::vector<unsigned char> ciphertext;
    std::vector<Cfb8Job> jobs;
};

// Calls work(begin, end) on consecutive ranges of the `count` items, each of at least one item
// and otherwise at most kSliceBytes.
template <typename Size, typename Work> void ForEachSlice(std::size_t count, Size sizeOf, Work work)
{
    std::size_t begin = 0;
    while (begin < count) {
        std::size_t end = begin + 1;
        std::size_t bytes = sizeOf(begin);
        while (end < count && bytes + sizeOf(end) <= kSliceBytes) {
            bytes += sizeOf(end);
            ++end;
        }
        work(begin, end);
        begin = end;
    }
}

// A value and where its line goes.
struct ValueToLine
{
    std::string_view value;
    char* line;
};

void EncipherSlice(const AesEcb& aes, const AesBlock& iv, std::span<const ValueToLine> items, Staging& staging)
{
    std::size_t bytes = 0;
    for (const ValueToLine& item : items) {
        bytes += item.value.size();
    }
    staging.ciphertext.resize(bytes);
    staging.jobs.clear();
    unsigned char* next = staging.ciphertext.data();
    for (const ValueToLine& item : items) {
        staging.jobs.push_back({reinterpret_cast<const unsigned char*>(item.value.data()), next, item.value.size()});
        next += item.value.size();
    }
    Cfb8Encrypt(aes, iv, staging.jobs);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Cfb8Job& job = staging.jobs[i];
        EncodeBase64(std::string_view(reinterpret_cast<const char*>(job.out), job.size), items[i].line);
    }
}

} // namespace

class StringCipher::Key
{
public:
    explicit Key(std::string_view keyText) : m_keyText(keyText), m_aes(DeriveKey(keyText)) {}

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

    // The register every value starts from: the key's encryption of sixteen 0xFF bytes.
    static AesBlock StartRegister(const AesEcb& aes)
    {
        AesBlock allOnes;
        allOnes.fill(0xFF);
        return aes.EncryptBlock(allOnes);
    }

    std::string m_keyText;
    AesEcb m_aes;
    AesBlock m_iv = StartRegister(m_aes);
};

StringCipher::StringCipher() = default;
StringCipher::~StringCipher() = default;

const StringCipher::Key& StringCipher::KeyFor(std::string_view keyText)
{
    if (!m_key || !m_key->IsFor(keyText)) {
        m_key.reset();
        m_key = std::make_unique<Key>(keyText);
        ++m_generation;
    }
    return *m_key;
}

std::uint64_t StringCipher::KeyGeneration(std::string_view keyText)
{
    KeyFor(keyText);
    return m_generation;
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
    std::size_t outputBytes = 0;
    for (const std::string_view value : values) {
        outputBytes += Base64Length(value.size()) + separator.size();
    }
    std::string output(outputBytes, '\0');
    std::vector<ValueToLine> items;
    items.reserve(values.size());
    char* out = output.data();
    for (const std::string_view value : values) {
        items.push_back({value, out});
        out = std::copy(separator.begin(), separator.end(), out + Base64Length(value.size()));
    }
    const Key& key = KeyFor(keyText);
    Staging staging;
    ForEachSlice(
        items.size(), [&](std::size_t i) { return items[i].value.size(); },
        [&](std::size_t begin, std::size_t end) {
            EncipherSlice(key.Aes(), key.Iv(), std::span(items).subspan(begin, end - begin), staging);
        });
    return output;
}

std::vector<std::optional<std::string>> StringCipher::DecipherLines(std::string_view keyText,
                                                                    std::span<const std::string_view> lines)
{
    std::vector<std::optional<std::string>> values(lines.size());
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto length = DecodedBase64Length(lines[i])) {
            values[i].emplace(*length, '\0');
            bytes += Cfb8Frames::FrameBytes(*length);
        }
    }
    LineDecipherer decipherer(*this, keyText, bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (values[i]) {
            decipherer.Add(lines[i], values[i]->data());
        }
    }
    decipherer.Finish();
    return values;
}

void StringCipher::EncipherValues(std::string_view keyText, std::span<const ValueToCipherText> items)
{
    const Key& key = KeyFor(keyText);
    std::vector<Cfb8Job> jobs;
    jobs.reserve(items.size());
    for (const ValueToCipherText& item : items) {
        jobs.push_back({reinterpret_cast<const unsigned char*>(item.value.data()),
                        reinterpret_cast<unsigned char*>(item.cipherText), item.value.size()});
    }
    Cfb8Encrypt(key.Aes(), key.Iv(), jobs);
}

StringCipher::LineDecipherer::LineDecipherer(StringCipher& cipher, std::string_view keyText, std::size_t expectedBytes)
{
    const Key& key = cipher.KeyFor(keyText);
    m_aes = &key.Aes();
    m_frames = std::make_unique<Cfb8Frames>(key.Iv(), std::min(expectedBytes, kSliceBytes));
}

StringCipher::LineDecipherer::~LineDecipherer() = default;

bool StringCipher::LineDecipherer::Add(std::string_view line, char* value, char* cipherText)
{
    const std::size_t size = *DecodedBase64Length(line);
    // Deciphered before they would grow: growing copies them, and past the heap's threshold the
    // larger buffers come fresh from the system at every read.
    if (m_frames->Size() > 0 && !m_frames->HasRoomFor(size)) {
        m_frames->Decrypt(*m_aes);
    }
    auto* const framed = reinterpret_cast<char*>(m_frames->Add(size, reinterpret_cast<unsigned char*>(value)));
    const bool canonical = DecodeBase64Into(line, framed);
    if (cipherText != nullptr && size > 0) {
        std::copy(framed, framed + size, cipherText);
    }
    return canonical;
}

void StringCipher::LineDecipherer::Finish()
{
    m_frames->Decrypt(*m_aes);
}

} // namespace velmora
