#pragma once

#include "core/os/AtomicFile.h"
#include "core/vault/Account.h"

#include <stdexcept>

namespace velmora {

// An account that KeePass XML cannot carry: a value holds a control character that XML 1.0 does
// not allow. The message names the folder, record and field, never the value.
class XmlUnfitError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Writes the account as KeePass 2 XML, values in the clear, to `write` as it is made: a root group
// named after the account, one group per folder (the nearest KeePass icon, the exact folder icon
// in its custom data), one entry per record with Title, URL, UserName, Password (marked to be
// protected in memory), Notes (LF line breaks) and, when not empty, an "ID number" field. UUIDs
// follow from the account name and the positions, so the same account gives the same file. Every
// value is checked before the first piece is written: throws XmlUnfitError.
void WriteKeePassXml(const TAccount& account, const PieceWriter& write);

} // namespace velmora
