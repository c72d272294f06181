#pragma once

#include "core/vault/ListRows.h"
#include "gui/session/AccountSession.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <array>
#include <cstdint>

class QKeyEvent;
class QSplitter;
class QTableView;
class QWidget;

namespace velmora {

class ListRowModel;
class TRecType;

// The account on screen: the folder list and the record list of the selected folder, side by
// side in a splitter, shown as the session's settings say. The rows are the account's; what
// the user selects here is what the commands work on.
class AccountLists final : public QObject, public ListWidthView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AccountLists)

public:
    AccountLists(AccountSession& session, QWidget* parent);
    ~AccountLists() override;

    // The splitter holding both lists, for the window's layout.
    QSplitter* Splitter() const { return m_splitter; }
    QTableView* FolderList() const { return m_lstFolders; }
    QTableView* RecordList() const { return m_lstRecords; }
    const ListRowModel& FolderRows() const { return *m_folderModel; }
    const ListRowModel& RecordRows() const { return *m_recordModel; }
    // The record list shows a folder's records (not an empty list for no folder).
    bool ShowsFolder() const { return m_recordListShowsFolder; }

    // -1 when no row is selected or focused.
    static int SelectedRow(const QTableView* list);
    static int FocusedRow(const QTableView* list);
    static void SelectRow(QTableView* list, int row);
    static void FocusRow(QTableView* list, int row);
    // Selects the focused row, or the first row when none is focused.
    static void EnsureListSelection(QTableView* list);

    void FillFolderList(bool keepSelection);
    void FillRecordList(bool keepSelection);
    // The selected row of the folder list as a folder index, or -1.
    int SelectedFolderIndex() const;
    // The record of the selected record row in the folder of the selected folder row.
    const TRecType* SelectedRecord() const;

    // The folder list's width: as laid out, else as last set, else the design width.
    int FolderListWidth() const;
    // The user moved the splitter: its width is one of the settings the account's save writes.
    void SplitterMoved();

    // The widths the settings file keeps: the lists' columns and the folder list.
    void ReadListWidths(AccountSettings& settings) const override;
    void SetListWidths(const AccountSettings& settings) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The rows were filled again.
    void filled();
    void folderListWidthChanged();
    // A double-click anywhere in a list, on an empty area too; in the record list also Enter.
    void folderListActivated();
    void recordListActivated();
    // Delete in a list.
    void folderDeleteRequested();
    void recordDeleteRequested();
    // The copy key in the record list: the record's password, never the cell as shown.
    void recordCopyRequested();

private:
    // Enter, Delete and the copy key in a list; true when the key was taken.
    bool ListKeyPressed(bool folderList, const QKeyEvent& key);
    void ShowSettings();
    void ShowColumnCaptions();
    RecordRowLayout Layout() const;

    AccountSession& m_session;
    QList<QIcon> m_folderIcons;
    QList<QIcon> m_recordIcons;
    QSplitter* m_splitter = nullptr;
    QTableView* m_lstFolders = nullptr;
    QTableView* m_lstRecords = nullptr;
    ListRowModel* m_folderModel = nullptr;
    ListRowModel* m_recordModel = nullptr;
    // L_Column1, R_Column1 to R_Column4 and L_Width as last set: hidden columns and a window
    // not laid out yet have no width of their own to read.
    std::array<std::int32_t, 6> m_listWidths{};
    bool m_recordListShowsFolder = false;
    bool m_splitterDragged = false;
};

// The folder list's width in the design.
inline constexpr int kFolderListWidth = 210;

} // namespace velmora
