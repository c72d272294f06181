#include "vault/CodePage.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace velmora
