#pragma once

#include "core/health/GuessTime.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QProgressBar;

namespace velmora {

class IniLang;

// The time to guess as the language says it ("3 hours", "less than a second"), in the code page.
std::string GuessTimeMessage(const IniLang& lang, GuessTime time);

// A password's strength under the field it is typed in: a bar for the estimated guesses and the
// time an attacker with the account file needs at the rate given (guesses a second: 10^10 for a
// plain account file, one key derivation a guess for a sealed one). Follows the field as the
// user types.
class StrengthBar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StrengthBar)

public:
    // `userWords` gives the texts an attacker would try first (the account name, the record's
    // name, login and URL), asked for at each change.
    StrengthBar(QWidget* parent, const IniLang& lang, QLineEdit& password, std::function<QStringList()> userWords = {});

    void SetGuessesPerSecond(double rate);
    double GuessesPerSecond() const { return m_guessesPerSecond; }

    // Estimates the field's text again (also when the user words changed).
    void Update();

    // What is shown, for the dialogs' tests: the estimate and the time text.
    double Log10Guesses() const { return m_log10Guesses; }
    QString TimeText() const;

private:
    const IniLang& m_lang;
    QLineEdit& m_password;
    std::function<QStringList()> m_userWords;
    double m_guessesPerSecond;
    double m_log10Guesses = 0;
    QProgressBar* m_bar = nullptr;
    QLabel* m_time = nullptr;
};

} // namespace velmora
