#include "platform/DisplayCheck.h"

#include <QtGlobal>

namespace velmora {

bool DisplayAvailable()
{
#if defined(Q_OS_LINUX)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true; // Windows always has its desktop
#endif
}

} // namespace velmora
