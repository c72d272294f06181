#pragma once

#include "core/vault/Account.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

// A file of another password manager that cannot be read: the message says where, never a value.
class ImportError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One entry as another password manager holds it, every text as UTF-8 with LF line breaks.
struct ImportedEntry
{
    std::string title;
    std::string url;
    std::string username;
    std::string password;
    std::string notes;
    std::string idNumber;
};

// A group, its path flattened into one name ("Parent / Child").
struct ImportedGroup
{
    std::string name;
    std::optional<std::int32_t> icon; // the folder icon, when the file tells it
    std::vector<ImportedEntry> entries;
};

// What a file held that no folder or record can: counted (and, for columns, named) for the report.
struct LeftOut
{
    std::size_t historyEntries = 0;
    std::size_t attachments = 0;
    std::size_t otherFields = 0;
    std::size_t recycleBinEntries = 0;
    std::size_t tags = 0;
    std::size_t expiryDates = 0;
    std::vector<std::string> otherColumns; // those that hold a value
};

// What a reader took from a file; the texts are wiped when it goes.
struct ImportedEntries
{
    ImportedEntries() = default;
    ~ImportedEntries();
    ImportedEntries(ImportedEntries&&) = default;
    ImportedEntries& operator=(ImportedEntries&&) = delete;
    ImportedEntries(const ImportedEntries&) = delete;
    ImportedEntries& operator=(const ImportedEntries&) = delete;

    std::vector<ImportedGroup> groups;
    LeftOut leftOut;
};

// The names a custom field of the ID number may have: "ID number", and the caption of that column
// in the interface language.
std::vector<std::string> IdNumberFieldNames(const std::string& languageCaption);

// A character the code page cannot hold, and where it stood.
struct UnmappableCharacter
{
    std::string group; // UTF-8
    std::string entry; // UTF-8
    std::string field; // "Title", "URL", "UserName", "Password", "Notes", "ID number" or "Group"
    char32_t character;
};

// The first of those characters, and how many there were in all.
struct UnmappableList
{
    static constexpr std::size_t kListed = 20;
    std::vector<UnmappableCharacter> first;
    std::size_t total = 0;
};

// An import refused because texts hold characters the code page cannot hold; nothing was added.
class UnmappableTextError : public std::runtime_error
{
public:
    explicit UnmappableTextError(UnmappableList characters);
    const UnmappableList& Characters() const { return m_characters; }

private:
    UnmappableList m_characters;
};

// An import refused because the account would hold more folders than it can; nothing was added.
class TooManyFoldersError : public std::runtime_error
{
public:
    explicit TooManyFoldersError(std::size_t needed);
};

struct ImportOptions
{
    bool replaceUnmappable = false; // write characters the code page cannot hold as "?"
    std::string untitledName;       // UTF-8: the name of an entry with no title, URL host or login
};

struct ImportSummary
{
    std::size_t folders = 0;
    std::size_t records = 0;
    std::size_t named = 0;   // records that had no name and were given one
    UnmappableList replaced; // written as "?", when that was allowed
};

// Appends the groups to the account as new folders, in order, notes with CR LF line breaks. A group
// of more than kMaxRecordsPerFolder entries continues in folders "Name (2)", "Name (3)", ... A group
// without an icon gets the plain folder icon. An entry whose title is empty or blank is named after
// its URL's host, else its login, else `untitledName`, as a record always has a name. Everything is
// checked before the first folder is added: throws UnmappableTextError (unless
// `replaceUnmappable`: then each such character becomes "?" and is listed in the summary) or
// TooManyFoldersError, leaving the account as it was.
ImportSummary AddImportedFolders(const ImportedEntries& imported, TAccount& account, const ImportOptions& options);

} // namespace velmora
