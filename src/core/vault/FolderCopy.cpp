#include "core/vault/FolderCopy.h"

#include "core/os/AtomicFile.h"
#include "core/vault/AccountFile.h"

namespace velmora {

void WriteFolderCopy(TAccount& account, std::size_t index, const std::filesystem::path& file)
{
    AccountFileWriter writer;
    account.Folder(index).WriteFolder(writer);
    WriteFileAtomically(file, writer.Finish(account.Cipher(), account.Password));
}

ReadResult ReadFolderCopy(TAccount& account, const std::filesystem::path& file)
{
    AccountFileReader reader(ReadWholeFile(file), account.Cipher(), account.Password);
    const std::size_t before = account.FolderCount();
    const ReadResult result = account.ReadFolder(reader);
    if (account.FolderCount() != before) {
        account.MarkChanged();
    }
    return result;
}

} // namespace velmora
