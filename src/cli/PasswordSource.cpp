#include "cli/PasswordSource.h"

#include "cli/ExitCode.h"
#include "core/os/Terminal.h"
#include "core/vault/Secret.h"

#include <iostream>

namespace velmora::cli {
namespace {

// Long enough for any password, so reading never moves it to a second buffer that is not wiped.
constexpr std::size_t kPasswordReserve = 1024;

} // namespace

StandardInputPasswords::StandardInputPasswords(LineReader readLine)
    : m_readLine(readLine ? std::move(readLine) : [](std::string& line) { return ReadPasswordLine(std::cin, line); })
{}

void StandardInputPasswords::ReadFromTerminal(std::string_view prompt, std::string& password)
{
    std::cerr << prompt << std::flush;
    bool read = false;
    {
        HiddenTerminalInput hidden;
        read = m_readLine(password);
    }
    std::cerr << '\n';
    if (!read) {
        throw CommandError(ExitCode::Usage, "No password was typed.");
    }
}

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
    if (!StandardInputIsTerminal()) {
        if (!m_readLine(password)) {
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

void StandardInputPasswords::ReadLine(std::string& secret)
{
    bool read = false;
    {
        HiddenTerminalInput hidden;
        read = m_readLine(secret);
    }
    if (!read) {
        throw CommandError(ExitCode::Usage, "No password on standard input: give it as one line.");
    }
}

bool StandardInputPasswords::Confirm(std::string_view question)
{
    std::cerr << question << " [y/N] " << std::flush;
    std::string answer;
    if (!m_readLine(answer)) {
        std::cerr << '\n';
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes";
}

} // namespace velmora::cli
