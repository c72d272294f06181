#include "vault/Base64.h"

#include <algorithm>
#include <array>
#include <cstdint>

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

std::uint8_t ValueOf(char c)
{
    return kValues[static_cast<unsigned char>(c)];
}

} // namespace

void EncodeBase64(std::string_view bytes, char* out)
{
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t full = bytes.size() / 3;
    for (std::size_t g = 0; g < full; ++g, in += 3) {
        *out++ = kAlphabet[in[0] >> 2];
        *out++ = kAlphabet[((in[0] & 0x03) << 4) | (in[1] >> 4)];
        *out++ = kAlphabet[((in[1] & 0x0F) << 2) | (in[2] >> 6)];
        *out++ = kAlphabet[in[2] & 0x3F];
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
    const std::size_t quartets = text.size() / 4;
    for (std::size_t q = 0; q < quartets; ++q) {
        const char* in = text.data() + q * 4;
        const std::uint8_t v0 = ValueOf(in[0]);
        const std::uint8_t v1 = ValueOf(in[1]);
        const std::uint8_t v2 = ValueOf(in[2]);
        const std::uint8_t v3 = ValueOf(in[3]);
        std::size_t produced = 3;
        if (q + 1 == quartets) {
            produced = in[2] == '=' ? 1 : in[3] == '=' ? 2 : 3;
        }
        *out++ = static_cast<char>((v0 << 2) | (v1 >> 4));
        if (produced > 1) {
            *out++ = static_cast<char>(((v1 & 0x0F) << 4) | (v2 >> 2));
        }
        if (produced > 2) {
            *out++ = static_cast<char>(((v2 & 0x03) << 6) | v3);
        }
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
