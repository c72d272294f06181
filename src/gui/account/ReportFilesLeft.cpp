#include "gui/account/ReportFilesLeft.h"

#include "gui/main/TfrmMain.h"

namespace velmora {

void ReportFilesLeft(TfrmMain& main, const std::vector<std::filesystem::path>& files)
{
    QString text = main.Message("const_not_deleted");
    for (const std::filesystem::path& file : files) {
        text += QLatin1Char('\r') + QString::fromStdU16String(file.u16string());
    }
    main.ShowMessageBox(text, MessageKind::Error);
}

} // namespace velmora
