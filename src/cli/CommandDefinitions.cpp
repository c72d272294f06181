#include "cli/CommandDefinitions.h"

#include "cli/ReadingCommands.h"
#include "cli/RecordPassword.h"

#include <map>
#include <memory>

namespace velmora::cli {
namespace {

// The names -a and --field take.
const std::map<std::string, RecordFieldName> kFieldNames{
    {"name", RecordFieldName::Name},   {"url", RecordFieldName::Url},           {"login", RecordFieldName::Login},
    {"id", RecordFieldName::IdNumber}, {"password", RecordFieldName::Password}, {"notes", RecordFieldName::Notes},
};

void AddJsonFlag(CLI::App& command, bool& json)
{
    command.add_flag("--json", json, "Write the output as JSON");
}

} // namespace

CommandAction DefineList(CLI::App& command)
{
    auto json = std::make_shared<bool>(false);
    AddJsonFlag(command, *json);
    return [json](const CommandContext& context) { ListCommand(context, *json); };
}

CommandAction DefineShow(CLI::App& command)
{
    auto all = std::make_shared<ShowOptions>();
    auto one = std::make_shared<ShowRecordOptions>();
    AddAccountArgument(command, all->account);
    command.add_option("path", one->path, "FOLDER/RECORD: show this record only");
    command.add_option("--folder", all->folder, "Without a record: show only the folders of this name");
    command.add_flag("--show-password,--show-passwords", all->showPasswords, "Show passwords instead of asterisks");
    command
        .add_option("-a,--attribute", one->fields,
                    "With a record: print only this field (name, url, login, "
                    "id, password, notes), once for each -a")
        ->transform(CLI::CheckedTransformer(kFieldNames));
    AddJsonFlag(command, all->json);
    return [all, one](const CommandContext& context) {
        if (one->path.empty()) {
            // Without a record, the account as a whole, as the tool always showed it.
            ShowCommand(context, *all);
            return;
        }
        one->json = all->json;
        one->account = all->account;
        one->showPassword = all->showPasswords;
        ShowRecordCommand(context, *one);
    };
}

CommandAction DefineExport(CLI::App& command)
{
    auto options = std::make_shared<ExportOptions>();
    AddAccountArgument(command, options->account);
    command
        .add_option("--format", options->format,
                    "json (everything, for import), text, keepass-xml or csv (for other password managers)")
        ->required()
        ->transform(
            CLI::CheckedTransformer(std::map<std::string, ExportFormat>{{"json", ExportFormat::Json},
                                                                        {"text", ExportFormat::Text},
                                                                        {"keepass-xml", ExportFormat::KeePassXml},
                                                                        {"csv", ExportFormat::Csv}}));
    command.add_option("-o,--output", options->output,
                       "Write to this file instead of standard output (\"-\", /dev/stdout and /dev/fd/1 are standard "
                       "output, written where it stands)");
    command.add_option("--language", options->languageFile, "Language file for the text labels (default: Default.lng)");
    return [options](const CommandContext& context) { ExportCommand(context, *options); };
}

CommandAction DefineImport(CLI::App& command)
{
    auto options = std::make_shared<ImportOptions>();
    AddAccountArgument(command, options->account);
    command.add_option("file", options->input, "JSON file written by export --format json, or the --from file")
        ->required();
    command.add_flag("--replace", options->replace, "Write over an existing account of that name");
    CLI::Option* from =
        command
            .add_option("--from", options->from,
                        "keepass-xml (KeePass 2 XML, unprotected) or csv (a CSV export of a password manager or "
                        "browser, read by its column names) in place of JSON")
            ->transform(CLI::CheckedTransformer(std::map<std::string, ForeignFormat>{
                {"keepass-xml", ForeignFormat::KeePassXml}, {"csv", ForeignFormat::Csv}}));
    command
        .add_flag("--replace-unmappable", options->replaceUnmappable,
                  "With --from: write characters the code page cannot hold as \"?\" instead of refusing")
        ->needs(from);
    return [options](const CommandContext& context) { ImportCommand(context, *options); };
}

CommandAction DefineGenerate(CLI::App& command)
{
    auto arguments = std::make_shared<GeneratorArguments>();
    AddGeneratorOptions(command, *arguments);
    command.add_option("--seed", arguments->options.seed,
                       "32-bit seed: the same seed and options always give the same password");
    return [arguments](const CommandContext& context) { GenerateCommand(context, arguments->Chosen()); };
}

CommandAction DefineLs(CLI::App& command)
{
    auto options = std::make_shared<LsOptions>();
    AddAccountArgument(command, options->account);
    command.add_option("folder", options->folder, "List the records of this folder instead of the folders");
    AddJsonFlag(command, options->json);
    return [options](const CommandContext& context) { LsCommand(context, *options); };
}

CommandAction DefineSearch(CLI::App& command)
{
    auto options = std::make_shared<SearchCommandOptions>();
    AddAccountArgument(command, options->account);
    command.add_option("text", options->text, "The text to find")->required();
    command
        .add_option("--field", options->fields,
                    "Search only this field (name, url, login, id, password), once for each --field")
        ->transform(CLI::CheckedTransformer(kFieldNames));
    command.add_option("--folder", options->folder, "Search only this folder");
    command.add_flag("--exact", options->exact, "The whole field must be the text");
    command.add_flag("--case-sensitive", options->caseSensitive, "Tell capital from small letters");
    AddJsonFlag(command, options->json);
    return [options](const CommandContext& context) { SearchCommand(context, *options); };
}

CommandAction DefineInfo(CLI::App& command)
{
    auto options = std::make_shared<InfoOptions>();
    AddAccountArgument(command, options->account);
    AddJsonFlag(command, options->json);
    return [options](const CommandContext& context) { InfoCommand(context, *options); };
}

CommandAction DefineClip(CLI::App& command)
{
    auto options = std::make_shared<ClipOptions>();
    AddAccountArgument(command, options->account);
    command.add_option("path", options->path, "FOLDER/RECORD")->required();
    command.add_option("seconds", options->seconds, "How long the clipboard keeps it (default 10)")
        ->check(CLI::Range(1, 86400));
    command.add_option("-a,--attribute", options->field, "The field to copy (default password)")
        ->transform(CLI::CheckedTransformer(kFieldNames));
    return [options](const CommandContext& context) { ClipCommand(context, *options); };
}

} // namespace velmora::cli
