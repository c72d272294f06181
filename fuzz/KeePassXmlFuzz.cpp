// The KeePass XML import on arbitrary text: it either refuses the file or yields folders that an
// account takes, and the account written as KeePass XML reads back as the same account.

#include "FuzzSupport.h"
#include "core/migrate/ImportedEntries.h"
#include "core/migrate/KeePassXmlReader.h"
#include "core/migrate/KeePassXmlWriter.h"

#include <string_view>

using namespace velmora;

namespace {

std::string Xml(const TAccount& account)
{
    std::string xml;
    WriteKeePassXml(account, [&xml](std::string_view piece) { xml += piece; });
    return xml;
}

bool SameAccount(const TAccount& a, const TAccount& b)
{
    if (a.FolderCount() != b.FolderCount()) {
        return false;
    }
    for (std::size_t i = 0; i < a.FolderCount(); ++i) {
        const TFolderType& x = a.Folder(i);
        const TFolderType& y = b.Folder(i);
        if (x.Name != y.Name || x.ImageIndex != y.ImageIndex || x.Count() != y.Count()) {
            return false;
        }
        for (std::size_t position = 0; position < x.Count(); ++position) {
            const TRecType& r = x.RecordAt(position);
            const TRecType& s = y.RecordAt(position);
            if (r.Name() != s.Name() || r.URL() != s.URL() || r.Login() != s.Login() || r.IDNumber() != s.IDNumber() ||
                r.Password() != s.Password() || r.Notes() != s.Notes()) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> idNames = IdNumberFieldNames("ID \xD0\xBD\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x80");
    TAccount account;
    account.Name = "Fuzz";
    try {
        AddImportedFolders(ReadKeePassXml(text, idNames), account,
                           {.replaceUnmappable = true, .untitledName = "Untitled"});
    } catch (const ImportError&) {
        return 0;
    } catch (const TooManyFoldersError&) {
        return 0;
    }
    fuzz::CheckAccount(account);

    std::string xml;
    try {
        xml = Xml(account);
    } catch (const XmlUnfitError&) {
        return 0; // a control character in a value
    }
    TAccount again;
    again.Name = account.Name;
    AddImportedFolders(ReadKeePassXml(xml, idNames), again, {.replaceUnmappable = false, .untitledName = "Untitled"});
    if (!SameAccount(account, again)) {
        fuzz::Violation("an imported account written as KeePass XML did not read back the same");
    }
    return 0;
}
