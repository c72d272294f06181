#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace velmora::cli {

// The names an option is typed by: --long and -s.
std::vector<std::string> OptionNames(const CLI::Option& option);

// The options a command (or the tool) shows in its help, positionals and hidden ones left out.
std::vector<const CLI::Option*> VisibleOptions(const CLI::App& command);

// A bash completion script for the tool as `app` defines it: its commands, each command's
// options, file names after an option that takes a value.
std::string BashCompletion(CLI::App& app);

} // namespace velmora::cli
