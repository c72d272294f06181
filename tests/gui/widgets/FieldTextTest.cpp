#include "gui/widgets/FieldText.h"

#include <QTest>

namespace velmora::testing {

// The account dialogs refuse a name or password of blanks only, while the folder, record and
// generator dialogs also count control characters as nothing: one check cannot serve both.
class FieldTextTest final : public QObject
{
    Q_OBJECT

private slots:
    void blankFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blankField");
        QTest::addColumn<bool>("blanksOnly");
        QTest::newRow("empty") << QString() << true << true;
        QTest::newRow("spaces") << QStringLiteral("   ") << true << true;
        QTest::newRow("tab and line breaks") << QStringLiteral("\t\r\n") << true << true;
        QTest::newRow("no-break space") << QStringLiteral("\u00A0") << true << true;
        QTest::newRow("control characters") << QStringLiteral("\x01\x1F") << true << false;
        QTest::newRow("blanks around a letter") << QStringLiteral(" a ") << false << false;
    }
    void blankFields()
    {
        QFETCH(QString, text);
        QFETCH(bool, blankField);
        QFETCH(bool, blanksOnly);
        QCOMPARE(IsBlankField(text), blankField);
        QCOMPARE(IsBlanksOnly(text), blanksOnly);
    }
};

} // namespace velmora::testing

QTEST_GUILESS_MAIN(velmora::testing::FieldTextTest)
#include "FieldTextTest.moc"
