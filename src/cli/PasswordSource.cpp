#include "cli/PasswordSource.h"

#include "cli/ExitCode.h"
#include "core/os/Terminal.h"
#include "core/vault/Secret.h"

#include <iostream>

namespace velmora::cli {
namespace {

// Long enough for any password, so reading never moves it to a second buffer that is not wiped.
constexpr std::size_t kPasswordReserve = 1024;

void ReadFromTerminal(std::string_view prompt, std::string& password)
{
    std::cerr << prompt << std::flush;
    bool read = false;
    {
        HiddenTerminalInput hidden;
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
    if (!StandardInputIsTerminal()) {
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

void StandardInputPasswords::ReadLine(std::string& secret)
{
    bool read = false;
    {
        HiddenTerminalInput hidden;
        read = ReadPasswordLine(std::cin, secret);
    }
    if (!read) {
        throw CommandError(ExitCode::Usage, "No password on standard input: give it as one line.");
    }
}

bool StandardInputPasswords::Confirm(std::string_view question)
{
    std::cerr << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::cerr << '\n';
        return false;
    }
    if (!answer.empty() && answer.back() == '\r') {
        answer.pop_back();
    }
    return answer == "y" || answer == "Y" || answer == "yes";
}

} // namespace velmora::cli
