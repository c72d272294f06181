#include "core/generator/PasswordStrength.h"

#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <cmath>
#include <string>
#include <zxcvbn.h>

namespace velmora {

PasswordStrength EstimatePasswordStrength(std::string_view password, const std::vector<std::string_view>& userWords)
{
    // The estimator reads UTF-8, so a Cyrillic password is measured by its letters, not bytes.
    std::string utf8 = CodePageToUtf8(password);
    WipeOnExit wipeUtf8(utf8);
    std::vector<std::string> words;
    words.reserve(userWords.size());
    for (std::string_view word : userWords) {
        words.push_back(CodePageToUtf8(word));
    }
    std::vector<const char*> dictionary;
    for (const std::string& word : words) {
        if (!word.empty()) {
            dictionary.push_back(word.c_str());
        }
    }
    dictionary.push_back(nullptr);
    // The estimate is in bits: log2 of the guesses.
    const double bits = utf8.empty() ? 0 : ZxcvbnMatch(utf8.c_str(), dictionary.data(), nullptr);
    for (std::string& word : words) {
        Wipe(word);
    }
    return PasswordStrength{bits * std::log10(2.0)};
}

double SecondsToGuess(PasswordStrength strength, double guessesPerSecond)
{
    // On average half the space is searched.
    return std::pow(10.0, strength.log10Guesses) / 2 / guessesPerSecond;
}

} // namespace velmora
