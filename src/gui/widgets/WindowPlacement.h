#pragma once

class QWidget;

namespace velmora {

// Moves the window to the middle of the primary screen.
void CentreOnScreen(QWidget& window);
// Moves the window just past the primary screen's right edge, so it cannot be seen.
void MoveOffScreen(QWidget& window);

} // namespace velmora
