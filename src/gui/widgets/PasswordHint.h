#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace velmora {

// How long a hint of `length` characters stays up: 8 * length - 9 passes of 10 ms, none for
// fewer than one pass.
int PasswordHintMilliseconds(qsizetype length);

// Shows `text` in a tooltip-style window just below `control` (5 pixels in from its left edge)
// for PasswordHintMilliseconds; the window is owned by the control. The window stays responsive
// meanwhile. Returns the hint window, or nullptr when its time was over at once.
QLabel* ShowPasswordHint(QWidget* control, const QString& text);

} // namespace velmora
