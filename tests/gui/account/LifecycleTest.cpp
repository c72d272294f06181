#include "core/account/AccountBackup.h"
#include "core/account/AccountFiles.h"
#include "core/settings/AccountSettings.h"
#include "gui/account/ForeignImportCommand.h"
#include "gui/account/LifecycleFixture.h"
#include "gui/account/TfrmAbout.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/ListRowModel.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace velmora::testing {

namespace {

std::size_t FoldersOnDisk(const std::filesystem::path& file)
{
    TAccount saved;
    saved.Password = "pw";
    return saved.LoadFromFile(file) == ReadResult::Ok ? saved.FolderCount() : 0;
}

} // namespace

// Saving, closing, switching and deleting the open account; the About box and the help page.
class LifecycleTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Session> m_session;
    Session& S() { return *m_session; }
    QString Text(std::string_view key) { return S().Main().Session().Message(key); }
    bool Exists(const std::string& name, std::string_view extension)
    {
        return std::filesystem::exists(S().File(name, extension));
    }

private slots:
    void init()
    {
        m_session = std::make_unique<Session>();
        S().CreateAndOpen(QStringLiteral("anna"), QStringLiteral("pw"));
        QVERIFY(S().Main().isVisible());
    }
    void cleanup() { m_session.reset(); }

    void closeAsksOnlyAboutChanges_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer"); // -1: none scripted
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("written");
        QTest::newRow("unchanged: no question") << false << -1 << true << false;
        QTest::newRow("Cancel keeps running") << true << int(Answer::Cancel) << false << false;
        QTest::newRow("No ends without writing") << true << int(Answer::No) << true << false;
        QTest::newRow("Yes saves and ends") << true << int(Answer::Yes) << true << true;
    }
    void closeAsksOnlyAboutChanges()
    {
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        QFETCH(bool, written);
        if (changed) {
            S().Change();
        }
        if (answer >= 0) {
            S().Platform().answers.push_back(static_cast<Answer>(answer));
        }
        const std::string before = Session::Content(S().File("anna", kAccountExtension));
        S().Trigger("mExit");
        const QStringList asked = changed ? QStringList{QLatin1Char('\r') + Text("const_do_save")} : QStringList{};
        QCOMPARE(S().Platform().questions, asked);
        QCOMPARE(S().endRequests, ends ? 1 : 0);
        QCOMPARE(S().Main().isVisible(), !ends);
        QCOMPARE(Session::Content(S().File("anna", kAccountExtension)) != before, written);
        QCOMPARE(S().Account().Modified, changed && !written);
    }

    // A save that fails after Yes stops the close and the switch alike; the changes stay open.
    void failedSaveAfterYesStopsTheAction_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::newRow("close") << QByteArray("mExit");
        QTest::newRow("switch") << QByteArray("mChangeUser");
    }
    void failedSaveAfterYesStopsTheAction()
    {
        QFETCH(QByteArray, action);
        S().Change();
        S().Platform().answers.push_back(Answer::Yes);
        Session::FailSaves();
        const int modalRuns = S().Platform().modalRuns;
        S().Trigger(action.constData());
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().kind, MessageKind::Error);
        QVERIFY(!S().Platform().messages.front().text.contains(Text("const_err_user")));
        QCOMPARE(S().endRequests, 0);
        QCOMPARE(S().Platform().modalRuns, modalRuns); // no account dialog
        QVERIFY(S().Main().isVisible());
        QVERIFY(S().Account().Modified);
        QCOMPARE(S().Account().FolderCount(), std::size_t(2));
        QCOMPARE(S().Main().PanelText(2), Text("const_mod"));
    }

    void saveWritesEvenWithoutChanges()
    {
        std::filesystem::remove(S().File("anna", kAccountExtension));
        std::filesystem::remove(S().File("anna", kSettingsExtension));
        S().Trigger("mSaveAcc");
        QVERIFY(Exists("anna", kAccountExtension));
        QVERIFY(Exists("anna", kSettingsExtension));

        S().Change();
        QCOMPARE(S().Main().PanelText(2), Text("const_mod"));
        S().Trigger("mSaveAcc");
        QVERIFY(!S().Account().Modified);
        QCOMPARE(S().Main().PanelText(2), QString()); // the mark goes with the save
        QVERIFY(S().Platform().messages.empty());
    }

    // Another program (the command-line tool, a second copy) saved the account since it was
    // opened here: its changes are not overwritten without asking.
    void anotherProgramsSaveIsOverwrittenOnlyAfterYes_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No keeps their file") << int(Answer::No);
        QTest::newRow("Yes writes ours") << int(Answer::Yes);
    }
    void anotherProgramsSaveIsOverwrittenOnlyAfterYes()
    {
        QFETCH(int, answer);
        S().program.WriteAccount("anna", "pw", 5); // their save
        const std::string theirs = Session::Content(S().File("anna", kAccountExtension));
        S().Change();
        S().Platform().answers.push_back(static_cast<Answer>(answer));
        S().Trigger("mSaveAcc");
        QCOMPARE(S().Platform().questions, QStringList{Text("const_file_changed")});
        const bool overwritten = answer == int(Answer::Yes);
        QCOMPARE(Session::Content(S().File("anna", kAccountExtension)) != theirs, overwritten);
        QCOMPARE(S().Account().Modified, !overwritten);
        QCOMPARE(S().Main().PanelText(2), overwritten ? QString() : Text("const_mod"));
        QVERIFY(S().Platform().messages.empty());

        // Once ours is written, our own next save has nobody else's changes to ask about.
        S().Platform().questions.clear();
        S().Platform().answers.push_back(Answer::Yes);
        S().Trigger("mSaveAcc");
        S().Platform().questions.clear();
        S().Change();
        S().Trigger("mSaveAcc");
        QCOMPARE(S().Platform().questions, QStringList{});
        QVERIFY(!S().Account().Modified);
    }

    // A command that makes several changes saves them once, with "save at once" on, and asks
    // about another program's save at most once.
    void aCommandOfSeveralChangesSavesOnceAndAsksOnce_data()
    {
        QTest::addColumn<int>("answer"); // -1: nobody else saved, nothing to ask
        QTest::addColumn<int>("saves");
        QTest::newRow("nobody else saved") << -1 << 1;
        QTest::newRow("another program saved, Yes") << int(Answer::Yes) << 1;
        QTest::newRow("another program saved, No") << int(Answer::No) << 0;
    }
    void aCommandOfSeveralChangesSavesOnceAndAsksOnce()
    {
        QFETCH(int, answer);
        QFETCH(int, saves);
        ForeignImportCommand command(S().Main().Session(), S().Main().Lists(), S().Main().Commands());
        S().program.ChangeSettings([](AccountSettings& s) { s.cbSaveMod = true; });
        if (answer >= 0) {
            S().program.WriteAccount("anna", "pw", 3);
            S().Platform().answers.push_back(static_cast<Answer>(answer));
        }
        std::string csv = "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\n";
        for (const char* group : {"Mail", "Bank", "Work", "Shops", "Games", "Travel"}) {
            csv += "\"" + std::string(group) + "\",\"Entry\",\"anna\",\"secret\",\"\",\"\"\n";
        }
        const std::filesystem::path file = S().program.dir / "export.csv";
        WriteFileAtomically(file, csv);
        S().Platform().files.push_back(QString::fromStdU16String(file.u16string()));
        int replaced = 0; // files renamed into place: two a save, the account's and its settings'
        SetWriteFaultHook([&replaced](WriteStep step) {
            replaced += step == WriteStep::Rename ? 1 : 0;
            return false;
        });
        S().Trigger("mImportForeign");
        SetWriteFaultHook({});
        QCOMPARE(S().Account().FolderCount(), std::size_t{7});
        QCOMPARE(replaced, 2 * saves);
        QCOMPARE(S().Platform().questions, answer >= 0 ? QStringList{Text("const_file_changed")} : QStringList{});
        QCOMPARE(S().Account().Modified, saves == 0);
        QCOMPARE(FoldersOnDisk(S().File("anna", kAccountExtension)), saves == 0 ? std::size_t{3} : std::size_t{7});
    }

    // The command-line tool replaced the account under a new password while the program was
    // open: the settings dialog's OK writes nothing without asking, and after Yes both files
    // are this program's again, so the account and its settings read together.
    void aSettingsSaveAsksAboutAnotherProgramsSave_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No keeps their files") << int(Answer::No);
        QTest::newRow("Yes writes both of ours") << int(Answer::Yes);
    }
    void aSettingsSaveAsksAboutAnotherProgramsSave()
    {
        QFETCH(int, answer);
        S().program.ChangeSettings([](AccountSettings& s) { s.cbSaveMod = true; });
        S().program.WriteAccount("anna", "new", 3);
        QVERIFY(SaveSettings(S().File("anna", kSettingsExtension), "new", AccountSettings{}));
        const std::string account = Session::Content(S().File("anna", kAccountExtension));
        const std::string settings = Session::Content(S().File("anna", kSettingsExtension));
        S().Platform().answers.push_back(static_cast<Answer>(answer));
        S().Platform().modalScripts.push_back(
            [](QDialog& dialog) { dialog.findChild<QPushButton*>(QStringLiteral("butOk"))->click(); });
        S().Trigger("mOptions");
        QCOMPARE(S().Platform().questions, QStringList{Text("const_file_changed")});
        if (answer == int(Answer::No)) {
            QCOMPARE(Session::Content(S().File("anna", kAccountExtension)), account);
            QCOMPARE(Session::Content(S().File("anna", kSettingsExtension)), settings);
            QVERIFY(S().Account().Modified);
        } else {
            QCOMPARE(FoldersOnDisk(S().File("anna", kAccountExtension)), std::size_t{1});
            AccountSettings read;
            QVERIFY(LoadSettings(S().File("anna", kSettingsExtension), "pw", read));
        }
    }

    // The settings file is half of the save: when it cannot be written the save failed, the
    // account file stays as it was and the changes stay marked.
    void aSettingsFileThatCannotBeWrittenFailsTheSave()
    {
        const std::string before = Session::Content(S().File("anna", kAccountExtension));
        std::filesystem::remove(S().File("anna", kSettingsExtension));
        std::filesystem::create_directory(S().File("anna", kSettingsExtension));
        S().Change();
        S().Trigger("mSaveAcc");
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().kind, MessageKind::Error);
        QVERIFY(S().Account().Modified);
        QCOMPARE(S().Main().PanelText(2), Text("const_mod"));
        QCOMPARE(Session::Content(S().File("anna", kAccountExtension)), before);

        S().Platform().messages.clear();
        S().Main().Options().Edit(S().Main().Session().Settings());
        S().Main().Options().butOkClick(); // the settings dialog's OK writes the file alone
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().kind, MessageKind::Error);
        QVERIFY(S().Account().Modified);
    }

    // Settings the account's password cannot read are reported, not replaced by the defaults
    // without a word.
    void unreadableSettingsAreReportedWhenTheAccountOpens()
    {
        S().program.ChangeSettings([](AccountSettings& s) { s.cbSaveMod = true; });
        S().Trigger("mSaveAcc");
        QVERIFY(SaveSettings(S().File("anna", kSettingsExtension), "another password", AccountSettings{}));
        S().Platform().modalScripts.push_back(Session::LogIn(QStringLiteral("anna"), QStringLiteral("pw")));
        S().Trigger("mChangeUser");
        QCOMPARE(S().Account().Name, std::string("anna"));
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().text, QLatin1Char('\r') + Text("const_settings_unreadable"));
    }

    void switchCancelKeepsEverything()
    {
        S().Change();
        S().Platform().answers.push_back(Answer::Cancel);
        const int modalRuns = S().Platform().modalRuns;
        S().Trigger("mChangeUser");
        QCOMPARE(S().Platform().questions.size(), 1);
        QCOMPARE(S().Platform().modalRuns, modalRuns);
        QVERIFY(S().Main().isVisible());
        QCOMPARE(S().Account().FolderCount(), std::size_t(2));
        QVERIFY(S().Account().Modified);
    }

    // The next account, above all a new one, starts from nothing of the previous one: no
    // folders, no rows, no options, no windows showing its records.
    void switchClearsEverythingOfTheAccount()
    {
        S().program.ChangeSettings([](AccountSettings& s) {
            s.cbSaveMod = true;
            s.cbTray = false;
            s.R_Column1 = 300;
        });
        S().Trigger("mSaveAcc"); // anna's settings file now holds them
        S().Change();
        QDialog recordWindow; // stands for a record window opened from the search window
        recordWindow.show();
        QSignalSpy cleared(&S().Main().Session(), &AccountSession::accountCleared);

        S().Platform().answers.push_back(Answer::Yes); // bob's short password is kept
        S().Platform().answers.push_back(Answer::No);
        QStringList listed;
        bool mainHidden = false;
        S().Platform().modalScripts.push_back([&](QDialog& dialog) {
            const auto* users = dialog.findChild<QComboBox*>(QStringLiteral("edUser"));
            for (int i = 0; i < users->count(); ++i) {
                listed << users->itemText(i);
            }
            mainHidden = !S().Main().isVisible();
            QCOMPARE(S().Main().Lists().FolderRows().rowCount(), 0);
            QCOMPARE(S().Main().Lists().RecordRows().rowCount(), 0);
            QCOMPARE(S().Main().PanelText(1), QString());
            QCOMPARE(S().Main().PanelText(2), QString());
            QVERIFY(!recordWindow.isVisible());
            QCOMPARE(S().Main().Session().Settings(), AccountSettings{});
            QCOMPARE(S().Main().Lists().RecordList()->columnWidth(0), AccountSettings{}.R_Column1);
            Session::LogIn(QStringLiteral("bob"), QStringLiteral("pw2"), "butNew")(dialog);
        });
        S().Trigger("mChangeUser");
        QCOMPARE(listed, QStringList{QStringLiteral("anna")});
        QVERIFY(mainHidden);
        QCOMPARE(cleared.count(), 1);
        // Anna's changes were dropped, and bob (without a settings file of his own until his
        // first save) does not inherit her auto-save.
        QCOMPARE(S().Account().Name, std::string("bob"));
        QVERIFY(!S().Main().Session().Settings().cbSaveMod);
        QVERIFY(S().Main().Session().Settings().cbTray);
        QVERIFY(S().Main().isVisible());
        TAccount anna;
        anna.Password = "pw";
        QCOMPARE(anna.LoadFromFile(S().File("anna", kAccountExtension)), ReadResult::Ok);
        QCOMPARE(anna.FolderCount(), std::size_t(2)); // her auto-save did keep her change
    }

    void leavingTheAccountDialogAfterASwitchEnds()
    {
        S().Platform().modalScripts.push_back(
            [](QDialog& dialog) { dialog.findChild<QPushButton*>(QStringLiteral("butExit"))->click(); });
        S().Trigger("mChangeUser");
        QCOMPARE(S().program.endRequests, 1);
        QVERIFY(!S().Main().isVisible());
        QVERIFY(S().Platform().questions.isEmpty()); // nothing was modified
    }

    void deleteRemovesEveryFileOfTheAccount()
    {
        std::ofstream(S().File("anna", kHintExtension)) << "hint\r\n";
        std::ofstream(S().File("anna", kImportBackupExtension)) << "left over\r\n";
        const QString longPassword(256, QLatin1Char('p'));
        S().Account().Password = ToCodePage(longPassword).bytes;
        S().Change(); // dropped without a question
        S().Platform().answers.push_back(Answer::Yes);
        S().Platform().inputs.push_back(longPassword);
        QStringList listed;
        S().Platform().modalScripts.push_back([&](QDialog& dialog) {
            const auto* users = dialog.findChild<QComboBox*>(QStringLiteral("edUser"));
            for (int i = 0; i < users->count(); ++i) {
                listed << users->itemText(i);
            }
        });
        S().Trigger("mDelAcc");
        QCOMPARE(S().Platform().questions, (QStringList{Text("const_delete_account"), Text("const_enter_pass")}));
        QVERIFY(S().Platform().inputSecret);
        for (const std::string_view extension :
             {kAccountExtension, kSettingsExtension, kHintExtension, kImportBackupExtension}) {
            QVERIFY2(!Exists("anna", extension), extension.data());
        }
        QCOMPARE(S().Platform().messages.front(),
                 (ScriptedPlatform::Shown{MessageKind::Information,
                                          QLatin1Char('\r') +
                                              S().Main().Session().FormatMessage("const_acc_deleted", {"anna"})}));
        QVERIFY(listed.isEmpty());
        QCOMPARE(S().program.endRequests, 1); // the dialog was left
    }

    void deleteRefusals_data()
    {
        QTest::addColumn<int>("confirm");
        QTest::addColumn<QString>("typed"); // null: the input box is cancelled
        QTest::addColumn<QString>("message");
        QTest::newRow("No") << int(Answer::No) << QString() << QString();
        QTest::newRow("cancelled") << int(Answer::Yes) << QString() << QStringLiteral("const_break_user");
        QTest::newRow("wrong password") << int(Answer::Yes) << QStringLiteral("pw ")
                                        << QStringLiteral("const_acc_wrong_pass");
    }
    void deleteRefusals()
    {
        QFETCH(int, confirm);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        S().Platform().answers.push_back(static_cast<Answer>(confirm));
        if (confirm == int(Answer::Yes)) {
            S().Platform().inputs.push_back(typed);
        }
        const int modalRuns = S().Platform().modalRuns;
        S().Trigger("mDelAcc");
        QVERIFY(Exists("anna", kAccountExtension));
        QVERIFY(Exists("anna", kSettingsExtension));
        QCOMPARE(S().Platform().modalRuns, modalRuns);
        QVERIFY(S().Main().isVisible());
        if (message.isEmpty()) {
            QVERIFY(S().Platform().messages.empty());
        } else {
            QCOMPARE(S().Platform().messages.size(), std::size_t(1));
            QVERIFY(S().Platform().messages.front().text.contains(Text(message.toStdString())));
        }
    }

    // A file that stays after the delete is reported, and the account stays open.
    void deleteThatLeavesAFileStaysInTheAccount()
    {
        std::filesystem::create_directories(S().File("anna", kHintExtension) / "inside");
        S().Platform().answers.push_back(Answer::Yes);
        S().Platform().inputs.push_back(QStringLiteral("pw"));
        const int modalRuns = S().Platform().modalRuns;
        S().Trigger("mDelAcc");
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().kind, MessageKind::Error);
        QVERIFY(S().Platform().messages.front().text.startsWith(Text("const_not_deleted")));
        QVERIFY(S().Platform().messages.front().text.contains(QStringLiteral("anna.hint")));
        QCOMPARE(S().Platform().modalRuns, modalRuns);
        QVERIFY(S().Main().isVisible());
        QCOMPARE(S().Account().FolderCount(), std::size_t(1));
    }

    void aboutBoxShowsOnceAndOpensTheAddresses()
    {
        S().Trigger("mAbout");
        S().Trigger("mAbout"); // only brings it to the front
        TfrmAbout& about = S().control->AboutBox();
        QVERIFY(about.isVisible());
        QVERIFY(!about.isModal());
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("labName"))->text(), QStringLiteral("Velmora"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("labVer"))->text(), Text("const_ver") + QStringLiteral("3.1"));
        const QString dir = QString::fromStdString(S().program.dir.Path().string());
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("labLayout"))->text(),
                 Text("const_layout_portable") + QLatin1Char('\n') + Text("const_program_files") + dir +
                     QLatin1Char('\n') + Text("const_user_files") + dir);
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
        auto* web = about.findChild<QLabel*>(QStringLiteral("labWeb"));
        auto* mail = about.findChild<QLabel*>(QStringLiteral("labMail"));
        QTest::mouseClick(web, Qt::LeftButton);
        QTest::mouseClick(mail, Qt::LeftButton);
        QCOMPARE(S().Platform().opened, (QStringList{web->text(), QStringLiteral("mailto:") + mail->text()}));
        about.findChild<QPushButton*>(QStringLiteral("butClose"))->click();
        QVERIFY(!about.isVisible());
    }

    void helpOpensThePageBesideTheProgram()
    {
        S().Trigger("mContent");
        QCOMPARE(S().Platform().opened.size(), 1);
        QVERIFY(S().Platform().opened.front().endsWith(QStringLiteral("Help/Help.eng.htm")));
        QVERIFY(std::filesystem::exists(std::filesystem::path(VELMORA_RUNTIME_DIR) / "Help" / "Help.eng.htm"));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::LifecycleTest)
#include "LifecycleTest.moc"
