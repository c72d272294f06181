#include "cli/PasswordSource.h"

#include "cli/ExitCode.h"
#include "core/vault/Secret.h"

#include <csignal>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace velmora::cli {
namespace {

// Long enough for any password, so reading never moves it to a second buffer that is not wiped.
constexpr std::size_t kPasswordReserve = 1024;

termios g_savedTerminal{};

extern "C" void RestoreTerminalAndStop(int signal)
{
    tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Turns echo off while it lives, and back on when it goes or when Ctrl+C ends the program.
class HiddenInput
{
public:
    HiddenInput()
    {
        m_active = tcgetattr(STDIN_FILENO, &g_savedTerminal) == 0;
        if (m_active) {
            m_previousHandler = std::signal(SIGINT, RestoreTerminalAndStop);
            termios hidden = g_savedTerminal;
            hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
        }
    }
    ~HiddenInput()
    {
        if (m_active) {
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
            std::signal(SIGINT, m_previousHandler);
        }
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

private:
    bool m_active = false;
    void (*m_previousHandler)(int) = SIG_DFL;
};

void ReadFromTerminal(std::string_view prompt, std::string& password)
{
    std::cerr << prompt << std::flush;
    bool read = false;
    {
        HiddenInput hidden;
        read = ReadPasswordLine(std::cin, password);
    }
    std::cerr << '\n';
    if (!read) {
        throw CommandError(ExitCode::Usage, "No password was typed.");
    }
}

} // namespace

bool ReadPasswordLine(std::istream& in, std::string& password)
{
    password.reserve(kPasswordReserve);
    if (!std::getline(in, password) && password.empty()) {
        return false;
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return true;
}

void StandardInputPasswords::Read(std::string_view prompt, bool confirm, std::string& password)
{
    if (!isatty(STDIN_FILENO)) {
        if (!ReadPasswordLine(std::cin, password)) {
            throw CommandError(ExitCode::Usage, "No password on standard input: give it as one line.");
        }
        return;
    }
    ReadFromTerminal(prompt, password);
    if (confirm) {
        std::string repeated;
        WipeOnExit wipeRepeated(repeated);
        ReadFromTerminal("Type the password again: ", repeated);
        if (repeated != password) {
            throw CommandError(ExitCode::Usage, "The two passwords differ; nothing was written.");
        }
    }
}

} // namespace velmora::cli
