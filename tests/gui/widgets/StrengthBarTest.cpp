#include "gui/widgets/StrengthBar.h"

#include "core/generator/PasswordStrength.h"
#include "core/settings/IniLang.h"
#include "gui/widgets/CodePageText.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <cmath>

namespace velmora::testing {

// The bar under a password field: follows the typing, counts the user's own words as likely
// guesses, and tells the time at the rate it is given, in the language's plural forms.
class StrengthBarTest final : public QObject
{
    Q_OBJECT

    static QString TimeShown(const StrengthBar& bar)
    {
        return bar.findChild<QLabel*>(QStringLiteral("strengthTime"))->text();
    }
    static int Level(const StrengthBar& bar) { return bar.findChild<QProgressBar*>()->value(); }

private slots:
    void followsTheTypedPassword()
    {
        IniLang english;
        QWidget form;
        QLineEdit password(&form);
        StrengthBar bar(&form, english, password);
        QCOMPARE(TimeShown(bar), QStringLiteral("Time to guess with the account file: less than a second"));
        QCOMPARE(Level(bar), 0);
        password.setText(QStringLiteral("x7#Kq9!vR2$mW4pZ"));
        QVERIFY(bar.Log10Guesses() >= 12);
        QVERIFY(Level(bar) > 50);
        QVERIFY2(TimeShown(bar).endsWith(QLatin1String("centuries")), qPrintable(TimeShown(bar)));
    }

    void userWordsAreGuessedFirst()
    {
        IniLang english;
        QWidget form;
        QLineEdit password(&form);
        QLineEdit name(&form);
        StrengthBar bar(&form, english, password, [&name] { return QStringList{name.text()}; });
        password.setText(QStringLiteral("zimbabwe-kettering"));
        const double alone = bar.Log10Guesses();
        name.setText(QStringLiteral("zimbabwe-kettering"));
        bar.Update();
        QVERIFY2(bar.Log10Guesses() < alone, qPrintable(QString::number(bar.Log10Guesses())));
    }

    // A sealed account's rate: one key derivation a guess, here half a second each.
    void timeFollowsTheRateItIsGiven()
    {
        IniLang english;
        QWidget form;
        QLineEdit password(QStringLiteral("Tiger1987"), &form);
        StrengthBar bar(&form, english, password);
        QCOMPARE(bar.GuessesPerSecond(), kPlainGuessesPerSecond);
        QCOMPARE(TimeShown(bar), QStringLiteral("Time to guess with the account file: less than a second"));
        bar.SetGuessesPerSecond(2);
        QCOMPARE(bar.GuessesPerSecond(), 2.0);
        const double seconds = std::pow(10.0, bar.Log10Guesses()) / 2 / 2;
        QVERIFY2(seconds >= 60, qPrintable(QString::number(seconds)));
        QCOMPARE(TimeShown(bar), QStringLiteral("Time to guess with the account file: ") +
                                     FromCodePage(GuessTimeMessage(english, GuessTimeOf(seconds))));
        QVERIFY(!TimeShown(bar).endsWith(QLatin1String("less than a second")));
    }

    void russianCountsInItsPluralForms_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 hour") << int(GuessTime::Unit::Hours) << 1 << QStringLiteral("1 час");
        QTest::newRow("3 hours") << int(GuessTime::Unit::Hours) << 3 << QStringLiteral("3 часа");
        QTest::newRow("11 years") << int(GuessTime::Unit::Years) << 11 << QStringLiteral("11 лет");
        QTest::newRow("21 centuries") << int(GuessTime::Unit::Centuries) << 21 << QStringLiteral("21 век");
        QTest::newRow("instant") << int(GuessTime::Unit::LessThanASecond) << 0 << QStringLiteral("меньше секунды");
    }
    void russianCountsInItsPluralForms()
    {
        QFETCH(int, unit);
        QFETCH(int, count);
        QFETCH(QString, text);
        IniLang russian;
        russian.Open(VELMORA_RUNTIME_DIR, std::filesystem::path(VELMORA_RUNTIME_DIR) / "Languages" / "Russian.lng");
        const std::string shown =
            GuessTimeMessage(russian, GuessTime{GuessTime::Unit(unit), static_cast<std::uint64_t>(count)});
        QCOMPARE(FromCodePage(shown), text);
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::StrengthBarTest)
#include "StrengthBarTest.moc"
