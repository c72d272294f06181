#include "cli/CliApp.h"

#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "cli/SealCommands.h"
#include "core/generator/PasswordGenerator.h"
#include "core/os/AtomicFile.h"

#include <CLI/CLI.hpp>
#include <map>
#include <optional>

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

int RunCli(int argc, const char* const* argv, const CliEnvironment& environment)
{
    CLI::App app{"Lists, shows, exports and imports Velmora accounts, and generates passwords.", "velmora-cli"};
    app.require_subcommand(1);
    // Every command's options at once, which the manual page is made from.
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    app.fallthrough();
    app.footer("Exit codes: 0 success, 1 usage, 2 wrong password, 3 damaged file, 4 read or write failure, "
               "5 account not found.\nThe account password is read from the terminal, or as one line from "
               "standard input when that is not a terminal.\n");

    std::optional<std::filesystem::path> programDir;
    app.add_option("--dir", programDir,
                   "Program directory, holding Users/ and Default.lng (default: this program's when it holds "
                   "them, else the installed layout's folders)");
    const auto folders = [&] { return programDir ? PortableFolders(*programDir) : environment.folders; };
    // After --dir in the order of definition, so the folders it names are the ones shown.
    app.set_version_flag("--version", [&] { return VersionText("velmora-cli", folders()); });

    CLI::App* list = app.add_subcommand("list", "List the accounts");

    ShowOptions show;
    CLI::App* showCommand = app.add_subcommand("show", "Show the folders and records of an account");
    showCommand->add_option("account", show.account, "Account name")->required();
    showCommand->add_option("--folder", show.folder, "Show only the folders of this name");
    showCommand->add_flag("--show-passwords", show.showPasswords, "Show the passwords instead of asterisks");

    ExportOptions exportOptions;
    CLI::App* exportCommand =
        app.add_subcommand("export", "Write an account as JSON, as text, as KeePass 2 XML or as KeePassXC's CSV");
    exportCommand->add_option("account", exportOptions.account, "Account name")->required();
    exportCommand
        ->add_option("--format", exportOptions.format,
                     "json (everything, for import), text, keepass-xml or csv (for other password managers)")
        ->required()
        ->transform(
            CLI::CheckedTransformer(std::map<std::string, ExportFormat>{{"json", ExportFormat::Json},
                                                                        {"text", ExportFormat::Text},
                                                                        {"keepass-xml", ExportFormat::KeePassXml},
                                                                        {"csv", ExportFormat::Csv}}));
    exportCommand->add_option(
        "-o,--output", exportOptions.output,
        "Write to this file instead of standard output (\"-\", /dev/stdout and /dev/fd/1 are standard "
        "output, written where it stands)");
    exportCommand->add_option("--language", exportOptions.languageFile,
                              "Language file for the text labels (default: Default.lng)");

    ImportOptions import;
    CLI::App* importCommand =
        app.add_subcommand("import", "Write an account from a JSON export or another password manager's file");
    importCommand->add_option("account", import.account, "Account name")->required();
    importCommand->add_option("file", import.input, "JSON file written by export --format json, or the --from file")
        ->required();
    importCommand->add_flag("--replace", import.replace, "Write over an existing account of that name");
    CLI::Option* from =
        importCommand
            ->add_option(
                "--from", import.from,
                "keepass-xml (KeePass 2 XML, unprotected) or csv (a CSV export of a password manager or browser, "
                "read by its column names) in place of JSON")
            ->transform(CLI::CheckedTransformer(std::map<std::string, ForeignFormat>{
                {"keepass-xml", ForeignFormat::KeePassXml}, {"csv", ForeignFormat::Csv}}));
    importCommand
        ->add_flag("--replace-unmappable", import.replaceUnmappable,
                   "With --from: write characters the code page cannot hold as \"?\" instead of refusing")
        ->needs(from);

    GenerateOptions generate;
    bool noLower = false;
    bool noUpper = false;
    bool noDigits = false;
    bool noSpecial = false;
    CLI::App* generateCommand = app.add_subcommand("generate", "Generate a password");
    generateCommand->add_option("--length", generate.length, "Number of characters")
        ->check(CLI::Range(0, kMaxPasswordLength));
    generateCommand->add_flag("--no-lower", noLower, "No small letters a-z");
    generateCommand->add_flag("--no-upper", noUpper, "No capital letters A-Z");
    generateCommand->add_flag("--no-digits", noDigits, "No digits 0-9");
    generateCommand->add_flag("--no-special", noSpecial, "No special characters");
    generateCommand->add_option("--special", generate.specialCharacters, "The special characters to draw from");
    generateCommand->add_option("--seed", generate.seed,
                                "32-bit seed: the same seed and options always give the same password");

    const SealCommandLine seals(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, environment.out, environment.err);
        return code == 0 ? code : static_cast<int>(ExitCode::Usage);
    }
    generate.lowerCase = !noLower;
    generate.upperCase = !noUpper;
    generate.digits = !noDigits;
    generate.special = !noSpecial;

    const CommandContext context{folders(), environment.out, environment.passwords, environment.exportMoment};
    return Run(
        [&] {
            CreateUserFilesDirectory(context.folders);
            if (list->parsed()) {
                ListCommand(context);
            } else if (showCommand->parsed()) {
                ShowCommand(context, show);
            } else if (exportCommand->parsed()) {
                ExportCommand(context, exportOptions);
            } else if (importCommand->parsed()) {
                ImportCommand(context, import);
            } else if (!seals.RunIfParsed(context)) {
                GenerateCommand(context, generate);
            }
        },
        environment.out, environment.err);
}

} // namespace velmora::cli
