#include "core/migrate/KeePassXmlWriter.h"

#include "core/migrate/KeePassXmlReader.h"
#include "core/migrate/MigrateTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using test::Dump;
using test::Written;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Xml(const TAccount& account)
{
    return Written([&](const PieceWriter& write) { WriteKeePassXml(account, write); });
}

// Every code page byte XML can carry, CR among them, and the code page's own letters.
std::string AllXmlBytes()
{
    std::string bytes = "\t\n\r";
    for (int byte = 0x20; byte < 0x100; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

void FillHome(TAccount& account)
{
    account.Name = "Home";
    account.AddFolder("Mail", 14);
    account.Folder(0).AddRecord("Box & <co>", "https://mail.example", "ann", "ID-7", "p\"w<1>", "line1\r\nline2\r\n");
    account.Folder(0).AddRecord("\xC4\xEE\xEC", "", "", "", "", "");
    account.AddFolder("Bank / Cards", -3);
    account.AddFolder("Every byte", 12);
    account.Folder(2).AddRecord(AllXmlBytes(), AllXmlBytes(), AllXmlBytes(), AllXmlBytes(), AllXmlBytes(),
                                "CR LF\r\nand a lone\rCR");
}

TEST(KeePassXmlWriter, WritesGroupsAndEntriesThatReadBackAsTheSameAccount)
{
    TAccount account;
    FillHome(account);
    const std::string xml = Xml(account);

    const ImportedEntries imported = ReadKeePassXml(xml, IdNumberFieldNames(""));
    TAccount back;
    AddImportedFolders(imported, back, {});
    EXPECT_EQ(Dump(back), Dump(account));
    EXPECT_EQ(imported.leftOut.otherFields, 0u);
}

TEST(KeePassXmlWriter, WritesTheSameFileForTheSameAccount)
{
    TAccount first;
    FillHome(first);
    TAccount second;
    FillHome(second);
    EXPECT_EQ(Xml(first), Xml(second));

    // The UUIDs follow the account name and the positions, so another account gets others.
    second.Name = "Work";
    const std::string xml = Xml(first);
    const std::string uuid = xml.substr(xml.find("<UUID>"), 32);
    EXPECT_THAT(Xml(second), Not(HasSubstr(uuid)));
}

TEST(KeePassXmlWriter, MarksThePasswordAndWritesNotesWithLfAndTheIdNumberOnlyWhenThere)
{
    TAccount account;
    FillHome(account);
    const std::string xml = Xml(account);
    EXPECT_THAT(xml, HasSubstr("<Key>Password</Key>\n\t\t\t\t\t\t<Value ProtectInMemory=\"True\">p&quot;w&lt;1&gt;"));
    EXPECT_THAT(xml, HasSubstr("<Value>line1\nline2\n</Value>"));
    EXPECT_THAT(xml, HasSubstr("<Value>CR LF\nand a lone&#13;CR</Value>"));
    EXPECT_THAT(xml, HasSubstr("<Value>\xD0\x94\xD0\xBE\xD0\xBC</Value>")); // as UTF-8
    // One ID number field for the one record that has an ID number, the last holding all bytes.
    const std::size_t fields = [&] {
        std::size_t count = 0;
        for (std::size_t at = xml.find("<Key>ID number</Key>"); at != std::string::npos;
             at = xml.find("<Key>ID number</Key>", at + 1)) {
            ++count;
        }
        return count;
    }();
    EXPECT_EQ(fields, 2u);
    EXPECT_THAT(xml, HasSubstr("<IconID>61</IconID>")); // the star folder
    EXPECT_THAT(xml, HasSubstr("<Key>Velmora folder icon</Key>\n\t\t\t\t\t\t<Value>-3</Value>"));
}

TEST(KeePassXmlWriter, RefusesAControlCharacterBeforeWritingAnything)
{
    TAccount account;
    FillHome(account);
    account.Folder(1).AddRecord("Card", "", "", "",
                                std::string("12\x01"
                                            "34"),
                                "");
    std::string written;
    try {
        WriteKeePassXml(account, [&](std::string_view piece) { written += piece; });
        ADD_FAILURE() << "written";
    } catch (const XmlUnfitError& error) {
        EXPECT_THAT(error.what(), HasSubstr("Folder \"Bank / Cards\", record \"Card\", field Password"));
        EXPECT_THAT(error.what(), HasSubstr("U+0001"));
        EXPECT_THAT(error.what(), Not(HasSubstr("12")));
    }
    EXPECT_EQ(written, "");
}

} // namespace
} // namespace velmora
