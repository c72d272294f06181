#include "gui/browser/EditingFixture.h"
#include "gui/browser/TfrmHealth.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <fstream>

namespace velmora::testing {

// Account ▸ Password health: the report, showing a listed record, going to it, the breach check.
class HealthTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Editing> m_e;
    std::unique_ptr<TfrmHealth> m_health;
    static constexpr int kWeb = 3;

    template <typename T> T* Control(const char* name) const { return Editing::Child<T>(*m_health, name); }
    QTableView* List() const { return Control<QTableView>("list"); }
    void Click(const char* button) const { Control<QPushButton>(button)->click(); }
    // The rows as "folder/record: problem".
    QStringList Rows() const
    {
        const QAbstractItemModel& rows = *List()->model();
        QStringList listed;
        for (int row = 0; row < rows.rowCount(); ++row) {
            listed << rows.index(row, 0).data().toString() + QLatin1Char('/') + rows.index(row, 1).data().toString() +
                          QStringLiteral(": ") + rows.index(row, 2).data().toString();
        }
        return listed;
    }
    int RowOf(const QString& start) const
    {
        const QStringList rows = Rows();
        for (int row = 0; row < rows.size(); ++row) {
            if (rows[row].startsWith(start)) {
                return row;
            }
        }
        return -1;
    }

private slots:
    void init()
    {
        // The fixture's Mail holds a weak "12345", an empty and a weak "x"; Bank a weak "s".
        m_e = std::make_unique<Editing>();
        TAccount& account = m_e->main.Session().Account();
        account.AddFolder("Web", 4);
        account.Folder(kWeb).AddRecord("Forum", "", "Ziggurat77", "", "ziggurat77", "");
        account.Folder(kWeb).AddRecord("Books", "", "anna", "", "Qm3$vTz8!pLw", "");
        account.Folder(kWeb).AddRecord("Music", "", "anna", "", "Qm3$vTz8!pLw", "");
        account.Folder(kWeb).AddRecord("Strong", "", "anna", "", "x7#Kq9!vR2$mW4pZ", "");
        account.Modified = false;
        m_e->main.Lists().FillFolderList(false);
        m_health = std::make_unique<TfrmHealth>(m_e->main.Session(), m_e->main.Lists(), m_e->main.Commands(), m_e->main,
                                                m_e->record);
    }
    void cleanup()
    {
        m_health.reset();
        m_e.reset();
    }

    void listsTroubledPasswordsWorstFirst()
    {
        m_e->Run("mPassHealth");
        QVERIFY(m_health->isVisible());
        const QStringList rows = Rows();
        QCOMPARE(rows.size(), 7);
        QCOMPARE(rows.front(), QStringLiteral("Mail/Work: empty password"));
        QVERIFY2(RowOf(QStringLiteral("Web/Forum: same as the login, weak")) == 1, qPrintable(rows.join('\n')));
        QVERIFY(rows.contains(QStringLiteral("Web/Books: used by 1 other record")));
        QVERIFY(rows.contains(QStringLiteral("Web/Music: used by 1 other record")));
        QVERIFY(rows.contains(QStringLiteral("Mail/Home: weak")));
        QCOMPARE(RowOf(QStringLiteral("Web/Strong")), -1);
        QCOMPARE(Control<QLabel>("labStatus")->text(), QStringLiteral("Passwords that need attention: 7"));
        QVERIFY(m_e->platform.messages.empty());
    }

    // Enter and a double click show the selected record for viewing, beside the report.
    void enterAndDoubleClickShowTheRecord()
    {
        m_e->Run("mPassHealth");
        QTableView* list = List();
        list->selectRow(RowOf(QStringLiteral("Web/Forum")));
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(m_e->record.isVisible());
        QCOMPARE(m_e->record.DialogMode(), TfrmRecord::ViewRecord);
        QCOMPARE(Editing::Child<QLineEdit>(m_e->record, "edName")->text(), QStringLiteral("Forum"));
        m_e->record.close();

        QCoreApplication::processEvents();
        const QPoint row = list->visualRect(list->model()->index(RowOf(QStringLiteral("Mail/Home")), 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        QVERIFY(m_e->record.isVisible());
        QCOMPARE(Editing::Child<QLineEdit>(m_e->record, "edName")->text(), QStringLiteral("Home"));
        QVERIFY(m_health->isVisible());
    }

    void goToRecordSelectsItInTheMainWindow()
    {
        m_e->SelectFolder(0);
        m_e->SelectRecord(0);
        m_e->Run("mPassHealth");
        List()->selectRow(RowOf(QStringLiteral("Web/Music")));
        Click("butJump");
        QCOMPARE(m_e->SelectedFolder(), kWeb);
        QCOMPARE(m_e->SelectedRecord(), 2);
        QVERIFY(!m_health->isVisible());
    }

    // A record deleted since the report was made is not shown, and the user is told.
    void aRecordGoneSinceIsSaidToBe()
    {
        m_e->Run("mPassHealth");
        List()->selectRow(RowOf(QStringLiteral("Web/Forum")));
        TAccount& account = m_e->main.Session().Account();
        account.Folder(kWeb).DeleteRecord(std::string(account.Folder(kWeb).RecordAt(0).Key));
        Click("butView");
        QVERIFY(!m_e->record.isVisible());
        QCOMPARE(m_e->platform.messages.size(), std::size_t(1));
        QVERIFY(m_e->platform.messages.front().text.contains(m_e->session.Message("const_record_gone")));
    }

    void breachCheckAddsTheCountsFromTheChosenList()
    {
        velmora::test::TempDir dir;
        // SHA-1 of "12345", the Home record's password, and a digest no record has.
        std::ofstream(dir / "breached.txt") << "0000000000000000000000000000000000000001:9\r\n"
                                               "8CB2237D0679CA88DB6464EAC60DA96345513964:2938659\r\n";
        m_e->Run("mPassHealth");
        m_e->platform.files = {QString()}; // Cancel: nothing changes
        Click("butBreach");
        QVERIFY2(Rows().contains(QStringLiteral("Mail/Home: weak")), qPrintable(Rows().join(QLatin1Char('\n'))));

        m_e->platform.files = {QString::fromStdString((dir / "breached.txt").string())};
        Click("butBreach");
        QVERIFY2(Rows().contains(QStringLiteral("Mail/Home: seen 2938659 times in breaches, weak")),
                 qPrintable(Rows().join('\n')));
        QCOMPARE(Rows().size(), 7);
        QVERIFY(m_e->platform.messages.empty());

        m_e->platform.files = {QString::fromStdString((dir / "none.txt").string())};
        Click("butBreach");
        QCOMPARE(m_e->platform.messages.size(), std::size_t(1));
        QCOMPARE(m_e->platform.messages.front().kind, MessageKind::Error);
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::HealthTest)
#include "HealthTest.moc"
