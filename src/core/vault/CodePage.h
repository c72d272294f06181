#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Vault texts are Windows-1251 bytes. This mapping is total and reversible over all 256 bytes
// (the one undefined byte, 0x98, maps to U+0098), so any byte read from a file survives being
// shown and saved again.
char32_t CodePageToUnicode(unsigned char byte);

// The byte for a character, or nothing when the code page cannot hold it.
std::optional<unsigned char> UnicodeToCodePage(char32_t character);

std::string CodePageToUtf8(std::string_view bytes);

// Each byte's lower case: every letter pair of the code page (Latin, Russian, Ukrainian,
// Belarusian, Serbian and Macedonian letters) folds, every other byte stays itself. A fixed table,
// so comparing without case never depends on the machine's locale.
extern const std::array<unsigned char, 256> kLowerCase;

inline char LowerCase(char byte)
{
    return static_cast<char>(kLowerCase[static_cast<unsigned char>(byte)]);
}

// Decodes the UTF-8 character at `position` and moves past it. An invalid or truncated sequence
// gives nothing and moves past its first byte only, so it cannot swallow what follows.
std::optional<char32_t> DecodeUtf8Character(std::string_view text, std::size_t& position);

// White space or a control character: a name of nothing else is no name (the record dialog
// refuses it).
bool IsBlankCharacter(char32_t character);

struct CodePageText
{
    std::string bytes;
    // Set when the text held a character without a byte (or was not valid UTF-8: U+FFFD);
    // bytes then holds the text converted up to that character.
    std::optional<char32_t> unmappable;
};

CodePageText Utf8ToCodePage(std::string_view utf8);

} // namespace velmora
