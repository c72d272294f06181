#pragma once

#include "cli/Commands.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

// The commands that read one account. With `json`, each writes one JSON document instead of its
// lines; texts are UTF-8 and paths are written as the commands take them.

struct LsOptions
{
    std::string account{};
    std::optional<std::string> folder{}; // the records of this folder; else the folders
    bool json = false;
};
void LsCommand(const CommandContext& context, const LsOptions& options);

// A record's fields by the names -a takes.
enum class RecordFieldName
{
    Name,
    Url,
    Login,
    IdNumber,
    Password,
    Notes
};

struct ShowRecordOptions
{
    std::string account{};
    std::string path{};
    std::vector<RecordFieldName> fields{}; // only these values, one a line; else every field
    bool showPassword = false;             // else the password is asterisks
    bool json = false;
};
void ShowRecordCommand(const CommandContext& context, const ShowRecordOptions& options);

struct SearchCommandOptions
{
    std::string account{};
    std::string text{};
    std::vector<RecordFieldName> fields{}; // the program's search fields; all when none
    std::optional<std::string> folder{};
    bool exact = false;
    bool caseSensitive = false;
    bool json = false;
};
// The paths of the records found by the program's search rules.
void SearchCommand(const CommandContext& context, const SearchCommandOptions& options);

struct InfoOptions
{
    std::string account{};
    bool json = false;
};
// Folders, records, the sizes of the account's files, whether it is sealed and the state of its settings file.
void InfoCommand(const CommandContext& context, const InfoOptions& options);

struct ClipOptions
{
    std::string account{};
    std::string path{};
    RecordFieldName field = RecordFieldName::Password;
    int seconds = 10;
};
// Puts a field of a record on the clipboard for a while (see Clipboard::Hold). The account is
// closed and wiped before the wait; only the value stays, and it is wiped after.
void ClipCommand(const CommandContext& context, const ClipOptions& options);

// One field of a record as the account holds it (code page bytes), for show -a and clip.
std::string_view FieldValue(const TRecType& record, RecordFieldName field);

} // namespace velmora::cli
