#pragma once

#include "core/migrate/ImportedEntries.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Reads a KeePass 2 XML file written without protection (values in the clear). Groups become
// folders named by their path below the root group ("Parent / Child"); the root group's own
// entries go to a folder named after it. Of an entry it takes Title, URL, UserName, Password,
// Notes and the first custom field named as in `idNumberNames`; history, attachments, other custom
// fields, tags, expiry dates and the recycle bin are left out and counted. Throws ImportError for a
// file that is no well-formed KeePass XML (with the XML reader's reason), has a document type
// declaration, nests groups too deeply, or holds enciphered (protected) values.
ImportedEntries ReadKeePassXml(std::string_view xml, const std::vector<std::string>& idNumberNames);

} // namespace velmora
