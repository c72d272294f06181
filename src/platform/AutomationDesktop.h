#pragma once

#include "platform/Automation.h"

#include <memory>

namespace velmora {

// The automation the desktop program uses.
std::unique_ptr<AutomationService> DesktopAutomation();

} // namespace velmora
