#include "gui/widgets/StrengthBar.h"

#include "core/generator/PasswordStrength.h"
#include "core/settings/IniLang.h"
#include "core/vault/Secret.h"
#include "gui/widgets/CodePageText.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

// The bar is full at 10^20 guesses: beyond that no attacker with any rate gets anywhere.
constexpr double kFullBarLog10Guesses = 20;

} // namespace

std::string GuessTimeMessage(const IniLang& lang, GuessTime time)
{
    const auto counted = [&](std::string_view key) { return lang.FormatCount(key, time.count); };
    switch (time.unit) {
    case GuessTime::Unit::LessThanASecond:
        return lang.GetMessageText("const_guess_instant");
    case GuessTime::Unit::Seconds:
        return counted("const_guess_seconds");
    case GuessTime::Unit::Minutes:
        return counted("const_guess_minutes");
    case GuessTime::Unit::Hours:
        return counted("const_guess_hours");
    case GuessTime::Unit::Days:
        return counted("const_guess_days");
    case GuessTime::Unit::Years:
        return counted("const_guess_years");
    case GuessTime::Unit::Centuries:
        return counted("const_guess_centuries");
    case GuessTime::Unit::MillionsOfCenturies:
        break;
    }
    return lang.GetMessageText("const_guess_beyond");
}

StrengthBar::StrengthBar(QWidget* parent, const IniLang& lang, QLineEdit& password,
                         std::function<QStringList()> userWords)
    : QWidget(parent), m_lang(lang), m_password(password), m_userWords(std::move(userWords)),
      m_guessesPerSecond(kPlainGuessesPerSecond)
{
    setObjectName(QStringLiteral("strengthBar"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("strengthLevel"));
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(6);
    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("strengthTime"));
    m_time->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_bar);
    layout->addWidget(m_time);
    connect(&m_password, &QLineEdit::textChanged, this, &StrengthBar::Update);
    Update();
}

void StrengthBar::SetGuessesPerSecond(double rate)
{
    m_guessesPerSecond = rate;
    Update();
}

void StrengthBar::Update()
{
    CodePageBytes password = ToCodePage(m_password.text());
    WipeOnExit wipePassword(password.bytes);
    std::vector<std::string> words;
    if (m_userWords) {
        for (const QString& word : m_userWords()) {
            words.push_back(ToCodePage(word).bytes);
        }
    }
    const std::vector<std::string_view> wordViews(words.begin(), words.end());
    m_log10Guesses = EstimatePasswordStrength(password.bytes, wordViews).log10Guesses;
    m_bar->setValue(static_cast<int>(std::clamp(m_log10Guesses / kFullBarLog10Guesses, 0.0, 1.0) * 100));
    m_time->setText(TimeText());
}

QString StrengthBar::TimeText() const
{
    const GuessTime time = GuessTimeOf(SecondsToGuess(PasswordStrength{m_log10Guesses}, m_guessesPerSecond));
    return FromCodePage(m_lang.FormatMessage("const_strength_time", {GuessTimeMessage(m_lang, time)}));
}

} // namespace velmora
