#pragma once

#include "cli/CommandTable.h"

namespace velmora::cli {

// The commands that change accounts. Each asks for the passwords first, then holds the account's
// lock from reading its file to writing it (see LockedAccount), so no other program's save in
// between is lost.
CommandAction DefineCreate(CLI::App& command);
CommandAction DefinePasswd(CLI::App& command);
CommandAction DefineRename(CLI::App& command);
CommandAction DefineDelete(CLI::App& command);
CommandAction DefineMkdir(CLI::App& command);
CommandAction DefineRmdir(CLI::App& command);
CommandAction DefineAdd(CLI::App& command);
CommandAction DefineEdit(CLI::App& command);
CommandAction DefineRm(CLI::App& command);
CommandAction DefineMv(CLI::App& command);
CommandAction DefineMerge(CLI::App& command);

} // namespace velmora::cli
