#include "gui/browser/CommandSupport.h"

#include "gui/main/TfrmMain.h"

namespace velmora {

bool ConfirmWithCaption(TfrmMain& main, std::string_view key, const std::string& caption)
{
    const QString text = QLatin1Char('\r') + main.FormatMessage(key, {caption});
    return main.Services().messages.AskYesNo(text) == Answer::Yes;
}

int SelectedFolderIndex(TfrmMain& main)
{
    const int row = main.SelectedRow(main.FolderList());
    return row >= 0 && static_cast<std::size_t>(row) < main.Account().FolderCount() ? row : -1;
}

} // namespace velmora
