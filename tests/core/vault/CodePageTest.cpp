#include "core/vault/CodePage.h"

#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>

namespace velmora {
namespace {

TEST(CodePage, EveryByteSurvivesTheTripThroughUnicode)
{
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const char32_t character = CodePageToUnicode(byte);
        EXPECT_EQ(UnicodeToCodePage(character), byte) << "byte " << b;
        const std::string utf8 = CodePageToUtf8(std::string(1, static_cast<char>(byte)));
        const CodePageText back = Utf8ToCodePage(utf8);
        EXPECT_FALSE(back.unmappable.has_value());
        EXPECT_EQ(back.bytes, std::string(1, static_cast<char>(byte)));
    }
}

TEST(CodePage, MapsCyrillicAndTheUndefinedByte)
{
    struct Case
    {
        unsigned char byte;
        char32_t character;
    };
    const Case cases[] = {
        {0x41, U'A'}, {0xC0, U'А'}, {0xFF, U'я'},      {0xA8, U'Ё'},      {0xB8, U'ё'},
        {0xB9, U'№'}, {0x88, U'€'}, {0x98, U'\u0098'}, {0xA0, U'\u00A0'}, {0x80, U'Ђ'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CodePageToUnicode(c.byte), c.character) << int(c.byte);
    }
    EXPECT_EQ(CodePageToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"), "Привет");
    EXPECT_EQ(Utf8ToCodePage("Привет, world").bytes, "\xCF\xF0\xE8\xE2\xE5\xF2, world");
}

TEST(CodePage, ReportsTheFirstCharacterWithoutAByte)
{
    const CodePageText umlaut = Utf8ToCodePage("Grüße");
    EXPECT_EQ(umlaut.unmappable, U'ü');
    EXPECT_EQ(umlaut.bytes, "Gr");

    EXPECT_EQ(Utf8ToCodePage("a\xF0\x9F\x98\x80").unmappable, U'\U0001F600');
    for (const std::string invalid : {"\xC3", "\xC3(", "\xE0\x80\x80", "\xED\xA0\x80", "\xFF"}) {
        EXPECT_EQ(Utf8ToCodePage(invalid).unmappable, U'\uFFFD') << invalid;
    }
}

// Every capital and small letter of the code page, written as characters so that the pairs are
// read off the alphabets rather than off the table under test.
std::vector<std::pair<unsigned char, unsigned char>> LetterPairs()
{
    std::vector<std::pair<char32_t, char32_t>> letters;
    for (char32_t c = U'A'; c <= U'Z'; ++c) {
        letters.emplace_back(c, c + (U'a' - U'A'));
    }
    for (char32_t c = U'А'; c <= U'Я'; ++c) {
        letters.emplace_back(c, c + (U'а' - U'А'));
    }
    letters.insert(letters.end(), {{U'Ё', U'ё'},
                                   {U'І', U'і'},
                                   {U'Ї', U'ї'},
                                   {U'Є', U'є'},
                                   {U'Ґ', U'ґ'},
                                   {U'Ў', U'ў'},
                                   {U'Ј', U'ј'},
                                   {U'Ѕ', U'ѕ'},
                                   {U'Љ', U'љ'},
                                   {U'Њ', U'њ'},
                                   {U'Ћ', U'ћ'},
                                   {U'Ќ', U'ќ'},
                                   {U'Ђ', U'ђ'},
                                   {U'Џ', U'џ'},
                                   {U'Ѓ', U'ѓ'}});
    std::vector<std::pair<unsigned char, unsigned char>> pairs;
    for (const auto& [capital, small] : letters) {
        const auto capitalByte = UnicodeToCodePage(capital);
        const auto smallByte = UnicodeToCodePage(small);
        EXPECT_TRUE(capitalByte && smallByte) << "U+" << std::hex << unsigned(capital);
        if (capitalByte && smallByte) {
            pairs.emplace_back(*capitalByte, *smallByte);
        }
    }
    return pairs;
}

TEST(CodePageCase, EveryLetterPairFolds)
{
    for (const auto& [capital, small] : LetterPairs()) {
        EXPECT_EQ(LowerCase(static_cast<char>(capital)), static_cast<char>(small)) << "byte " << int(capital);
        EXPECT_EQ(LowerCase(static_cast<char>(small)), static_cast<char>(small)) << "byte " << int(small);
    }
}

TEST(CodePageCase, EveryOtherByteStaysItself)
{
    // Bytes near letters or looking like them: digits, punctuation, the undefined 0x98, №, « », µ,
    // no-break space, the euro sign, and the ASCII neighbours of A-Z and a-z.
    const std::set<unsigned char> notable = {'0',  '9',  '@',  '[',  '`',  '{',  ' ',  '-',  0x00, 0x7F, 0x98,
                                             0xB9, 0xAB, 0xBB, 0xB5, 0xA0, 0x88, 0xA9, 0xB0, 0xB1, 0xA7};
    std::set<unsigned char> letters;
    for (const auto& [capital, small] : LetterPairs()) {
        letters.insert({capital, small});
    }
    for (const unsigned char byte : notable) {
        EXPECT_FALSE(letters.contains(byte)) << "byte " << int(byte);
    }
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (!letters.contains(byte)) {
            EXPECT_EQ(LowerCase(static_cast<char>(byte)), static_cast<char>(byte)) << "byte " << b;
        }
    }
}

} // namespace
} // namespace velmora
