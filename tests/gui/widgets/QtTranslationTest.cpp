#include "gui/widgets/QtTranslation.h"

#include "support/TempDir.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <fstream>

namespace velmora::testing {

namespace {

const std::filesystem::path kProgramDir = VELMORA_RUNTIME_DIR;

IniLang LanguageOf(const std::string& text)
{
    IniLang lang;
    lang.SetDocument(IniDocument::Parse(text));
    return lang;
}

IniLang ShippedLanguage(const std::filesystem::path& file)
{
    IniLang lang;
    lang.SetDocument(OpenLanguageFile(kProgramDir, file));
    return lang;
}

// What a standard button of a message box says now.
QString CancelButtonText()
{
    const QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

// Counts the language changes the application is told of: each installed or removed translator
// makes every window translate itself again.
class LanguageChanges final : public QObject
{
public:
    LanguageChanges() { qApp->installEventFilter(this); }
    ~LanguageChanges() override { qApp->removeEventFilter(this); }
    Q_DISABLE_COPY_MOVE(LanguageChanges)

    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::LanguageChange) {
            ++count;
        }
        return false;
    }
};

} // namespace

// Qt's own buttons and dialogs follow the interface language through Qt's translation named in
// the language file; without one, nothing is installed and Qt stays English.
class QtTranslationTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_english = CancelButtonText(); }

    void namesWithoutATranslationInstallNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("no such section") << QStringLiteral("[Misc]\nconst_mod:string=x\n");
        QTest::newRow("empty name") << QStringLiteral("[Language]\nQtTranslation=\n");
        QTest::newRow("language without a translation") << QStringLiteral("[Language]\nQtTranslation=xx\n");
    }
    void namesWithoutATranslationInstallNothing()
    {
        QFETCH(QString, file);
        LanguageChanges changes;
        QtTranslation translation;
        QVERIFY(!translation.Apply(LanguageOf(file.toStdString())));
        QVERIFY(translation.Language().isEmpty());
        QCOMPARE(changes.count, 0);
        QCOMPARE(CancelButtonText(), m_english);
    }

    void anUnreadableTranslationInstallsNothing()
    {
        test::TempDir dir;
        std::ofstream(dir / "qtbase_ru.qm") << "not a translation";
        LanguageChanges changes;
        QtTranslation translation(QString::fromStdU16String(dir.Path().u16string()));
        QVERIFY(!translation.Apply(ShippedLanguage(kProgramDir / "Languages" / "Russian.lng")));
        QVERIFY(translation.Language().isEmpty());
        QCOMPARE(changes.count, 0);
    }

    void russianTranslatesQtsButtonsAndEnglishTakesItBack()
    {
        const IniLang russian = ShippedLanguage(kProgramDir / "Languages" / "Russian.lng");
        const IniLang english = ShippedLanguage({});
        const bool installed =
            QFileInfo(QtTranslation::InstalledDirectory() + QStringLiteral("/qtbase_ru.qm")).isFile();
        LanguageChanges changes;
        {
            QtTranslation translation;
            if (!installed) { // Qt's translations are not on this machine: Qt stays English
                QVERIFY(!translation.Apply(russian));
                QVERIFY(translation.Language().isEmpty());
                QCOMPARE(changes.count, 0);
                QCOMPARE(CancelButtonText(), m_english);
                return;
            }
            QVERIFY(translation.Apply(russian));
            QCOMPARE(translation.Language(), QStringLiteral("ru"));
            QCOMPARE(CancelButtonText(), QStringLiteral("Отмена"));
            QCOMPARE(changes.count, 1);

            QVERIFY(translation.Apply(russian)); // the same language again changes nothing
            QCOMPARE(changes.count, 1);

            QVERIFY(!translation.Apply(english));
            QVERIFY(translation.Language().isEmpty());
            QCOMPARE(CancelButtonText(), m_english);
            QCOMPARE(changes.count, 2);

            QVERIFY(translation.Apply(russian));
            QCOMPARE(changes.count, 3);
        }
        // Gone with its owner.
        QCOMPARE(CancelButtonText(), m_english);
        QCOMPARE(changes.count, 4);
    }

private:
    QString m_english;
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::QtTranslationTest)
#include "QtTranslationTest.moc"
