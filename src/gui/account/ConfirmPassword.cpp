#include "gui/account/ConfirmPassword.h"

#include "core/generator/PasswordStrength.h"
#include "core/health/HintRule.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/StrengthBar.h"

namespace velmora {

bool ConfirmWeakAccountPassword(AccountSession& session, std::string_view password,
                                const std::vector<std::string_view>& userWords, double guessesPerSecond)
{
    const PasswordStrength strength = EstimatePasswordStrength(password, userWords);
    if (strength.log10Guesses >= kConfirmBelowLog10Guesses) {
        return true;
    }
    const GuessTime time = GuessTimeOf(SecondsToGuess(strength, guessesPerSecond));
    return session.Services().messages.AskYesNoWarning(session.FormatMessage(
               "const_weak_account_password", {GuessTimeMessage(session.Lang(), time)})) == Answer::Yes;
}

bool ConfirmRevealingHint(AccountSession& session, std::string_view hint, std::string_view password)
{
    return !HintRevealsPassword(hint, password) ||
           session.Services().messages.AskYesNoWarning(session.Message("const_hint_reveals")) == Answer::Yes;
}

} // namespace velmora
