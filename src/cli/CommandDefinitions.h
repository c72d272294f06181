#pragma once

#include "cli/CommandTable.h"

namespace velmora::cli {

// The command-line definitions of the tool's commands, one each, for the command table.
CommandAction DefineList(CLI::App& command);
CommandAction DefineShow(CLI::App& command);
CommandAction DefineExport(CLI::App& command);
CommandAction DefineImport(CLI::App& command);
CommandAction DefineGenerate(CLI::App& command);
CommandAction DefineLs(CLI::App& command);
CommandAction DefineSearch(CLI::App& command);
CommandAction DefineInfo(CLI::App& command);
CommandAction DefineClip(CLI::App& command);

} // namespace velmora::cli
