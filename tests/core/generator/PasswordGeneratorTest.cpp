#include "core/generator/PasswordGenerator.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace velmora {
namespace {

TEST(SeededRandom, FollowsTheGeneratorDefinition)
{
    // Seed 1: S = 134775814, and 134775814 * 10 < 2^32, so the first draw below 10 is 0.
    SeededRandom random(1);
    EXPECT_EQ(random.Below(10), 0u);
    EXPECT_EQ(random.Below(10), 8u);
    EXPECT_EQ(random.Below(10), 2u);
    EXPECT_EQ(random.Below(10), 2u);
}

TEST(GeneratePassword, SeededOutputsAreReproducible)
{
    struct Case
    {
        std::uint32_t seed;
        PasswordOptions options;
        std::string expected;
    };
    // Worked out independently from the definition of the generator and the two-stage draw.
    const Case cases[] = {
        {1, {}, "2iB7SG'm"},
        {12345, {.Length = 12}, "0:2'es8@!94O"},
        {0xFFFFFFFF, {.UpperCase = false, .Digits = false, .Special = false}, "znwmirhv"},
        {7, {.LowerCase = false, .UpperCase = false, .Special = false}, "22027846"},
        {42,
         {.LowerCase = false, .UpperCase = false, .Digits = false, .SpecialCharacters = "ab", .Length = 10},
         "aaabbbabba"},
    };
    for (const Case& c : cases) {
        SeededRandom random(c.seed);
        EXPECT_EQ(GeneratePassword(c.options, random), c.expected) << "seed " << c.seed;
    }
}

TEST(GeneratePassword, ImpossibleGenerationsGiveNothing)
{
    SeededRandom random(3);
    const PasswordOptions none{.LowerCase = false, .UpperCase = false, .Digits = false, .Special = false};
    EXPECT_EQ(GeneratePassword(none, random), std::nullopt);
    PasswordOptions emptySpecial = none;
    emptySpecial.Special = true;
    emptySpecial.SpecialCharacters.clear();
    EXPECT_EQ(GeneratePassword(emptySpecial, random), std::nullopt);

    // Length 0 draws nothing and gives the empty password, whatever the classes.
    EXPECT_EQ(GeneratePassword(PasswordOptions{.Length = 0}, random), "");
    EXPECT_EQ(
        GeneratePassword(
            PasswordOptions{.LowerCase = false, .UpperCase = false, .Digits = false, .Special = false, .Length = 0},
            random),
        "");
}

TEST(GeneratePassword, SpecialSetsLongerThan255CharactersReachTheirEnd)
{
    // 256 "#" and then one "+": a draw limited to 8 bits could never reach the "+".
    SystemRandom random;
    const PasswordOptions options{.LowerCase = false,
                                  .UpperCase = false,
                                  .Digits = false,
                                  .SpecialCharacters = std::string(256, '#') + "+",
                                  .Length = 24};
    std::string all;
    for (int i = 0; i < 300; ++i) {
        const std::string password = GeneratePassword(options, random).value();
        EXPECT_EQ(password.size(), 24u);
        all += password;
    }
    EXPECT_EQ(all.find_first_not_of("#+"), std::string::npos);
    // 7200 draws with a chance of 1/257 each: about 28 of them, and none only with a chance below 1e-12.
    EXPECT_NE(all.find('+'), std::string::npos);
}

TEST(GeneratePassword, EachChosenClassIsEquallyLikely)
{
    SystemRandom random;
    std::map<char, int> classes;
    PasswordOptions options{.SpecialCharacters = "##+", .Length = 24};
    for (int i = 0; i < 400; ++i) {
        const std::string password = GeneratePassword(options, random).value();
        for (const char c : password) {
            const char kind = c >= 'a' && c <= 'z' ? 'l' : c >= 'A' && c <= 'Z' ? 'u' : c >= '0' && c <= '9' ? 'd' : c;
            ++classes[kind];
        }
    }
    // 9600 characters: about 2400 from each class; "#" is listed twice, so twice as likely as "+".
    for (const char kind : {'l', 'u', 'd'}) {
        EXPECT_NEAR(classes[kind], 2400, 300) << kind;
    }
    EXPECT_NEAR(classes['#'], 1600, 250);
    EXPECT_NEAR(classes['+'], 800, 200);
}

} // namespace
} // namespace velmora
