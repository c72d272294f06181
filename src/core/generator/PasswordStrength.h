#pragma once

#include <string_view>
#include <vector>

namespace velmora {

// How many guesses an attacker who has the file needs, as a power of ten.
struct PasswordStrength
{
    double log10Guesses = 0;
};

// Below this a new account's password is confirmed before it is used (never refused: a short
// password may be what another installation needs).
inline constexpr double kConfirmBelowLog10Guesses = 12;
// Below this a stored password counts as weak in the health report.
inline constexpr double kWeakBelowLog10Guesses = 10;
// Guesses a second against the plain account file, whose key is one SHA-1 of the password.
inline constexpr double kPlainGuessesPerSecond = 1e10;

// Estimates a password (code-page bytes) with the zxcvbn method: dictionary words, names,
// keyboard patterns, sequences, repeats and dates count as the few guesses they take. Words the
// user is known to use (the account name, a record's login) count as the most likely guesses.
PasswordStrength EstimatePasswordStrength(std::string_view password,
                                          const std::vector<std::string_view>& userWords = {});

// Seconds an attacker needs on average at `guessesPerSecond`.
double SecondsToGuess(PasswordStrength strength, double guessesPerSecond);

} // namespace velmora
