#pragma once

#include <QString>

namespace velmora {

// True when the text holds nothing but blanks and control characters: an empty field for the
// checks of the dialogs.
bool IsBlankField(const QString& text);

} // namespace velmora
