#pragma once

#include "cli/Clipboard.h"
#include "cli/PasswordSource.h"
#include "core/account/ProgramFolders.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace velmora::cli {

// What the tool takes from the process it runs in.
struct CliEnvironment
{
    ProgramFolders folders; // by the layout rule, for the executable's directory
    std::ostream& out;
    std::ostream& err;
    PasswordSource& passwords;
    std::function<std::string()> exportMoment;
    Clipboard* clipboard = nullptr; // none: clip fails as without a display
    // The password (UTF-8, as typed) of the account an open shell holds, given to its commands
    // instead of asking.
    const std::string* accountPassword = nullptr;
};

// Parses the command line, runs the command and returns the exit code. Errors are sentences on
// `err`; nothing else is written there.
int RunCli(int argc, const char* const* argv, const CliEnvironment& environment);

} // namespace velmora::cli
