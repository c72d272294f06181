#include "gui/account/ForeignImportCommand.h"
#include "gui/commands/CommandTable.h"
#include "gui/main/GuiFixture.h"
#include "gui/widgets/ListRowModel.h"

#include <QAction>
#include <QDir>
#include <QTest>
#include <fstream>

namespace velmora::testing {

// Account ▸ Import ▸ From another password manager, on the open account.
class ForeignImportTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> m_program;
    std::unique_ptr<ForeignImportCommand> m_command;

    TfrmMain& Main() { return *m_program->main; }

    QString WriteFile(const char* name, const std::string& content)
    {
        const std::filesystem::path file = m_program->dir / name;
        std::ofstream(file, std::ios::binary) << content;
        return QString::fromStdU16String(file.u16string());
    }

    void Import(const QString& file)
    {
        m_program->platform.files.push_back(file);
        Main().Commands().Action("mImportForeign")->trigger();
    }

private slots:
    void init()
    {
        m_program = std::make_unique<Program>();
        m_program->LoadLanguage();
        Main().Session().Account().Name = "Anna";
        Main().Session().Account().Password = "pw";
        Main().Session().Account().AddFolder("Mine", 0);
        Main().Session().Account().Modified = false;
        m_command = std::make_unique<ForeignImportCommand>(Main().Session(), Main().Lists(), Main().Commands());
    }
    void cleanup()
    {
        m_command.reset();
        m_program.reset();
    }

    void groupsJoinTheOpenAccountAsFolders()
    {
        Import(WriteFile("export.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<KeePassFile><Root><Group><Name>Passwords</Name>
  <Entry><String><Key>Title</Key><Value>Bank</Value></String>
         <String><Key>Password</Key><Value>s3cret</Value></String>
         <History><Entry><String><Key>Title</Key><Value>Old</Value></String></Entry></History></Entry>
  <Group><Name>Mail</Name>
    <Entry><String><Key>Title</Key><Value>Home</Value></String>
           <String><Key>UserName</Key><Value>anna</Value></String></Entry></Group>
</Group></Root></KeePassFile>)"));
        const TAccount& account = Main().Session().Account();
        QCOMPARE(account.FolderCount(), std::size_t{3});
        QCOMPARE(account.Folder(0).Name, std::string("Mine"));
        QCOMPARE(account.Folder(1).Name, std::string("Passwords"));
        QCOMPARE(std::string(account.Folder(1).RecordAt(0).Password()), std::string("s3cret"));
        QCOMPARE(std::string(account.Folder(2).RecordAt(0).Login()), std::string("anna"));
        QVERIFY(account.Modified);
        QCOMPARE(Main().Lists().FolderRows().rowCount(), 3);
        const ScriptedPlatform::Shown& report = m_program->platform.messages.back();
        QCOMPARE(report.kind, MessageKind::Information);
        QCOMPARE(report.text, QStringLiteral("Imported 2 folders with 2 records.\rLeft out: 1 history entry."));
    }

    // Counts of none are left out; each count takes its language's plural form.
    void theReportCountsWhatIsLeftOutInTheLanguagesPluralForms_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("report");
        QTest::newRow("English") << "Default.lng"
                                 << "Imported 1 folder with 2 records.\r"
                                    "1 record had no name and is named after its web address, login or "
                                    "\"Untitled\".\r"
                                    "Left out: 5 attachments, 2 tags, 1 expiry date.";
        QTest::newRow("Russian") << "Languages/Russian.lng"
                                 << "Импортировано: 1 папка, 2 записи.\r"
                                    "1 запись была без названия и названа по адресу сайта, логину или "
                                    "\"Без названия\".\r"
                                    "Пропущено: 5 вложений, 2 метки, 1 срок действия.";
    }
    void theReportCountsWhatIsLeftOutInTheLanguagesPluralForms()
    {
        QFETCH(QString, language);
        QFETCH(QString, report);
        std::filesystem::copy_file(std::filesystem::path(VELMORA_RUNTIME_DIR) / language.toStdString(),
                                   m_program->dir / "Default.lng", std::filesystem::copy_options::overwrite_existing);
        m_program->LoadLanguage();
        Import(WriteFile("export.xml", R"(<KeePassFile><Root><Group><Name>Web</Name>
  <Entry><Tags>mail, work</Tags><Times><Expires>True</Expires></Times>
         <String><Key>URL</Key><Value>https://mail.example/inbox</Value></String>
         <Binary/><Binary/><Binary/></Entry>
  <Entry><Times><Expires>False</Expires></Times>
         <String><Key>Title</Key><Value>Bank</Value></String><Binary/><Binary/></Entry>
</Group></Root></KeePassFile>)"));
        QCOMPARE(m_program->platform.messages.back().text, report);
        QCOMPARE(std::string(Main().Session().Account().Folder(1).RecordAt(0).Name()), std::string("mail.example"));
    }

    // As the tool's --replace-unmappable, after a question that lists where the characters are.
    void charactersOutsideTheCodePageAreReplacedOnlyAfterYes_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void charactersOutsideTheCodePageAreReplacedOnlyAfterYes()
    {
        QFETCH(bool, yes);
        m_program->platform.answers.push_back(yes ? Answer::Yes : Answer::No);
        Import(WriteFile("export.csv", "Group,Title,Password\nRoot/Mail,Box \xe6\xbc\xa2,\xe2\x9c\x93\n"));
        QCOMPARE(m_program->platform.questions.size(), 1);
        const QString places = QStringLiteral("Mail / Box 漢 / Title: U+6F22\rMail / Box 漢 / Password");
        QVERIFY(m_program->platform.questions[0].contains(places));
        QVERIFY(!m_program->platform.questions[0].contains(QStringLiteral("U+2713"))); // a password's character
        const TAccount& account = Main().Session().Account();
        if (!yes) {
            QCOMPARE(account.FolderCount(), std::size_t{1});
            QVERIFY(!account.Modified);
            QVERIFY(m_program->platform.messages.empty());
            return;
        }
        QCOMPARE(account.FolderCount(), std::size_t{2});
        QCOMPARE(std::string(account.Folder(1).RecordAt(0).Name()), std::string("Box ?"));
        QCOMPARE(std::string(account.Folder(1).RecordAt(0).Password()), std::string("?"));
        QVERIFY(account.Modified);
        QCOMPARE(m_program->platform.messages.back().text,
                 QStringLiteral("Imported 1 folder with 1 record.\r"
                                "Written as \"?\", as the code page cannot hold them:\r") +
                     places);
    }

    void whatCannotBeImportedChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("messageKey");
        QTest::newRow("no XML") << QByteArray("not xml at all") << "bad.xml" << QByteArray("const_foreign_bad");
        QTest::newRow("CSV without its columns")
            << QByteArray("a,b\n1,2\n") << "bad.csv" << QByteArray("const_foreign_bad");
        QTest::newRow("CSV without passwords")
            << QByteArray("folder,name,login_uri,login_username,notes\nWeb,Mail,https://mail.example/,ann,\n")
            << "export.csv" << QByteArray("const_foreign_bad");
        QTest::newRow("a document type") << QByteArray("<!DOCTYPE KeePassFile><KeePassFile><Root/></KeePassFile>")
                                         << "export.xml" << QByteArray("const_foreign_bad");
    }
    void whatCannotBeImportedChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, messageKey);
        Import(WriteFile(fileName.toUtf8().constData(), content.toStdString()));
        QCOMPARE(Main().Session().Account().FolderCount(), std::size_t{1});
        QVERIFY(!Main().Session().Account().Modified);
        QVERIFY(m_program->platform.messages.back().text.contains(Main().Session().Message(messageKey.constData())));
    }

    // The file dialog starts in the home folder, then where the last import came from.
    void theDialogStartsWhereTheLastFileCameFrom()
    {
        Import(WriteFile("export.csv", "Title,Password\r\nBank,pw\r\n"));
        Import(QString());
        const QString dir = QString::fromStdU16String(m_program->dir.Path().u16string());
        QCOMPARE(m_program->platform.dialogFolders, (QStringList{QDir::homePath(), dir}));
    }

    void cancelledDialogDoesNothing()
    {
        Import(QString());
        QCOMPARE(Main().Session().Account().FolderCount(), std::size_t{1});
        QVERIFY(m_program->platform.messages.empty());
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::ForeignImportTest)
#include "ForeignImportTest.moc"
