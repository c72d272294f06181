#include "platform/AutomationDesktop.h"

#include "platform/AutomationBuiltin.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace velmora {

std::unique_ptr<AutomationService> DesktopAutomation()
{
    // This is the seam for a Windows build: there an AutomationService over COM late binding
    // (IDispatch) would reach the installed office applications. Here the program's own
    // objects write the files and the desktop opens them.
    const std::filesystem::path temporaryParent = QDir::tempPath().toStdU16String();
    RemoveAbandonedAutomationFiles(temporaryParent);
    return std::make_unique<BuiltinAutomation>(temporaryParent, [](const std::filesystem::path& file) {
        // A file URL, handed over as one argument: no shell parses the path.
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdU16String(file.u16string())));
    });
}

} // namespace velmora
