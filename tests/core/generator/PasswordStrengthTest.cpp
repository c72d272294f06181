#include "core/generator/PasswordStrength.h"

#include <gtest/gtest.h>
#include <string>

namespace velmora {
namespace {

struct StrengthCase
{
    const char* password;
    bool weak;         // below the health report's line
    bool needsConfirm; // below the new-account line
};

class PasswordStrengthTable : public testing::TestWithParam<StrengthCase>
{};

TEST_P(PasswordStrengthTable, FallsOnTheRightSideOfEachLine)
{
    const StrengthCase& c = GetParam();
    const PasswordStrength strength = EstimatePasswordStrength(c.password);
    EXPECT_EQ(strength.log10Guesses < kWeakBelowLog10Guesses, c.weak) << strength.log10Guesses;
    EXPECT_EQ(strength.log10Guesses < kConfirmBelowLog10Guesses, c.needsConfirm) << strength.log10Guesses;
}

INSTANTIATE_TEST_SUITE_P(Passwords, PasswordStrengthTable,
                         testing::Values(StrengthCase{"", true, true}, StrengthCase{"password", true, true},
                                         StrengthCase{"123456", true, true}, StrengthCase{"qwertyuiop", true, true},
                                         StrengthCase{"P@ssw0rd2024", true, true},
                                         StrengthCase{"aaaaaaaaaaaaaaaa", true, true},
                                         StrengthCase{"Xk9q2!a", false, true},
                                         StrengthCase{"correct horse battery staple", false, false},
                                         StrengthCase{"x7#Kq9!vR2$mW4pZ", false, false}));

TEST(PasswordStrength, WordsOfTheUserCountAsLikelyGuesses)
{
    const std::string password = "velmoradanielsmith";
    const double alone = EstimatePasswordStrength(password).log10Guesses;
    const double known = EstimatePasswordStrength(password, {"velmora", "danielsmith"}).log10Guesses;
    EXPECT_LT(known, alone);
}

TEST(PasswordStrength, CyrillicIsMeasuredByLetters)
{
    // "пароль" in the code page: a common word, however many bytes it would take in UTF-8.
    const std::string word = "\xef\xe0\xf0\xee\xeb\xfc";
    const std::string random = "\xef\xe0\xf0\xee\xeb\xfc\xd7\xc6\x39\xdf\xe9\x21\xf9\xc1\x34\xfd";
    EXPECT_LT(EstimatePasswordStrength(word).log10Guesses, EstimatePasswordStrength(random).log10Guesses);
}

TEST(PasswordStrength, TimeToGuessScalesWithTheRate)
{
    const PasswordStrength strength{12};
    EXPECT_DOUBLE_EQ(SecondsToGuess(strength, kPlainGuessesPerSecond), 50);
    EXPECT_DOUBLE_EQ(SecondsToGuess(strength, 2), 2.5e11);
}

} // namespace
} // namespace velmora
