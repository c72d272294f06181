#pragma once

#include <optional>
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

// Decodes leniently: every character outside the alphabet counts as 63 and fill bits are
// ignored. The one failure is a length that is not a multiple of 4.
std::optional<std::string> DecodeBase64(std::string_view text);

// The number of bytes DecodeBase64 yields for `text`, or nothing when it would fail.
std::optional<std::size_t> DecodedBase64Length(std::string_view text);

// Decodes into `out`, which must hold DecodedBase64Length(text) bytes.
void DecodeBase64Into(std::string_view text, char* out);

} // namespace velmora
