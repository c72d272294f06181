#include "cli/HealthCommands.h"

#include "cli/AccountStore.h"
#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "core/generator/PasswordStrength.h"
#include "core/health/BreachList.h"
#include "core/health/GuessTime.h"
#include "core/health/PasswordHealth.h"
#include "core/os/AtomicFile.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <memory>
#include <nlohmann/json.hpp>

namespace velmora::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Counted(std::uint64_t count, const char* one, const char* other)
{
    return std::to_string(count) + ' ' + (count == 1 ? one : other);
}

std::string GuessTimeText(GuessTime time)
{
    switch (time.unit) {
    case GuessTime::Unit::LessThanASecond:
        return "less than a second";
    case GuessTime::Unit::Seconds:
        return Counted(time.count, "second", "seconds");
    case GuessTime::Unit::Minutes:
        return Counted(time.count, "minute", "minutes");
    case GuessTime::Unit::Hours:
        return Counted(time.count, "hour", "hours");
    case GuessTime::Unit::Days:
        return Counted(time.count, "day", "days");
    case GuessTime::Unit::Years:
        return Counted(time.count, "year", "years");
    case GuessTime::Unit::Centuries:
        return Counted(time.count, "century", "centuries");
    case GuessTime::Unit::MillionsOfCenturies:
        break;
    }
    return "more than a million centuries";
}

// A power of ten with one decimal, as "10^7.3".
std::string PowerOfTen(double log10)
{
    char text[32];
    std::snprintf(text, sizeof text, "10^%.1f", log10);
    return text;
}

std::string UserText(std::string_view codePage)
{
    return PrintableText(CodePageToUtf8(codePage));
}

std::string TroublesText(const HealthFinding& finding)
{
    if (finding.empty) {
        return "empty";
    }
    std::string text;
    const auto add = [&text](const std::string& trouble) { text += (text.empty() ? "" : ", ") + trouble; };
    if (finding.timesBreached) {
        add("seen " + Counted(*finding.timesBreached, "time", "times") + " in breaches");
    }
    if (finding.equalsLogin) {
        add("same as the login");
    }
    if (finding.equalsName) {
        add("same as the record's name");
    }
    if (finding.weak) {
        add("weak (" + PowerOfTen(finding.log10Guesses) + " guesses)");
    }
    if (finding.reusedBy > 0) {
        add("used by " + Counted(finding.reusedBy, "other record", "other records"));
    }
    return text;
}

Json FindingJson(const HealthFinding& finding, bool breachChecked)
{
    Json item;
    item["folder"] = CodePageToUtf8(finding.record.folderName);
    item["record"] = CodePageToUtf8(finding.record.recordName);
    item["position"] = finding.record.position;
    item["empty"] = finding.empty;
    item["weak"] = finding.weak;
    item["log10Guesses"] = finding.log10Guesses;
    item["reusedBy"] = finding.reusedBy;
    item["equalsLogin"] = finding.equalsLogin;
    item["equalsName"] = finding.equalsName;
    if (breachChecked) {
        item["timesBreached"] = finding.timesBreached.value_or(0);
    }
    return item;
}

std::size_t RecordCount(const TAccount& account)
{
    std::size_t count = 0;
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        count += account.Folder(f).Count();
    }
    return count;
}

} // namespace

void AnalyzeCommand(const CommandContext& context, const AnalyzeOptions& options)
{
    ScopedAccount account(AccountName(options.account));
    // A list that cannot be read is told before the password is asked for.
    std::optional<BreachList> breaches;
    try {
        if (options.breached) {
            breaches.emplace(*options.breached);
        }
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    }
    OpenWithPassword(context, *account);
    std::vector<HealthFinding> findings;
    try {
        findings = CheckPasswordHealth(*account, breaches ? &*breaches : nullptr);
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    }

    if (options.json) {
        Json report;
        report["account"] = CodePageToUtf8(account->Name);
        report["records"] = RecordCount(*account);
        report["breachChecked"] = breaches.has_value();
        report["findings"] = Json::array();
        for (const HealthFinding& finding : findings) {
            report["findings"].push_back(FindingJson(finding, breaches.has_value()));
        }
        context.out << report.dump(2) << '\n';
    } else {
        context.out << "Account " << QuotedName(*account) << ": " << findings.size() << " of "
                    << Counted(RecordCount(*account), "record", "records") << " need attention.\n";
        for (const HealthFinding& finding : findings) {
            context.out << UserText(finding.record.folderName) << " / " << UserText(finding.record.recordName) << ": "
                        << TroublesText(finding) << '\n';
        }
    }
    RequireUndamaged(context.folders.userFiles, *account);
}

void EstimateCommand(const CommandContext& context, const EstimateOptions& options)
{
    std::string typed;
    WipeOnExit wipeTyped(typed);
    context.passwords.Read("Password to estimate: ", false, typed);
    CodePageText password = Utf8ToCodePage(typed);
    WipeOnExit wipePassword(password.bytes);
    if (password.unmappable) {
        throw CommandError(ExitCode::Usage, "The password holds a character that the code page cannot hold.");
    }
    const PasswordStrength strength = EstimatePasswordStrength(password.bytes);
    const double seconds = SecondsToGuess(strength, kPlainGuessesPerSecond);
    const bool weak = strength.log10Guesses < kWeakBelowLog10Guesses;
    const bool confirm = strength.log10Guesses < kConfirmBelowLog10Guesses;
    if (options.json) {
        Json report;
        report["log10Guesses"] = strength.log10Guesses;
        report["guessesPerSecond"] = kPlainGuessesPerSecond;
        report["secondsToGuess"] = seconds;
        report["weak"] = weak;
        report["confirmAsAccountPassword"] = confirm;
        context.out << report.dump(2) << '\n';
        return;
    }
    context.out << "Guesses: " << PowerOfTen(strength.log10Guesses) << '\n'
                << "Time to guess with the account file, at 10^" << std::lround(std::log10(kPlainGuessesPerSecond))
                << " guesses a second: " << GuessTimeText(GuessTimeOf(seconds)) << '\n'
                << "Rating: "
                << (weak      ? "weak"
                    : confirm ? "fair (the program asks before it uses it as an account password)"
                              : "strong")
                << '\n';
}

CommandAction DefineAnalyze(CLI::App& command)
{
    auto options = std::make_shared<AnalyzeOptions>();
    AddAccountArgument(command, options->account);
    command.add_option("--breached", options->breached,
                       "A downloaded list of breached passwords (sorted SHA1-HEX:COUNT lines), looked up on disk; "
                       "nothing goes over the network");
    command.add_flag("--json", options->json, "Write the report as JSON");
    return [options](const CommandContext& context) { AnalyzeCommand(context, *options); };
}

CommandAction DefineEstimate(CLI::App& command)
{
    auto options = std::make_shared<EstimateOptions>();
    command.add_flag("--json", options->json, "Write the estimate as JSON");
    return [options](const CommandContext& context) { EstimateCommand(context, *options); };
}

} // namespace velmora::cli
