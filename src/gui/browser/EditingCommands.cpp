#include "gui/browser/EditingCommands.h"

#include "gui/browser/CommandSupport.h"
#include "gui/commands/CommandTable.h"
#include "gui/generator/TfrmPassGen.h"
#include "gui/main/TfrmMain.h"

namespace velmora {

EditingCommands::EditingCommands(TfrmMain& main, TfrmFolder& frmFolder, TfrmRecord& frmRecord, TfrmPassGen& frmPassGen)
    : m_folders(main, frmFolder), m_records(main, frmRecord), m_dragging(main), m_clipboard(main)
{
    main.Commands().Bind("mPassGen", *this, [&frmPassGen] { frmPassGen.ShowFromMain(); });
}

} // namespace velmora
