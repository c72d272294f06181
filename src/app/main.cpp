#include "ProgramInfo.h"
#include "core/account/ProgramFolders.h"
#include "core/os/AtomicFile.h"
#include "core/os/ExecutableDirectory.h"
#include "core/os/ProcessHardening.h"
#include "gui/account/TfrmAccountSet.h"
#include "gui/main/TfrmMain.h"
#include "gui/program/DesktopProgram.h"
#include "gui/session/EndOnSignal.h"
#include "gui/widgets/Pictures.h"
#include "platform/AutomationDesktop.h"
#include "platform/DisplayCheck.h"
#include "platform/QtPlatform.h"
#include "platform/SingleInstance.h"
#include "platform/TrayIconQt.h"

#include <QApplication>
#include <QGuiApplication>
#include <cstdio>
#include <string_view>

namespace {

bool AskedForVersion(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--version") {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace velmora;
    HardenProcess();
    // Before any window: a terminal without a display asks too.
    if (AskedForVersion(argc, argv)) {
        try {
            std::printf("%s\n", VersionText("velmora", ChooseProgramFolders(ExecutableDirectory(argv[0]))).c_str());
        } catch (const FileError& error) {
            std::fprintf(stderr, "velmora: %s\n", error.what());
            return 2;
        }
        return 0;
    }
    if (!DisplayAvailable()) {
        std::fputs("velmora: no display to show the window on (DISPLAY is not set)\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setApplicationVersion(QLatin1String(kVersion));
    // Window managers and the notification area find the icon and group the windows by it.
    QApplication::setDesktopFileName(QLatin1String(kDesktopId));
    QApplication::setWindowIcon(ApplicationIcon());

    ProgramFolders folders;
    try {
        folders = ChooseProgramFolders(QApplication::applicationDirPath().toStdU16String());
        CreateUserFilesDirectory(folders);
    } catch (const FileError& error) {
        std::fprintf(stderr, "velmora: %s\n", error.what());
        return 2;
    }
    SingleInstance instance(folders.userFiles);
    if (!instance.Claim()) {
        return 0; // the program already running on these accounts raises its window instead
    }

    QtPlatform platform;
    const std::unique_ptr<AutomationService> automation = DesktopAutomation();
    TrayIconQt tray(ApplicationIcon());
    DesktopProgram program(platform.Services(), *automation, tray);
    // A locked program may show no window at all; every way out ends the program explicitly.
    QApplication::setQuitOnLastWindowClosed(false);
    EndOnSignal endOnSignal(program.Session());

    QObject::connect(&instance, &SingleInstance::RaiseRequested, &program.Main(),
                     [&program] { program.BringToFront(); });

    program.Main().FormShow(folders);
    if (!program.AccountDialog().AccountOpened()) {
        return 0; // the account dialog was left without an account
    }
    return QApplication::exec();
}
