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
        QVERIFY(report.text.contains(Main().Session().FormatMessage("const_foreign_done", {"2", "2"})));
        QVERIFY(report.text.contains(Main().Session().FormatMessage("const_foreign_left_out", {"1", "0", "0", "0"})));
    }

    void whatCannotBeImportedChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("messageKey");
        QTest::newRow("no XML") << QByteArray("not xml at all") << "bad.xml" << QByteArray("const_foreign_bad");
        QTest::newRow("CSV without its columns")
            << QByteArray("a,b\n1,2\n") << "bad.csv" << QByteArray("const_foreign_bad");
        QTest::newRow("a character outside the code page")
            << QByteArray("Group,Title,Password\nRoot/Mail,\xe6\xbc\xa2,x\n") << "export.csv"
            << QByteArray("const_foreign_unmappable");
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
