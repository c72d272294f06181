#include "gui/widgets/Clipboard.h"

namespace velmora {

void CopyToClipboard(ClipboardService& clipboard, const QString& text)
{
    clipboard.SetText(text, true);
}

} // namespace velmora
