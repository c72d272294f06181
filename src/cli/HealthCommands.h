#pragma once

#include "cli/CommandTable.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>

namespace velmora::cli {

struct AnalyzeOptions
{
    std::string account{};
    std::optional<std::filesystem::path> breached{}; // a downloaded list of breached passwords
    bool json = false;
};

// The password health of an account: each record whose password is empty, weak, used by other
// records, equal to its login or name, or (with a breach list) seen in breaches; worst first.
void AnalyzeCommand(const CommandContext& context, const AnalyzeOptions& options);

struct EstimateOptions
{
    bool json = false;
};

// The strength of one password read as the account password is (never from an argument): the
// estimated guesses and the time an attacker with a plain account file needs.
void EstimateCommand(const CommandContext& context, const EstimateOptions& options);

// `analyze` and `estimate` for the tool's command table.
CommandAction DefineAnalyze(CLI::App& command);
CommandAction DefineEstimate(CLI::App& command);

} // namespace velmora::cli
