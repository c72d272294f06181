#pragma once

#include "cli/Commands.h"

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

// `analyze` and `estimate` on the tool's command line.
class HealthCommandLine
{
public:
    explicit HealthCommandLine(CLI::App& app);
    // Runs the one of them that was given; false when neither was.
    bool RunParsed(const CommandContext& context) const;

private:
    CLI::App* m_analyze = nullptr;
    CLI::App* m_estimate = nullptr;
    AnalyzeOptions m_analyzeOptions;
    EstimateOptions m_estimateOptions;
};

} // namespace velmora::cli
