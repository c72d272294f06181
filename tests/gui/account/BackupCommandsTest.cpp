#include "gui/account/BackupCommands.h"

#include "core/account/AccountBackup.h"
#include "core/os/AtomicFile.h"
#include "core/settings/AccountSettings.h"
#include "gui/main/GuiFixture.h"
#include "gui/widgets/ListRowModel.h"

#include <QAction>
#include <QComboBox>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>
#include <algorithm>

Q_DECLARE_METATYPE(velmora::WriteStep)

namespace velmora::testing {

namespace {

QString Text(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

// Folder names and record counts, in order.
std::vector<std::pair<std::string, int>> Contents(const TAccount& account)
{
    std::vector<std::pair<std::string, int>> contents;
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        contents.emplace_back(account.Folder(i).Name, account.Folder(i).Count());
    }
    return contents;
}

std::vector<std::pair<std::string, int>> FileContents(const std::filesystem::path& file, const std::string& password)
{
    TAccount account;
    account.Password = password;
    return account.LoadFromFile(file) == ReadResult::Ok ? Contents(account)
                                                        : std::vector<std::pair<std::string, int>>{{"unread", -1}};
}

using Contents_t = std::vector<std::pair<std::string, int>>;
const Contents_t kPrevious = {{"Mail", 2}, {"Bank", 1}};
const Contents_t kImported = {{"Imported", 3}};

} // namespace

class BackupCommandsTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> m_program;
    std::unique_ptr<test::TempDir> m_elsewhere;
    TfrmMain* m_main = nullptr;
    BackupCommands* m_commands = nullptr;

    ScriptedPlatform& Platform() { return m_program->platform; }
    std::filesystem::path File(std::string_view extension) const { return m_program->File("anna", extension); }
    std::filesystem::path Elsewhere(const std::string& name) const { return *m_elsewhere / name; }

    std::vector<ScriptedPlatform::Shown> Shown(std::initializer_list<std::pair<MessageKind, const char*>> keys) const
    {
        std::vector<ScriptedPlatform::Shown> shown;
        for (const auto& [kind, key] : keys) {
            shown.push_back({kind, QLatin1Char('\r') + m_main->Session().Message(key)});
        }
        return shown;
    }

    // An account file elsewhere, as another machine or an older copy would have written it.
    void WriteImport(const std::string& password, bool companions)
    {
        TAccount account;
        account.Password = password;
        account.AddFolder("Imported", 4);
        for (const char* name : {"a", "b", "c"}) {
            account.Folder(0).AddRecord(name, "", "", "", "", "");
        }
        account.SaveToFile(Elsewhere("anna.vmk"));
        if (companions) {
            AccountSettings settings;
            settings.cbGridLines = !settings.cbGridLines;
            QVERIFY(SaveSettings(Elsewhere("anna.int"), password, settings));
            WriteFileAtomically(Elsewhere("anna.hint"), "imported hint\r\n");
        }
    }

    void SelectFolder(int row)
    {
        m_main->Lists().FocusRow(m_main->Lists().FolderList(), row);
        m_main->Lists().SelectRow(m_main->Lists().FolderList(), row);
    }

private slots:
    void init()
    {
        m_program = std::make_unique<Program>();
        m_elsewhere = std::make_unique<test::TempDir>();
        m_main = m_program->main.get();
        m_program->LoadLanguage();
        m_commands = new BackupCommands(m_main->Session(), m_main->Lists(), m_main->Commands(), m_main);
        TAccount& account = m_main->Session().Account();
        account.Name = "anna";
        account.Password = "pw";
        account.AddFolder("Mail", 1);
        account.Folder(0).AddRecord("Home", "https://a.example", "anna", "17", "12345", "notes");
        account.Folder(0).AddRecord("Work", "", "a.b", "", "", "");
        account.AddFolder("Bank", 2);
        account.Folder(1).AddRecord("Savings", "", "", "", "x", "");
        m_main->Session().SetOpen(); // as a create does
        m_main->Session().SaveAccount();
        WriteFileAtomically(File(kHintExtension), "my hint\r\n");
        m_main->Lists().FillFolderList(false);
        m_main->Lists().FillRecordList(false);
    }
    void cleanup()
    {
        m_program.reset();
        m_elsewhere.reset();
    }

    void menuItemsAreEnabledAndRunTheirCommands()
    {
        for (const char* name : {"mSaveAccDisk", "mSaveFolder", "mAcc", "mFol"}) {
            QVERIFY2(m_main->findChild<QAction*>(QLatin1String(name))->isEnabled(), name);
        }
        m_main->findChild<QAction*>(QStringLiteral("mSaveFolder"))->trigger();
        QCOMPARE(Platform().messages, Shown({{MessageKind::Information, "const_forgot_folder"}}));
    }

    void anAccountCopyReplacesOlderCopiesAndNeverGoesIntoItsOwnDirectory()
    {
        for (const char* name : {"anna.vmk", "anna.int", "anna.hint"}) {
            WriteFileAtomically(Elsewhere(name), "older copy");
        }
        m_main->Session().Account().Folder(1).AddRecord("Unsaved", "", "", "", "", "");
        Platform().files.push_back(Text(m_elsewhere->Path()));
        m_commands->mSaveAccDiskClick();
        QVERIFY(Platform().messages.empty());
        QCOMPARE(FileContents(Elsewhere("anna.vmk"), "pw"), (Contents_t{{"Mail", 2}, {"Bank", 2}}));
        for (const std::string_view extension : {kAccountExtension, kSettingsExtension, kHintExtension}) {
            QCOMPARE(ReadWholeFile(Elsewhere("anna" + std::string(extension))), ReadWholeFile(File(extension)));
        }

        const std::string account = ReadWholeFile(File(kAccountExtension));
        Platform().files.push_back(Text(UsersDirectory(m_program->dir.Path())));
        m_commands->mSaveAccDiskClick();
        QCOMPARE(Platform().messages, Shown({{MessageKind::Error, "const_err_save"}}));
        QCOMPARE(ReadWholeFile(File(kAccountExtension)), account);

        Platform().messages.clear();
        Platform().files.push_back(QString()); // cancelled
        m_commands->mSaveAccDiskClick();
        QVERIFY(Platform().messages.empty());
        QCOMPARE(Platform().unscripted, 0);
    }

    void aFolderCopyIsWrittenAskedBeforeReplacingAndImportedAgain()
    {
        SelectFolder(0);
        const auto copy = Elsewhere("mail.vmf");
        Platform().files.push_back(Text(Elsewhere("mail"))); // the extension is added
        m_commands->mSaveFolderClick();
        QVERIFY(Platform().messages.empty());
        const std::string written = ReadWholeFile(copy);
        QCOMPARE(std::count(written.begin(), written.end(), '\n'), 4 + 6 * 2);

        // An existing file is replaced only after Yes.
        SelectFolder(1);
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            Platform().files.push_back(Text(copy));
            Platform().answers.push_back(answer);
            m_commands->mSaveFolderClick();
            QCOMPARE(Platform().questions.back(), QLatin1Char('\r') + m_main->Session().Message("const_overwrite"));
            QCOMPARE(ReadWholeFile(copy) == written, answer == Answer::No);
        }
        QVERIFY(Platform().messages.empty());

        Platform().files.push_back(Text(copy));
        m_commands->mFolClick();
        QVERIFY(Platform().messages.empty());
        QCOMPARE(Contents(m_main->Session().Account()), (Contents_t{{"Mail", 2}, {"Bank", 1}, {"Bank", 1}}));
        QCOMPARE(m_main->Lists().FolderRows().rowCount(), 3);
        QVERIFY(m_main->Session().Account().Modified);
    }

    void aFolderCopyUnderAnotherPasswordOrDamagedIsRefused()
    {
        SelectFolder(0);
        const auto copy = Elsewhere("mail.vmf");
        Platform().files.push_back(Text(copy));
        m_commands->mSaveFolderClick();
        m_main->Session().Account().Password = "PW";
        Platform().files.push_back(Text(copy));
        m_commands->mFolClick();
        QCOMPARE(Platform().messages, Shown({{MessageKind::Error, "const_err_f_pass"}}));
        QCOMPARE(Contents(m_main->Session().Account()), kPrevious);

        Platform().messages.clear();
        Platform().files.push_back(Text(Elsewhere("missing.vmf")));
        m_commands->mFolClick();
        QCOMPARE(Platform().messages, Shown({{MessageKind::Error, "const_err_imp_f"}}));
        QCOMPARE(Contents(m_main->Session().Account()), kPrevious);
    }

    void aFolderImportWithImmediateSaveSavesEveryImportedRecord()
    {
        AccountSettings settings;
        settings.cbSaveMod = true;
        QVERIFY(SaveSettings(File(kSettingsExtension), "pw", settings));
        m_main->Session().LoadAndApplySettings();
        SelectFolder(0);
        Platform().files.push_back(Text(Elsewhere("mail.vmf")));
        m_commands->mSaveFolderClick();

        Platform().files.push_back(Text(Elsewhere("mail.vmf")));
        m_commands->mFolClick();
        QVERIFY(Platform().messages.empty());
        QCOMPARE(FileContents(File(kAccountExtension), "pw"), (Contents_t{{"Mail", 2}, {"Bank", 1}, {"Mail", 2}}));
        QVERIFY(!m_main->Session().Account().Modified);
    }

    void aFolderImportIntoAFullAccountIsRefusedBeforeTheDialog()
    {
        TAccount& account = m_main->Session().Account();
        while (account.FolderCount() < kMaxFolders) {
            account.AddFolder("f", 0);
        }
        m_commands->mFolClick();
        QCOMPARE(Platform().messages, Shown({{MessageKind::Warning, "const_many_folders"}}));
        QVERIFY(!m_main->Session().Message("const_many_folders").isEmpty());
        QCOMPARE(account.FolderCount(), kMaxFolders);
        QCOMPARE(Platform().unscripted, 0); // no file dialog was shown
    }

    void anAccountImportKeptBringsItsCompanionsAndLeavesNoBackup()
    {
        WriteImport("pw", true);
        Platform().files.push_back(Text(Elsewhere("anna.vmk")));
        Platform().answers = {Answer::Yes, Answer::No, Answer::Yes}; // continue, keep, delete the sources
        m_commands->mAccClick();

        QVERIFY(Platform().messages.empty());
        QCOMPARE(Platform().questions,
                 (QStringList{QLatin1Char('\r') + m_main->Session().Message("const_war"),
                              m_main->Session().Message("const_restore"),
                              QLatin1Char('\r') + m_main->Session().Message("const_delete_files")}));
        QCOMPARE(Contents(m_main->Session().Account()), kImported);
        QCOMPARE(FileContents(File(kAccountExtension), "pw"), kImported);
        QCOMPARE(m_main->Lists().SelectedRow(m_main->Lists().FolderList()), 0);
        QCOMPARE(m_main->Lists().RecordRows().rowCount(), 3);
        QVERIFY(!std::filesystem::exists(ImportBackupPath(m_program->dir.Path(), "anna")));
        QCOMPARE(ReadWholeFile(File(kHintExtension)), std::string("imported hint\r\n"));
        AccountSettings settings;
        QVERIFY(LoadSettings(File(kSettingsExtension), "pw", settings));
        QCOMPARE(settings.cbGridLines, !AccountSettings().cbGridLines);
        QCOMPARE(m_main->Lists().FolderList()->showGrid(), settings.cbGridLines); // applied at once
        for (const char* name : {"anna.vmk", "anna.int", "anna.hint"}) {
            QVERIFY2(!std::filesystem::exists(Elsewhere(name)), name);
        }
    }

    void anAccountImportUndoneOrUnreadableBringsThePreviousAccountBack_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("restore asked for")
            << "pw" << QList<int>{int(Answer::Yes), int(Answer::Yes)} << QStringList{"const_acc_restored"};
        QTest::newRow("another password")
            << "other" << QList<int>{int(Answer::Yes)} << QStringList{"const_do_pass", "const_acc_restored"};
    }
    void anAccountImportUndoneOrUnreadableBringsThePreviousAccountBack()
    {
        QFETCH(QString, password);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, shown);
        WriteImport(password.toStdString(), true);
        const std::string settings = ReadWholeFile(File(kSettingsExtension));
        Platform().files.push_back(Text(Elsewhere("anna.vmk")));
        for (const int answer : answers) {
            Platform().answers.push_back(static_cast<Answer>(answer));
        }
        m_commands->mAccClick();

        std::vector<ScriptedPlatform::Shown> expected;
        for (const QString& key : shown) {
            expected.push_back({key == QLatin1String("const_do_pass") ? MessageKind::Error : MessageKind::Warning,
                                QLatin1Char('\r') + m_main->Session().Message(key.toStdString())});
        }
        QCOMPARE(Platform().messages, expected);
        QCOMPARE(Platform().unscripted, 0);
        QCOMPARE(Contents(m_main->Session().Account()), kPrevious);
        QCOMPARE(FileContents(File(kAccountExtension), "pw"), kPrevious);
        QCOMPARE(m_main->Lists().FolderRows().rowCount(), 2);
        QVERIFY(!std::filesystem::exists(ImportBackupPath(m_program->dir.Path(), "anna")));
        QCOMPARE(ReadWholeFile(File(kSettingsExtension)), settings);
        QCOMPARE(ReadWholeFile(File(kHintExtension)), std::string("my hint\r\n"));
        QVERIFY(std::filesystem::exists(Elsewhere("anna.vmk")));
    }

    void aFailedSaveOfTheImportPutsThePreviousAccountBackAtOnce_data()
    {
        QTest::addColumn<WriteStep>("failing");
        QTest::newRow("temporary file not created") << WriteStep::Create;
        QTest::newRow("not renamed into place") << WriteStep::Rename;
    }
    void aFailedSaveOfTheImportPutsThePreviousAccountBackAtOnce()
    {
        QFETCH(WriteStep, failing);
        WriteImport("pw", false);
        const std::string previous = ReadWholeFile(File(kAccountExtension));
        const auto backup = ImportBackupPath(m_program->dir.Path(), "anna");
        // Only the save of the imported contents fails: it is the one made while the backup exists.
        SetWriteFaultHook(
            [failing, backup](WriteStep step) { return step == failing && std::filesystem::exists(backup); });
        const auto noFaults = qScopeGuard([] { SetWriteFaultHook(nullptr); });
        Platform().files.push_back(Text(Elsewhere("anna.vmk")));
        Platform().answers.push_back(Answer::Yes);
        m_commands->mAccClick();

        QCOMPARE(Platform().messages,
                 Shown({{MessageKind::Error, "const_err_imp"}, {MessageKind::Warning, "const_acc_restored"}}));
        QCOMPARE(Platform().questions.size(), 1); // nothing asked about keeping an import that is not saved
        QCOMPARE(ReadWholeFile(File(kAccountExtension)), previous);
        QVERIFY(!std::filesystem::exists(backup));
        QCOMPARE(Contents(m_main->Session().Account()), kPrevious);
        QVERIFY(!m_main->Session().Account().Modified);
        QCOMPARE(m_main->Lists().FolderRows().rowCount(), 2);
    }

    void anImportWhoseBackupCannotBeMadeTouchesNothing()
    {
        WriteImport("pw", false);
        // A directory in the backup's place: the account file cannot be renamed onto it.
        std::filesystem::create_directories(ImportBackupPath(m_program->dir.Path(), "anna") / "in the way");
        const std::string account = ReadWholeFile(File(kAccountExtension));
        Platform().files.push_back(Text(Elsewhere("anna.vmk")));
        Platform().answers.push_back(Answer::Yes);
        m_commands->mAccClick();
        QCOMPARE(Platform().messages, Shown({{MessageKind::Error, "const_err_imp"}}));
        QCOMPARE(Platform().questions.size(), 1);
        QCOMPARE(Contents(m_main->Session().Account()), kPrevious);
        QCOMPARE(ReadWholeFile(File(kAccountExtension)), account);
    }

    // The open account's own file is nothing to import: nothing is asked, moved or changed.
    void importingTheAccountsOwnFileIsRefused()
    {
        const std::string account = ReadWholeFile(File(kAccountExtension));
        Platform().files.push_back(Text(File(kAccountExtension)));
        m_commands->mAccClick();
        QCOMPARE(Platform().messages, Shown({{MessageKind::Warning, "const_imp_own"}}));
        QVERIFY(Platform().questions.isEmpty());
        QCOMPARE(Contents(m_main->Session().Account()), kPrevious);
        QCOMPARE(ReadWholeFile(File(kAccountExtension)), account);
        QVERIFY(!std::filesystem::exists(ImportBackupPath(m_program->dir.Path(), "anna")));
    }

    // The account file goes back in its place as it was, though it cannot be read any more: no
    // account is open then, and nothing is saved over it.
    void aBackupThatCannotBeReadBackIsPutBackAndNothingIsSaved()
    {
        // An import file whose second folder block is damaged: it adds one folder, then fails.
        StringCipher cipher;
        std::string content;
        for (const char* value : {"account_check_line", "2", "folder_check_line", "A", "0", "0", "damaged"}) {
            content += cipher.EncipherText("pw", value) + "\r\n";
        }
        WriteFileAtomically(Elsewhere("anna.vmk"), content);
        // While the import is read, the backup goes bad on the disk.
        const auto backup = ImportBackupPath(m_program->dir.Path(), "anna");
        m_main->Session().Account().OnChange = [this, backup] {
            WriteFileAtomically(backup, "not an account file\r\n");
            m_main->Session().AccountChanged();
        };
        Platform().files.push_back(Text(Elsewhere("anna.vmk")));
        Platform().answers.push_back(Answer::Yes);
        m_commands->mAccClick();

        QCOMPARE(Platform().messages,
                 Shown({{MessageKind::Error, "const_do_u"}, {MessageKind::Error, "const_err_imp"}}));
        QCOMPARE(ReadWholeFile(File(kAccountExtension)), std::string("not an account file\r\n"));
        QVERIFY(!std::filesystem::exists(backup));
        QVERIFY(!m_main->Session().HasAccount());
        QCOMPARE(m_main->Lists().FolderRows().rowCount(), 0);
    }

    void theAccountListBringsBackAnAccountLeftAsItsImportBackup()
    {
        MakeImportBackup(m_program->dir.Path(), "anna"); // as if the program ended mid-import
        m_main->Session().Account().Clear();
        QStringList listed;
        m_program->Start([&listed](QDialog& dialog) {
            auto* names = dialog.findChild<QComboBox*>(QStringLiteral("edUser"));
            for (int i = 0; i < names->count(); ++i) {
                listed << names->itemText(i);
            }
        });
        QCOMPARE(listed, QStringList{QStringLiteral("anna")});
        QCOMPARE(FileContents(File(kAccountExtension), "pw"), kPrevious);
        QVERIFY(!std::filesystem::exists(ImportBackupPath(m_program->dir.Path(), "anna")));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::BackupCommandsTest)
#include "BackupCommandsTest.moc"
