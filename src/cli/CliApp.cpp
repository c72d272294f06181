#include "cli/CliApp.h"

#include "cli/CommandDefinitions.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/Completion.h"
#include "cli/ExitCode.h"
#include "cli/HealthCommands.h"
#include "cli/PrintableText.h"
#include "cli/SealCommands.h"
#include "cli/Shell.h"
#include "cli/WritingCommands.h"
#include "core/generator/PasswordGenerator.h"
#include "core/os/AtomicFile.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <vector>

namespace velmora::cli {
namespace {

// A message keeps its own line breaks; a control character that came with a path or a name from
// the files is escaped.
std::string PrintableMessage(std::string_view message)
{
    return PrintableText(message, "\n\\");
}

int Run(const std::function<void()>& command, std::ostream& out, std::ostream& err)
{
    try {
        command();
        // A full disk or a closed pipe must not pass for a complete export.
        if (!out.flush()) {
            throw CommandError(ExitCode::ReadWriteFailure, "The output could not be written completely.");
        }
        return static_cast<int>(ExitCode::Success);
    } catch (const CommandError& error) {
        err << PrintableMessage(error.what()) << '\n';
        return static_cast<int>(error.Code());
    } catch (const std::exception& error) {
        err << "The command failed: " << PrintableMessage(error.what()) << '\n';
        return static_cast<int>(ExitCode::ReadWriteFailure);
    }
}

} // namespace

std::span<const CommandEntry> CommandTable()
{
    static const CommandEntry table[] = {
        {"list", "List the accounts", DefineList, false},
        {"ls", "List the folders of an account, or the records of one folder", DefineLs, true},
        {"show", "Show a record, or the folders and records of an account", DefineShow, true},
        {"search", "Find records by the program's search rules", DefineSearch, true},
        {"clip", "Copy a field of a record to the clipboard for a while", DefineClip, true},
        {"info", "Show the folders, records and files of an account", DefineInfo, true},
        {"open", "An interactive shell on one account", DefineOpen, false},
        {"create", "Create an account with its first folder", DefineCreate, false},
        {"passwd", "Give an account a new password", DefinePasswd, false},
        {"rename", "Give an account a new name", DefineRename, false},
        {"delete", "Delete an account and its files", DefineDelete, false},
        {"mkdir", "Add a folder", DefineMkdir, true},
        {"rmdir", "Remove a folder", DefineRmdir, true},
        {"add", "Add a record", DefineAdd, true},
        {"edit", "Change a record", DefineEdit, true},
        {"rm", "Remove a record", DefineRm, true},
        {"mv", "Move a record to another folder", DefineMv, true},
        {"merge", "Add the folders and records of another account file or JSON export that the account lacks",
         DefineMerge, true},
        {"export", "Write an account as JSON, as text, as KeePass 2 XML or as KeePassXC's CSV", DefineExport, true},
        {"import", "Write an account from a JSON export or another password manager's file", DefineImport, false},
        {"generate", "Generate a password", DefineGenerate, false},
        {"analyze", "List the records whose password is empty, weak, reused, equal to its login or name, or breached",
         DefineAnalyze, true},
        {"seal", "Seal an account's files under a slow key from its password", DefineSeal, false},
        {"unseal", "Write a sealed account's files back in the plain format", DefineUnseal, false},
        {"estimate", "Estimate the strength of a password read from standard input", DefineEstimate, false},
    };
    return table;
}

int RunCli(int argc, const char* const* argv, const CliEnvironment& environment)
{
    CLI::App app{"Reads and writes Velmora accounts, and generates passwords.", "velmora-cli"};
    app.require_subcommand(1);
    // Every command's options at once, which the manual page is made from.
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    app.fallthrough();
    app.footer(
        "Exit codes: 0 success, 1 usage, 2 wrong password, 3 damaged file, 4 read or write failure, "
        "5 not found (account, folder or record).\nThe account password is read from the terminal, or as one line from "
        "standard input when that is not a terminal.\n");

    std::optional<std::filesystem::path> programDir;
    app.add_option("--dir", programDir,
                   "Program directory, holding Users/ and Default.lng (default: this program's when it holds "
                   "them, else the installed layout's folders)");
    const auto folders = [&] { return programDir ? PortableFolders(*programDir) : environment.folders; };
    // After --dir in the order of definition, so the folders it names are the ones shown.
    app.set_version_flag("--version", [&] { return VersionText("velmora-cli", folders()); });

    // For the build, which installs the completion made from the definitions above and below.
    app.add_flag_callback(
           "--bash-completion",
           [&] {
               environment.out << BashCompletion(app);
               throw CLI::Success();
           },
           "Print the bash completion script and exit")
        ->group("");

    std::vector<std::pair<CLI::App*, CommandAction>> commands;
    for (const CommandEntry& entry : CommandTable()) {
        CLI::App* command = app.add_subcommand(std::string(entry.name), std::string(entry.description));
        commands.emplace_back(command, entry.define(*command));
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, environment.out, environment.err);
        return code == 0 ? code : static_cast<int>(ExitCode::Usage);
    }
    const CommandContext context{folders(),
                                 environment.out,
                                 environment.passwords,
                                 environment.exportMoment,
                                 environment.clipboard,
                                 environment.accountPassword,
                                 &environment};
    return Run(
        [&] {
            CreateUserFilesDirectory(context.folders);
            for (const auto& [command, action] : commands) {
                if (command->parsed()) {
                    action(context);
                }
            }
        },
        environment.out, environment.err);
}

} // namespace velmora::cli
