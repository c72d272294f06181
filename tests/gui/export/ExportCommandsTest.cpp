#include "gui/export/ExportCommands.h"

#include "core/os/AtomicFile.h"
#include "gui/main/GuiFixture.h"
#include "gui/settings/TfrmOptions.h"
#include "platform/RecordingAutomation.h"

#include <QAction>
#include <QTest>
#include <sys/stat.h>

namespace velmora::testing {
namespace {

unsigned Mode(const std::filesystem::path& path)
{
    struct stat status
    {};
    stat(path.c_str(), &status);
    return status.st_mode & 0777U;
}

QString Chosen(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

} // namespace

class ExportCommandsTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> m_program;
    std::unique_ptr<RecordingAutomation> m_automation;
    std::unique_ptr<ExportCommands> m_commands;
    TfrmMain* m_main = nullptr;

    ScriptedPlatform& Platform() { return m_program->platform; }
    void Trigger(const char* item) { m_main->findChild<QAction*>(QLatin1String(item))->trigger(); }
    ScriptedPlatform::Shown Error(const char* key) const
    {
        return {MessageKind::Error, QLatin1Char('\r') + m_main->Session().Message(key)};
    }
    void SetExportSettings(bool heading, bool labels, bool skipEmpty)
    {
        m_program->ChangeSettings([&](AccountSettings& settings) {
            settings.cbHat = heading;
            settings.cbExpHeaders = labels;
            settings.cbSkipEmpty = skipEmpty;
        });
    }

private slots:
    void init()
    {
        m_program = std::make_unique<Program>();
        m_main = m_program->main.get();
        m_program->LoadLanguage();
        m_automation = std::make_unique<RecordingAutomation>();
        m_commands = std::make_unique<ExportCommands>(m_main->Session(), m_main->Commands(), *m_automation,
                                                      [] { return "01.02.2026 10:00:00"; });
        // The worked example's account: Mail with one record, Bank without.
        TAccount& account = m_main->Session().Account();
        account.Name = "Home";
        account.AddFolder("Mail", 3);
        account.Folder(0).AddRecord("Box", "", "ann", "ID-7", "x1", "");
        account.AddFolder("Bank", 0);
    }
    void cleanup()
    {
        m_commands.reset();
        m_program.reset();
    }

    void workedExampleInRussianByteForByte()
    {
        const std::filesystem::path programDir = m_program->dir.Path();
        std::filesystem::copy_file(std::filesystem::path(VELMORA_RUNTIME_DIR) / "Languages" / "Russian.lng",
                                   programDir / "Default.lng", std::filesystem::copy_options::overwrite_existing);
        m_program->LoadLanguage();
        const std::filesystem::path file = programDir / "home.txt";
        Platform().files.push_back(Chosen(file));
        Trigger("mText");

        QCOMPARE(Platform().messages.size(), std::size_t{0});
        QCOMPARE(Platform().questions.size(), 0);
        const std::string expected = "\xC0\xEA\xEA\xE0\xF3\xED\xF2: Home"              // "Аккаунт: Home"
                                     "      \xC4\xE0\xF2\xE0: 01.02.2026 10:00:00\r\n" // "      Дата: ..."
                                     "\r\n"
                                     "[Mail]\r\n"
                                     "\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5: Box\r\n" // "Название: Box"
                                     "\xCB\xEE\xE3\xE8\xED: ann\r\n"             // "Логин: ann"
                                     "\xCF\xE0\xF0\xEE\xEB\xFC: x1\r\n"          // "Пароль: x1"
                                     "\r\n"
                                     "[Bank]\r\n";
        QCOMPARE(ReadWholeFile(file), expected);
        QCOMPARE(Mode(file), 0600U); // passwords in the clear: for the owner's eyes only
    }

    void settingsShapeTheFile()
    {
        SetExportSettings(false, false, false);
        const std::filesystem::path file = m_program->dir / "plain";
        Platform().files.push_back(Chosen(file));
        Trigger("mText");
        // Without an extension the file gets ".txt".
        QCOMPARE(ReadWholeFile(m_program->dir / "plain.txt"),
                 std::string("\r\n[Mail]\r\nBox\r\n\r\nann\r\nx1\r\n\r\n\r\n[Bank]\r\n"));
        QVERIFY(!std::filesystem::exists(file));
    }

    void cancelOrNoWritesNothing()
    {
        const std::filesystem::path file = m_program->dir / "old.txt";
        WriteFileAtomically(file, "old");
        Platform().files.push_back(QString()); // cancelled
        Trigger("mText");
        QCOMPARE(Platform().questions.size(), 0);

        Platform().files.push_back(Chosen(file));
        Platform().answers.push_back(Answer::No);
        Trigger("mText");
        QCOMPARE(Platform().questions, QStringList{QLatin1Char('\r') + m_main->Session().Message("const_overwrite")});
        QCOMPARE(ReadWholeFile(file), std::string("old"));
        QCOMPARE(Platform().messages.size(), std::size_t{0});
    }

    void yesReplacesTheFileAndMakesItOwnerOnly()
    {
        const std::filesystem::path file = m_program->dir / "shared.txt";
        WriteFileAtomically(file, std::string(5000, 'o'));
        chmod(file.c_str(), 0644);
        Platform().files.push_back(Chosen(file));
        Platform().answers.push_back(Answer::Yes);
        Trigger("mText");
        QVERIFY(ReadWholeFile(file).starts_with("Account: Home"));
        QCOMPARE(ReadWholeFile(file).find('o' + std::string(10, 'o')), std::string::npos); // truncated
        QCOMPARE(Mode(file), 0600U);
    }

    void aFileThatCannotBeWrittenIsReported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing directory") << QStringLiteral("missing/out.txt");
        QTest::newRow("disk full") << QStringLiteral("full.txt");
    }
    void aFileThatCannotBeWrittenIsReported()
    {
        QFETCH(QString, file);
        // A file on a full disk: its first write fails.
        std::filesystem::create_symlink("/dev/full", m_program->dir / "full.txt");
        Platform().files.push_back(Chosen(m_program->dir / file.toStdString()));
        Platform().answers.push_back(Answer::Yes);
        Trigger("mText");
        QCOMPARE(Platform().messages, std::vector<ScriptedPlatform::Shown>{Error("const_err_exp")});
    }

    void theAccountsOwnFileIsRefusedAndKept()
    {
        m_program->WriteAccount("Home", "pw", 1);
        const std::filesystem::path file = m_program->File("Home", kAccountExtension);
        const std::string before = ReadWholeFile(file);
        Platform().files.push_back(Chosen(file));
        Platform().answers.push_back(Answer::Yes);
        Trigger("mText");
        QCOMPARE(Platform().messages, std::vector<ScriptedPlatform::Shown>{Error("const_exp_users")});
        QCOMPARE(ReadWholeFile(file), before);
    }

    void officeExportsRunOnTheAutomation()
    {
        SetExportSettings(false, true, true);
        Trigger("MicrosoftExcel1");
        Trigger("MicrosoftWord1");
        QCOMPARE(Platform().messages.size(), std::size_t{0});
        const std::vector<std::string>& calls = m_automation->calls;
        QCOMPARE(calls[0], std::string("new Excel.Application"));
        QCOMPARE(calls[3], std::string("A.cells(3, 1) := \"[Mail]\"")); // no heading: row 3 straight away
        QVERIFY(std::find(calls.begin(), calls.end(), "A.Visible := true") != calls.end());
        QCOMPARE(calls.back(), std::string("W.visible := true"));
    }

    void officeFailuresShowTheirMessage()
    {
        m_automation->missing = {"Excel.Application"};
        Trigger("MicrosoftExcel1");
        m_automation->failAt = m_automation->calls.size() + 5;
        Trigger("MicrosoftWord1");
        QCOMPARE(Platform().messages,
                 (std::vector<ScriptedPlatform::Shown>{Error("const_err_exp_excel"), Error("const_err_exp_word")}));
        QCOMPARE(m_automation->calls.size(), std::size_t{7});
    }

    void theMenuItemsAreEnabled()
    {
        for (const char* item : {"mText", "MicrosoftExcel1", "MicrosoftWord1"}) {
            QVERIFY2(m_main->findChild<QAction*>(QLatin1String(item))->isEnabled(), item);
        }
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::ExportCommandsTest)
#include "ExportCommandsTest.moc"
