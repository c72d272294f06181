#pragma once

#include <cstdint>

namespace velmora {

// KeePass numbers its standard icons; 48 is the plain folder.
inline constexpr int kKeePassFolderIcon = 48;

// The KeePass icon nearest to a folder icon: the folder, or the emblem's meaning where KeePass has
// one (warning triangle, star, check mark, list).
int KeePassIconOf(std::int32_t folderIcon);

// The folder icon nearest to a KeePass icon: the emblem KeePassIconOf maps to it, else the plain
// folder.
std::int32_t FolderIconOf(int keePassIcon);

} // namespace velmora
