#pragma once

#include "cli/Commands.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace velmora::cli {

// The generator's options as the command line gives them.
struct GeneratorArguments
{
    GenerateOptions options;
    bool noLower = false;
    bool noUpper = false;
    bool noDigits = false;
    bool noSpecial = false;

    // The options with the classes the flags turned off.
    GenerateOptions Chosen() const;
};

// --length, --no-lower, --no-upper, --no-digits, --no-special and --special.
void AddGeneratorOptions(CLI::App& command, GeneratorArguments& arguments);

// Where a record's new password comes from: never the command line. Asked twice with echo off
// by default, one line of standard input with --password-stdin, or generated with -g.
struct RecordPasswordArguments
{
    bool ask = false;
    bool fromStandardInput = false;
    bool generate = false;
    GeneratorArguments generator;
};

// The options above; `askFlag` adds -p for a command that keeps the password unless told.
void AddRecordPasswordOptions(CLI::App& command, RecordPasswordArguments& arguments, bool askFlag);

// The new password as code page bytes (the caller wipes it); nothing when the arguments ask for
// none and `askByDefault` is off. Throws CommandError.
std::optional<std::string> ObtainRecordPassword(const CommandContext& context, const RecordPasswordArguments& arguments,
                                                bool askByDefault);

} // namespace velmora::cli
