#include "core/migrate/ImportedEntries.h"

#include "core/migrate/LineBreaks.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <algorithm>
#include <array>

namespace velmora {
namespace {

constexpr std::int32_t kPlainFolderIcon = 0;

// A record's texts as code page bytes, in the order AddRecord takes them; wiped when it goes.
struct StagedRecord
{
    StagedRecord() = default;
    StagedRecord(StagedRecord&&) = default;
    ~StagedRecord()
    {
        for (std::string& text : texts) {
            Wipe(text);
        }
    }
    std::array<std::string, 6> texts; // name, URL, login, ID number, password, notes
};

struct StagedFolder
{
    std::string name;
    std::int32_t icon = kPlainFolderIcon;
    std::vector<StagedRecord> records;
};

// Turns UTF-8 texts into code page bytes and notes every character that has no byte.
class Converter
{
public:
    explicit Converter(bool replace) : m_replace(replace) {}

    std::string Convert(std::string_view utf8, const std::string& group, const std::string& entry,
                        std::string_view field)
    {
        std::string bytes;
        bytes.reserve(utf8.size());
        for (std::size_t position = 0; position < utf8.size();) {
            const std::optional<char32_t> character = DecodeUtf8Character(utf8, position);
            const std::optional<unsigned char> byte = character ? UnicodeToCodePage(*character) : std::nullopt;
            if (byte) {
                bytes += static_cast<char>(*byte);
                continue;
            }
            bytes += '?';
            if (m_list.first.size() < UnmappableList::kListed) {
                m_list.first.push_back({group, entry, std::string(field), character.value_or(U'\uFFFD')});
            }
            ++m_list.total;
        }
        return bytes;
    }

    // The list of what had no byte; throws when that is refused.
    UnmappableList Finish()
    {
        if (m_list.total > 0 && !m_replace) {
            throw UnmappableTextError(std::move(m_list));
        }
        return std::move(m_list);
    }

private:
    bool m_replace;
    UnmappableList m_list;
};

// White space and control characters only: no name for the record dialog either.
bool IsBlank(std::string_view utf8)
{
    for (std::size_t position = 0; position < utf8.size();) {
        const std::optional<char32_t> character = DecodeUtf8Character(utf8, position);
        if (!character || !IsBlankCharacter(*character)) {
            return false;
        }
    }
    return true;
}

// "https://ann@mail.example:8443/inbox" → "mail.example"; an address without a scheme starts with
// its host.
std::string_view HostOf(std::string_view url)
{
    if (const std::size_t scheme = url.find("://"); scheme != std::string_view::npos) {
        url.remove_prefix(scheme + 3);
    }
    url = url.substr(0, url.find_first_of("/?#"));
    if (const std::size_t at = url.rfind('@'); at != std::string_view::npos) {
        url.remove_prefix(at + 1);
    }
    const std::size_t portAfter = url.starts_with('[') ? url.find(']') : 0; // [IPv6 address]
    return url.substr(0, url.find(':', portAfter == std::string_view::npos ? 0 : portAfter));
}

// The name a record takes: the entry's title, else what tells most which entry it was.
std::string_view NameOf(const ImportedEntry& entry, const std::string& untitledName)
{
    for (const std::string_view name :
         {std::string_view(entry.title), HostOf(entry.url), std::string_view(entry.username)}) {
        if (!IsBlank(name)) {
            return name;
        }
    }
    return untitledName;
}

StagedRecord StageRecord(const ImportedEntry& entry, const std::string& group, const ImportOptions& options,
                         Converter& converter)
{
    std::string notes = WithCrLf(entry.notes);
    WipeOnExit wipeNotes(notes);
    const std::string name(NameOf(entry, options.untitledName));
    StagedRecord record;
    record.texts = {converter.Convert(name, group, name, "Title"),
                    converter.Convert(entry.url, group, name, "URL"),
                    converter.Convert(entry.username, group, name, "UserName"),
                    converter.Convert(entry.idNumber, group, name, "ID number"),
                    converter.Convert(entry.password, group, name, "Password"),
                    converter.Convert(notes, group, name, "Notes")};
    return record;
}

// The group's folders: more than one when it holds more entries than a folder can.
void StageGroup(const ImportedGroup& group, const ImportOptions& options, Converter& converter,
                std::vector<StagedFolder>& folders)
{
    const std::string name = converter.Convert(group.name, group.name, "", "Group");
    std::size_t part = 1;
    std::size_t next = 0;
    do {
        StagedFolder& folder = folders.emplace_back();
        folder.name = part == 1 ? name : name + " (" + std::to_string(part) + ")";
        folder.icon = group.icon.value_or(kPlainFolderIcon);
        const std::size_t end = std::min(group.entries.size(), next + kMaxRecordsPerFolder);
        folder.records.reserve(end - next);
        for (; next < end; ++next) {
            folder.records.push_back(StageRecord(group.entries[next], group.name, options, converter));
        }
        ++part;
    } while (next < group.entries.size());
}

} // namespace

ImportedEntries::~ImportedEntries()
{
    for (ImportedGroup& group : groups) {
        for (ImportedEntry& entry : group.entries) {
            for (std::string* text :
                 {&entry.title, &entry.url, &entry.username, &entry.password, &entry.notes, &entry.idNumber}) {
                Wipe(*text);
            }
        }
    }
}

std::vector<std::string> IdNumberFieldNames(const std::string& languageCaption)
{
    std::vector<std::string> names{"ID number"};
    if (!languageCaption.empty() && languageCaption != names.front()) {
        names.push_back(languageCaption);
    }
    return names;
}

UnmappableTextError::UnmappableTextError(UnmappableList characters)
    : std::runtime_error("The import holds characters that the code page cannot hold."),
      m_characters(std::move(characters))
{}

TooManyFoldersError::TooManyFoldersError(std::size_t needed)
    : std::runtime_error("The import needs " + std::to_string(needed) + " folders; an account holds at most " +
                         std::to_string(kMaxFolders) + ".")
{}

ImportSummary AddImportedFolders(const ImportedEntries& imported, TAccount& account, const ImportOptions& options)
{
    Converter converter(options.replaceUnmappable);
    std::vector<StagedFolder> folders;
    ImportSummary summary;
    for (const ImportedGroup& group : imported.groups) {
        StageGroup(group, options, converter, folders);
        summary.named +=
            static_cast<std::size_t>(std::count_if(group.entries.begin(), group.entries.end(),
                                                   [](const ImportedEntry& entry) { return IsBlank(entry.title); }));
    }
    summary.replaced = converter.Finish();
    if (account.FolderCount() + folders.size() > kMaxFolders) {
        throw TooManyFoldersError(account.FolderCount() + folders.size());
    }

    for (StagedFolder& staged : folders) {
        account.AddFolder(std::move(staged.name), staged.icon);
        TFolderType& folder = account.Folder(account.FolderCount() - 1);
        for (StagedRecord& record : staged.records) {
            auto& [name, url, login, idNumber, password, notes] = record.texts;
            folder.AddRecord(std::move(name), std::move(url), std::move(login), std::move(idNumber),
                             std::move(password), std::move(notes));
        }
        ++summary.folders;
        summary.records += staged.records.size();
    }
    return summary;
}

} // namespace velmora
