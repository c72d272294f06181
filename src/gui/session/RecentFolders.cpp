#include "gui/session/RecentFolders.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

QString RecentFolders::StartFolder(FileKind kind) const
{
    const QString& folder = m_folders[static_cast<std::size_t>(kind)];
    return folder.isEmpty() ? QDir::homePath() : folder;
}

void RecentFolders::RememberFile(FileKind kind, const QString& file)
{
    if (!file.isEmpty()) {
        RememberFolder(kind, QFileInfo(file).absolutePath());
    }
}

void RecentFolders::RememberFolder(FileKind kind, const QString& folder)
{
    if (!folder.isEmpty()) {
        m_folders[static_cast<std::size_t>(kind)] = folder;
    }
}

} // namespace velmora
