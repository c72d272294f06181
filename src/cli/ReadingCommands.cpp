#include "cli/ReadingCommands.h"

#include "cli/AccountStore.h"
#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "cli/RecordPath.h"
#include "core/account/AccountDirectory.h"
#include "core/search/Search.h"
#include "core/vault/CodePage.h"
#include "core/vault/ListRows.h"
#include "core/vault/Secret.h"

#include <nlohmann/json.hpp>
#include <ostream>
#include <system_error>

namespace velmora::cli {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::pair<RecordFieldName, std::string_view> kFieldLabels[] = {
    {RecordFieldName::Name, "Name"},         {RecordFieldName::Url, "URL"},
    {RecordFieldName::Login, "Login"},       {RecordFieldName::IdNumber, "ID number"},
    {RecordFieldName::Password, "Password"}, {RecordFieldName::Notes, "Notes"},
};

constexpr std::string_view JsonKey(RecordFieldName field)
{
    switch (field) {
    case RecordFieldName::Name:
        return "name";
    case RecordFieldName::Url:
        return "url";
    case RecordFieldName::Login:
        return "login";
    case RecordFieldName::IdNumber:
        return "idNumber";
    case RecordFieldName::Password:
        return "password";
    case RecordFieldName::Notes:
        return "notes";
    }
    return {};
}

std::string Text(std::string_view codePage)
{
    return CodePageToUtf8(codePage);
}

void PrintJson(const CommandContext& context, const Json& document)
{
    context.out << document.dump(2) << '\n';
}

// The account read under its password for a reading command; damage is reported at the end.
class ReadAccount
{
public:
    ReadAccount(const CommandContext& context, const std::string& name)
        : m_context(context), m_account(AccountName(name))
    {
        OpenWithPassword(context, *m_account);
    }
    TAccount& operator*() { return *m_account; }
    TAccount* operator->() { return &*m_account; }
    // A command that printed everything still fails on a damaged file, so scripts know.
    void Finish() { RequireUndamaged(m_context.folders.userFiles, *m_account); }

private:
    const CommandContext& m_context;
    ScopedAccount m_account;
};

std::uintmax_t SizeOf(const std::filesystem::path& file)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    return error ? 0 : size;
}

} // namespace

std::string_view FieldValue(const TRecType& record, RecordFieldName field)
{
    switch (field) {
    case RecordFieldName::Name:
        return record.Name();
    case RecordFieldName::Url:
        return record.URL();
    case RecordFieldName::Login:
        return record.Login();
    case RecordFieldName::IdNumber:
        return record.IDNumber();
    case RecordFieldName::Password:
        return record.Password();
    case RecordFieldName::Notes:
        return record.Notes();
    }
    return {};
}

void LsCommand(const CommandContext& context, const LsOptions& options)
{
    ReadAccount account(context, options.account);
    Json list = Json::array();
    if (!options.folder) {
        for (std::size_t i = 0; i < account->FolderCount(); ++i) {
            const TFolderType& folder = account->Folder(i);
            list.push_back({{"path", PathOf(*account, i)},
                            {"name", Text(folder.Name)},
                            {"icon", folder.ImageIndex},
                            {"records", folder.Count()}});
        }
    } else {
        const RecordPath path = ParseRecordPath(*options.folder);
        if (path.record) {
            throw CommandError(ExitCode::Usage, "ls takes a folder, not a record.");
        }
        const std::size_t index = FindFolder(*account, path.folder);
        const TFolderType& folder = account->Folder(index);
        for (std::size_t position = 0; position < folder.Count(); ++position) {
            const TRecType& record = folder.RecordAt(position);
            list.push_back({{"path", PathOf(*account, index, position)},
                            {"name", Text(record.Name())},
                            {"login", Text(record.Login())}});
        }
    }
    if (options.json) {
        PrintJson(context, list);
    } else {
        for (const Json& item : list) {
            context.out << PrintablePath(item["path"].get<std::string>()) << '\n';
        }
    }
    account.Finish();
}

void ShowRecordCommand(const CommandContext& context, const ShowRecordOptions& options)
{
    ReadAccount account(context, options.account);
    const RecordPlace place = FindRecordPlace(*account, ParseRecordPath(options.path));
    const TRecType& record = account->Folder(place.folder).RecordAt(place.position);
    std::vector<RecordFieldName> fields = options.fields;
    const bool named = !fields.empty();
    if (!named) {
        for (const auto& [field, label] : kFieldLabels) {
            fields.push_back(field);
        }
    }
    // The password shows only with --show-password, also when -a names it.
    const auto value = [&](RecordFieldName field) -> std::string {
        const std::string_view bytes = FieldValue(record, field);
        return field == RecordFieldName::Password ? MaskText(bytes, !options.showPassword) : std::string(bytes);
    };
    if (options.json) {
        Json document = {{"path", PathOf(*account, place.folder, place.position)}};
        for (const RecordFieldName field : fields) {
            document[std::string(JsonKey(field))] = Text(value(field));
        }
        PrintJson(context, document);
    } else if (named) {
        for (const RecordFieldName field : fields) {
            context.out << PrintableText(Text(value(field)), "\t\n\\") << '\n';
        }
    } else {
        context.out << PrintablePath(PathOf(*account, place.folder, place.position)) << '\n';
        for (const auto& [field, label] : kFieldLabels) {
            if (field != RecordFieldName::Name) {
                PrintField(context.out, label, value(field));
            }
        }
    }
    account.Finish();
}

void SearchCommand(const CommandContext& context, const SearchCommandOptions& options)
{
    ReadAccount account(context, options.account);
    SearchOptions search;
    const std::optional<std::string> text = ToCodePage(options.text);
    if (!text) {
        throw CommandError(ExitCode::Usage, "The search text holds a character that the code page cannot hold.");
    }
    search.text = *text;
    search.match = {.exact = options.exact, .caseSensitive = options.caseSensitive};
    if (!options.fields.empty()) {
        const auto chosen = [&](RecordFieldName field) {
            return std::find(options.fields.begin(), options.fields.end(), field) != options.fields.end();
        };
        search.name = chosen(RecordFieldName::Name);
        search.url = chosen(RecordFieldName::Url);
        search.login = chosen(RecordFieldName::Login);
        search.idNumber = chosen(RecordFieldName::IdNumber);
        search.password = chosen(RecordFieldName::Password);
        if (chosen(RecordFieldName::Notes)) {
            throw CommandError(ExitCode::Usage, "Notes are not searched, as in the program.");
        }
    }
    if (options.folder) {
        search.folder = FindFolder(*account, ParseRecordPath(*options.folder).folder);
    }
    Json found = Json::array();
    for (const SearchHit& hit : RunSearch(*account, search)) {
        const TRecType& record = account->Folder(hit.folderIndex).RecordAt(hit.position - 1);
        found.push_back({{"path", PathOf(*account, hit.folderIndex, hit.position - 1)},
                         {"folder", Text(hit.folderName)},
                         {"name", Text(hit.recordName)},
                         {"login", Text(record.Login())}});
    }
    if (options.json) {
        PrintJson(context, found);
    } else {
        for (const Json& hit : found) {
            context.out << PrintablePath(hit["path"].get<std::string>()) << '\n';
        }
    }
    account.Finish();
    if (found.empty()) {
        throw CommandError(ExitCode::NotFound, "No record matches.");
    }
}

void InfoCommand(const CommandContext& context, const InfoOptions& options)
{
    ReadAccount account(context, options.account);
    const std::filesystem::path& programDir = context.folders.userFiles;
    std::size_t records = 0;
    for (std::size_t i = 0; i < account->FolderCount(); ++i) {
        records += account->Folder(i).Count();
    }
    const std::filesystem::path settingsFile = AccountFilePath(programDir, account->Name, kSettingsExtension);
    const std::filesystem::path hintFile = AccountFilePath(programDir, account->Name, kHintExtension);
    std::string settingsState = "none";
    try {
        if (ReadAccountSettings(programDir, *account)) {
            settingsState = "readable";
        }
    } catch (const CommandError& failure) {
        settingsState = failure.Code() == ExitCode::DamagedFile ? "damaged" : "unreadable";
    }
    std::error_code error;
    const Json document = {
        {"account", Text(account->Name)},
        {"folders", account->FolderCount()},
        {"records", records},
        {"accountFile", PathText(AccountFilePath(programDir, account->Name, kAccountExtension))},
        {"accountFileSize", SizeOf(AccountFilePath(programDir, account->Name, kAccountExtension))},
        {"sealed", account->IsSealed()},
        {"settingsFile", settingsState},
        {"settingsFileSize", SizeOf(settingsFile)},
        {"passwordHint", std::filesystem::is_regular_file(hintFile, error)},
    };
    if (options.json) {
        PrintJson(context, document);
    } else {
        context.out << "Account: " << PrintableText(document["account"].get<std::string>()) << '\n'
                    << "Folders: " << account->FolderCount() << '\n'
                    << "Records: " << records << '\n'
                    << "Account file: " << PrintableText(document["accountFile"].get<std::string>()) << " ("
                    << document["accountFileSize"].get<std::uintmax_t>() << " bytes)\n"
                    << "Sealed: " << (account->IsSealed() ? "yes" : "no") << '\n'
                    << "Settings file: " << settingsState;
        if (settingsState != "none") {
            context.out << " (" << document["settingsFileSize"].get<std::uintmax_t>() << " bytes)";
        }
        context.out << '\n' << "Password hint: " << (document["passwordHint"].get<bool>() ? "yes" : "no") << '\n';
    }
    account.Finish();
}

void ClipCommand(const CommandContext& context, const ClipOptions& options)
{
    if (context.clipboard == nullptr) {
        throw CommandError(ExitCode::ReadWriteFailure, "There is no clipboard to copy to.");
    }
    std::string value;
    WipeOnExit wipeValue(value);
    std::string path;
    {
        ReadAccount account(context, options.account);
        const RecordPlace place = FindRecordPlace(*account, ParseRecordPath(options.path));
        value = Text(FieldValue(account->Folder(place.folder).RecordAt(place.position), options.field));
        path = PathOf(*account, place.folder, place.position);
        account.Finish();
    }
    context.out << "Copied " << PrintablePath(path) << " to the clipboard for " << options.seconds << " seconds."
                << std::endl;
    const bool cleared = context.clipboard->Hold(value, std::chrono::seconds(options.seconds));
    context.out << (cleared ? "Cleared the clipboard." : "Something else was copied meanwhile; left it there.") << '\n';
}

} // namespace velmora::cli
