#pragma once

#include "core/os/AtomicFile.h"
#include "core/vault/Account.h"

#include <functional>
#include <string>
#include <string_view>

namespace velmora::test {

// What a writer hands over, joined.
inline std::string Written(const std::function<void(const PieceWriter&)>& writer)
{
    std::string text;
    writer([&text](std::string_view piece) { text += piece; });
    return text;
}

// Every field of every record and every folder's name and icon, one line each, to compare two
// accounts byte for byte.
inline std::string Dump(const TAccount& account)
{
    std::string dump;
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        const TFolderType& folder = account.Folder(i);
        dump += "[" + folder.Name + "] " + std::to_string(folder.ImageIndex) + "\n";
        for (std::size_t position = 0; position < folder.Count(); ++position) {
            const TRecType& record = folder.RecordAt(position);
            for (const std::string_view field :
                 {record.Name(), record.URL(), record.Login(), record.IDNumber(), record.Password(), record.Notes()}) {
                dump += "  <" + std::string(field) + ">\n";
            }
        }
    }
    return dump;
}

} // namespace velmora::test
