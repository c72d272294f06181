#pragma once

#include <QString>
#include <array>

namespace velmora {

// The kinds of file the program's file dialogs choose, each remembering its own folder.
enum class FileKind
{
    AccountCopy,   // a saved copy of the account, and the account file an import reads
    FolderFile,    // one folder saved to a file, and a folder file to import
    TextExport,    // the account as a text file
    ForeignImport, // another password manager's export
    Count
};

// Where a file dialog starts: in the folder last used for that kind of file during this run,
// the first time in the home folder.
class RecentFolders final
{
public:
    QString StartFolder(FileKind kind) const;
    // A file was chosen: its folder is where the next dialog of this kind starts.
    void RememberFile(FileKind kind, const QString& file);
    // A folder was chosen: the next dialog of this kind starts in it.
    void RememberFolder(FileKind kind, const QString& folder);

private:
    std::array<QString, static_cast<std::size_t>(FileKind::Count)> m_folders;
};

} // namespace velmora
