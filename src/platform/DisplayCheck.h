#pragma once

namespace velmora {

// Whether the desktop program has a display to show its windows on. Without one Qt would abort
// with a long message; the program says so in one line instead.
bool DisplayAvailable();

} // namespace velmora
