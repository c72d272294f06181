#include "gui/account/SealCommands.h"

#include "core/os/AtomicFile.h"
#include "gui/account/BackupCommands.h"
#include "gui/account/TfrmAbout.h"
#include "gui/main/GuiFixture.h"
#include "gui/widgets/SuffixDelegate.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace velmora::testing {

class SealCommandsTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> m_program;
    std::unique_ptr<test::TempDir> m_elsewhere;
    std::string m_plainAccount;
    std::string m_plainSettings;

    TfrmMain& Main() { return *m_program->main; }
    AccountSession& Session() { return *m_program->session; }
    ScriptedPlatform& Platform() { return m_program->platform; }
    QString Text(std::string_view key) { return Session().Message(key); }
    std::string FileBytes(std::string_view extension) { return ReadWholeFile(m_program->File("anna", extension)); }
    bool FilesSealed()
    {
        return IsSealedText(FileBytes(kAccountExtension)) && IsSealedText(FileBytes(kSettingsExtension));
    }
    // Runs a menu item, answering its question with `answer`.
    void Trigger(const char* name, Answer answer)
    {
        Platform().answers.push_back(answer);
        Main().findChild<QAction*>(QLatin1String(name))->trigger();
    }
    ScriptedPlatform::Shown Shown(MessageKind kind, std::string_view key)
    {
        return {kind, QLatin1Char('\r') + Text(key)};
    }

private slots:
    void init()
    {
        m_program = std::make_unique<Program>();
        m_elsewhere = std::make_unique<test::TempDir>();
        m_program->LoadLanguage();
        new SealCommands(Session(), Main().Commands(), &Main());
        new BackupCommands(Session(), Main().Lists(), Main().Commands(), &Main());
        Session().SetSealCost(kSmallestReadableSealCost); // quick; the program measures its own
        TAccount& account = Session().Account();
        account.Name = "anna";
        account.Password = "pw";
        account.AddFolder("Mail", 1);
        account.Folder(0).AddRecord("Home", "https://a.example", "anna", "17", "12345", "notes");
        Session().SetOpen();
        Session().SaveAccount();
        Session().AccountOpened();
        m_plainAccount = FileBytes(kAccountExtension);
        m_plainSettings = FileBytes(kSettingsExtension);
    }
    void cleanup()
    {
        m_program.reset();
        m_elsewhere.reset();
    }

    void sealAndUnsealRunFromTheMenuAfterYes()
    {
        Trigger("mSeal", Answer::No);
        QCOMPARE(Platform().questions.back(), Session().FormatMessage("const_seal_ask", {"anna"}));
        QVERIFY(Platform().questions.back().contains(QStringLiteral("Windows program")));
        QVERIFY(!Session().IsSealed());
        QCOMPARE(FileBytes(kAccountExtension), m_plainAccount);

        Trigger("mSeal", Answer::Yes);
        QVERIFY(Session().IsSealed());
        QVERIFY(FilesSealed());
        QCOMPARE(Platform().messages.back(), Shown(MessageKind::Information, "const_sealed_done"));
        QCOMPARE(Main().windowTitle(), QStringLiteral("Velmora 3.1 - anna") + Text("const_sealed_suffix"));

        Trigger("mUnseal", Answer::Yes);
        QCOMPARE(Platform().questions.back(), Session().FormatMessage("const_unseal_ask", {"anna"}));
        QVERIFY(!Session().IsSealed());
        QCOMPARE(FileBytes(kAccountExtension), m_plainAccount);
        QCOMPARE(FileBytes(kSettingsExtension), m_plainSettings);
        QCOMPARE(Platform().messages.back(), Shown(MessageKind::Information, "const_unsealed_done"));
        QCOMPARE(Main().windowTitle(), QStringLiteral("Velmora 3.1 - anna"));
        QCOMPARE(Platform().unscripted, 0);
    }

    void aSealedAccountsSavesAndCopiesStaySealedAndItsFolderFileSaysItIsPlain()
    {
        Trigger("mSeal", Answer::Yes);
        const std::string sealed = FileBytes(kAccountExtension);
        Session().Account().AddFolder("Bank", 2);
        QVERIFY(Session().SaveAccount());
        QVERIFY(FilesSealed());
        QVERIFY(FileBytes(kAccountExtension) != sealed);
        TAccount reread;
        reread.Password = "pw";
        QCOMPARE(reread.LoadFromFile(m_program->File("anna", kAccountExtension)), ReadResult::Ok);
        QCOMPARE(reread.FolderCount(), std::size_t(2));
        QVERIFY(reread.IsSealed());

        // Save > a copy of the account: the copy is sealed too.
        Platform().files.push_back(QString::fromStdString(m_elsewhere->Path().string()));
        Main().findChild<QAction*>(QStringLiteral("mSaveAccDisk"))->trigger();
        QVERIFY(IsSealedText(ReadWholeFile(*m_elsewhere / "anna.vmk")));
        QVERIFY(IsSealedText(ReadWholeFile(*m_elsewhere / "anna.int")));

        // Save > a copy of the folder: the plain format, and the user is told so.
        Main().Lists().FillFolderList(false);
        Main().Lists().FocusRow(Main().Lists().FolderList(), 0);
        Main().Lists().SelectRow(Main().Lists().FolderList(), 0);
        Platform().messages.clear();
        Platform().files.push_back(QString::fromStdString((*m_elsewhere / "mail.vmf").string()));
        Main().findChild<QAction*>(QStringLiteral("mSaveFolder"))->trigger();
        QVERIFY(!IsSealedText(ReadWholeFile(*m_elsewhere / "mail.vmf")));
        QCOMPARE(Platform().messages,
                 std::vector<ScriptedPlatform::Shown>{Shown(MessageKind::Information, "const_folder_not_sealed")});
    }

    void theAccountListAndAboutNameTheSealedAccounts()
    {
        Trigger("mSeal", Answer::Yes);
        m_program->WriteAccount("bob", "pw", 1);
        TfrmAccountSet& dialog = *m_program->accountSet;
        dialog.FormShow();
        auto* users = dialog.findChild<QComboBox*>(QStringLiteral("edUser"));
        auto* look = qobject_cast<SuffixDelegate*>(users->itemDelegate());
        QVERIFY(look != nullptr);
        QCOMPARE(users->count(), 2);
        QCOMPARE(look->ShownText(users->model()->index(users->findText(QStringLiteral("anna")), 0)),
                 QStringLiteral("anna") + Text("const_sealed_suffix"));
        QCOMPARE(look->ShownText(users->model()->index(users->findText(QStringLiteral("bob")), 0)),
                 QStringLiteral("bob"));

        QLabel picture;
        TfrmAbout about(Session(), picture);
        about.FormShow();
        QVERIFY(about.findChild<QLabel*>(QStringLiteral("labLayout"))
                    ->text()
                    .endsWith(QLatin1Char('\n') + Text("const_sealed_accounts") + QStringLiteral("anna")));
    }

    void aChangedSealedSettingsFileIsToldAndLeavesTheSettingsAsTheyWere()
    {
        m_program->ChangeSettings([](AccountSettings& settings) { settings.L_Width = 250; });
        Trigger("mSeal", Answer::Yes);
        WriteFileAtomically(m_program->File("anna", kSettingsExtension), FileBytes(kSettingsExtension) + "x");
        m_program->ChangeSettings([](AccountSettings& settings) { settings.L_Width = 99; });
        Platform().messages.clear();
        Session().LoadAndApplySettings();
        QCOMPARE(Platform().messages,
                 std::vector<ScriptedPlatform::Shown>{Shown(MessageKind::Warning, "const_sealed_settings_changed")});
        QCOMPARE(Session().Settings().L_Width, 99);
    }

    void aChangedSealedFileIsRefusedAtLoginWithItsOwnMessage()
    {
        Trigger("mSeal", Answer::Yes);
        std::string changed = FileBytes(kAccountExtension);
        changed[changed.size() / 2] = static_cast<char>(changed[changed.size() / 2] ^ 0x04);
        WriteFileAtomically(m_program->File("anna", kAccountExtension), changed);
        Session().CloseAccount();
        Platform().messages.clear();
        TfrmAccountSet& dialog = *m_program->accountSet;
        dialog.FormShow();
        dialog.findChild<QComboBox*>(QStringLiteral("edUser"))->setEditText(QStringLiteral("anna"));
        dialog.findChild<QLineEdit*>(QStringLiteral("edPass"))->setText(QStringLiteral("pw"));
        dialog.findChild<QPushButton*>(QStringLiteral("butOk"))->click();
        QCOMPARE(Platform().messages,
                 std::vector<ScriptedPlatform::Shown>{Shown(MessageKind::Error, "const_sealed_changed")});
        QVERIFY(!Session().HasAccount());
        QCOMPARE(FileBytes(kAccountExtension), changed);
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::SealCommandsTest)
#include "SealCommandsTest.moc"
