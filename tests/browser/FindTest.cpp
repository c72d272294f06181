#include "EditingFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

namespace velmora::testing {

// The quick-jump boxes under the main window's lists.
class FindTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Editing> m_e;

    QLineEdit* Box(const char* name) const { return m_e->main.findChild<QLineEdit*>(QLatin1String(name)); }

    // Types `text` into the box as the user would, key by key.
    void Type(const char* box, const QString& text)
    {
        QLineEdit* edit = Box(box);
        edit->setFocus();
        // Key by key with the typed text; keyClicks only knows Latin-1.
        for (const QChar character : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(edit, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(edit, &release);
        }
    }

    void Erase(const char* box)
    {
        QLineEdit* edit = Box(box);
        edit->setFocus();
        while (!edit->text().isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        }
    }

private slots:
    void init()
    {
        m_e = std::make_unique<Editing>();
        TAccount& account = m_e->main.Account();
        account.AddFolder("\xD0\xF3\xF1", 4);                                    // "Рус"
        account.Folder(3).AddRecord("\xC4\xEE\xEC", "", "", "", "", "");         // "Дом"
        account.Folder(3).AddRecord("\xCF\xCE\xD7\xD2\xC0", "", "", "", "", ""); // "ПОЧТА"
        account.Folder(3).AddRecord("\xEF\xEE", "", "", "", "", "");             // "по"
        m_e->main.FillFolderList(false);
    }
    void cleanup() { m_e.reset(); }

    void recordJumpFoldsCyrillicCase_data()
    {
        QTest::addColumn<bool>("strict");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<int>("row");
        QTest::newRow("contains, any case") << false << false << 1;
        QTest::newRow("exact, any case") << true << false << 2;
        QTest::newRow("contains, case-sensitive") << false << true << 2;
    }
    void recordJumpFoldsCyrillicCase()
    {
        QFETCH(bool, strict);
        QFETCH(bool, caseSensitive);
        QFETCH(int, row);
        m_e->ChangeSettings([&](AccountSettings& s) {
            s.cbStrict = strict;
            s.cbRegistr = caseSensitive;
        });
        m_e->SelectFolder(3);
        Type("edRecFind", QStringLiteral("по"));
        QCOMPARE(m_e->SelectedRecord(), row);
        QCOMPARE(m_e->main.FocusedRow(m_e->main.RecordList()), row);
    }

    void folderJumpShowsTheFolderRecords()
    {
        Type("edFolderFind", QStringLiteral("BA"));
        QCOMPARE(m_e->SelectedFolder(), 2);
        QCOMPARE(m_e->Captions(m_e->main.RecordRows()), QStringList{QStringLiteral("Savings")});
    }

    void anEmptyBoxKeepsAndANonMatchClearsTheSelection()
    {
        m_e->SelectFolder(0);
        Type("edRecFind", QStringLiteral("wo"));
        QCOMPARE(m_e->SelectedRecord(), 1);
        Erase("edRecFind");
        QCOMPARE(m_e->SelectedRecord(), 1);
        Type("edRecFind", QStringLiteral("zz"));
        QCOMPARE(m_e->SelectedRecord(), -1);
        Erase("edFolderFind");
        Type("edFolderFind", QStringLiteral("nothing"));
        QCOMPARE(m_e->SelectedFolder(), -1);
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::FindTest)
#include "FindTest.moc"
