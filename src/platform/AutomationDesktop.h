#pragma once

#include "core/export/Automation.h"

#include <memory>

namespace velmora {

// The automation the desktop program uses. Clear-text files that earlier runs left behind
// (a crash, a kill) are removed first.
std::unique_ptr<AutomationService> DesktopAutomation();

} // namespace velmora
