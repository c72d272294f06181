#pragma once

#include "gui/browser/ClipboardCommands.h"
#include "gui/browser/FolderCommands.h"
#include "gui/browser/RecordCommands.h"
#include "gui/browser/RecordDragDrop.h"

#include <QObject>

namespace velmora {

class TfrmFolder;
class AccountLists;
class AccountSession;
class CommandTable;
class TfrmPassGen;
class TfrmRecord;

// Every command of the main window that edits the vault or copies from it, joined to the
// menus, tool bar, context menus, double clicks and dragging of the main window.
class EditingCommands final : public QObject
{
    Q_DISABLE_COPY_MOVE(EditingCommands)

public:
    EditingCommands(AccountSession& session, AccountLists& lists, CommandTable& commands, TfrmFolder& frmFolder,
                    TfrmRecord& frmRecord, TfrmPassGen& frmPassGen);

    FolderCommands& Folders() { return m_folders; }
    RecordCommands& Records() { return m_records; }
    RecordDragDrop& Dragging() { return m_dragging; }
    ClipboardCommands& Clipboard() { return m_clipboard; }

private:
    FolderCommands m_folders;
    RecordCommands m_records;
    RecordDragDrop m_dragging;
    ClipboardCommands m_clipboard;
};

} // namespace velmora
