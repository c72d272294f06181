#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// Length of the Base64 text of `bytes` bytes: 4 characters for every started group of 3.
constexpr std::size_t Base64Length(std::size_t bytes)
{
    return (bytes + 2) / 3 * 4;
}

// Writes the Base64 text of `bytes` to `out` (Base64Length(bytes.size()) characters).
// A short final group reuses the group buffer, so its fill bits come from the byte three
// positions before the end; stored settings names are looked up by this exact text.
void EncodeBase64(std::string_view bytes, char* out);

// Encodes the consecutive pieces of `bytes` that end at the offsets `ends`, each as EncodeBase64
// does and followed by `separator`; returns where the output ends. Many short pieces cost far less
// this way than one call each.
char* EncodeBase64Lines(const char* bytes, std::span<const std::uint32_t> ends, std::string_view separator, char* out);

// Decodes leniently: every character outside the alphabet counts as 63 and fill bits are
// ignored. The one failure is a length that is not a multiple of 4.
std::optional<std::string> DecodeBase64(std::string_view text);

// The number of bytes DecodeBase64 yields for `text`, or nothing when it would fail.
constexpr std::optional<std::size_t> DecodedBase64Length(std::string_view text)
{
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    if (text.empty()) {
        return 0;
    }
    const std::size_t tail = text[text.size() - 2] == '=' ? 1 : text.back() == '=' ? 2 : 3;
    return (text.size() / 4 - 1) * 3 + tail;
}

// Decodes into `out`, which must hold DecodedBase64Length(text) bytes. True when `text` is exactly
// what EncodeBase64 makes of the decoded bytes, so the line can be written again as it is.
bool DecodeBase64Into(std::string_view text, char* out);

// Whether decoding uses the 512-bit instructions: the processor has them and they are not turned
// off, which lets tests run the 128-bit path on such a machine too.
bool WideBase64InUse();
void ForceNarrowBase64(bool narrow);

} // namespace velmora
