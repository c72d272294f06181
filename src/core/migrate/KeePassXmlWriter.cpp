#include "core/migrate/KeePassXmlWriter.h"

#include "core/export/ExportBuffer.h"
#include "core/migrate/KeePassIcons.h"
#include "core/migrate/KeePassXmlNames.h"
#include "core/migrate/LineBreaks.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <QByteArray>
#include <QUuid>
#include <algorithm>
#include <array>
#include <cstdio>

namespace velmora {
namespace {

// The name space of this program's entry and group UUIDs (name-based, version 5).
const QUuid kUuidNamespace{0x5b0c9a4e, 0x2f61, 0x4d8e, 0x9a, 0x57, 0x1c, 0x3e, 0x84, 0x20, 0x6b, 0xd1};

struct Field
{
    QLatin1String key;
    RecordField member;
};

constexpr std::array<Field, 6> kFields = {{
    {kTitle, &TRecType::Name},
    {kUrl, &TRecType::URL},
    {kUserName, &TRecType::Login},
    {kPassword, &TRecType::Password},
    {kNotes, &TRecType::Notes},
    {kIdNumber, &TRecType::IDNumber},
}};

// XML 1.0 allows no control characters but tab, LF and CR, not even as references.
bool IsXmlChar(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r';
}

// What a code page byte becomes in XML text. A CR is a reference, so no XML reader turns it into LF.
std::string XmlEscaped(char byte)
{
    switch (byte) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    case '\r':
        return "&#13;";
    default:
        return CodePageToUtf8(std::string_view(&byte, 1));
    }
}

const CodePageTable& XmlTextBytes()
{
    static const CodePageTable table(XmlEscaped);
    return table;
}

void RequireXmlText(std::string_view value, const std::string& where)
{
    const auto unfit = std::find_if_not(value.begin(), value.end(), IsXmlChar);
    if (unfit != value.end()) {
        std::array<char, 8> code{};
        std::snprintf(code.data(), code.size(), "U+%04X", static_cast<unsigned>(static_cast<unsigned char>(*unfit)));
        throw XmlUnfitError(where + " holds the control character " + code.data() +
                            ", which KeePass XML cannot carry.");
    }
}

void RequireXmlAccount(const TAccount& account)
{
    RequireXmlText(account.Name, "The account name");
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        const TFolderType& folder = account.Folder(i);
        const std::string folderName = "Folder \"" + CodePageToUtf8(folder.Name) + "\"";
        RequireXmlText(folder.Name, "The name of " + folderName);
        for (std::size_t position = 0; position < folder.Count(); ++position) {
            const TRecType& record = folder.RecordAt(position);
            for (const Field& field : kFields) {
                RequireXmlText((record.*field.member)(), folderName + ", record \"" + CodePageToUtf8(record.Name()) +
                                                             "\", field " + field.key.data() + ",");
            }
        }
    }
}

class XmlOut
{
public:
    XmlOut(const TAccount& account, ExportBuffer& out) : m_account(account), m_out(out) {}

    void Document()
    {
        m_out.Append("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<KeePassFile>\n");
        m_out.Append("\t<Meta>\n\t\t<Generator>Velmora</Generator>\n\t\t<DatabaseName>");
        Text(m_account.Name);
        m_out.Append("</DatabaseName>\n\t\t<RecycleBinEnabled>False</RecycleBinEnabled>\n\t</Meta>\n");
        m_out.Append("\t<Root>\n\t\t<Group>\n");
        Uuid("\t\t\t", "root");
        Element("\t\t\t", kName, m_account.Name);
        IconId("\t\t\t", kKeePassFolderIcon);
        for (std::size_t i = 0; i < m_account.FolderCount(); ++i) {
            Group(i);
        }
        m_out.Append("\t\t</Group>\n\t</Root>\n</KeePassFile>\n");
    }

private:
    void Group(std::size_t index)
    {
        const TFolderType& folder = m_account.Folder(index);
        const std::string place = "folder " + std::to_string(index);
        m_out.Append("\t\t\t<Group>\n");
        Uuid("\t\t\t\t", place);
        Element("\t\t\t\t", kName, folder.Name);
        IconId("\t\t\t\t", KeePassIconOf(folder.ImageIndex));
        m_out.Append("\t\t\t\t<CustomData>\n\t\t\t\t\t<Item>\n");
        Element("\t\t\t\t\t\t", kKey, std::string_view(kFolderIconKey.data(), kFolderIconKey.size()));
        Element("\t\t\t\t\t\t", kValue, std::to_string(folder.ImageIndex));
        m_out.Append("\t\t\t\t\t</Item>\n\t\t\t\t</CustomData>\n");
        for (std::size_t position = 0; position < folder.Count(); ++position) {
            Entry(folder.RecordAt(position), place + " record " + std::to_string(position));
        }
        m_out.Append("\t\t\t</Group>\n");
    }

    void Entry(const TRecType& record, const std::string& place)
    {
        m_out.Append("\t\t\t\t<Entry>\n");
        Uuid("\t\t\t\t\t", place);
        IconId("\t\t\t\t\t", 0);
        for (const Field& field : kFields) {
            const std::string_view value = (record.*field.member)();
            if (field.key == kIdNumber && value.empty()) {
                continue;
            }
            m_out.Append("\t\t\t\t\t<String>\n");
            Element("\t\t\t\t\t\t", kKey, std::string_view(field.key.data(), field.key.size()));
            m_out.Append(field.key == kPassword ? "\t\t\t\t\t\t<Value ProtectInMemory=\"True\">"
                                                : "\t\t\t\t\t\t<Value>");
            if (field.key == kNotes) {
                std::string notes = WithLf(value);
                Text(notes);
                Wipe(notes);
            } else {
                Text(value);
            }
            m_out.Append("</Value>\n\t\t\t\t\t</String>\n");
        }
        m_out.Append("\t\t\t\t</Entry>\n");
    }

    void Uuid(std::string_view indent, const std::string& place)
    {
        const QByteArray seed = QByteArray::fromStdString(m_account.Name) + '\0' + QByteArray::fromStdString(place);
        const QByteArray uuid = QUuid::createUuidV5(kUuidNamespace, seed).toRfc4122().toBase64();
        m_out.Append(indent);
        m_out.Append("<UUID>");
        m_out.Append(std::string_view(uuid.constData(), static_cast<std::size_t>(uuid.size())));
        m_out.Append("</UUID>\n");
    }

    void IconId(std::string_view indent, int icon) { Element(indent, kIconId, std::to_string(icon)); }

    // An element holding code page text.
    void Element(std::string_view indent, QLatin1String name, std::string_view text)
    {
        const std::string_view tag(name.data(), static_cast<std::size_t>(name.size()));
        m_out.Append(indent);
        m_out.Append("<");
        m_out.Append(tag);
        m_out.Append(">");
        Text(text);
        m_out.Append("</");
        m_out.Append(tag);
        m_out.Append(">\n");
    }

    void Text(std::string_view bytes) { m_out.Append(bytes, XmlTextBytes()); }

    const TAccount& m_account;
    ExportBuffer& m_out;
};

} // namespace

void WriteKeePassXml(const TAccount& account, const PieceWriter& write)
{
    RequireXmlAccount(account);
    ExportBuffer out(write);
    XmlOut(account, out).Document();
    out.Flush();
}

} // namespace velmora
