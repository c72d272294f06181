#pragma once

#include "core/vault/Account.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::cli {

// One name of a path as typed (UTF-8), with the 1-based position that `NAME#N` picks among
// folders or records of the same name.
struct PathPart
{
    std::string name;
    std::optional<std::size_t> position;
};

// `FOLDER` or `FOLDER/RECORD`. In a name `\/` stands for a slash, `\\` for a backslash and `\#`
// for a number sign; any other backslash is the name's own.
struct RecordPath
{
    PathPart folder;
    std::optional<PathPart> record;
};

// Throws CommandError (usage) for an empty name or a position of 0.
RecordPath ParseRecordPath(std::string_view typed);

// The name as a path writes it, so that ParseRecordPath reads it back (code page bytes in, UTF-8 out).
std::string PathName(std::string_view codePageName);

// The path of a folder, or of a record at a 0-based position, as the commands print it: with
// `#N` where its folder or record shares its name with another.
std::string PathOf(const TAccount& account, std::size_t folder);
std::string PathOf(const TAccount& account, std::size_t folder, std::size_t position);

// A path for the terminal: control characters escaped, its own backslashes kept, so it can be
// typed back (a backslash of a name is doubled in the path already).
std::string PrintablePath(std::string_view path);

// The 0-based index of the folder the part names. Throws CommandError: not found, or usage when
// several folders have the name and no position picks one (the message lists them).
std::size_t FindFolder(const TAccount& account, const PathPart& part);

// The 0-based position of the record in the folder, as FindFolder finds a folder.
std::size_t FindRecord(const TFolderType& folder, const PathPart& part);

// Where a path that names a record leads; a path without a record is a usage error.
struct RecordPlace
{
    std::size_t folder = 0;
    std::size_t position = 0;
};
RecordPlace FindRecordPlace(const TAccount& account, const RecordPath& path);

} // namespace velmora::cli
