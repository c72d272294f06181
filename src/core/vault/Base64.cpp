#include "core/vault/Base64.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace velmora {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::uint8_t, 256> kValues = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(63);
    for (std::size_t i = 0; i < 63; ++i) {
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    }
    return values;
}();

// The two characters of every 12-bit half of a group: one lookup instead of two.
constexpr std::array<std::array<char, 2>, 4096> kPairs = [] {
    std::array<std::array<char, 2>, 4096> pairs{};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        pairs[i] = {kAlphabet[i >> 6], kAlphabet[i & 0x3F]};
    }
    return pairs;
}();

std::uint8_t ValueOf(char c)
{
    return kValues[static_cast<unsigned char>(c)];
}

// The 24 bits of a group of three bytes, first byte highest.
std::uint32_t GroupBits(const std::uint8_t* in)
{
    return static_cast<std::uint32_t>(in[0] << 16 | in[1] << 8 | in[2]);
}

// The 24 bits of four characters, the first one highest.
std::uint32_t QuartetBits(const char* in)
{
    return static_cast<std::uint32_t>(ValueOf(in[0]) << 18 | ValueOf(in[1]) << 12 | ValueOf(in[2]) << 6 |
                                      ValueOf(in[3]));
}

} // namespace

void EncodeBase64(std::string_view bytes, char* out)
{
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t full = bytes.size() / 3;
    for (std::size_t g = 0; g < full; ++g, in += 3, out += 4) {
        const std::uint32_t bits = GroupBits(in);
        std::memcpy(out, kPairs[bits >> 12].data(), 2);
        std::memcpy(out + 2, kPairs[bits & 0xFFF].data(), 2);
    }
    const std::size_t rest = bytes.size() % 3;
    if (rest == 0) {
        return;
    }
    // The group buffer still holds the previous group's bytes where the short group ends.
    std::array<std::uint8_t, 3> group{};
    if (full > 0) {
        std::copy(in - 3, in, group.begin());
    }
    std::copy(in, in + rest, group.begin());
    *out++ = kAlphabet[group[0] >> 2];
    *out++ = kAlphabet[((group[0] & 0x03) << 4) | (group[1] >> 4)];
    *out++ = rest == 2 ? kAlphabet[((group[1] & 0x0F) << 2) | (group[2] >> 6)] : '=';
    *out++ = '=';
}

std::optional<std::size_t> DecodedBase64Length(std::string_view text)
{
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    if (text.empty()) {
        return 0;
    }
    const std::size_t full = text.size() / 4 - 1;
    const std::string_view last = text.substr(text.size() - 4);
    const std::size_t tail = last[2] == '=' ? 1 : last[3] == '=' ? 2 : 3;
    return full * 3 + tail;
}

void DecodeBase64Into(std::string_view text, char* out)
{
    if (text.empty()) {
        return;
    }
    const char* in = text.data();
    const char* const last = in + text.size() - 4;
    for (; in < last; in += 4, out += 3) {
        const std::uint32_t bits = QuartetBits(in);
        out[0] = static_cast<char>(bits >> 16);
        out[1] = static_cast<char>(bits >> 8);
        out[2] = static_cast<char>(bits);
    }
    // Only the last quartet may be short; its "=" count as 63 like any other stray character.
    const std::uint32_t bits = QuartetBits(last);
    const std::size_t produced = last[2] == '=' ? 1 : last[3] == '=' ? 2 : 3;
    for (std::size_t i = 0; i < produced; ++i) {
        out[i] = static_cast<char>(bits >> (16 - 8 * i));
    }
}

std::optional<std::string> DecodeBase64(std::string_view text)
{
    const auto length = DecodedBase64Length(text);
    if (!length) {
        return std::nullopt;
    }
    std::string bytes(*length, '\0');
    DecodeBase64Into(text, bytes.data());
    return bytes;
}

} // namespace velmora
