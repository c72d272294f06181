#include "gui/browser/CommandSupport.h"

#include "gui/main/TfrmMain.h"

#include <QAction>

namespace velmora {

void BindCommand(TfrmMain& main, const char* name, QObject& context, std::function<void()> handler)
{
    auto* action = main.findChild<QAction*>(QLatin1String(name));
    Q_ASSERT(action != nullptr);
    QObject::connect(action, &QAction::triggered, &context, [handler = std::move(handler)] { handler(); });
    action->setEnabled(true);
}

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
