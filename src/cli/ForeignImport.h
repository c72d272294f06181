#pragma once

#include "core/vault/Account.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::cli {

// The files of other password managers that the tool reads.
enum class ForeignFormat
{
    KeePassXml,
    Csv
};

struct ForeignImportOptions
{
    ForeignFormat format = ForeignFormat::KeePassXml;
    std::filesystem::path input{};  // its stem names the folder of a CSV without groups
    std::string idNumberCaption{};  // the interface language's name of the ID number (UTF-8)
    bool replaceUnmappable = false; // write characters the code page cannot hold as "?"
};

// Fills the account with the file's groups and entries (`text` is the file's content) and returns
// the report for the user: what was imported, what was left out, what was written as "?". Throws
// CommandError (damaged file) for a file that cannot be read, texts the code page cannot hold
// (naming the first 20 places) or more folders than an account holds; the account is then empty.
std::string ImportForeignFile(std::string_view text, const ForeignImportOptions& options, TAccount& account);

} // namespace velmora::cli
