#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class AesEcb;
class Cfb8Frames;

// Turns one value into one line of Base64 text and back. The key is the SHA-1 digest of the key
// text, zero-padded to an AES-192 key; every value is enciphered alone in CFB mode with 8-bit
// feedback, starting from the same register, so equal values give equal lines.
//
// The key set-up of the last key text used is cached; Forget() wipes it.
class StringCipher
{
public:
    StringCipher();
    ~StringCipher();
    StringCipher(const StringCipher&) = delete;
    StringCipher& operator=(const StringCipher&) = delete;

    std::string EncipherText(std::string_view keyText, std::string_view value);

    // Nothing when the line cannot be decoded (its length is not a multiple of 4).
    std::optional<std::string> DecipherText(std::string_view keyText, std::string_view line);

    // The lines of all values, each followed by `separator`: the bulk path of the file writers.
    std::string EncipherLines(std::string_view keyText, std::span<const std::string_view> values,
                              std::string_view separator);

    std::vector<std::optional<std::string>> DecipherLines(std::string_view keyText,
                                                          std::span<const std::string_view> lines);

    // A value and where its ciphertext goes, as many bytes as the value: the line is its Base64 text.
    struct ValueToCipherText
    {
        std::string_view value;
        char* cipherText;
    };
    // The bulk path of writers that keep the ciphertext in storage of their own.
    void EncipherValues(std::string_view keyText, std::span<const ValueToCipherText> items);

    // Deciphers many lines into values where they go, in bulk: each line is decoded when it is
    // added, so it need not outlive the call, and its value is written by Finish() at the latest.
    // Values not yet written when it is destroyed without Finish() are cleared. The cipher must
    // not be used with another key text meanwhile.
    class LineDecipherer
    {
    public:
        // `expectedBytes`: about how much room the values to come take as frames
        // (Cfb8Frames::FrameBytes each), so that a few lines do not take the room of many.
        LineDecipherer(StringCipher& cipher, std::string_view keyText, std::size_t expectedBytes = SIZE_MAX);
        ~LineDecipherer();
        LineDecipherer(const LineDecipherer&) = delete;
        LineDecipherer& operator=(const LineDecipherer&) = delete;

        // `line` must be decodable and `value` hold DecodedBase64Length(line) bytes, as must
        // `cipherText` unless it is null: the line's decoded bytes are copied there. True when the
        // line is exactly the one EncipherText makes of the value, so that it may be written again
        // from those bytes.
        bool Add(std::string_view line, char* value, char* cipherText = nullptr);
        void Finish();

    private:
        const AesEcb* m_aes;
        std::unique_ptr<Cfb8Frames> m_frames;
    };

    // Sets up the key of `keyText` and returns a number that changes whenever the key in use
    // changes: lines kept under another number were made with another key.
    std::uint64_t KeyGeneration(std::string_view keyText);

    void Forget();

private:
    class Key;
    const Key& KeyFor(std::string_view keyText);

    std::unique_ptr<Key> m_key;
    std::uint64_t m_generation = 0;
};

} // namespace velmora
