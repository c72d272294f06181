#pragma once

#include "cli/Commands.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <span>
#include <string_view>

namespace velmora::cli {

// What a command does once the command line is parsed.
using CommandAction = std::function<void(const CommandContext&)>;

// Adds a command's arguments and options to `command` and returns its action, which reads them.
// The options live as long as the action (keep them in a shared_ptr the action holds).
using CommandDefinition = CommandAction (*)(CLI::App& command);

// One line of the tool's command table (CommandTable() in CliApp.cpp). Adding a command is one
// entry there and a definition next to the command's code; help, the shell, the manual page and
// the completion follow from the table.
struct CommandEntry
{
    std::string_view name;
    std::string_view description;
    CommandDefinition define;
    bool inShell; // works on one account, and so is a command of the shell `open` starts
};

// Every command of the tool, in the order help lists them.
std::span<const CommandEntry> CommandTable();

// The positional every command on one account takes first.
inline CLI::Option* AddAccountArgument(CLI::App& command, std::string& account)
{
    return command.add_option("account", account, "Account name")->required();
}

} // namespace velmora::cli
