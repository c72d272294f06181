#include "gui/session/EndOnSignal.h"

#include "core/account/AccountBackup.h"
#include "core/export/OfficeExport.h"
#include "gui/account/BackupCommands.h"
#include "gui/account/LifecycleFixture.h"
#include "platform/AutomationBuiltin.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace velmora::testing {
namespace {

const TextExportTexts kEnglish{"Account: ", "  Date: ", "Name: ", "Login: ", "Password: ", "Notes: "};

// Line 12 of an account written by WriteAccount: the check line of its second folder.
constexpr std::size_t kSecondFolderCheckLine = 2 + 4 + 6;

std::size_t FoldersOnDisk(const std::filesystem::path& file, const std::string& name = "Home")
{
    TAccount saved;
    saved.Name = name;
    saved.Password = "pw";
    return saved.LoadFromFile(file) == ReadResult::Ok ? saved.FolderCount() : 0;
}

// Replaces one line of an account file under "pw" by the enciphered `value`.
void ReplaceLine(const std::filesystem::path& file, std::size_t index, const std::string& value)
{
    std::vector<std::string> lines;
    {
        std::ifstream in(file, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line + "\n");
        }
    }
    TAccount writer;
    writer.Password = "pw";
    lines.at(index) = writer.EncipherText(value) + "\r\n";
    std::ofstream out(file, std::ios::binary);
    for (const std::string& line : lines) {
        out << line;
    }
}

// Runs `scenario` in the program's own event loop, as main runs it, until the program ends;
// its exit code.
int RunUntilEnded(const std::function<void()>& scenario)
{
    QTimer::singleShot(0, scenario);
    QTimer timeout; // a run that never ends fails instead of hanging
    timeout.callOnTimeout([] { QCoreApplication::exit(2); });
    timeout.start(10000);
    return QCoreApplication::exec();
}

// A SIGTERM while a message or question is up: its handler runs in the dialog's own loop,
// which the end leaves.
void DeliverTermination()
{
    raise(SIGTERM);
    QEventLoop dialogLoop;
    dialogLoop.exec();
}

// What the program writes to standard error meanwhile.
class StandardErrorText final
{
public:
    StandardErrorText() : m_saved(dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        m_file = std::tmpfile();
        dup2(fileno(m_file), STDERR_FILENO);
    }
    ~StandardErrorText()
    {
        Restore();
        std::fclose(m_file);
    }
    Q_DISABLE_COPY_MOVE(StandardErrorText)

    QString Text()
    {
        Restore();
        std::rewind(m_file);
        std::string text;
        for (int c = std::fgetc(m_file); c != EOF; c = std::fgetc(m_file)) {
            text += static_cast<char>(c);
        }
        return QString::fromStdString(text);
    }

private:
    void Restore()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
            m_saved = -1;
        }
    }

    int m_saved;
    std::FILE* m_file = nullptr;
};

} // namespace

// A SIGTERM as a logout sends it: the program ends as closing it does, with nobody there to
// answer. It keeps the edits of an open or locked account, writes nothing without one, ends
// its event loops, a dialog's too, and leaves by its normal way out, which takes the office
// export along.
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
        program.main->Session().SetOpen(); // as a login does
        account.AddFolder("Added", 2);
        account.Modified = modified;

        test::TempDir temporary;
        {
            BuiltinAutomation automation(temporary.Path(), [](const std::filesystem::path&) { return true; });
            ExportToSpreadsheet(automation, account, {}, kEnglish, "01.02.2026");
            QVERIFY(!std::filesystem::is_empty(automation.Files().Directory()));

            EndOnSignal endOnSignal(program.main->Session());
            QCOMPARE(RunUntilEnded([] { raise(SIGTERM); }), 0);
        }
        QVERIFY(std::filesystem::is_empty(temporary.Path()));
        QCOMPARE(FoldersOnDisk(file), foldersOnDisk);
    }

    // A login that fails part-way leaves nothing in memory to save over the damaged file.
    void aTerminationAfterAFailedOpenWritesNothing()
    {
        Program program;
        program.WriteAccount("Home", "pw", 3);
        const std::filesystem::path file = program.File("Home", kAccountExtension);
        ReplaceLine(file, kSecondFolderCheckLine, "damaged");
        const std::string damaged = Session::Content(file);
        EndOnSignal endOnSignal(program.main->Session());

        const int exitCode = RunUntilEnded([&program] {
            program.Start([&program](QDialog& dialog) {
                Session::LogIn(QStringLiteral("Home"), QStringLiteral("pw"))(dialog);
                QCOMPARE(program.platform.messages,
                         (std::vector<ScriptedPlatform::Shown>{
                             {MessageKind::Error, QLatin1Char('\r') + program.main->Session().Message("const_err")}}));
                QVERIFY(dialog.isVisible());
                QVERIFY(!program.main->Session().HasAccount());
                DeliverTermination();
            });
        });
        QCOMPARE(exitCode, 0);
        QCOMPARE(Session::Content(file), damaged);
    }

    // The error box of an account import that could not be read is up: the account file it
    // replaced is back in its place already, and stays as it was.
    void aTerminationDuringAFailedAccountImportLeavesThePreviousFile()
    {
        Program program;
        program.WriteAccount("anna", "pw", 2);
        program.Start(Session::LogIn(QStringLiteral("anna"), QStringLiteral("pw")));
        AccountSession& session = program.main->Session();
        QVERIFY(session.HasAccount());
        new BackupCommands(session, program.main->Lists(), program.main->Commands(), program.main.get());
        // A copy whose second folder block is damaged: its first folder is read before the fault.
        test::TempDir elsewhere;
        const std::filesystem::path imported = elsewhere / "anna.vmk";
        {
            TAccount copy;
            copy.Password = "pw";
            for (const char* name : {"A", "B", "C"}) {
                copy.AddFolder(name, 0);
            }
            copy.SaveToFile(imported);
        }
        ReplaceLine(imported, 2 + 4, "damaged");
        const std::filesystem::path file = program.File("anna", kAccountExtension);
        const std::filesystem::path backup = ImportBackupPath(program.dir.Path(), "anna");
        program.platform.files.push_back(QString::fromStdU16String(imported.u16string()));
        program.platform.answers.push_back(Answer::Yes); // go on with the import
        std::string previous;
        bool backInPlace = false;
        program.platform.whileShown = [&](const QString& text) {
            if (text == QLatin1Char('\r') + session.Message("const_war")) {
                previous = Session::Content(file);
            } else if (text == QLatin1Char('\r') + session.Message("const_do_u")) {
                DeliverTermination();
                backInPlace = Session::Content(file) == previous && !std::filesystem::exists(backup);
            }
        };
        EndOnSignal endOnSignal(session);

        QCOMPARE(RunUntilEnded([&program] { program.main->Commands().Action("mAcc")->trigger(); }), 0);
        QVERIFY(!previous.empty());
        QVERIFY(backInPlace);
        QCOMPARE(Session::Content(file), previous);
        QVERIFY(!std::filesystem::exists(backup));
    }

    // The program's own save is asking whether to overwrite another program's save: the end
    // answers No for the person who is not there, and says so.
    void aTerminationDuringTheOverwriteQuestionKeepsTheOtherSave()
    {
        Program program;
        program.WriteAccount("anna", "pw", 1);
        program.Start(Session::LogIn(QStringLiteral("anna"), QStringLiteral("pw")));
        AccountSession& session = program.main->Session();
        session.Account().AddFolder("Unsaved", 0);
        program.WriteAccount("anna", "pw", 3); // another program saves meanwhile
        const std::filesystem::path file = program.File("anna", kAccountExtension);
        const std::string theirs = Session::Content(file);
        program.platform.answers.push_back(Answer::Yes); // what nobody answered
        program.platform.whileShown = [&session](const QString& text) {
            if (text == session.Message("const_file_changed")) {
                DeliverTermination();
            }
        };
        EndOnSignal endOnSignal(session);
        StandardErrorText standardError;

        bool saved = true;
        QCOMPARE(RunUntilEnded([&] { saved = session.SaveAccount(); }), 1);
        const QString reported = standardError.Text();
        QVERIFY(!saved);
        QCOMPARE(program.platform.questions.size(), 1);
        QCOMPARE(Session::Content(file), theirs);
        QVERIFY2(reported.contains(QStringLiteral("the answer was No")), qPrintable(reported));
        QVERIFY2(!reported.contains(QStringLiteral("saving")), qPrintable(reported));
    }

    // Locked, the account is still open underneath: its unsaved edits are saved.
    void aTerminationWhileLockedSavesTheEdits()
    {
        Session s;
        s.CreateAndOpen(QStringLiteral("Home"), QStringLiteral("pw"));
        s.program.ChangeSettings([](AccountSettings& settings) { settings.cbSaveBeforeTray = false; });
        s.Change();
        s.Trigger("mTray");
        QVERIFY(s.control->Locked());
        EndOnSignal endOnSignal(s.program.main->Session());
        QCOMPARE(RunUntilEnded([] { raise(SIGTERM); }), 0);
        QCOMPARE(FoldersOnDisk(s.File("Home", kAccountExtension)), std::size_t{2});
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::EndOnSignalTest)
#include "EndOnSignalTest.moc"
