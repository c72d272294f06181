#pragma once

#include <string_view>
#include <vector>

namespace velmora {

class AccountSession;

// Before a new account password is used: asks, with the time an attacker with the file needs at
// `guessesPerSecond`, when it would be guessed in fewer than 10^12 guesses. Never refuses: another
// installation may need a short password. True to go on. Code page texts.
bool ConfirmWeakAccountPassword(AccountSession& session, std::string_view password,
                                const std::vector<std::string_view>& userWords, double guessesPerSecond);

// Asks when the password hint gives the password away (holds it or most of it). True to go on.
bool ConfirmRevealingHint(AccountSession& session, std::string_view hint, std::string_view password);

} // namespace velmora
