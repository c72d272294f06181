#include "core/os/Terminal.h"

#ifdef _WIN32
#include <cstdio>
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

#ifdef _WIN32

using TerminalState = DWORD;

bool SaveTerminal(TerminalState& state)
{
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &state) != 0;
}

void RestoreTerminal(const TerminalState& state, bool)
{
    SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), state);
}

void HideEcho(const TerminalState& state)
{
    SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), state & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
}

#else

using TerminalState = termios;

bool SaveTerminal(TerminalState& state)
{
    return tcgetattr(STDIN_FILENO, &state) == 0;
}

// At once from a signal handler; else after what was typed has been read.
void RestoreTerminal(const TerminalState& state, bool atOnce)
{
    tcsetattr(STDIN_FILENO, atOnce ? TCSANOW : TCSAFLUSH, &state);
}

void HideEcho(const TerminalState& state)
{
    termios hidden = state;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
}

#endif

// Global, for the signal handler: it must give the echo back before the program ends.
TerminalState g_savedTerminal{};

extern "C" void RestoreTerminalAndStop(int signal)
{
    RestoreTerminal(g_savedTerminal, true);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

bool StandardInputIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

HiddenTerminalInput::HiddenTerminalInput()
{
    m_active = SaveTerminal(g_savedTerminal);
    if (m_active) {
        m_previousHandler = std::signal(SIGINT, RestoreTerminalAndStop);
        HideEcho(g_savedTerminal);
    }
}

HiddenTerminalInput::~HiddenTerminalInput()
{
    if (m_active) {
        RestoreTerminal(g_savedTerminal, false);
        std::signal(SIGINT, m_previousHandler);
    }
}

} // namespace velmora
