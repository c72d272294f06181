#include "core/migrate/KeePassIcons.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velmora {
namespace {

// Folder icons 10 to 19 carry emblems; these four have a KeePass icon of the same meaning.
constexpr std::array<std::pair<std::int32_t, int>, 4> kEmblemIcons = {{
    {12, 2},  // triangle: warning
    {14, 61}, // star
    {18, 53}, // check mark: checked
    {19, 57}, // bars: list
}};

} // namespace

int KeePassIconOf(std::int32_t folderIcon)
{
    const auto found = std::find_if(kEmblemIcons.begin(), kEmblemIcons.end(),
                                    [&](const auto& pair) { return pair.first == folderIcon; });
    return found == kEmblemIcons.end() ? kKeePassFolderIcon : found->second;
}

std::int32_t FolderIconOf(int keePassIcon)
{
    const auto found = std::find_if(kEmblemIcons.begin(), kEmblemIcons.end(),
                                    [&](const auto& pair) { return pair.second == keePassIcon; });
    return found == kEmblemIcons.end() ? 0 : found->first;
}

} // namespace velmora
