#include "gui/account/ReportFilesLeft.h"

#include "gui/session/AccountSession.h"

namespace velmora {

void ReportFilesLeft(AccountSession& session, const std::vector<std::filesystem::path>& files)
{
    QString text = session.Message("const_not_deleted");
    for (const std::filesystem::path& file : files) {
        text += QLatin1Char('\r') + QString::fromStdU16String(file.u16string());
    }
    session.ShowMessageBox(text, MessageKind::Error);
}

} // namespace velmora
