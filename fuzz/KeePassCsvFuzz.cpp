// The KeePassXC CSV import on arbitrary text: it either refuses the file or yields folders that an
// account takes, and the account written as CSV reads back with the same records.

#include "FuzzSupport.h"
#include "core/migrate/ImportedEntries.h"
#include "core/migrate/KeePassCsv.h"

#include <string_view>

using namespace velmora;

namespace {

std::size_t RecordCount(const TAccount& account)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        count += account.Folder(i).Count();
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> idNames = IdNumberFieldNames("");
    TAccount account;
    account.Name = "Fuzz";
    try {
        AddImportedFolders(ReadKeePassCsv(text, "file", idNames), account,
                           {.replaceUnmappable = true, .untitledName = "Untitled"});
    } catch (const ImportError&) {
        return 0;
    } catch (const TooManyFoldersError&) {
        return 0;
    }
    fuzz::CheckAccount(account);

    std::string csv;
    WriteKeePassCsv(account, [&csv](std::string_view piece) { csv += piece; });
    TAccount again;
    again.Name = account.Name;
    AddImportedFolders(ReadKeePassCsv(csv, "file", idNames), again,
                       {.replaceUnmappable = false, .untitledName = "Untitled"});
    if (RecordCount(again) != RecordCount(account)) {
        fuzz::Violation("an imported account written as CSV did not read back with the same records");
    }
    return 0;
}
