#include "core/account/AccountBackup.h"
#include "core/account/AccountFiles.h"
#include "gui/account/LifecycleFixture.h"
#include "gui/account/TfrmUser.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/StrengthBar.h"

#include <QTest>
#include <cerrno>
#include <cstring>

namespace velmora::testing {

// The name-and-password dialog: what it writes, what it refuses.
class UserTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Session> m_session;
    Session& S() { return *m_session; }
    TfrmUser& Dialog() { return S().control->UserDialog(); }
    QLineEdit* Field(const char* name) { return Dialog().findChild<QLineEdit*>(QLatin1String(name)); }
    QString Text(std::string_view key) { return S().Main().Session().Message(key); }
    bool Exists(const std::string& name, std::string_view extension)
    {
        return std::filesystem::exists(S().File(name, extension));
    }
    static ReadResult Open(const std::filesystem::path& file, const std::string& password)
    {
        TAccount account;
        account.Password = password;
        return account.LoadFromFile(file);
    }

    // Opens the dialog, lets `edit` change its fields and presses the change button. Returns
    // whether the dialog was still up afterwards.
    bool Apply(const std::function<void()>& edit)
    {
        bool stillUp = false;
        S().Platform().modalScripts.push_back([&](QDialog& dialog) {
            edit();
            dialog.findChild<QPushButton*>(QStringLiteral("butOk"))->click();
            stillUp = dialog.isVisible();
        });
        S().Trigger("mChangePass");
        return stillUp;
    }
    void SetFields(const QString& name, const QString& password, const QString& confirmation)
    {
        Field("edName")->setText(name);
        Field("edPass1")->setText(password);
        Field("edPass2")->setText(confirmation);
    }
    ScriptedPlatform::Shown Succeeded() { return {MessageKind::Information, QLatin1Char('\r') + Text("const_succ")}; }

private slots:
    void init()
    {
        m_session = std::make_unique<Session>();
        S().CreateAndOpen(QStringLiteral("anna"), QStringLiteral("pw"));
        WriteAccountHint(S().File("anna", kHintExtension), "my cat");
    }
    void cleanup() { m_session.reset(); }

    void showsTheAccountAndRewritesItUnchanged()
    {
        std::filesystem::remove(S().File("anna", kSettingsExtension));
        std::filesystem::remove(S().File("anna", kAccountExtension));
        QVERIFY(!Apply([this] {
            QCOMPARE(Field("edName")->text(), QStringLiteral("anna"));
            QCOMPARE(Field("edPass1")->text(), QStringLiteral("pw"));
            QCOMPARE(Field("edPass2")->text(), QStringLiteral("pw"));
            QCOMPARE(Field("edHint")->text(), QStringLiteral("my cat"));
            QCOMPARE(Field("edPass1")->echoMode(), QLineEdit::Password);
            QCOMPARE(Field("edHint")->maxLength(), 32);
        }));
        QCOMPARE(S().Platform().messages, std::vector<ScriptedPlatform::Shown>{Succeeded()});
        QCOMPARE(Open(S().File("anna", kAccountExtension), "pw"), ReadResult::Ok);
        QVERIFY(Exists("anna", kSettingsExtension));
        QCOMPARE(Session::Content(S().File("anna", kHintExtension)), std::string("my cat\r\n"));
    }

    void newPasswordAloneOpensTheAccount()
    {
        S().Platform().answers = {Answer::Yes}; // keep the short new password
        QVERIFY(
            !Apply([this] { SetFields(QStringLiteral("anna"), QStringLiteral(" new "), QStringLiteral(" new ")); }));
        QCOMPARE(Open(S().File("anna", kAccountExtension), "pw"), ReadResult::BadCheckLine);
        QCOMPARE(Open(S().File("anna", kAccountExtension), " new "), ReadResult::Ok);
        QCOMPARE(S().Account().Password, std::string(" new "));
        AccountSettings settings;
        settings.cbTray = false;
        QVERIFY(LoadSettings(S().File("anna", kSettingsExtension), " new ", settings));
        QVERIFY(settings.cbTray); // read back under the new password
    }

    void aSealedAccountStaysSealedUnderTheNewPassword()
    {
        AccountSession& session = S().Main().Session();
        session.SetSealCost(kSmallestReadableSealCost);
        QCOMPARE(session.SealAccount(), std::optional(SealChange::Result::Done));
        S().Platform().answers = {Answer::Yes}; // keep the short new password
        // The strength shown counts one key derivation per guess, as measured when the key was made.
        const double sealedRate = 1 / session.Account().Seal()->DerivationSeconds();
        double shownRate = 0;
        QVERIFY(!Apply([this, &shownRate] {
            shownRate = Dialog().findChild<StrengthBar*>()->GuessesPerSecond();
            SetFields(QStringLiteral("anna"), QStringLiteral(" new "), QStringLiteral(" new "));
        }));
        QCOMPARE(shownRate, sealedRate);
        QVERIFY(IsSealedText(Session::Content(S().File("anna", kAccountExtension))));
        QCOMPARE(Open(S().File("anna", kAccountExtension), "pw"), ReadResult::BadCheckLine);
        TAccount reopened;
        reopened.Password = " new ";
        QCOMPARE(reopened.LoadFromFile(S().File("anna", kAccountExtension)), ReadResult::Ok);
        QVERIFY(reopened.IsSealed());
        AccountSettings settings;
        QCOMPARE(LoadSettings(S().File("anna", kSettingsExtension), " new ", settings, reopened.Seal()).result,
                 SettingsLoad::Result::Complete);
    }

    void renameMovesEveryFile()
    {
        std::ofstream(S().File("anna", kImportBackupExtension)) << "left over\r\n";
        QVERIFY(!Apply([this] { SetFields(QStringLiteral(" my bank"), QStringLiteral("pw"), QStringLiteral("pw")); }));
        for (const std::string_view extension :
             {kAccountExtension, kSettingsExtension, kHintExtension, kImportBackupExtension}) {
            QVERIFY2(!Exists("anna", extension), extension.data());
        }
        QCOMPARE(Open(S().File(" my bank", kAccountExtension), "pw"), ReadResult::Ok);
        QVERIFY(Exists(" my bank", kSettingsExtension));
        QCOMPARE(Session::Content(S().File(" my bank", kHintExtension)), std::string("my cat\r\n"));
        QCOMPARE(S().Account().Name, std::string(" my bank"));
        QCOMPARE(S().Main().windowTitle(), QStringLiteral("Velmora 3.1 -  my bank"));
    }

    // The file name goes on with ".vmk": every system takes a name that ends in a dot or blank.
    void renameMayEndInADotOrBlank()
    {
        for (const char* name : {"anna.", "anna. "}) {
            QVERIFY(!Apply(
                [this, name] { SetFields(QString::fromLatin1(name), QStringLiteral("pw"), QStringLiteral("pw")); }));
            QCOMPARE(S().Platform().messages, std::vector<ScriptedPlatform::Shown>{Succeeded()});
            S().Platform().messages.clear();
            QCOMPARE(Open(S().File(name, kAccountExtension), "pw"), ReadResult::Ok);
            QCOMPARE(S().Account().Name, std::string(name));
        }
    }

    // Only another account can clash in letter case: the account itself may change its own.
    void renameMayChangeOnlyTheLetterCase()
    {
        QVERIFY(!Apply([this] { SetFields(QStringLiteral("Anna"), QStringLiteral("pw"), QStringLiteral("pw")); }));
        QCOMPARE(S().Platform().messages, std::vector<ScriptedPlatform::Shown>{Succeeded()});
        QCOMPARE(Open(S().File("Anna", kAccountExtension), "pw"), ReadResult::Ok);
        QVERIFY(!Exists("anna", kAccountExtension));
    }

    void hintIsTrimmedOrRemoved_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("file"); // empty: no hint file
        QTest::newRow("trimmed") << QStringLiteral("  blue door ") << QStringLiteral("blue door")
                                 << QByteArray("blue door\r\n");
        QTest::newRow("blanks only") << QStringLiteral("   ") << QString() << QByteArray();
        QTest::newRow("cleared") << QString() << QString() << QByteArray();
    }
    void hintIsTrimmedOrRemoved()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QByteArray, file);
        QVERIFY(!Apply([&] { Field("edHint")->setText(typed); }));
        QCOMPARE(Field("edHint")->text(), shown);
        QCOMPARE(Exists("anna", kHintExtension), !file.isEmpty());
        if (!file.isEmpty()) {
            QCOMPARE(Session::Content(S().File("anna", kHintExtension)), file.toStdString());
        }
        QCOMPARE(ReadAccountHint(S().program.dir.Path(), "anna"), shown.toStdString());
    }

    // A new password guessed in fewer than 10^12 guesses, and a hint that gives the password away,
    // are each confirmed; No leaves the dialog up and every file as it was. A password kept as it
    // was is not asked about again.
    void weakPasswordsAndRevealingHintsAreConfirmed_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("answer");
        QTest::newRow("weak new password, No") << "anna1990"
                                               << "my cat" << 1 << int(Answer::No);
        QTest::newRow("weak new password, Yes") << "anna1990"
                                                << "my cat" << 1 << int(Answer::Yes);
        QTest::newRow("hint holds the kept password, No") << "pw"
                                                          << "it is PW" << 1 << int(Answer::No);
        QTest::newRow("hint holds most of a strong one, No") << "x7#Kq9!vR2$mW4pZ"
                                                             << "x7#Kq9!vR2" << 1 << int(Answer::No);
        QTest::newRow("strong password, plain hint") << "x7#Kq9!vR2$mW4pZ"
                                                     << "my cat" << 0 << int(Answer::No);
    }
    void weakPasswordsAndRevealingHintsAreConfirmed()
    {
        QFETCH(QString, password);
        QFETCH(QString, hint);
        QFETCH(int, questions);
        QFETCH(int, answer);
        S().Platform().answers = {Answer(answer)};
        const std::string before = Session::Content(S().File("anna", kAccountExtension));
        const bool stillUp = Apply([&] {
            SetFields(QStringLiteral("anna"), password, password);
            Field("edHint")->setText(hint);
        });
        QCOMPARE(S().Platform().questions.size(), questions);
        QCOMPARE(S().Platform().warnings, S().Platform().questions);
        const bool applied = questions == 0 || Answer(answer) == Answer::Yes;
        QCOMPARE(stillUp, !applied);
        QCOMPARE(S().Account().Password, applied ? ToCodePage(password).bytes : std::string("pw"));
        QCOMPARE(Session::Content(S().File("anna", kHintExtension)),
                 (applied ? hint : QStringLiteral("my cat")).toStdString() + "\r\n");
        if (!applied) {
            QCOMPARE(Session::Content(S().File("anna", kAccountExtension)), before);
        }
    }

    // Every refusal leaves the dialog up, the account and every file as they were.
    void refusalsChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        const int information = int(MessageKind::Information);
        const int warning = int(MessageKind::Warning);
        QTest::newRow("empty name") << QStringLiteral("  ") << "pw"
                                    << "pw" << information << "const_forgot_name";
        QTest::newRow("blank passwords") << "anna"
                                         << "   "
                                         << "   " << information << "const_forgot_pass";
        QTest::newRow("passwords differ") << "anna"
                                          << "pw1"
                                          << "Pw1" << warning << "const_2pass";
        QTest::newRow("another account's name") << "bob"
                                                << "pw"
                                                << "pw" << warning << "const_is_user";
        QTest::newRow("colon") << "a:b"
                               << "pw"
                               << "pw" << warning << "const_chars";
        QTest::newRow("slash") << "a/b"
                               << "pw"
                               << "pw" << warning << "const_chars";
        QTest::newRow("too long for the file system") << QString(130, QChar(0x0436)) << "pw"
                                                      << "pw" << warning << "const_long_name";
        // Names that Windows or a disk that ignores letter case cannot hold.
        QTest::newRow("another account's name in other case") << "BOB"
                                                              << "pw"
                                                              << "pw" << warning << "const_is_user";
        QTest::newRow("Cyrillic in other case") << QStringLiteral("ЖЕНЯ") << "pw"
                                                << "pw" << warning << "const_is_user";
        QTest::newRow("line feed") << "a\nb"
                                   << "pw"
                                   << "pw" << warning << "const_name_control";
        QTest::newRow("tab") << "a\tb"
                             << "pw"
                             << "pw" << warning << "const_name_control";
        QTest::newRow("delete character") << QStringLiteral("a\x7F") << "pw"
                                          << "pw" << warning << "const_name_control";
        QTest::newRow("device") << "Con"
                                << "pw"
                                << "pw" << warning << "const_name_device";
        QTest::newRow("device with an extension") << "nul.txt"
                                                  << "pw"
                                                  << "pw" << warning << "const_name_device";
        QTest::newRow("numbered device") << "LPT3"
                                         << "pw"
                                         << "pw" << warning << "const_name_device";
    }
    void refusalsChangeNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, confirmation);
        QFETCH(int, kind);
        QFETCH(QString, message);
        S().program.WriteAccount("bob", "pw2", 1);
        S().program.WriteAccount("\xE6\xE5\xED\xFF", "pw3", 1); // "женя"
        const std::string before = Session::Content(S().File("anna", kAccountExtension));
        const std::string bobBefore = Session::Content(S().File("bob", kAccountExtension));
        QVERIFY(Apply([&] { SetFields(name, password, confirmation); }));
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(int(S().Platform().messages.front().kind), kind);
        QVERIFY(S().Platform().messages.front().text.contains(Text(message.toStdString())));
        QCOMPARE(S().Account().Name, std::string("anna"));
        QCOMPARE(S().Account().Password, std::string("pw"));
        QCOMPARE(Session::Content(S().File("anna", kAccountExtension)), before);
        QCOMPARE(Session::Content(S().File("bob", kAccountExtension)), bobBefore);
        QVERIFY(Exists("anna", kSettingsExtension));
        QVERIFY(Exists("anna", kHintExtension));
        QCOMPARE(S().Main().windowTitle(), QStringLiteral("Velmora 3.1 - anna"));
    }

    // A rename whose save fails keeps the account on its old files, in memory as on disk.
    void failedRenameKeepsTheOldNameAndPassword()
    {
        Session::FailSaves();
        S().Platform().answers = {Answer::Yes}; // keep the short new password
        QVERIFY(Apply([this] { SetFields(QStringLiteral("bank"), QStringLiteral("new"), QStringLiteral("new")); }));
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().kind, MessageKind::Error);
        QCOMPARE(S().Account().Name, std::string("anna"));
        QCOMPARE(S().Account().Password, std::string("pw"));
        QCOMPARE(S().Main().windowTitle(), QStringLiteral("Velmora 3.1 - anna"));
        QCOMPARE(Open(S().File("anna", kAccountExtension), "pw"), ReadResult::Ok);
        QVERIFY(Exists("anna", kHintExtension));
        QVERIFY(!Exists("bank", kAccountExtension));
        QVERIFY(!Exists("bank", kHintExtension));
    }

    // The settings file is part of the new name's save: when it cannot be written, nothing of
    // the new name stays and the old files are the account.
    void renameWhoseSettingsFileFailsKeepsTheOldFiles()
    {
        std::filesystem::create_directories(S().File("bank", kSettingsExtension)); // no file fits there
        S().Platform().answers = {Answer::Yes};                                    // keep the short new password
        QVERIFY(Apply([this] { SetFields(QStringLiteral("bank"), QStringLiteral("new"), QStringLiteral("new")); }));
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().kind, MessageKind::Error);
        QCOMPARE(S().Account().Name, std::string("anna"));
        QCOMPARE(Open(S().File("anna", kAccountExtension), "pw"), ReadResult::Ok);
        QVERIFY(Exists("anna", kSettingsExtension));
        QVERIFY(!Exists("bank", kAccountExtension));
    }

    // The settings file cannot be replaced and the account file cannot be put back: the message
    // says what is on disk, not that nothing was written.
    void aSaveThatLeavesTheOldSettingsFileSaysSo()
    {
        const std::string oldSettings = Session::Content(S().File("anna", kSettingsExtension));
        int renames = 0;
        SetWriteFaultHook([&renames](WriteStep step) { return step == WriteStep::Rename && ++renames >= 2; });
        S().Platform().answers = {Answer::Yes}; // keep the short new password
        QVERIFY(Apply([this] { SetFields(QStringLiteral("anna"), QStringLiteral("new"), QStringLiteral("new")); }));
        SetWriteFaultHook({});
        QCOMPARE(S().Platform().questions.size(), 1);
        S().Platform().questions.clear();
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().kind, MessageKind::Error);
        QString expected = Text("const_settings_not_written");
        for (const QString& argument : {QString::fromStdString(PathText(S().File("anna", kAccountExtension))),
                                        QString::fromStdString(PathText(S().File("anna", kSettingsExtension))),
                                        QString::fromUtf8(std::strerror(EIO))}) {
            expected.replace(expected.indexOf(QLatin1String("%s")), 2, argument);
        }
        QCOMPARE(S().Platform().messages.front().text, QLatin1Char('\r') + expected);
        QCOMPARE(Open(S().File("anna", kAccountExtension), "new"), ReadResult::Ok);
        QCOMPARE(Session::Content(S().File("anna", kSettingsExtension)), oldSettings);

        // The new account file is this program's own: the next save writes both files together
        // again without asking whether to overwrite another program's save.
        const std::string password = S().Main().Session().Account().Password;
        S().Trigger("mSaveAcc");
        QVERIFY(S().Platform().questions.isEmpty());
        QVERIFY(!S().Main().Session().Account().Modified);
        QCOMPARE(Open(S().File("anna", kAccountExtension), password), ReadResult::Ok);
    }

    void cancelChangesNothing()
    {
        const std::string before = Session::Content(S().File("anna", kAccountExtension));
        S().Platform().modalScripts.push_back([this](QDialog& dialog) {
            SetFields(QStringLiteral("other"), QStringLiteral("x"), QStringLiteral("x"));
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        S().Trigger("mChangePass");
        QVERIFY(!Dialog().isVisible());
        QCOMPARE(S().Account().Name, std::string("anna"));
        QCOMPARE(Session::Content(S().File("anna", kAccountExtension)), before);
        QVERIFY(S().Platform().messages.empty());
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::UserTest)
#include "UserTest.moc"
