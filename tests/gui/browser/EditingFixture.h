#pragma once

#include "gui/browser/EditingCommands.h"
#include "gui/browser/TfrmFolder.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/generator/TfrmPassGen.h"
#include "gui/main/GuiFixture.h"
#include "gui/settings/TfrmOptions.h"
#include "gui/widgets/ListRowModel.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace velmora::testing {

// The program with the editing forms and commands, and a small account: folder "Mail" with
// three records, folder "Empty", and folder "Bank" with one record. The main window is shown.
struct Editing
{
    Program program;
    TfrmMain& main = *program.main;
    ScriptedPlatform& platform = program.platform;
    AccountSession& session = *program.session;
    AccountLists& lists = main.Lists();
    TfrmPassGen passGen{session, main};
    TfrmFolder folder{session, lists, main};
    TfrmRecord record{session, lists, main, passGen};
    EditingCommands commands{session, lists, main.Commands(), folder, record, passGen};

    Editing()
    {
        program.LoadLanguage();
        TAccount& account = main.Session().Account();
        account.Name = "Anna";
        account.Password = "pw";
        account.AddFolder("Mail", 1);
        account.Folder(0).AddRecord("Home", "  https://a.example ", "anna", "17", "12345", "");
        account.Folder(0).AddRecord("Work", "", "a.b", "", "", "");
        account.Folder(0).AddRecord("Shop", "", "", "", "x", "");
        account.AddFolder("Empty", 2);
        account.AddFolder("Bank", 3);
        account.Folder(2).AddRecord("Savings", "", "", "", "s", "");
        account.Modified = false;
        main.Session().SetOpen(); // as a login does
        main.Session().AccountChanged();
        main.Lists().FillFolderList(false);
        main.Lists().FillRecordList(false);
        main.show();
    }

    // The settings are the controls of the settings dialog.
    void ChangeSettings(const std::function<void(AccountSettings&)>& change)
    {
        program.ChangeSettings(change);
        main.Session().ApplySettings();
    }

    void Run(const char* action) { main.findChild<QAction*>(QLatin1String(action))->trigger(); }
    void SelectFolder(int row) { main.Lists().SelectRow(main.Lists().FolderList(), row); }
    void SelectRecord(int row) { main.Lists().SelectRow(main.Lists().RecordList(), row); }
    // A left double-click at a point of a list's area; row -1 is the empty area below the rows.
    static void DoubleClick(QTableView* list, int row)
    {
        const QPoint at = row >= 0 ? list->visualRect(list->model()->index(row, 0)).center()
                                   : QPoint(list->viewport()->width() / 2, list->viewport()->height() - 2);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    int SelectedFolder() const { return main.Lists().SelectedRow(main.Lists().FolderList()); }
    int SelectedRecord() const { return main.Lists().SelectedRow(main.Lists().RecordList()); }

    // The captions of the rows of a list.
    static QStringList Captions(const ListRowModel& rows)
    {
        QStringList captions;
        for (const ListRow& row : rows.Rows()) {
            captions << QString::fromStdString(row.Caption);
        }
        return captions;
    }
    QStringList RecordNames(std::size_t folder) const
    {
        QStringList names;
        const TFolderType& f = main.Session().Account().Folder(folder);
        for (std::size_t i = 0; i < f.Count(); ++i) {
            names << QString::fromStdString(std::string(f.RecordAt(i).Name()));
        }
        return names;
    }
    // What the information boxes said, by message key.
    QString Shown(std::string_view key) const { return QLatin1Char('\r') + main.Session().Message(key); }
    QString LastMessage() const { return platform.messages.empty() ? QString() : platform.messages.back().text; }

    template <typename T> static T* Child(QWidget& form, const char* name)
    {
        return form.findChild<T*>(QLatin1String(name));
    }
};

} // namespace velmora::testing
