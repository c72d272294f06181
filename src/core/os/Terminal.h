#pragma once

#include <csignal>

namespace velmora {

// True when standard input is a terminal where a person types, not a pipe or a file.
bool StandardInputIsTerminal();

// Turns the echo of the terminal on standard input off while it lives, and back on when it goes
// or when Ctrl+C ends the program, so a typed password never shows. Does nothing where standard
// input is no terminal.
class HiddenTerminalInput
{
public:
    HiddenTerminalInput();
    ~HiddenTerminalInput();
    HiddenTerminalInput(const HiddenTerminalInput&) = delete;
    HiddenTerminalInput& operator=(const HiddenTerminalInput&) = delete;

private:
    bool m_active = false;
    void (*m_previousHandler)(int) = SIG_DFL;
};

} // namespace velmora
