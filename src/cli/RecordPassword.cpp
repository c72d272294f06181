#include "cli/RecordPassword.h"

#include "cli/AccountStore.h"
#include "cli/ExitCode.h"
#include "core/generator/PasswordGenerator.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

namespace velmora::cli {

GenerateOptions GeneratorArguments::Chosen() const
{
    GenerateOptions chosen = options;
    chosen.lowerCase = !noLower;
    chosen.upperCase = !noUpper;
    chosen.digits = !noDigits;
    chosen.special = !noSpecial;
    return chosen;
}

void AddGeneratorOptions(CLI::App& command, GeneratorArguments& arguments)
{
    command.add_option("--length", arguments.options.length, "Number of characters")
        ->check(CLI::Range(0, kMaxPasswordLength));
    command.add_flag("--no-lower", arguments.noLower, "No small letters a-z");
    command.add_flag("--no-upper", arguments.noUpper, "No capital letters A-Z");
    command.add_flag("--no-digits", arguments.noDigits, "No digits 0-9");
    command.add_flag("--no-special", arguments.noSpecial, "No special characters");
    command.add_option("--special", arguments.options.specialCharacters, "The special characters to draw from");
}

void AddRecordPasswordOptions(CLI::App& command, RecordPasswordArguments& arguments, bool askFlag)
{
    CLI::Option* fromInput = command.add_flag("--password-stdin", arguments.fromStandardInput,
                                              "Read the record's password as one line of standard input");
    CLI::Option* generate =
        command.add_flag("-g,--generate", arguments.generate, "Generate the record's password")->excludes(fromInput);
    if (askFlag) {
        command.add_flag("-p,--password-prompt", arguments.ask, "Ask for a new password for the record")
            ->excludes(fromInput)
            ->excludes(generate);
    }
    AddGeneratorOptions(command, arguments.generator);
}

std::optional<std::string> ObtainRecordPassword(const CommandContext& context, const RecordPasswordArguments& arguments,
                                                bool askByDefault)
{
    if (arguments.generate) {
        return GenerateCodePagePassword(arguments.generator.Chosen());
    }
    std::string typed;
    WipeOnExit wipeTyped(typed);
    if (arguments.fromStandardInput) {
        context.passwords.ReadLine(typed);
    } else if (arguments.ask || askByDefault) {
        context.passwords.Read("Password for the record: ", true, typed);
    } else {
        return std::nullopt;
    }
    CodePageText converted = Utf8ToCodePage(typed);
    if (converted.unmappable) {
        Wipe(converted.bytes);
        throw CommandError(ExitCode::Usage, "The password holds a character that the code page cannot hold.");
    }
    return std::move(converted.bytes);
}

} // namespace velmora::cli
