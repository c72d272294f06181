#pragma once

#include "cli/CommandTable.h"
#include "core/vault/SealedText.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace velmora::cli {

struct SealOptions
{
    std::string account{};
    // The Argon2id cost of a new seal; when not given, as much as takes about half a second here.
    std::optional<SealCost> cost{};
};

// Seals the account's files under a key derived from its password (asked for), so that each
// guess at the password costs an Argon2id run and a changed byte is noticed. A sealed account
// opens in this program and this tool only. A sealed account is sealed again under its key, so
// an interrupted seal is finished. Prints what it did. Throws CommandError.
void SealCommand(const CommandContext& context, const SealOptions& options);

// Writes a sealed account's files back in the plain format the Windows program reads, byte for
// byte what they were before sealing; plain files stay as they are. Throws CommandError.
void UnsealCommand(const CommandContext& context, const SealOptions& options);

// `seal` and `unseal` for the tool's command table.
CommandAction DefineSeal(CLI::App& command);
CommandAction DefineUnseal(CLI::App& command);

} // namespace velmora::cli
