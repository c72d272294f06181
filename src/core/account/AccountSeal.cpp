#include "core/account/AccountSeal.h"

#include "core/account/AccountDirectory.h"
#include "core/account/AccountFilesWriter.h"
#include "core/os/FileExists.h"
#include "core/vault/AccountFile.h"
#include "core/vault/SealedFile.h"
#include "core/vault/Secret.h"

namespace velmora {
namespace {

using Result = SealChange::Result;

// A file's plain text, opened when it is sealed.
struct PlainFile
{
    Result result = Result::Done;
    std::string text;
};

PlainFile OpenFile(const std::filesystem::path& file, std::string_view password, const std::optional<SealKey>& known)
{
    std::string bytes = ReadWholeFile(file);
    if (!IsSealedText(bytes)) {
        return {Result::Done, std::move(bytes)};
    }
    UnsealedText opened = UnsealText(bytes, password, known);
    switch (opened.result) {
    case UnsealResult::Ok:
        return {Result::Done, std::move(opened.text)};
    case UnsealResult::WrongPassword:
        return {Result::WrongPassword, {}};
    case UnsealResult::Changed:
        break;
    }
    return {Result::Changed, {}};
}

// Whether a plain account file's first line is the check line under this password.
bool UnderPassword(std::string_view accountText, std::string_view password)
{
    StringCipher cipher;
    AccountFileReader reader(std::string(accountText.substr(0, accountText.find('\n'))), cipher, password);
    return reader.NextValue() == kAccountCheckLine;
}

SealChange RewriteAccountFiles(const std::filesystem::path& programDir, std::string_view name,
                               std::string_view password, const std::optional<SealKey>& sealUnder,
                               const std::optional<SealKey>& known)
{
    AccountFilesWriter writer(programDir, name);
    PlainFile account = OpenFile(AccountFilePath(programDir, name, kAccountExtension), password, known);
    WipeOnExit wipeAccount(account.text);
    if (account.result != Result::Done) {
        return {account.result, {}};
    }
    if (!UnderPassword(account.text, password)) {
        return {Result::WrongPassword, {}};
    }
    const std::filesystem::path settingsFile = AccountFilePath(programDir, name, kSettingsExtension);
    PlainFile settings;
    WipeOnExit wipeSettings(settings.text);
    const bool hasSettings = FileExists(settingsFile);
    if (hasSettings) {
        settings = OpenFile(settingsFile, password, known);
        if (settings.result != Result::Done) {
            // Settings sealed under another password than their account's are no file of ours.
            return {Result::Changed, {}};
        }
    }
    writer.SealWith(sealUnder);
    writer.StageAccount(account.text);
    if (hasSettings) {
        writer.StageSettings(settings.text);
    }
    return {Result::Done, writer.Commit()};
}

} // namespace

SealChange SealAccountFiles(const std::filesystem::path& programDir, std::string_view name, std::string_view password,
                            const SealKey& key)
{
    return RewriteAccountFiles(programDir, name, password, key, key);
}

SealChange UnsealAccountFiles(const std::filesystem::path& programDir, std::string_view name, std::string_view password,
                              const std::optional<SealKey>& known)
{
    return RewriteAccountFiles(programDir, name, password, std::nullopt, known);
}

bool AccountIsSealed(const std::filesystem::path& programDir, std::string_view name)
{
    try {
        return IsSealedFile(AccountFilePath(programDir, name, kAccountExtension));
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace velmora
