#include "cli/SealCommands.h"

#include "cli/AccountStore.h"
#include "cli/ExitCode.h"
#include "core/account/AccountSeal.h"
#include "core/os/AtomicFile.h"

#include <chrono>
#include <memory>

namespace velmora::cli {
namespace {

constexpr std::chrono::milliseconds kSealTime{500};

// The account's files rewritten by `change`, reported as the other commands report their files.
void ReportChange(const CommandContext& context, const TAccount& account, const SealChange& change,
                  std::string_view done)
{
    switch (change.result) {
    case SealChange::Result::Done:
        context.out << "The account " << QuotedName(account) << done << '\n';
        return;
    case SealChange::Result::WrongPassword:
        throw CommandError(ExitCode::WrongPassword,
                           "The account " + QuotedName(account) + " was saved under another password meanwhile.");
    case SealChange::Result::Changed:
        break;
    }
    throw CommandError(ExitCode::DamagedFile, "A sealed file of the account " + QuotedName(account) +
                                                  " was changed outside the program; nothing was written.");
}

template <typename Rewrite> SealChange RewriteFiles(Rewrite rewrite)
{
    try {
        return rewrite();
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, "The account was not written: " + std::string(failure.what()));
    }
}

} // namespace

void SealCommand(const CommandContext& context, const SealOptions& options)
{
    ScopedAccount account(AccountName(options.account));
    OpenWithPassword(context, *account);
    // A sealed account keeps its key: sealing again finishes a seal that was cut off between the
    // two files. A new one costs about half a second of Argon2id for each open, unnoticed by the
    // user and slow for a guesser.
    const SealKey key = account->IsSealed()
                            ? *account->Seal()
                            : SealKey::Derive(account->Password, options.cost.value_or(ChooseSealCost(kSealTime)));
    const SealChange change = RewriteFiles(
        [&] { return SealAccountFiles(context.folders.userFiles, account->Name, account->Password, key); });
    ReportChange(context, *account, change,
                 " is sealed: the Windows program cannot open it until it is unsealed with \"unseal\".");
}

void UnsealCommand(const CommandContext& context, const SealOptions& options)
{
    ScopedAccount account(AccountName(options.account));
    OpenWithPassword(context, *account);
    const SealChange change = RewriteFiles([&] {
        return UnsealAccountFiles(context.folders.userFiles, account->Name, account->Password, account->Seal());
    });
    ReportChange(context, *account, change, " is unsealed: its files are in the plain format again.");
}

CommandAction DefineSeal(CLI::App& command)
{
    auto options = std::make_shared<SealOptions>();
    AddAccountArgument(command, options->account);
    return [options](const CommandContext& context) { SealCommand(context, *options); };
}

CommandAction DefineUnseal(CLI::App& command)
{
    auto options = std::make_shared<SealOptions>();
    AddAccountArgument(command, options->account);
    return [options](const CommandContext& context) { UnsealCommand(context, *options); };
}

} // namespace velmora::cli
