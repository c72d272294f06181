#pragma once

#include <QString>

namespace velmora {

// True when the text holds nothing but blanks and control characters: an empty field for the
// checks of the dialogs.
bool IsBlankField(const QString& text);

// True when the text holds nothing but blanks (white space). Stricter than IsBlankField: the
// account dialogs take a name or password of control characters as typed.
bool IsBlanksOnly(const QString& text);

} // namespace velmora
