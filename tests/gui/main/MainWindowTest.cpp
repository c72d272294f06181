#include "gui/main/GuiFixture.h"
#include "gui/settings/TfrmOptions.h"
#include "gui/widgets/ListRowModel.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <fstream>

namespace velmora::testing {

namespace {
void Touch(const std::filesystem::path& file)
{
    std::ofstream(file) << "x";
}
} // namespace

class MainWindowTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> m_program;
    TfrmMain* m_main = nullptr;

    // Folder 0 with three records, folder 1 empty.
    void FillDemo()
    {
        TAccount& account = m_main->Session().Account();
        account.AddFolder("Mail", 1);
        account.Folder(0).AddRecord("Home", "https://a.example", "anna", "17", "12345", "");
        account.Folder(0).AddRecord("Work", "", "a.b", "", "", "");
        account.Folder(0).AddRecord("Bank", "", "", "", "x", "");
        account.AddFolder("Empty", 2);
        account.Modified = false;
        m_main->Session().AccountChanged();
        m_main->Lists().FillFolderList(false);
        m_main->Lists().FillRecordList(false);
    }

    void ChangeSettings(const std::function<void(AccountSettings&)>& change) { m_program->ChangeSettings(change); }

    QString Folders(int count) const { return m_main->Session().Message("const_folders") + QString::number(count); }
    QString Records(int count) const { return m_main->Session().Message("const_records") + QString::number(count); }

private slots:
    void init()
    {
        m_program = std::make_unique<Program>();
        m_main = m_program->main.get();
        m_program->LoadLanguage();
    }
    void cleanup() { m_program.reset(); }

    void messageBoxPutsAnEmptyLineBeforeOneLineTexts()
    {
        m_main->Session().ShowMessageBox(QStringLiteral("one line"), MessageKind::Warning);
        m_main->Session().ShowMessageBox(QStringLiteral("first\rsecond"), MessageKind::Error);
        m_main->Session().ShowMessageBox(QString(), MessageKind::Information);
        using Shown = ScriptedPlatform::Shown;
        QCOMPARE(m_program->platform.messages,
                 (std::vector<Shown>{{MessageKind::Warning, QStringLiteral("\rone line")},
                                     {MessageKind::Error, QStringLiteral("first\rsecond")},
                                     {MessageKind::Information, QStringLiteral("\r")}}));
    }

    void statusPanelsOfAnAccountWithoutFolders()
    {
        m_main->Lists().FillFolderList(false);
        m_main->Lists().FillRecordList(false);
        QCOMPARE(m_main->PanelText(0), Folders(0));
        QVERIFY(!m_main->Session().Message("const_folders").isEmpty());
        QCOMPARE(m_main->PanelText(1), QString());
        QCOMPARE(m_main->PanelText(2), QString());
        QCOMPARE(m_main->PanelText(3), QString());
        QCOMPARE(m_main->Lists().FolderRows().rowCount(), 0);
    }

    void selectingAFolderShowsItsRecordsWithNoneSelected()
    {
        FillDemo();
        QTableView* folders = m_main->Lists().FolderList();
        QTableView* records = m_main->Lists().RecordList();
        m_main->Lists().SelectRow(folders, 0);
        QCOMPARE(m_main->Lists().RecordRows().rowCount(), 3);
        QCOMPARE(m_main->PanelText(1), Records(3));
        m_main->Lists().SelectRow(records, 2);
        QCOMPARE(m_main->Lists().FocusedRow(records), 2); // a selected record row becomes the focused one

        // By keyboard: the next folder is empty.
        folders->setFocus();
        m_main->Lists().FocusRow(folders, 0);
        QTest::keyClick(folders, Qt::Key_Down);
        QCOMPARE(m_main->Lists().SelectedRow(folders), 1);
        QCOMPARE(m_main->Lists().RecordRows().rowCount(), 0);
        QCOMPARE(m_main->PanelText(1), Records(0));

        // Back by program: records again, none selected.
        m_main->Lists().SelectRow(folders, 0);
        QCOMPARE(m_main->Lists().RecordRows().rowCount(), 3);
        QCOMPARE(m_main->Lists().SelectedRow(records), -1);

        // Losing the folder selection leaves the records.
        folders->clearSelection();
        QCOMPARE(m_main->Lists().RecordRows().rowCount(), 3);
        QCOMPARE(m_main->PanelText(1), Records(3));
    }

    void keepingTheSelectionOnlyWhereTheRowStillExists()
    {
        FillDemo();
        m_main->Lists().SelectRow(m_main->Lists().FolderList(), 1);
        m_main->Lists().FillFolderList(true);
        QCOMPARE(m_main->Lists().SelectedRow(m_main->Lists().FolderList()), 1);
        m_main->Session().Account().DeleteFolder(1);
        m_main->Lists().FillFolderList(true);
        QCOMPARE(m_main->Lists().SelectedRow(m_main->Lists().FolderList()), -1);
        QCOMPARE(m_main->PanelText(0), Folders(1));

        m_main->Lists().SelectRow(m_main->Lists().FolderList(), 0);
        m_main->Lists().SelectRow(m_main->Lists().RecordList(), 1);
        m_main->Lists().FillRecordList(true);
        QCOMPARE(m_main->Lists().SelectedRow(m_main->Lists().RecordList()), 1);
        m_main->Lists().FillRecordList(false);
        QCOMPARE(m_main->Lists().SelectedRow(m_main->Lists().RecordList()), -1);
    }

    void recordRowsFollowTheLayoutAndKeepTheirKey()
    {
        FillDemo();
        const struct
        {
            bool brief;
            bool passStars;
            QStringList row0; // the shown columns of the first record
        } layouts[] = {
            {false, true, {"Home", "anna", "17", "*****"}},
            {false, false, {"Home", "anna", "17", "12345"}},
            {true, true, {"Home", "", "", ""}},
        };
        for (const auto& layout : layouts) {
            ChangeSettings([&layout](AccountSettings& settings) {
                settings.rbFull = !layout.brief;
                settings.cbPassStars = layout.passStars;
            });
            m_main->Session().ApplySettings();
            m_main->Lists().SelectRow(m_main->Lists().FolderList(), 0);
            m_main->Lists().FillRecordList(false);
            const ListRowModel& rows = m_main->Lists().RecordRows();
            QStringList shown;
            for (int column = 0; column < 4; ++column) {
                shown << rows.data(rows.index(0, column), Qt::DisplayRole).toString();
            }
            QCOMPARE(shown, layout.row0);
            QCOMPARE(rows.Rows()[0].SubItems.size(), layout.brief ? 1u : 4u);
            QCOMPARE(rows.Rows()[1].SubItems[layout.brief ? 0 : 3],
                     m_main->Session().Account().Folder(0).RecordAt(1).Key);
            QCOMPARE(m_main->Lists().RecordList()->isColumnHidden(3), layout.brief);

            // The selected record is found through the key the row was built with, even after
            // the layout setting changed without a refill.
            m_main->Lists().SelectRow(m_main->Lists().RecordList(), 2);
            ChangeSettings([&layout](AccountSettings& settings) { settings.rbFull = layout.brief; });
            QVERIFY(m_main->Lists().SelectedRecord() != nullptr);
            QCOMPARE(m_main->Lists().SelectedRecord()->Name(), std::string("Bank"));
        }
        // An empty password masked stays empty.
        QCOMPARE(MaskText("", true), std::string());
    }

    void immediateSaveWritesAtOnceAndClearsTheMark()
    {
        FillDemo();
        TAccount& account = m_main->Session().Account();
        account.Name = "anna";
        account.Password = "pw";
        m_main->Session().SetOpen(); // as a login does
        ChangeSettings([](AccountSettings& settings) { settings.cbSaveMod = true; });
        account.EditFolder(1, "Renamed", 3);
        QVERIFY(std::filesystem::exists(m_program->File("anna", kAccountExtension)));
        QVERIFY(std::filesystem::exists(m_program->File("anna", kSettingsExtension)));
        QVERIFY(!account.Modified);
        QCOMPARE(m_main->PanelText(2), QString());

        // Reading the file back is no change to save.
        std::filesystem::remove(m_program->File("anna", kSettingsExtension));
        QCOMPARE(account.LoadFromFile(m_program->File("anna", kAccountExtension)), ReadResult::Ok);
        QCOMPARE(account.Folder(1).Name, std::string("Renamed"));
        QVERIFY(!std::filesystem::exists(m_program->File("anna", kSettingsExtension)));
        QVERIFY(m_program->platform.messages.empty());
    }

    void failingImmediateSaveIsReportedAndKeepsTheMark()
    {
        FillDemo();
        TAccount& account = m_main->Session().Account();
        account.Name = "anna";
        account.Password = "pw";
        m_main->Session().SetOpen(); // as a login does
        ChangeSettings([](AccountSettings& settings) { settings.cbSaveMod = true; });
        Touch(m_program->dir / "Users"); // a file where the account directory belongs
        m_main->Lists().SelectRow(m_main->Lists().FolderList(), 0);
        account.DeleteFolder(1); // returns normally although the save failed
        m_main->Lists().FillFolderList(true);
        QCOMPARE(m_program->platform.messages.size(), 1u);
        QCOMPARE(m_program->platform.messages[0].kind, MessageKind::Error);
        QVERIFY(!m_program->platform.messages[0].text.isEmpty());
        QVERIFY(account.Modified);
        QCOMPARE(m_main->PanelText(2), m_main->Session().Message("const_mod"));
        QCOMPARE(m_main->Lists().FolderRows().rowCount(), 1);
        QCOMPARE(m_main->Lists().SelectedRow(m_main->Lists().FolderList()), 0);
    }

    void draggingTheSplitterMarksTheAccountModifiedOnce()
    {
        FillDemo();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        auto* splitter = m_main->findChild<QSplitter*>(QStringLiteral("Splitter1"));
        m_main->resize(1100, 500); // room for both lists to give and take width
        splitter->setSizes({400, 600});
        int changes = 0;
        const std::function<void()> previous = m_main->Session().Account().OnChange;
        m_main->Session().Account().OnChange = [&] {
            ++changes;
            previous();
        };
        // A drag of several steps changes the account once, when the button is let go.
        QWidget* handle = splitter->handle(1);
        const QPoint grip = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, grip);
        for (int step = 1; step <= 5; ++step) {
            // QTest's move carries no pressed button, and the handle follows only a held one.
            const QPoint at = grip + QPoint(10 * step, 0);
            QMouseEvent move(QEvent::MouseMove, at, handle->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(handle, &move);
        }
        QVERIFY(!m_main->Session().Account().Modified);
        QCOMPARE(changes, 0);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(50, 0));
        QTRY_COMPARE(changes, 1);
        QVERIFY(m_main->Session().Account().Modified);
        QCOMPARE(m_main->PanelText(2), m_main->Session().Message("const_mod"));
        QCOMPARE(m_main->findChild<QWidget*>(QStringLiteral("panFindLeft"))->width(),
                 m_main->Lists().FolderList()->width() + 2);
    }

    void keyReleaseGivesTheFocusedListASelection()
    {
        QTableView* records = m_main->Lists().RecordList();
        records->setFocus();
        QTest::keyRelease(records, Qt::Key_Home); // empty list: nothing happens
        QCOMPARE(m_main->Lists().SelectedRow(records), -1);
        QCOMPARE(m_main->Lists().FocusedRow(records), -1);

        FillDemo();
        m_main->Lists().SelectRow(m_main->Lists().FolderList(), 0);
        records->setFocus();
        QTest::keyRelease(records, Qt::Key_End);
        QCOMPARE(m_main->Lists().SelectedRow(records), 0);
        QCOMPARE(m_main->Lists().FocusedRow(records), 0);

        records->clearSelection();
        m_main->Lists().FocusRow(records, 2);
        QTest::keyRelease(records, Qt::Key_Down);
        QCOMPARE(m_main->Lists().SelectedRow(records), 2);
    }

    void popupMenusCopyTheMainMenuItems()
    {
        const auto names = [this](const char* menu) {
            QStringList result;
            for (const QAction* action : m_main->findChild<QMenu*>(QLatin1String(menu))->actions()) {
                result << action->objectName() + (action->isSeparator() ? QStringLiteral("=-") : QString());
            }
            return result;
        };
        QCOMPARE(names("cmFolder"), QStringList({"cmmFolderNew", "cmmFolderEdit", "cmmFolderDel", "cmmFolderClear",
                                                 "cmN6=-", "cmmFolderUp", "cmmFolderDown"}));
        QCOMPARE(names("cmCopy"), QStringList({"cmmCName", "cmmCUrl", "cmmCLogin", "cmmCId", "cmmCPass"}));
        const QStringList record = names("cmRecord");
        QVERIFY(record.contains(QStringLiteral("cmmCopy")));
        QVERIFY(record.contains(QStringLiteral("cmmAdvSearch")));
        QCOMPARE(names("cmmCopy"), QStringList({"cmmmCName_", "cmmmCUrl_", "cmmmCLogin_", "cmmmCId_", "cmmmCPass_"}));

        auto* login = m_main->findChild<QAction*>(QStringLiteral("cmmCLogin"));
        QCOMPARE(login->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        QCOMPARE(login->text(), m_main->findChild<QAction*>(QStringLiteral("mCLogin"))->text());
        QVERIFY(m_main->findChild<QAction*>(QStringLiteral("cmmmCLogin_"))->shortcut().isEmpty());

        // A copy runs its source's command and follows its source's state.
        auto* source = m_main->findChild<QAction*>(QStringLiteral("mFolderNew"));
        auto* copy = m_main->findChild<QAction*>(QStringLiteral("cmmFolderNew"));
        QVERIFY(!copy->isEnabled());
        source->setEnabled(true);
        QVERIFY(copy->isEnabled());
        int runs = 0;
        connect(source, &QAction::triggered, this, [&runs] { ++runs; });
        copy->trigger();
        QCOMPARE(runs, 1);

        // Rebuilding replaces the items instead of adding to them.
        m_main->BuildPopupMenus();
        QCOMPARE(names("cmCopy").size(), 5);
        QCOMPARE(m_main->findChildren<QMenu*>(QStringLiteral("cmmCopy")).size(), 1);
    }

    void codePageRefusesCharactersItCannotHold()
    {
        auto* edit = m_main->findChild<QLineEdit*>(QStringLiteral("edRecFind"));
        const auto type = [edit](const QString& text) {
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text, Qt::NoModifier);
        };
        type(QStringLiteral("B"));
        type(QStringLiteral("я"));
        type(QStringLiteral("☃"));
        type(QStringLiteral("a"));
        QCOMPARE(edit->text(), QStringLiteral("Bяa"));
        QTRY_COMPARE(m_program->platform.messages.size(), 1u);
        QCOMPARE(m_program->platform.messages[0].kind, MessageKind::Warning);
        QVERIFY(m_program->platform.messages[0].text.endsWith(QStringLiteral("☃")));
        QVERIFY(m_program->platform.messages[0].text.contains(m_main->Session().Message("const_bad_char")));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::MainWindowTest)
#include "MainWindowTest.moc"
