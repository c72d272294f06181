#include "gui/browser/EditingCommands.h"

#include "gui/browser/CommandSupport.h"
#include "gui/commands/CommandTable.h"
#include "gui/generator/TfrmPassGen.h"

namespace velmora {

EditingCommands::EditingCommands(AccountSession& session, AccountLists& lists, CommandTable& commands,
                                 TfrmFolder& frmFolder, TfrmRecord& frmRecord, TfrmPassGen& frmPassGen)
    : m_folders(session, lists, commands, frmFolder), m_records(session, lists, commands, frmRecord),
      m_dragging(session, lists), m_clipboard(session, lists, commands)
{
    commands.Bind("mPassGen", *this, [&frmPassGen] { frmPassGen.ShowFromMain(); });
}

} // namespace velmora
