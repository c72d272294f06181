#include "core/os/ProcessHardening.h"
#include "gui/account/TfrmAccountSet.h"
#include "gui/main/EndOnSignal.h"
#include "gui/main/TfrmMain.h"
#include "gui/program/DesktopProgram.h"
#include "gui/widgets/Pictures.h"
#include "platform/AutomationDesktop.h"
#include "platform/QtPlatform.h"
#include "platform/TrayIconQt.h"

#include <QApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// Qt would abort with a long message; say it in one line instead.
bool DisplayAvailable()
{
#if defined(Q_OS_LINUX)
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    using namespace velmora;
    HardenProcess();
    if (!DisplayAvailable()) {
        std::fputs("velmora: no display to show the window on (DISPLAY is not set)\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QLatin1String(kApplicationTitle));
    QApplication::setWindowIcon(ApplicationIcon());

    QtPlatform platform;
    const std::unique_ptr<AutomationService> automation = DesktopAutomation();
    TrayIconQt tray(ApplicationIcon());
    DesktopProgram program(platform.Services(), *automation, tray);
    // A locked program may show no window at all; every way out ends the program explicitly.
    QApplication::setQuitOnLastWindowClosed(false);
    EndOnSignal endOnSignal(program.Main());

    program.Main().FormShow(QApplication::applicationDirPath().toStdU16String());
    if (!program.AccountDialog().AccountOpened()) {
        return 0; // the account dialog was left without an account
    }
    return QApplication::exec();
}
