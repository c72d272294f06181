#include "gui/main/GuiFixture.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/ListRowModel.h"
#include "gui/widgets/PasswordHint.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <sys/stat.h>

namespace velmora::testing {

class AccountSetTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> m_program;

    TfrmMain& Main() { return *m_program->main; }
    TfrmAccountSet& Dialog() { return *m_program->accountSet; }
    QComboBox* User() { return Dialog().findChild<QComboBox*>(QStringLiteral("edUser")); }
    QLineEdit* Pass() { return Dialog().findChild<QLineEdit*>(QStringLiteral("edPass")); }
    void Click(const char* button) { Dialog().findChild<QPushButton*>(QLatin1String(button))->click(); }
    void Type(const QString& name, const QString& password)
    {
        User()->setEditText(name);
        Pass()->setText(password);
    }
    const std::vector<ScriptedPlatform::Shown>& Messages() { return m_program->platform.messages; }
    QString Text(std::string_view key) { return Main().Session().Message(key); }
    // The dialog shown by the start-up sequence, answering with `script`.
    void Start(std::function<void()> script)
    {
        m_program->Start([script = std::move(script)](QDialog&) { script(); });
    }
    // Line 12 of an account written by WriteAccount: the check line of its second folder.
    static constexpr std::size_t kSecondFolderCheckLine = 2 + 4 + 6;

    // Replaces one line of an account file by the enciphered `value`.
    void ReplaceLine(const std::string& name, std::size_t index, const std::string& value)
    {
        TAccount writer;
        writer.Password = "pw";
        std::vector<std::string> lines;
        {
            std::ifstream in(m_program->File(name, kAccountExtension), std::ios::binary);
            for (std::string line; std::getline(in, line);) {
                lines.push_back(line + "\n");
            }
        }
        lines.at(index) = writer.EncipherText(value) + "\r\n";
        std::ofstream out(m_program->File(name, kAccountExtension), std::ios::binary);
        for (const std::string& line : lines) {
            out << line;
        }
    }

    std::vector<std::string> FolderNames()
    {
        std::vector<std::string> names;
        for (const ListRow& row : Main().Lists().FolderRows().Rows()) {
            names.push_back(row.Caption);
        }
        return names;
    }

private slots:
    void init() { m_program = std::make_unique<Program>(); }
    void cleanup() { m_program.reset(); }

    // A new user creates an account, quits, starts again and opens it with its password.
    void createThenOpenAgain()
    {
        m_program->platform.answers = {Answer::Yes, Answer::Yes}; // create, and keep the short password
        Start([this] {
            QCOMPARE(User()->count(), 0);
            Type(QStringLiteral("anna"), QStringLiteral(" pw "));
            Click("butOk");
        });
        QCOMPARE(m_program->platform.questions.size(), 2);
        QCOMPARE(m_program->platform.questions.front(),
                 Main().Session().FormatMessage("const_new_user", {"anna", "\r"}));
        QVERIFY(Dialog().AccountOpened());
        QVERIFY(!Dialog().isVisible());
        QVERIFY(Main().isVisible());
        QCOMPARE(m_program->endRequests, 0);
        QVERIFY(std::filesystem::exists(m_program->File("anna", kAccountExtension)));
        QVERIFY(std::filesystem::exists(m_program->File("anna", kSettingsExtension)));
        QCOMPARE(FolderNames(), std::vector<std::string>{"Default folder"});
        QCOMPARE(Main().Lists().SelectedRow(Main().Lists().FolderList()), 0);
        QCOMPARE(Main().PanelText(1), Text("const_records") + QStringLiteral("0"));
        QCOMPARE(Main().windowTitle(), QStringLiteral("Velmora 3.1 - anna"));
        QVERIFY(!Main().Session().Account().Modified);
        QVERIFY(Messages().empty());

        m_program->main->close();
        auto restart = std::make_unique<Program>();
        std::filesystem::copy(m_program->dir / "Users", restart->dir / "Users");
        m_program = std::move(restart);
        Start([this] {
            QCOMPARE(User()->count(), 1);
            QCOMPARE(User()->currentText(), QString());           // no name preselected
            Type(QStringLiteral("anna"), QStringLiteral(" pw ")); // the blanks are part of it
            Click("butOk");
        });
        QVERIFY(Dialog().AccountOpened());
        QCOMPARE(Main().Session().Account().Password, std::string(" pw "));
        QCOMPARE(FolderNames(), std::vector<std::string>{"Default folder"});
        QCOMPARE(Main().Lists().FocusedRow(Main().Lists().FolderList()), 0);
        QVERIFY(m_program->platform.questions.isEmpty());
    }

    // Opening an account lists its folders once and the records of the first folder once, so a
    // large folder is not listed twice.
    void openingFillsEachListOnce()
    {
        m_program->WriteAccount("anna", "pw", 2);
        QSignalSpy fills(&Main().Lists(), &AccountLists::filled);
        Start([this] {
            Type(QStringLiteral("anna"), QStringLiteral("pw"));
            Click("butOk");
        });
        QVERIFY(Dialog().AccountOpened());
        QCOMPARE(fills.count(), 2);
        QCOMPARE(Main().Lists().RecordRows().Rows().size(), Main().Session().Account().Folder(0).Count());
    }

    void openFailuresKeepTheDialog_data()
    {
        QTest::addColumn<QByteArray>("content"); // written to anna.vmk; empty: a good file
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("wrong password") << QByteArray() << "wrong" << QByteArray("const_wrong_pass");
        QTest::newRow("damaged folder block") << QByteArray("damaged") << "pw" << QByteArray("const_err");
        QTest::newRow("count that is no number") << QByteArray("count") << "pw" << QByteArray("const_failed");
    }
    void openFailuresKeepTheDialog()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, password);
        QFETCH(QByteArray, key);
        m_program->WriteAccount("anna", "pw", 2);
        if (!content.isEmpty()) {
            ReplaceLine("anna", content == "count" ? 1 : kSecondFolderCheckLine, "not a number");
        }
        Start([&] {
            Type(QStringLiteral("anna"), password);
            Click("butOk");
            QVERIFY(Dialog().isVisible());
            QCOMPARE(User()->currentText(), QStringLiteral("anna"));
            QCOMPARE(Pass()->text(), password);
            // Nothing read before the fault stays, so nothing can be saved over the file.
            QVERIFY(!Main().Session().HasAccount());
            QCOMPARE(Main().Session().Account().FolderCount(), 0u);
            QVERIFY(!Main().Session().Account().Modified);
            QCOMPARE(Main().Lists().FolderRows().rowCount(), 0);
        });
        QCOMPARE(Messages().size(), 1u);
        QCOMPARE(Messages()[0].kind, MessageKind::Error);
        QCOMPARE(Messages()[0].text, QLatin1Char('\r') + Text(key.toStdString()));
        QVERIFY(!Main().isVisible());
        QCOMPARE(m_program->endRequests, 1); // the dialog was left afterwards
    }

    // A directory or FIFO named like an account file is no account: not listed, and neither
    // offered for creation nor said to exist at login and create.
    void anAccountFileThatIsNoFileIsSaidToBeSo_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QByteArray>("button");
        QTest::newRow("directory, log in") << false << QByteArray("butOk");
        QTest::newRow("directory, create") << false << QByteArray("butNew");
        QTest::newRow("FIFO, log in") << true << QByteArray("butOk");
        QTest::newRow("FIFO, create") << true << QByteArray("butNew");
    }
    void anAccountFileThatIsNoFileIsSaidToBeSo()
    {
        QFETCH(bool, fifo);
        QFETCH(QByteArray, button);
        const std::filesystem::path file = m_program->File("anna", kAccountExtension);
        std::filesystem::create_directories(file.parent_path());
        if (fifo) {
            QCOMPARE(mkfifo(file.c_str(), 0600), 0);
        } else {
            std::filesystem::create_directory(file);
        }
        Start([&] {
            QCOMPARE(User()->count(), 0);
            Type(QStringLiteral("anna"), QStringLiteral("pw"));
            Click(button.constData());
            QVERIFY(Dialog().isVisible());
        });
        QVERIFY(m_program->platform.questions.isEmpty());
        QCOMPARE(Messages().size(), 1u);
        QCOMPARE(Messages()[0].kind, MessageKind::Error);
        QCOMPARE(Messages()[0].text,
                 QLatin1Char('\r') +
                     Text("const_not_a_file").replace(QLatin1String("%s"), QString::fromStdString(PathText(file))));
        QCOMPARE(std::filesystem::is_fifo(file), fifo);
        QCOMPARE(std::filesystem::is_directory(file), !fifo);
    }

    void accountListOrder()
    {
        for (const char* file : {"anna.vmk", "bob.vmk", "Zed.vmk"}) {
            m_program->WriteAccount("tmp", "pw", 0);
            std::filesystem::rename(m_program->File("tmp", kAccountExtension), m_program->dir / "Users" / file);
        }
        Start([this] {
            QStringList items;
            for (int i = 0; i < User()->count(); ++i) {
                items << User()->itemText(i);
            }
            QCOMPARE(items, QStringList({"bob", "anna", "Zed"}));
            QCOMPARE(User()->currentIndex(), -1);
        });
    }

    void credentialAndNameChecks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message"); // keys joined by "+"; "" when the account is created
        QTest::newRow("no name") << "   "
                                 << "pw" << int(MessageKind::Information) << "const_forgot_name";
        QTest::newRow("blank password") << "anna"
                                        << "   " << int(MessageKind::Information) << "const_forgot_pass";
        QTest::newRow("colon") << "a:b"
                               << "pw" << int(MessageKind::Warning) << "const_chars+list";
        QTest::newRow("slash") << "a/b"
                               << "pw" << int(MessageKind::Warning) << "const_chars+list";
        QTest::newRow("bar") << "a|b"
                             << "pw" << int(MessageKind::Warning) << "const_chars+list";
        QTest::newRow("too long for the file system")
            << QString(130, QChar(0x0416)) << "pw" << int(MessageKind::Error) << "const_long_name";
        QTest::newRow("too long") << QString(256, QLatin1Char('a')) << "pw" << int(MessageKind::Error)
                                  << "const_long_name";
        QTest::newRow("exists") << "old"
                                << "pw" << int(MessageKind::Information) << "const_is_user+cr+const_new_name";
        QTest::newRow("blank inside") << "my bank"
                                      << "pw" << 0 << "";
        QTest::newRow("asterisk") << "a*b"
                                  << "pw" << 0 << "";
        QTest::newRow("leading blank") << " start"
                                       << "pw" << 0 << "";
        QTest::newRow("device name inside a longer name") << "console.nul"
                                                          << "pw" << 0 << "";
        // Names that Windows or a disk that ignores letter case cannot hold.
        QTest::newRow("another account in other case")
            << "OLD"
            << "pw" << int(MessageKind::Information) << "const_is_user+cr+const_new_name";
        QTest::newRow("Cyrillic in other case")
            << QStringLiteral("ЖЕНЯ") << "pw" << int(MessageKind::Information) << "const_is_user+cr+const_new_name";
        // The file name goes on with ".vmk", so every system takes a trailing blank or dot.
        QTest::newRow("trailing blank") << "end "
                                        << "pw" << 0 << "";
        QTest::newRow("trailing dot") << "end."
                                      << "pw" << 0 << "";
        QTest::newRow("line feed") << "a\nb"
                                   << "pw" << int(MessageKind::Warning) << "const_name_control";
        QTest::newRow("tab") << "a\tb"
                             << "pw" << int(MessageKind::Warning) << "const_name_control";
        QTest::newRow("control character")
            << QStringLiteral("a\x01") << "pw" << int(MessageKind::Warning) << "const_name_control";
        QTest::newRow("device") << "CON"
                                << "pw" << int(MessageKind::Warning) << "const_name_device";
        QTest::newRow("device in small letters with an extension")
            << "aux.txt"
            << "pw" << int(MessageKind::Warning) << "const_name_device";
        QTest::newRow("numbered device") << "Com7"
                                         << "pw" << int(MessageKind::Warning) << "const_name_device";
    }
    void credentialAndNameChecks()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, kind);
        QFETCH(QString, message);
        m_program->WriteAccount("old", "pw", 1);
        m_program->WriteAccount("\xE6\xE5\xED\xFF", "pw", 1); // "женя"
        m_program->platform.answers = {Answer::Yes};          // a name that passes: keep the short password
        Start([&] {
            Type(name, password);
            Click("butNew");
        });
        if (message.isEmpty()) {
            QVERIFY(Messages().empty());
            QVERIFY(Dialog().AccountOpened());
            QVERIFY(std::filesystem::exists(m_program->File(ToCodePage(name).bytes, kAccountExtension)));
            return;
        }
        QString expected;
        for (const QString& part : message.split(QLatin1Char('+'))) {
            expected += part == QLatin1String("list") ? QStringLiteral("\\ / : ? \" < > |")
                        : part == QLatin1String("cr") ? QStringLiteral("\r")
                                                      : Text(part.toStdString());
        }
        if (!expected.contains(QLatin1Char('\r'))) {
            expected.prepend(QLatin1Char('\r'));
        }
        QCOMPARE(Messages().size(), 1u);
        QCOMPARE(int(Messages()[0].kind), kind);
        QCOMPARE(Messages()[0].text, expected);
        QVERIFY(!Dialog().AccountOpened());
        QCOMPARE(std::distance(std::filesystem::directory_iterator(m_program->dir / "Users"), {}), 2);
    }

    void createStartsFromAnEmptyAccount()
    {
        // A damaged second folder: the first one was read before the open failed.
        m_program->WriteAccount("anna", "pw", 2);
        ReplaceLine("anna", kSecondFolderCheckLine, "not a folder");
        m_program->platform.answers = {Answer::Yes};
        Start([this] {
            Type(QStringLiteral("anna"), QStringLiteral("pw"));
            Click("butOk");
            QVERIFY(!Main().Session().HasAccount());
            Type(QStringLiteral("new"), QStringLiteral("pw"));
            Click("butNew");
        });
        QVERIFY(Dialog().AccountOpened());
        QCOMPARE(FolderNames(), std::vector<std::string>{"Default folder"});
        TAccount saved;
        saved.Password = "pw";
        QCOMPARE(saved.LoadFromFile(m_program->File("new", kAccountExtension)), ReadResult::Ok);
        QCOMPARE(saved.FolderCount(), 1u);
    }

    void createWhoseSaveFailsCreatesNothing()
    {
        std::ofstream(m_program->dir / "Users") << "a file where the directory belongs";
        m_program->platform.answers = {Answer::Yes};
        Start([this] {
            Type(QStringLiteral("anna"), QStringLiteral("pw"));
            Click("butNew");
            QVERIFY(Dialog().isVisible());
        });
        QCOMPARE(Messages().size(), 1u);
        QCOMPARE(Messages()[0].kind, MessageKind::Error);
        QVERIFY(!Dialog().AccountOpened());
        QVERIFY(!Main().isVisible());
        QCOMPARE(Main().Session().Account().FolderCount(), 0u);
        QCOMPARE(Main().Lists().FolderRows().rowCount(), 0);
        QVERIFY(!Main().Session().Account().Modified);
    }

    // A password guessed in fewer than 10^12 guesses is confirmed before the account is made with
    // it, with the time an attacker with the file needs; a strong one is not asked about.
    void aWeakNewPasswordIsConfirmedBeforeUse_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("answer");
        QTest::newRow("weak, No") << "anna2024" << true << int(Answer::No);
        QTest::newRow("weak, Yes") << "anna2024" << true << int(Answer::Yes);
        QTest::newRow("fair, Yes") << "Xk9q2!a" << true << int(Answer::Yes);
        QTest::newRow("strong") << "x7#Kq9!vR2$mW4pZ" << false << int(Answer::No);
    }
    void aWeakNewPasswordIsConfirmedBeforeUse()
    {
        QFETCH(QString, password);
        QFETCH(bool, asked);
        QFETCH(int, answer);
        m_program->platform.answers = {Answer(answer)};
        QString shownTime;
        Start([&] {
            Type(QStringLiteral("anna"), password);
            shownTime = Dialog().findChild<QLabel*>(QStringLiteral("strengthTime"))->text();
            Click("butNew");
        });
        QCOMPARE(m_program->platform.questions.size(), asked ? 1 : 0);
        const bool created = !asked || Answer(answer) == Answer::Yes;
        QCOMPARE(Dialog().AccountOpened(), created);
        QCOMPARE(std::filesystem::exists(m_program->File("anna", kAccountExtension)), created);
        if (asked) {
            // The question names the time the bar shows.
            const QString time = shownTime.section(QStringLiteral(": "), 1);
            QVERIFY2(!time.isEmpty() && m_program->platform.questions.front().contains(time),
                     qPrintable(m_program->platform.questions.front() + " / " + shownTime));
            QVERIFY(m_program->platform.warnings.contains(m_program->platform.questions.front()));
        }
    }

    void leavingTheDialogEndsTheProgram_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Exit") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("Alt+F4") << 2;
    }
    void leavingTheDialogEndsTheProgram()
    {
        QFETCH(int, way);
        Start([&] {
            Type(QStringLiteral("anna"), QStringLiteral("pw"));
            if (way == 0) {
                Click("butExit");
            } else if (way == 1) {
                QTest::keyClick(Pass(), Qt::Key_Escape);
            } else {
                Dialog().close();
            }
            QVERIFY(!Dialog().isVisible());
        });
        QCOMPARE(m_program->endRequests, 1);
        QVERIFY(!Dialog().AccountOpened());
        QVERIFY(!std::filesystem::exists(m_program->dir / "Users"));
        QVERIFY(m_program->platform.questions.isEmpty());
    }

    void enterOpensOnce()
    {
        m_program->WriteAccount("anna", "pw", 1);
        Start([this] {
            Type(QStringLiteral("anna"), QStringLiteral("wrong"));
            QTest::keyClick(Pass(), Qt::Key_Return);
        });
        QCOMPARE(Messages().size(), 1u);
        QCOMPARE(Messages()[0].text, QLatin1Char('\r') + Text("const_wrong_pass"));
    }

    void hintShowsTheFirstLineForItsTime()
    {
        std::filesystem::create_directories(m_program->dir / "Users");
        std::ofstream(m_program->File("anna", kHintExtension)) << "cat's name\r\n";
        std::ofstream(m_program->File("bob", kHintExtension)) << "x\r\n";
        Start([this] {
            auto* hint = Dialog().findChild<QToolButton*>(QStringLiteral("butHint"));
            for (const char* silent : {"", "nobody", "bob"}) { // empty name, no hint file, a 1-character hint
                User()->setEditText(QLatin1String(silent));
                hint->click();
                QVERIFY(Pass()->findChildren<QLabel*>().isEmpty());
            }
            User()->setEditText(QStringLiteral("anna"));
            hint->click();
            const auto shown = Pass()->findChildren<QLabel*>();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0]->text(), QStringLiteral("cat's name"));
            QVERIFY(shown[0]->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(Pass()->findChildren<QLabel*>().isEmpty(), 3000);
        });
        QVERIFY(Messages().empty());
        QCOMPARE(PasswordHintMilliseconds(32), 2470);
        QCOMPARE(PasswordHintMilliseconds(1), 0);
        QCOMPARE(PasswordHintMilliseconds(0), 0);
    }

    void helpOpensTheHelpPage()
    {
        Start([this] { Click("butHelp"); });
        QCOMPARE(m_program->platform.opened.size(), 1);
        QVERIFY(m_program->platform.opened[0].endsWith(QStringLiteral("/Help/Help.eng.htm")));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::AccountSetTest)
#include "AccountSetTest.moc"
