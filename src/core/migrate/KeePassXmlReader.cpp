#include "core/migrate/KeePassXmlReader.h"

#include "core/migrate/KeePassIcons.h"
#include "core/migrate/KeePassXmlNames.h"
#include "core/vault/Secret.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>

namespace velmora {
namespace {

// Deeper trees come from no password manager; the limit keeps the reader's stack small.
constexpr int kMaxGroupDepth = 200;

std::string Utf8Of(QString text)
{
    std::string utf8 = text.toStdString();
    text.fill(QChar(0)); // it may have been a password
    return utf8;
}

class XmlReader
{
public:
    XmlReader(std::string_view xml, const std::vector<std::string>& idNumberNames)
        : m_xml(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size()))), m_idNumberNames(idNumberNames)
    {}

    ImportedEntries Read()
    {
        ReadProlog();
        if (!m_xml.isStartElement() || m_xml.name() != kKeePassFile) {
            Fail("is no KeePass XML file");
        }
        bool sawRoot = false;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == kMeta) {
                ReadMeta();
            } else if (m_xml.name() == kRoot) {
                ReadRoot();
                sawRoot = true;
            } else {
                m_xml.skipCurrentElement();
            }
        }
        CheckError();
        if (!sawRoot) {
            Fail("has no Root element");
        }
        return std::move(m_result);
    }

private:
    [[noreturn]] void Fail(const std::string& problem)
    {
        throw ImportError("The KeePass XML file " + problem + " (line " + std::to_string(m_xml.lineNumber()) +
                          ", column " + std::to_string(m_xml.columnNumber()) + ").");
    }

    void CheckError()
    {
        if (m_xml.hasError()) {
            Fail("is not well-formed XML: " + m_xml.errorString().toStdString());
        }
    }

    // Up to the first element. A document type declaration is refused: no KeePass file has one, and
    // the entities it may declare would be lost from the texts.
    void ReadProlog()
    {
        while (!m_xml.atEnd() && m_xml.readNext() != QXmlStreamReader::StartElement) {
            if (m_xml.tokenType() == QXmlStreamReader::DTD) {
                Fail("has a document type declaration (<!DOCTYPE>), which no KeePass file has");
            }
        }
        // An empty file is simply no KeePass file; anything else, such as an encoding fault, has
        // the XML reader's own reason.
        if (m_xml.hasError() && m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
            CheckError();
        }
    }

    QString Text()
    {
        QString text = m_xml.readElementText();
        CheckError();
        return text;
    }

    void ReadMeta()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == kRecycleBinEnabled) {
                m_recycleBinEnabled = Text() != QLatin1String("False");
            } else if (m_xml.name() == kRecycleBinUuid) {
                m_recycleBinUuid = Text();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        CheckError();
    }

    void ReadRoot()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == kGroup) {
                ReadGroup("", 0);
            } else {
                m_xml.skipCurrentElement();
            }
        }
        CheckError();
    }

    bool IsRecycleBin(const QString& uuid) const
    {
        static const QString kNoUuid = QStringLiteral("AAAAAAAAAAAAAAAAAAAAAA==");
        return m_recycleBinEnabled && !uuid.isEmpty() && uuid != kNoUuid && uuid == m_recycleBinUuid;
    }

    // A group and everything in it. `parentPath` is empty for the root group and the groups right
    // under it, whose names start the folder names.
    void ReadGroup(const std::string& parentPath, int depth)
    {
        if (depth > kMaxGroupDepth) {
            Fail("nests groups more than " + std::to_string(kMaxGroupDepth) + " deep");
        }
        const std::size_t index = m_result.groups.size();
        m_result.groups.emplace_back();
        std::string name;
        std::optional<std::int32_t> exactIcon;
        int keePassIcon = kKeePassFolderIcon;
        bool recycleBin = false;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == kUuid) {
                recycleBin = IsRecycleBin(Text());
            } else if (m_xml.name() == kName) {
                name = Utf8Of(Text());
            } else if (m_xml.name() == kIconId) {
                keePassIcon = Text().toInt();
            } else if (m_xml.name() == kCustomData) {
                exactIcon = ReadFolderIcon();
            } else if (m_xml.name() == kEntry) {
                if (recycleBin) {
                    ++m_result.leftOut.recycleBinEntries;
                    m_xml.skipCurrentElement();
                } else {
                    m_result.groups[index].entries.push_back(ReadEntry());
                }
            } else if (m_xml.name() == kGroup) {
                if (recycleBin) {
                    m_result.leftOut.recycleBinEntries += CountEntries();
                } else {
                    const std::string path = depth == 0 ? "" : parentPath.empty() ? name : parentPath + " / " + name;
                    ReadGroup(path, depth + 1);
                }
            } else {
                m_xml.skipCurrentElement();
            }
        }
        CheckError();

        ImportedGroup& group = m_result.groups[index];
        group.name = depth <= 1 ? name : parentPath + " / " + name;
        group.icon = exactIcon ? *exactIcon : FolderIconOf(keePassIcon);
        // Only the root group's own entries make a folder of it; the recycle bin makes none.
        if (recycleBin || (depth == 0 && group.entries.empty())) {
            m_result.groups.erase(m_result.groups.begin() + static_cast<std::ptrdiff_t>(index));
        }
    }

    // The entries of a group in the recycle bin, subgroups included.
    std::size_t CountEntries()
    {
        std::size_t count = 0;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == kEntry) {
                ++count;
                m_xml.skipCurrentElement();
            } else if (m_xml.name() == kGroup) {
                count += CountEntries();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        CheckError();
        return count;
    }

    // The folder icon this program keeps in a group's custom data, when it is there.
    std::optional<std::int32_t> ReadFolderIcon()
    {
        std::optional<std::int32_t> icon;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != kItem) {
                m_xml.skipCurrentElement();
                continue;
            }
            QString key;
            QString value;
            while (m_xml.readNextStartElement()) {
                if (m_xml.name() == kKey) {
                    key = Text();
                } else if (m_xml.name() == kValue) {
                    value = Text();
                } else {
                    m_xml.skipCurrentElement();
                }
            }
            if (key == kFolderIconKey) {
                bool ok = false;
                const int number = value.toInt(&ok);
                if (ok) {
                    icon = number;
                }
            }
        }
        CheckError();
        return icon;
    }

    ImportedEntry ReadEntry()
    {
        ImportedEntry entry;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == kString) {
                ReadString(entry);
            } else if (m_xml.name() == kBinary) {
                ++m_result.leftOut.attachments;
                m_xml.skipCurrentElement();
            } else if (m_xml.name() == kHistory) {
                m_result.leftOut.historyEntries += CountEntries();
            } else if (m_xml.name() == kTags) {
                m_result.leftOut.tags += CountTags(Text());
            } else if (m_xml.name() == kTimes) {
                ReadTimes();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        CheckError();
        return entry;
    }

    // KeePass separates tags with ";" or ",".
    static std::size_t CountTags(QString tags)
    {
        std::size_t count = 0;
        for (const QString& tag : tags.replace(QLatin1Char(','), QLatin1Char(';')).split(QLatin1Char(';'))) {
            count += tag.trimmed().isEmpty() ? 0 : 1;
        }
        return count;
    }

    void ReadTimes()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == kExpires) {
                m_result.leftOut.expiryDates += Text() == QLatin1String("True") ? 1 : 0;
            } else {
                m_xml.skipCurrentElement();
            }
        }
        CheckError();
    }

    void ReadString(ImportedEntry& entry)
    {
        QString key;
        std::string value;
        WipeOnExit wipeValue(value);
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == kKey) {
                key = Text();
            } else if (m_xml.name() == kValue) {
                const bool enciphered = m_xml.attributes().value(kProtected) == QLatin1String("True");
                value = Utf8Of(Text());
                if (enciphered && !value.empty()) {
                    // Enciphered with the database's inner stream key, which an XML file does not hold.
                    Fail("holds protected (enciphered) values; export it again as plain XML");
                }
            } else {
                m_xml.skipCurrentElement();
            }
        }
        CheckError();
        std::string* field = FieldFor(entry, key);
        if (field) {
            field->swap(value);
        } else {
            ++m_result.leftOut.otherFields;
        }
    }

    std::string* FieldFor(ImportedEntry& entry, const QString& key)
    {
        if (key == kTitle) {
            return &entry.title;
        }
        if (key == kUrl) {
            return &entry.url;
        }
        if (key == kUserName) {
            return &entry.username;
        }
        if (key == kPassword) {
            return &entry.password;
        }
        if (key == kNotes) {
            return &entry.notes;
        }
        const std::string name = key.toStdString();
        if (entry.idNumber.empty() &&
            std::find(m_idNumberNames.begin(), m_idNumberNames.end(), name) != m_idNumberNames.end()) {
            return &entry.idNumber;
        }
        return nullptr;
    }

    QXmlStreamReader m_xml;
    const std::vector<std::string>& m_idNumberNames;
    bool m_recycleBinEnabled = true;
    QString m_recycleBinUuid;
    ImportedEntries m_result;
};

} // namespace

ImportedEntries ReadKeePassXml(std::string_view xml, const std::vector<std::string>& idNumberNames)
{
    return XmlReader(xml, idNumberNames).Read();
}

} // namespace velmora
