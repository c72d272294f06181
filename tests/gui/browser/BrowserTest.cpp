#include "gui/browser/EditingFixture.h"
#include "gui/browser/FolderIconTable.h"

#include <QTest>
#include <filesystem>
#include <fstream>

namespace velmora::testing {

// The main window's folder and record commands, dragging records onto folders, and copying.
class BrowserTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Editing> m_e;

    QPoint FolderRowCentre(int row) const
    {
        QTableView* list = m_e->main.Lists().FolderList();
        return list->visualRect(list->model()->index(row, 0)).center();
    }

private slots:
    void init() { m_e = std::make_unique<Editing>(); }
    void cleanup() { m_e.reset(); }

    void commandsWithoutSelectionReportAndChangeNothing()
    {
        Editing& e = *m_e;
        const struct
        {
            const char* action;
            const char* message;
        } cases[] = {
            {"mFolderEdit", "const_forgot_folder"},  {"mFolderDel", "const_forgot_folder"},
            {"mFolderClear", "const_forgot_folder"}, {"mFolderUp", "const_forgot_folder"},
            {"mFolderDown", "const_forgot_folder"},  {"mRecNew", "const_forgot_folder"},
            {"mRecEdit", "const_forgot_record"},     {"mRecDel", "const_forgot_record"},
            {"mRecUp", "const_forgot_record"},       {"mRecDown", "const_forgot_record"},
            {"mURL", "const_forgot_record"},         {"mCPass", "const_forgot_record"},
        };
        for (const auto& c : cases) {
            e.platform.messages.clear();
            e.Run(c.action);
            QCOMPARE(e.platform.messages.size(), std::size_t{1});
            QCOMPARE(e.LastMessage(), e.Shown(c.message));
        }
        // A record row with its folder row unselected is no selected record.
        e.SelectFolder(0);
        e.SelectRecord(1);
        e.main.Lists().FolderList()->clearSelection();
        e.Run("mRecEdit");
        e.Run("mCLogin");
        QCOMPARE(e.LastMessage(), e.Shown("const_forgot_record"));
        QCOMPARE(e.platform.modalRuns, 0);
        QVERIFY(!e.main.Session().Account().Modified);
        QCOMPARE(e.platform.clipboardText, QString());
    }

    void doubleClickOnAnEmptyListAreaAsksForASelection()
    {
        Editing& e = *m_e;
        Editing::DoubleClick(e.main.Lists().FolderList(), -1);
        QCOMPARE(e.LastMessage(), e.Shown("const_forgot_folder"));
        e.SelectFolder(1); // "Empty": the record list has no rows at all
        Editing::DoubleClick(e.main.Lists().RecordList(), -1);
        QCOMPARE(e.LastMessage(), e.Shown("const_forgot_record"));
        QCOMPARE(e.platform.modalRuns, 0);
    }

    void folderCommandsLeaveTheirSelection()
    {
        Editing& e = *m_e;
        // Up from the second row: the moved folder stays selected and shows its records.
        e.SelectFolder(2);
        e.Run("mFolderUp");
        QCOMPARE(Editing::Captions(e.main.Lists().FolderRows()), (QStringList{"Mail", "Bank", "Empty"}));
        QCOMPARE(e.SelectedFolder(), 1);
        QCOMPARE(Editing::Captions(e.main.Lists().RecordRows()), QStringList{"Savings"});
        e.Run("mFolderDown");
        QCOMPARE(e.SelectedFolder(), 2);
        e.Run("mFolderDown"); // the last row: nothing
        e.SelectFolder(0);
        e.Run("mFolderUp"); // the first row: nothing
        QCOMPARE(Editing::Captions(e.main.Lists().FolderRows()), (QStringList{"Mail", "Empty", "Bank"}));
        QVERIFY(e.platform.messages.empty());

        // Clear: No keeps everything; Yes empties the folder, which stays selected.
        e.platform.answers = {Answer::No, Answer::Yes};
        e.Run("mFolderClear");
        QCOMPARE(e.main.Session().Account().Folder(0).Count(), 3);
        e.Run("mFolderClear");
        QCOMPARE(e.main.Session().Account().Folder(0).Count(), 0);
        QCOMPARE(e.SelectedFolder(), 0);
        QCOMPARE(e.main.PanelText(1), e.main.Session().Message("const_records") + QStringLiteral("0"));

        // Delete: no folder is selected afterwards and the record list is empty.
        e.SelectFolder(2);
        e.platform.answers = {Answer::Yes};
        e.Run("mFolderDel");
        QCOMPARE(Editing::Captions(e.main.Lists().FolderRows()), (QStringList{"Mail", "Empty"}));
        QCOMPARE(e.SelectedFolder(), -1);
        QCOMPARE(e.main.Lists().RecordRows().rowCount(), 0);
        QCOMPARE(e.main.PanelText(1), QString());
        QVERIFY(e.main.Session().Account().Modified);
    }

    void confirmationsPutTheCaptionInAsPlainText()
    {
        Editing& e = *m_e;
        e.main.Session().Account().EditFolder(0, "50% %s off", 1);
        e.main.Session().Account().Folder(0).EditRecord(e.main.Session().Account().Folder(0).RecordAt(0).Key, "100%s",
                                                        "", "", "", "", "");
        e.main.Lists().FillFolderList(false);
        e.SelectFolder(0);
        e.SelectRecord(0);
        e.Run("mFolderDel");
        e.Run("mRecDel");
        QCOMPARE(
            e.platform.questions,
            (QStringList{QLatin1Char('\r') + e.main.Session().Message("const_del_with").replace("%s", "50% %s off"),
                         QLatin1Char('\r') + e.main.Session().Message("const_del_rec").replace("%s", "100%s")}));
        QCOMPARE(e.main.Session().Account().FolderCount(), std::size_t{3}); // both answered No
    }

    void folderDialogAddsAndEdits()
    {
        Editing& e = *m_e;
        e.platform.modalScripts.push_back([&e](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), e.main.Session().Message("const_new_folder"));
            QCOMPARE(Editing::Child<QPushButton>(dialog, "butOk")->text(), e.main.Session().Message("const_create"));
            QCOMPARE(e.folder.IconIndex, 0);
            Editing::Child<QLineEdit>(dialog, "edName")->setText(QStringLiteral(" Games "));
            QTest::mouseClick(&e.folder.Table(), Qt::LeftButton, {}, QPoint(80, 30)); // row 1, column 3
            Editing::Child<QPushButton>(dialog, "butOk")->click();
        });
        e.Run("mFolderNew");
        QCOMPARE(e.main.Session().Account().FolderCount(), std::size_t{4});
        QCOMPARE(e.main.Session().Account().Folder(3).Name, std::string(" Games "));
        QCOMPARE(e.main.Session().Account().Folder(3).ImageIndex, 13);
        QCOMPARE(e.SelectedFolder(), 3);

        e.SelectFolder(1);
        e.platform.modalScripts.push_back([&e](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), e.main.Session().Message("const_edit_folder"));
            QCOMPARE(Editing::Child<QLineEdit>(dialog, "edName")->text(), QStringLiteral("Empty"));
            QCOMPARE(e.folder.IconIndex, 2);
            Editing::Child<QLineEdit>(dialog, "edName")->setText(QStringLiteral("Full"));
            Editing::Child<QPushButton>(dialog, "butOk")->click();
        });
        Editing::DoubleClick(e.main.Lists().FolderList(), 1);
        QCOMPARE(e.main.Session().Account().Folder(1).Name, std::string("Full"));
        QCOMPARE(e.main.Session().Account().Folder(1).ImageIndex, 2);
        QCOMPARE(e.SelectedFolder(), 1);
    }

    void iconTableColumnsAndCellsOutsideTheIcons()
    {
        Editing& e = *m_e;
        const struct
        {
            QPoint at;
            int icon; // -1: the release is ignored
        } cases[] = {
            {{0, 0}, 0},   {{24, 24}, 0},   {{25, 0}, 0},   {{26, 0}, 1},    {{50, 0}, 2},   {{75, 0}, 2},
            {{100, 0}, 4}, {{249, 49}, 19}, {{80, 25}, 13}, {{250, 10}, -1}, {{10, 50}, -1}, {{-1, 5}, -1},
        };
        for (const auto& c : cases) {
            e.folder.IconIndex = 7;
            e.folder.TableMouseUp(c.at.x(), c.at.y());
            QCOMPARE(e.folder.IconIndex, c.icon < 0 ? 7 : c.icon);
            QCOMPARE(e.folder.Table().FramedIndex(), c.icon < 0 ? -1 : c.icon); // the frame follows
            e.folder.Table().SetFramedIndex(-1);
        }
    }

    void folderDialogChecksNameAndIcon()
    {
        Editing& e = *m_e;
        // A stored icon outside the image list shows a blank of the icons' size, so the name keeps
        // its indent, and is kept until another is chosen.
        e.main.Session().Account().EditFolder(1, "Empty", 57);
        e.main.Session().Account().Modified = false;
        e.main.Lists().FillFolderList(false);
        const ListRowModel& rows = e.main.Lists().FolderRows();
        const auto blank = rows.data(rows.index(1, 0), Qt::DecorationRole).value<QIcon>();
        QVERIFY(!blank.isNull());
        QCOMPARE(blank.availableSizes(),
                 rows.data(rows.index(0, 0), Qt::DecorationRole).value<QIcon>().availableSizes());
        e.SelectFolder(1);
        e.platform.modalScripts.push_back([&e](QDialog& dialog) {
            Editing::Child<QPushButton>(dialog, "butOk")->click();
            QCOMPARE(e.LastMessage(), e.Shown("const_forgot_icon"));
            Editing::Child<QLineEdit>(dialog, "edName")->setText(QStringLiteral("  \t"));
            Editing::Child<QPushButton>(dialog, "butOk")->click();
            QCOMPARE(e.LastMessage(), e.Shown("const_f_caption"));
            QVERIFY(dialog.isVisible());
        });
        e.Run("mFolderEdit");
        QCOMPARE(e.main.Session().Account().Folder(1).ImageIndex, 57);
        QCOMPARE(e.main.Session().Account().Folder(1).Name, std::string("Empty"));
        QVERIFY(!e.main.Session().Account().Modified);
    }

    void aFolderBeyondTheLimitIsRefused()
    {
        Editing& e = *m_e;
        TAccount& account = e.main.Session().Account();
        while (account.FolderCount() < kMaxFolders) {
            account.AddFolder("f", 0);
        }
        e.main.Lists().FillFolderList(false);
        e.platform.modalScripts.push_back([&e](QDialog& dialog) {
            Editing::Child<QLineEdit>(dialog, "edName")->setText(QStringLiteral("one more"));
            Editing::Child<QPushButton>(dialog, "butOk")->click();
            QCOMPARE(e.LastMessage(), e.Shown("const_many_folders"));
        });
        e.Run("mFolderNew");
        QCOMPARE(account.FolderCount(), kMaxFolders);
        QCOMPARE(e.main.Lists().FolderRows().rowCount(), static_cast<int>(kMaxFolders));
    }

    void recordCommandsLeaveTheirSelection()
    {
        Editing& e = *m_e;
        e.SelectFolder(0);
        e.SelectRecord(1);
        e.Run("mRecUp");
        QCOMPARE(e.RecordNames(0), (QStringList{"Work", "Home", "Shop"}));
        QCOMPARE(e.SelectedRecord(), 0);
        QVERIFY(e.main.Session().Account().Modified);
        e.Run("mRecUp"); // the first row: nothing
        e.SelectRecord(1);
        e.Run("mRecDown");
        QCOMPARE(e.RecordNames(0), (QStringList{"Work", "Shop", "Home"}));
        QCOMPARE(e.SelectedRecord(), 2);
        e.Run("mRecDown"); // the last row: nothing
        QCOMPARE(e.SelectedRecord(), 2);

        e.platform.answers = {Answer::Yes};
        e.Run("mRecDel");
        QCOMPARE(e.RecordNames(0), (QStringList{"Work", "Shop"}));
        QCOMPARE(Editing::Captions(e.main.Lists().RecordRows()), (QStringList{"Work", "Shop"}));
        QCOMPARE(e.SelectedRecord(), -1);
        QVERIFY(e.platform.messages.empty());
    }

    void recordDialogAddsAndEditsFromTheMainWindow()
    {
        Editing& e = *m_e;
        e.SelectFolder(0);
        e.platform.modalScripts.push_back([&e](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Mail") + e.main.Session().Message("const_new_rec"));
            QCOMPARE(Editing::Child<QLineEdit>(dialog, "edName")->text(), QString());
            Editing::Child<QLineEdit>(dialog, "edName")->setText(QStringLiteral("New one"));
            Editing::Child<QLineEdit>(dialog, "edPass")->setText(QStringLiteral("pw1"));
            Editing::Child<QPushButton>(dialog, "butOK")->click();
        });
        e.Run("mRecNew");
        QCOMPARE(e.RecordNames(0), (QStringList{"Home", "Work", "Shop", "New one"}));
        QCOMPARE(e.SelectedRecord(), 3);
        QVERIFY(e.main.Session().Account().Modified);

        e.SelectRecord(1);
        e.platform.modalScripts.push_back([&e](QDialog& dialog) {
            QCOMPARE(Editing::Child<QLineEdit>(dialog, "edLogin")->text(), QStringLiteral("a.b"));
            Editing::Child<QLineEdit>(dialog, "edLogin")->setText(QStringLiteral("b.c"));
            Editing::Child<QPushButton>(dialog, "butOK")->click();
        });
        Editing::DoubleClick(e.main.Lists().RecordList(), 1);
        QCOMPARE(e.main.Session().Account().Folder(0).RecordAt(1).Login(), std::string("b.c"));
        QCOMPARE(e.SelectedRecord(), 1);
        QCOMPARE(e.platform.modalRuns, 2);
    }

    void aFailingImmediateSaveStillRefillsTheLists()
    {
        Editing& e = *m_e;
        e.ChangeSettings([](AccountSettings& settings) { settings.cbSaveMod = true; });
        std::ofstream(e.program.dir / "Users") << "a file where the directory should be";
        e.SelectFolder(0);
        e.SelectRecord(0);
        e.platform.answers = {Answer::Yes};
        e.Run("mRecDel");
        QCOMPARE(e.platform.messages.size(), std::size_t{1});
        QCOMPARE(e.platform.messages.back().kind, MessageKind::Error);
        // The language file's sentence, naming the file that could not be written.
        const QString& text = e.platform.messages.back().text;
        QVERIFY2(text.contains(e.main.Session().Message("const_file_failed").section(QStringLiteral("%s"), 0, 0)),
                 qPrintable(text));
        QVERIFY2(text.contains(QString::fromStdU16String((e.program.dir / "Users").u16string())), qPrintable(text));
        QCOMPARE(Editing::Captions(e.main.Lists().RecordRows()), (QStringList{"Work", "Shop"}));
        QCOMPARE(e.SelectedRecord(), -1);
        QVERIFY(e.main.Session().Account().Modified);
        QCOMPARE(e.main.PanelText(2), e.main.Session().Message("const_mod"));
        // A second command works on the fresh rows.
        e.SelectRecord(1);
        e.Run("mCName");
        QCOMPARE(e.platform.clipboardText, QStringLiteral("Shop"));
    }

    void draggingARecordOntoAnotherFolder()
    {
        Editing& e = *m_e;
        RecordDragDrop& drag = e.commands.Dragging();
        QTableView* records = e.main.Lists().RecordList();
        e.SelectFolder(0);
        e.SelectRecord(1);
        const std::string oldKey = e.main.Lists().RecordRows().KeyAt(1);

        // Only rows of the record list, and only onto a folder row.
        QVERIFY(drag.lstFoldersDragOver(records, FolderRowCentre(2)));
        QVERIFY(!drag.lstFoldersDragOver(e.main.Lists().FolderList(), FolderRowCentre(2)));
        QVERIFY(!drag.lstFoldersDragOver(records, QPoint(10, e.main.Lists().FolderList()->viewport()->height() - 2)));
        QVERIFY(!drag.lstFoldersDragOver(nullptr, FolderRowCentre(2)));

        // Onto its own folder: nothing changes.
        drag.lstFoldersDragDrop(records, FolderRowCentre(0));
        QCOMPARE(e.RecordNames(0), (QStringList{"Home", "Work", "Shop"}));
        QVERIFY(!e.main.Session().Account().Modified);

        e.SelectRecord(1);
        drag.lstFoldersDragDrop(records, FolderRowCentre(2));
        QCOMPARE(e.RecordNames(0), (QStringList{"Home", "Shop"}));
        QCOMPARE(e.RecordNames(2), (QStringList{"Savings", "Work"}));
        QCOMPARE(e.main.Session().Account().Folder(2).RecordAt(1).Login(), std::string("a.b"));
        QVERIFY(e.main.Session().Account().Folder(2).RecordAt(1).Key != oldKey);
        QCOMPARE(e.SelectedFolder(), 0);
        QCOMPARE(e.SelectedRecord(), -1);
        QCOMPARE(Editing::Captions(e.main.Lists().RecordRows()), (QStringList{"Home", "Shop"}));
        QVERIFY(e.main.Session().Account().Modified);

        // No record selected: the drop is ignored.
        drag.lstFoldersDragDrop(records, FolderRowCentre(1));
        QCOMPARE(e.main.Session().Account().Folder(1).Count(), 0);
    }

    void aMoveIntoAFullFolderKeepsTheRecord()
    {
        Editing& e = *m_e;
        TFolderType& full = e.main.Session().Account().Folder(1);
        while (full.Count() < kMaxRecordsPerFolder) {
            full.AddRecord("r", "", "", "", "", "");
        }
        e.main.Session().Account().Modified = false;
        e.SelectFolder(0);
        e.SelectRecord(0);
        e.commands.Dragging().lstFoldersDragDrop(e.main.Lists().RecordList(), FolderRowCentre(1));
        QCOMPARE(e.LastMessage(), e.Shown("const_full_folder"));
        QCOMPARE(e.RecordNames(0), (QStringList{"Home", "Work", "Shop"}));
        QCOMPARE(full.Count(), kMaxRecordsPerFolder);
        QVERIFY(!e.main.Session().Account().Modified);
        QCOMPARE(e.SelectedFolder(), 0);
    }

    void copiesCarryTheRealValues()
    {
        Editing& e = *m_e;
        e.ChangeSettings([](AccountSettings& settings) { settings.cbPassStars = true; });
        e.SelectFolder(0);
        e.main.Lists().FillRecordList(false);
        e.SelectRecord(0);
        const struct
        {
            const char* action;
            QString copied;
        } cases[] = {
            {"mCPass", "12345"},
            {"mCLogin", "anna"},
            {"mCId", "17"},
            {"mCName", "Home"},
            {"mCUrl", "  https://a.example "},
        };
        for (const auto& c : cases) {
            e.platform.clipboardSecret = false;
            e.Run(c.action);
            QCOMPARE(e.platform.clipboardText, c.copied);
            QVERIFY(e.platform.clipboardSecret);
        }
        e.SelectRecord(1);
        e.Run("mCUrl"); // an empty URL puts an empty text
        QCOMPARE(e.platform.clipboardText, QString());

        e.platform.clipboardText = QStringLiteral("something");
        e.Run("mClBuf");
        e.Run("mCl");
        QCOMPARE(e.LastMessage(), e.main.Session().Message("const_cl") + QLatin1Char('\r'));
        QVERIFY(e.platform.messages.size() == 1);
        QCOMPARE(e.platform.messages.back().kind, MessageKind::Plain); // a text to read, no alarm
    }

    // The lists' own keys: the copy key copies the password (never the asterisks shown) and does
    // nothing in the folder list, Delete asks before deleting, Enter opens the record.
    void listKeysRunTheirCommands()
    {
        Editing e;
        e.ChangeSettings([](AccountSettings& s) { s.cbPassStars = true; });
        e.SelectFolder(0);
        e.SelectRecord(0);
        QTableView* folders = e.main.Lists().FolderList();
        QTableView* records = e.main.Lists().RecordList();

        QTest::keyClick(records, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(e.platform.clipboardText, QStringLiteral("12345"));
        QVERIFY(e.platform.clipboardSecret);
        e.platform.clipboardText.clear();
        QTest::keyClick(folders, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(e.platform.clipboardText, QString());

        e.platform.answers = {Answer::No, Answer::No};
        QTest::keyClick(records, Qt::Key_Delete);
        QTest::keyClick(folders, Qt::Key_Delete);
        QCOMPARE(e.platform.questions.size(), qsizetype(2));
        QCOMPARE(e.platform.warnings, e.platform.questions); // deletions ask with the warning icon
        QCOMPARE(e.main.Session().Account().FolderCount(), std::size_t(3));
        QCOMPARE(int(e.main.Session().Account().Folder(0).Count()), 3);

        QString opened;
        e.platform.modalScripts.push_back([&opened](QDialog& dialog) { opened = dialog.objectName(); });
        QTest::keyClick(records, Qt::Key_Return);
        QCOMPARE(opened, QStringLiteral("frmRecord"));
    }

    // Ctrl+click takes the selection away, and letting go of Ctrl does not bring it back.
    void ctrlClickDeselects()
    {
        Editing e;
        e.SelectFolder(0);
        e.SelectRecord(1);
        QTableView* records = e.main.Lists().RecordList();
        records->setFocus();
        const QPoint at = records->visualRect(records->model()->index(1, 0)).center();
        QTest::mouseClick(records->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        QTest::keyRelease(records, Qt::Key_Control);
        QCOMPARE(e.SelectedRecord(), -1);
    }

    void openingTheUrlOfTheSelectedRecord()
    {
        Editing& e = *m_e;
        e.SelectFolder(0);
        e.SelectRecord(1);
        e.Run("mURL");
        QCOMPARE(e.LastMessage(), e.Shown("const_forgot_url"));
        e.SelectRecord(0);
        e.Run("mURL");
        QCOMPARE(e.platform.opened, QStringList{"https://a.example"});

        // Stored without a scheme: a web address, never a file in the working folder.
        e.main.Session().Account().Folder(0).EditRecord(e.main.Lists().RecordRows().KeyAt(1), "Work", "www.example.com",
                                                        "a.b", "", "", "");
        e.main.Lists().FillRecordList(false);
        e.SelectRecord(1);
        e.Run("mURL");
        QCOMPARE(e.platform.opened.back(), QStringLiteral("https://www.example.com"));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::BrowserTest)
#include "BrowserTest.moc"
