#pragma once

#include <QLatin1String>

namespace velmora {

// The element, attribute and field names of KeePass 2 XML that the reader and the writer share.
inline constexpr QLatin1String kKeePassFile{"KeePassFile"};
inline constexpr QLatin1String kMeta{"Meta"};
inline constexpr QLatin1String kRecycleBinEnabled{"RecycleBinEnabled"};
inline constexpr QLatin1String kRecycleBinUuid{"RecycleBinUUID"};
inline constexpr QLatin1String kRoot{"Root"};
inline constexpr QLatin1String kGroup{"Group"};
inline constexpr QLatin1String kEntry{"Entry"};
inline constexpr QLatin1String kUuid{"UUID"};
inline constexpr QLatin1String kName{"Name"};
inline constexpr QLatin1String kIconId{"IconID"};
inline constexpr QLatin1String kCustomData{"CustomData"};
inline constexpr QLatin1String kItem{"Item"};
inline constexpr QLatin1String kKey{"Key"};
inline constexpr QLatin1String kValue{"Value"};
inline constexpr QLatin1String kString{"String"};
inline constexpr QLatin1String kBinary{"Binary"};
inline constexpr QLatin1String kHistory{"History"};
inline constexpr QLatin1String kProtected{"Protected"};
inline constexpr QLatin1String kTags{"Tags"};
inline constexpr QLatin1String kTimes{"Times"};
inline constexpr QLatin1String kExpires{"Expires"};

inline constexpr QLatin1String kTitle{"Title"};
inline constexpr QLatin1String kUrl{"URL"};
inline constexpr QLatin1String kUserName{"UserName"};
inline constexpr QLatin1String kPassword{"Password"};
inline constexpr QLatin1String kNotes{"Notes"};
inline constexpr QLatin1String kIdNumber{"ID number"};

// A group's custom data item that keeps the exact folder icon, which KeePass icons cannot tell.
inline constexpr QLatin1String kFolderIconKey{"Velmora folder icon"};

} // namespace velmora
