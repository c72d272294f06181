#include "gui/session/EndOnSignal.h"

#include "core/export/OfficeExport.h"
#include "gui/main/GuiFixture.h"
#include "platform/AutomationBuiltin.h"

#include <QTest>
#include <QTimer>
#include <csignal>

namespace velmora::testing {
namespace {

const TextExportTexts kEnglish{"Account: ", "  Date: ", "Name: ", "Login: ", "Password: ", "Notes: "};

std::size_t FoldersOnDisk(const std::filesystem::path& file)
{
    TAccount saved;
    saved.Name = "Home";
    saved.Password = "pw";
    return saved.LoadFromFile(file) == ReadResult::Ok ? saved.FolderCount() : 0;
}

} // namespace

// A SIGTERM as a logout sends it, to a run with an office export open: the program keeps the
// edits, ends its event loops and leaves by its normal way out, which takes the export along.
class EndOnSignalTest final : public QObject
{
    Q_OBJECT

private slots:
    void aTerminationKeepsTheEditsAndEndsTheRun_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<std::size_t>("foldersOnDisk");
        QTest::newRow("unsaved edits are saved") << true << std::size_t{2};
        QTest::newRow("a saved account is not written") << false << std::size_t{1};
    }
    void aTerminationKeepsTheEditsAndEndsTheRun()
    {
        QFETCH(bool, modified);
        QFETCH(std::size_t, foldersOnDisk);
        Program program;
        program.LoadLanguage();
        program.WriteAccount("Home", "pw", 1);
        const std::filesystem::path file = program.File("Home", kAccountExtension);
        TAccount& account = program.main->Session().Account();
        account.Name = "Home";
        account.Password = "pw";
        QCOMPARE(account.LoadFromFile(file), ReadResult::Ok);
        account.AddFolder("Added", 2);
        account.Modified = modified;

        test::TempDir temporary;
        {
            BuiltinAutomation automation(temporary.Path(), [](const std::filesystem::path&) { return true; });
            ExportToSpreadsheet(automation, account, {}, kEnglish, "01.02.2026");
            QVERIFY(!std::filesystem::is_empty(automation.Files().Directory()));

            EndOnSignal endOnSignal(program.main->Session());
            // The program's own event loop, as main runs it.
            QTimer::singleShot(0, [] { raise(SIGTERM); });
            QTimer timeout;
            timeout.callOnTimeout([] { QCoreApplication::exit(2); });
            timeout.start(10000);
            QCOMPARE(QCoreApplication::exec(), 0);
        }
        QVERIFY(std::filesystem::is_empty(temporary.Path()));
        QCOMPARE(FoldersOnDisk(file), foldersOnDisk);
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::EndOnSignalTest)
#include "EndOnSignalTest.moc"
