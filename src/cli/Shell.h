#pragma once

#include "cli/CliApp.h"
#include "cli/CommandTable.h"

#include <chrono>
#include <string>
#include <vector>

namespace velmora::cli {

// The lines a shell reads.
class ShellInput
{
public:
    enum class Result
    {
        Line,
        Idle, // nothing came for the idle time
        End
    };
    virtual ~ShellInput() = default;
    // The next line without its line end. `idle` of zero waits as long as it takes.
    virtual Result Next(std::chrono::milliseconds idle, std::string& line) = 0;
};

// Standard input, read by the shell alone (no buffer of its own holds lines of it for others),
// waiting at most the idle time for a line where the system can tell.
class StandardInputLines final : public ShellInput
{
public:
    Result Next(std::chrono::milliseconds idle, std::string& line) override;
};

// How long the shell waits for the next command before it locks.
inline constexpr std::chrono::minutes kShellIdleLock{5};

// A shell's line as words: blanks separate them, and a blank, quote or backslash after a
// backslash, or anything within quotes, belongs to the word; any other backslash stays, so a
// path's `\/` is typed as it is. Throws CommandError (usage) for an unclosed quote.
std::vector<std::string> ShellWords(std::string_view line);

// An interactive shell on one account: each line is a command of the table that works on one
// account, given without the account's name. The password is asked once and kept for the
// commands; after `idle` without input it is wiped and asked again. Record passwords and
// questions come from `passwords`. A command's failure is reported and the shell goes on; the
// password refused throws CommandError and ends it.
void RunShell(const CliEnvironment& environment, const std::string& account, ShellInput& input,
              PasswordSource& passwords, std::chrono::milliseconds idle);

// `open NAME [--lock-after MINUTES]` on standard input, for the command table.
CommandAction DefineOpen(CLI::App& command);

} // namespace velmora::cli
