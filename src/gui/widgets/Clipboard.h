#pragma once

#include "platform/Platform.h"

#include <QString>

namespace velmora {

// Puts a text on the clipboard. Every copy of the program is marked for clipboard history
// tools to skip: it is a password or another field of the vault.
void CopyToClipboard(ClipboardService& clipboard, const QString& text);

} // namespace velmora
