#include "gui/account/BackupCommands.h"
#include "gui/account/SessionControl.h"
#include "gui/browser/EditingFixture.h"
#include "gui/browser/TfrmFind.h"
#include "platform/ScriptedTray.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace velmora::testing {

// The search window's choices; `fields` names the fields to search: Name, Url, Login, Id, Password.
struct Choice
{
    QString text;
    bool allFolders = true;
    bool strict = false;
    bool caseSensitive = false;
    QString fields = QStringLiteral("NULIP");
};

} // namespace velmora::testing

Q_DECLARE_METATYPE(velmora::testing::Choice)

namespace velmora::testing {

// The quick-jump boxes under the main window's lists, and the search window.
class FindTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Editing> m_e;
    std::unique_ptr<TfrmFind> m_find;

    static constexpr int kPets = 4;
    static constexpr int kMany = 5; // "Item 01" to "Item 30"

    QLineEdit* Box(const char* name) const { return m_e->main.findChild<QLineEdit*>(QLatin1String(name)); }

    // Types `text` into the box as the user would, key by key.
    void Type(const char* box, const QString& text)
    {
        QLineEdit* edit = Box(box);
        edit->setFocus();
        // Key by key with the typed text; keyClicks only knows Latin-1.
        for (const QChar character : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(edit, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(edit, &release);
        }
    }

    void Erase(const char* box)
    {
        QLineEdit* edit = Box(box);
        edit->setFocus();
        while (!edit->text().isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        }
    }

    template <typename T> T* Control(const char* name) const { return Editing::Child<T>(*m_find, name); }
    QTableView* ResultList() const { return Control<QTableView>("list"); }
    QString Status() const { return Control<QLabel>("labStatus")->text(); }
    int Page() const { return Control<QTabWidget>("pc")->currentIndex(); }
    void Click(const char* button) const { Control<QAbstractButton>(button)->click(); }

    void Choose(const Choice& choice) const
    {
        Control<QLineEdit>("edFindText")->setText(choice.text);
        Control<QGroupBox>("rgFolders")->findChildren<QRadioButton*>().at(choice.allFolders ? 1 : 0)->setChecked(true);
        Control<QCheckBox>("cbStrict")->setChecked(choice.strict);
        Control<QCheckBox>("cbShift")->setChecked(choice.caseSensitive);
        const std::pair<const char*, QChar> fields[] = {{"cbCaption", QLatin1Char('N')},
                                                        {"cbURL", QLatin1Char('U')},
                                                        {"cbLogin", QLatin1Char('L')},
                                                        {"cbID", QLatin1Char('I')},
                                                        {"cbPass", QLatin1Char('P')}};
        for (const auto& [box, letter] : fields) {
            Control<QCheckBox>(box)->setChecked(choice.fields.contains(letter));
        }
    }
    void Search(const Choice& choice) const
    {
        Choose(choice);
        Click("butStart");
    }
    // The result rows as "folder/record".
    QStringList Found() const
    {
        const QAbstractItemModel& rows = *ResultList()->model();
        QStringList found;
        for (int row = 0; row < rows.rowCount(); ++row) {
            found << rows.index(row, 0).data().toString() + QLatin1Char('/') + rows.index(row, 1).data().toString();
        }
        return found;
    }
    void SelectResult(int row) const { ResultList()->selectRow(row); }
    QString FoundText(std::size_t count) const
    {
        return m_e->main.Session().FormatMessage("const_rec_found", {std::to_string(count)});
    }

private slots:
    void init()
    {
        m_e = std::make_unique<Editing>();
        TAccount& account = m_e->main.Session().Account();
        account.AddFolder("\xD0\xF3\xF1", 4);                                    // "Рус"
        account.Folder(3).AddRecord("\xC4\xEE\xEC", "", "", "", "", "");         // "Дом"
        account.Folder(3).AddRecord("\xCF\xCE\xD7\xD2\xC0", "", "", "", "", ""); // "ПОЧТА"
        account.Folder(3).AddRecord("\xEF\xEE", "", "", "", "", "");             // "по"
        account.AddFolder("Pets", 5);
        account.Folder(kPets).AddRecord("Notes only", "", "", "", "", "zebra");
        account.Folder(kPets).AddRecord("Twice", "", "zebra1", "", "zebra2", "");
        account.AddFolder("Many", 6);
        for (int i = 1; i <= 30; ++i) {
            account.Folder(kMany).AddRecord((i < 10 ? "Item 0" : "Item ") + std::to_string(i), "", "", "", "", "");
        }
        account.Modified = false;
        m_e->main.Lists().FillFolderList(false);
        m_find = std::make_unique<TfrmFind>(m_e->main.Session(), m_e->main.Lists(), m_e->main.Commands(), m_e->main,
                                            m_e->record);
    }
    void cleanup()
    {
        m_find.reset();
        m_e.reset();
    }

    void recordJumpFoldsCyrillicCase_data()
    {
        QTest::addColumn<bool>("strict");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<int>("row");
        QTest::newRow("contains, any case") << false << false << 1;
        QTest::newRow("exact, any case") << true << false << 2;
        QTest::newRow("contains, case-sensitive") << false << true << 2;
    }
    void recordJumpFoldsCyrillicCase()
    {
        QFETCH(bool, strict);
        QFETCH(bool, caseSensitive);
        QFETCH(int, row);
        m_e->ChangeSettings([&](AccountSettings& s) {
            s.cbStrict = strict;
            s.cbRegistr = caseSensitive;
        });
        m_e->SelectFolder(3);
        Type("edRecFind", QStringLiteral("по"));
        QCOMPARE(m_e->SelectedRecord(), row);
        QCOMPARE(m_e->main.Lists().FocusedRow(m_e->main.Lists().RecordList()), row);
    }

    void folderJumpShowsTheFolderRecords()
    {
        Type("edFolderFind", QStringLiteral("BA"));
        QCOMPARE(m_e->SelectedFolder(), 2);
        QCOMPARE(m_e->Captions(m_e->main.Lists().RecordRows()), QStringList{QStringLiteral("Savings")});
    }

    void anEmptyBoxKeepsAndANonMatchClearsTheSelection()
    {
        m_e->SelectFolder(0);
        Type("edRecFind", QStringLiteral("wo"));
        QCOMPARE(m_e->SelectedRecord(), 1);
        Erase("edRecFind");
        QCOMPARE(m_e->SelectedRecord(), 1);
        Type("edRecFind", QStringLiteral("zz"));
        QCOMPARE(m_e->SelectedRecord(), -1);
        Erase("edFolderFind");
        Type("edFolderFind", QStringLiteral("nothing"));
        QCOMPARE(m_e->SelectedFolder(), -1);
    }

    void searchInputIsCheckedInOrder_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<bool>("allFolders");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("no text, no fields, no folder") << QString() << QString() << false << "const_no_text";
        QTest::newRow("no fields, no folder") << "a" << QString() << false << "const_no_fields";
        QTest::newRow("no current folder") << "a"
                                           << "NULIP" << false << "const_no_cur_folder";
        QTest::newRow("all folders need none") << "a"
                                               << "I" << true << QString();
        QTest::newRow("a blank is a text") << " "
                                           << "P" << true << QString();
    }
    void searchInputIsCheckedInOrder()
    {
        QFETCH(QString, text);
        QFETCH(QString, fields);
        QFETCH(bool, allFolders);
        QFETCH(QString, refusal);
        m_e->main.Lists().FolderList()->selectionModel()->clearSelection();
        m_find->mAdvSearchClick();
        Search({text, allFolders, false, false, fields});
        if (refusal.isEmpty()) {
            QVERIFY(m_e->platform.messages.empty());
            QCOMPARE(Page(), 1);
            QCOMPARE(Status(), FoundText(0));
        } else {
            QCOMPARE(m_e->platform.messages, (std::vector<ScriptedPlatform::Shown>{
                                                 {MessageKind::Information, m_e->Shown(refusal.toStdString())}}));
            QCOMPARE(Page(), 0);
            QCOMPARE(Status(), QString()); // no search ran
        }
    }

    void searchListsEachRecordOnceByItsChosenFields_data()
    {
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<QStringList>("found");
        const QString po = QStringLiteral("по");
        QTest::newRow("Cyrillic in any case") << Choice{po} << QStringList{"Рус/ПОЧТА", "Рус/по"};
        QTest::newRow("Cyrillic with case") << Choice{po, true, false, true} << QStringList{"Рус/по"};
        QTest::newRow("exact, any case") << Choice{"HOME", true, true} << QStringList{"Mail/Home"};
        QTest::newRow("exact needs the whole text") << Choice{"Hom", true, true} << QStringList{};
        QTest::newRow("contained") << Choice{"Hom"} << QStringList{"Mail/Home"};
        QTest::newRow("two fields hit, listed once; notes never") << Choice{"zebra"} << QStringList{"Pets/Twice"};
        QTest::newRow("only the chosen fields") << Choice{"12345", true, false, false, "NULI"} << QStringList{};
        QTest::newRow("password") << Choice{"12345", true, false, false, "P"} << QStringList{"Mail/Home"};
        QTest::newRow("ID number") << Choice{"17", true, false, false, "I"} << QStringList{"Mail/Home"};
        QTest::newRow("URL as stored, blanks and all")
            << Choice{"  https", true, false, false, "U"} << QStringList{"Mail/Home"};
        QTest::newRow("current folder only") << Choice{"a", false} << QStringList{"Mail/Home", "Mail/Work"};
        QTest::newRow("all folders") << Choice{"s", true, false, false, "N"}
                                     << QStringList{"Mail/Shop", "Bank/Savings", "Pets/Notes only"};
        QTest::newRow("no hits") << Choice{"nothing like it"} << QStringList{};
    }
    void searchListsEachRecordOnceByItsChosenFields()
    {
        QFETCH(Choice, choice);
        QFETCH(QStringList, found);
        m_e->SelectFolder(0);
        m_find->mAdvSearchClick();
        Search(choice);
        QCOMPARE(Found(), found);
        QCOMPARE(Status(), FoundText(static_cast<std::size_t>(found.size())));
        QCOMPARE(Page(), 1);
        QVERIFY(m_e->platform.messages.empty());
        QVERIFY(!m_e->main.Session().Account().Modified);
    }

    void jumpSelectsTheRecordAndStandsItSecondFromTheTop_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("topRow");
        QTest::newRow("position 1") << 1 << 0;
        QTest::newRow("position 2") << 2 << 0;
        QTest::newRow("position 10") << 10 << 8;
    }
    void jumpSelectsTheRecordAndStandsItSecondFromTheTop()
    {
        QFETCH(int, position);
        QFETCH(int, topRow);
        TfrmMain& main = m_e->main;
        QTableView* records = main.Lists().RecordList();
        // Start from the other end of the long folder, with another folder's record selected.
        m_e->SelectFolder(kMany);
        QCoreApplication::processEvents();
        QVERIFY(records->verticalScrollBar()->maximum() > 10);
        records->verticalScrollBar()->setValue(records->verticalScrollBar()->maximum());
        m_e->SelectFolder(0);
        m_e->SelectRecord(2);

        m_find->mAdvSearchClick();
        Search({QStringLiteral("Item %1").arg(position, 2, 10, QLatin1Char('0')), true, true});
        QCOMPARE(m_find->Results().size(), std::size_t(1));
        const SearchHit& hit = m_find->Results().front();
        QCOMPARE(hit.folderIndex, std::size_t(kMany));
        QCOMPARE(hit.position, std::size_t(position));
        QCOMPARE(hit.key, main.Session().Account().Folder(kMany).RecordAt(position - 1).Key);

        SelectResult(0);
        Click("butJump");
        QCoreApplication::processEvents();
        QCOMPARE(m_e->SelectedFolder(), kMany);
        QCOMPARE(main.Lists().FocusedRow(main.Lists().FolderList()), kMany);
        QCOMPARE(m_e->SelectedRecord(), position - 1);
        QCOMPARE(main.Lists().FocusedRow(records), position - 1);
        QCOMPARE(records->rowAt(0), topRow);
        QVERIFY(!m_find->isVisible());
    }

    void viewAndJumpWithoutAResultRowDoNothing()
    {
        m_e->SelectFolder(0);
        m_e->SelectRecord(1);
        m_find->mAdvSearchClick();
        Search({QStringLiteral("Home")});
        Click("butView");
        Click("butJump");
        QVERIFY(m_find->isVisible());
        QVERIFY(!m_e->record.isVisible());
        QCOMPARE(m_e->SelectedRecord(), 1);
        QVERIFY(m_e->platform.messages.empty());
    }

    void viewShowsTheRecordWithoutWaiting()
    {
        m_find->mAdvSearchClick();
        Search({QStringLiteral("anna"), true, false, false, "L"});
        QCOMPARE(Found(), QStringList{"Mail/Home"});
        QTableView* list = ResultList();
        QCoreApplication::processEvents();
        const QPoint row = list->visualRect(list->model()->index(0, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        QVERIFY(m_e->record.isVisible());
        QVERIFY(!m_e->record.isModal());
        QCOMPARE(m_e->platform.modalRuns, 0);
        QCOMPARE(m_e->record.DialogMode(), TfrmRecord::ViewRecord);
        QCOMPARE(m_e->record.FolderIndex(), 0);
        QCOMPARE(Editing::Child<QLineEdit>(m_e->record, "edName")->text(), QStringLiteral("Home"));
        QCOMPARE(Editing::Child<QLineEdit>(m_e->record, "edPass")->text(), QStringLiteral("12345"));
        QVERIFY(m_find->isVisible()); // the search stays open beside it
    }

    // One record window serves the search and the main window: each new task closes a view first
    // and shows its own record.
    void aViewFromTheSearchMakesWayForTheNextTask()
    {
        m_find->mAdvSearchClick();
        Search({QStringLiteral("o"), true, false, false, "N"});
        QCOMPARE(Found(), (QStringList{"Mail/Home", "Mail/Work", "Mail/Shop", "Pets/Notes only"}));
        SelectResult(0);
        Click("butView");
        SelectResult(3);
        Click("butView");
        QCOMPARE(Editing::Child<QLineEdit>(m_e->record, "edName")->text(), QStringLiteral("Notes only"));
        QCOMPARE(Editing::Child<QPlainTextEdit>(m_e->record, "edNotes")->toPlainText(), QStringLiteral("zebra"));

        m_e->SelectFolder(0);
        m_e->SelectRecord(1);
        bool viewClosed = false;
        m_e->platform.modalScripts.push_back([&](QDialog&) {
            viewClosed = m_e->platform.modalRuns == 1;
            QCOMPARE(m_e->record.DialogMode(), TfrmRecord::EditRecord);
            QCOMPARE(Editing::Child<QLineEdit>(m_e->record, "edName")->text(), QStringLiteral("Work"));
            Editing::Child<QPushButton>(m_e->record, "butCancel")->click();
        });
        m_e->Run("mRecEdit");
        QVERIFY(viewClosed);
        QVERIFY(!m_e->record.isVisible());
        QVERIFY(!m_e->main.Session().Account().Modified);
    }

    // The account changed after the search: a row whose record is no longer in its folder
    // neither opens nor jumps, and says why.
    void aResultWhoseRecordIsGoneIsReported_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("record deleted") << "delete record";
        QTest::newRow("folder deleted") << "delete folder";
        QTest::newRow("record moved to another folder") << "move record";
    }
    void aResultWhoseRecordIsGoneIsReported()
    {
        QFETCH(QString, change);
        TAccount& account = m_e->main.Session().Account();
        m_find->mAdvSearchClick();
        Search({QStringLiteral("Savings")});
        QCOMPARE(Found(), QStringList{"Bank/Savings"});
        const std::string key = m_find->Results().front().key;
        if (change == QLatin1String("delete record")) {
            account.Folder(2).DeleteRecord(key);
        } else if (change == QLatin1String("delete folder")) {
            account.DeleteFolder(2);
        } else {
            account.Folder(2).MoveRecordToFolder(account, key, 0);
        }
        m_e->main.Lists().FillFolderList(false);
        m_e->SelectFolder(0);
        m_e->SelectRecord(1);

        SelectResult(0);
        Click("butView");
        Click("butJump");
        const ScriptedPlatform::Shown forgot{MessageKind::Information, m_e->Shown("const_record_gone")};
        QCOMPARE(m_e->platform.messages, (std::vector<ScriptedPlatform::Shown>{forgot, forgot}));
        QVERIFY(!m_e->record.isVisible());
        QVERIFY(m_find->isVisible());
        QCOMPARE(m_e->SelectedFolder(), 0);
        QCOMPARE(m_e->SelectedRecord(), 1);
    }

    void jumpFollowsARecordMovedWithinItsFolder()
    {
        m_find->mAdvSearchClick();
        Search({QStringLiteral("Shop")});
        QCOMPARE(m_find->Results().front().position, std::size_t(3));
        m_e->main.Session().Account().Folder(0).MoveRecordUp(m_find->Results().front().key);
        SelectResult(0);
        Click("butJump");
        QCOMPARE(m_e->SelectedFolder(), 0);
        QCOMPARE(m_e->SelectedRecord(), 1);
        QCOMPARE(m_e->main.Lists().SelectedRecord()->Name(), std::string("Shop"));
    }

    void enterSearchesAndEachShowStartsWithAnEmptyText()
    {
        m_find->mAdvSearchClick();
        QLineEdit* text = Control<QLineEdit>("edFindText");
        QCOMPARE(m_find->focusWidget(), text);
        Choose({QString(), true, true});
        QTest::keyClicks(text, QStringLiteral("Savings"));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(Found(), QStringList{"Bank/Savings"});
        QVERIFY(m_find->isVisible()); // Enter is not taken by a button

        QTest::keyClick(m_find.get(), Qt::Key_Escape);
        QVERIFY(!m_find->isVisible());
        m_find->mAdvSearchClick();
        QCOMPARE(Page(), 0);
        QCOMPARE(text->text(), QString());
        QVERIFY(Control<QCheckBox>("cbStrict")->isChecked()); // the choices stay for the run
        QCOMPARE(Found(), QStringList{"Bank/Savings"});       // and so do the results
    }

    void closeAndHelp()
    {
        m_find->mAdvSearchClick();
        Click("butHelp");
        QCOMPARE(m_e->platform.opened.size(), 1);
        QVERIFY(m_e->platform.opened.front().endsWith(QLatin1String("Help.eng.htm")));
        Click("butClose");
        QVERIFY(!m_find->isVisible());
        m_e->Run("mAdvSearch"); // the main window's command
        QVERIFY(m_find->isVisible());
    }

    // A locked program shows nothing of the vault: the search and a record it opened go too,
    // and come back with the main window.
    void lockHidesTheSearchAndItsRecordWindow()
    {
        ScriptedTray tray;
        SessionControl session(m_e->main.Session(), m_e->main.Lists(), m_e->main.Commands(), m_e->main,
                               *m_e->program.accountSet, tray);
        m_e->ChangeSettings([](AccountSettings& s) { s.cbSaveBeforeTray = false; });
        m_find->mAdvSearchClick();
        Search({QStringLiteral("Home")});
        SelectResult(0);
        Click("butView");
        QVERIFY(m_e->record.isVisible());

        session.LockToTray();
        QVERIFY(!m_e->main.isVisible());
        QVERIFY(!m_find->isVisible());
        QVERIFY(!m_e->record.isVisible());
        session.RestoreFromTray();
        QVERIFY(m_e->main.isVisible());
        QVERIFY(m_find->isVisible());
        QVERIFY(m_e->record.isVisible());
    }

    // Another account must not find this one's records listed, nor one left open for viewing.
    void clearingTheAccountForgetsTheResults()
    {
        ScriptedTray tray;
        SessionControl session(m_e->main.Session(), m_e->main.Lists(), m_e->main.Commands(), m_e->main,
                               *m_e->program.accountSet, tray);
        m_find->mAdvSearchClick();
        Search({QStringLiteral("a")});
        SelectResult(0);
        Click("butView");

        session.SwitchAccount(false);
        QVERIFY(!m_e->record.isVisible());
        QVERIFY(!m_find->isVisible());
        QVERIFY(m_find->Results().empty());
        QCOMPARE(ResultList()->model()->rowCount(), 0);
        QCOMPARE(Status(), QString());
    }

    // An imported account replaces the contents as a switch does: nothing of the previous ones stays shown.
    void importingAnAccountForgetsTheResults()
    {
        m_e->main.Session().SaveAccount();
        const test::TempDir elsewhere;
        TAccount imported;
        imported.Password = m_e->main.Session().Account().Password;
        imported.AddFolder("Imported", 0);
        imported.SaveToFile(elsewhere / "Anna.vmk");
        BackupCommands backupCommands(m_e->main.Session(), m_e->main.Lists(), m_e->main.Commands(), &m_e->main);
        m_find->mAdvSearchClick();
        Search({QStringLiteral("Home")});
        SelectResult(0);
        Click("butView");
        QVERIFY(m_e->record.isVisible());

        m_e->platform.files.push_back(QString::fromStdU16String((elsewhere / "Anna.vmk").u16string()));
        m_e->platform.answers = {Answer::Yes, Answer::No, Answer::No}; // import, keep it, keep its file
        backupCommands.mAccClick();
        QCOMPARE(m_e->main.Session().Account().Folder(0).Name, std::string("Imported"));
        QVERIFY(!m_e->record.isVisible());
        QVERIFY(m_find->Results().empty());
        QCOMPARE(ResultList()->model()->rowCount(), 0);
        QCOMPARE(Status(), QString());
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::FindTest)
#include "FindTest.moc"
