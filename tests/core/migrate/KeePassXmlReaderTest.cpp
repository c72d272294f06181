#include "core/migrate/KeePassXmlReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using ::testing::HasSubstr;

const std::vector<std::string> kIdNames = IdNumberFieldNames("ID \xD0\xBD\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x80");

// As a KeePass export lays it out: Meta first, the recycle bin named there, groups nested, an
// entry with history, an attachment and custom fields.
constexpr std::string_view kExport = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<KeePassFile>
  <Meta>
    <Generator>KeePassXC</Generator>
    <Binaries><Binary ID="0">AAAA</Binary></Binaries>
    <RecycleBinEnabled>True</RecycleBinEnabled>
    <RecycleBinUUID>cmVjeWNsZWJpbnV1aWQxMg==</RecycleBinUUID>
  </Meta>
  <Root>
    <Group>
      <UUID>cm9vdHJvb3Ryb290cm9vdA==</UUID>
      <Name>Passwords</Name>
      <IconID>48</IconID>
      <Entry>
        <UUID>ZW50cnllbnRyeWVudHJ5MQ==</UUID>
        <Times><Expires>False</Expires><ExpiryTime>2026-01-01T00:00:00Z</ExpiryTime></Times>
        <String><Key>Title</Key><Value>Top &amp; level</Value></String>
        <String><Key>Password</Key><Value ProtectInMemory="True">s3cret</Value></String>
      </Entry>
      <Group>
        <UUID>bWFpbG1haWxtYWlsbWFpbA==</UUID>
        <Name>Mail</Name>
        <IconID>61</IconID>
        <Group>
          <UUID>d29ya3dvcmt3b3Jrd29yaw==</UUID>
          <Name>Work</Name>
          <IconID>1</IconID>
          <Entry>
            <UUID>ZW50cnllbnRyeWVudHJ5Mg==</UUID>
            <Tags>work;mail, urgent;</Tags>
            <Times><LastModificationTime>2026-01-01T00:00:00Z</LastModificationTime><Expires>True</Expires></Times>
            <String><Key>Notes</Key><Value>one
two</Value></String>
            <String><Key>UserName</Key><Value>ann</Value></String>
            <String><Key>URL</Key><Value>https://mail.example/</Value></String>
            <String><Key>Title</Key><Value>Box</Value></String>
            <String><Key>Password</Key><Value ProtectInMemory="True">pw &lt;1&gt;</Value></String>
            <String><Key>ID номер</Key><Value>77</Value></String>
            <String><Key>otp</Key><Value>otpauth://x</Value></String>
            <String><Key>PIN</Key><Value>1234</Value></String>
            <Binary><Key>scan.png</Key><Value Ref="0"/></Binary>
            <History>
              <Entry><Tags>old</Tags><String><Key>Title</Key><Value>Old box</Value></String></Entry>
              <Entry><String><Key>Title</Key><Value>Older box</Value></String></Entry>
            </History>
          </Entry>
        </Group>
      </Group>
      <Group>
        <UUID>ZW1wdHllbXB0eWVtcHR5MQ==</UUID>
        <Name>Empty</Name>
        <CustomData><Item><Key>Velmora folder icon</Key><Value>17</Value></Item></CustomData>
      </Group>
      <Group>
        <UUID>cmVjeWNsZWJpbnV1aWQxMg==</UUID>
        <Name>Recycle Bin</Name>
        <Entry><String><Key>Title</Key><Value>Gone</Value></String></Entry>
        <Group><Name>Gone too</Name><Entry/><Entry/></Group>
      </Group>
    </Group>
    <DeletedObjects/>
  </Root>
</KeePassFile>
)";

TEST(KeePassXmlReader, GroupsBecomeFoldersFlattenedBelowTheRoot)
{
    const ImportedEntries imported = ReadKeePassXml(kExport, kIdNames);
    ASSERT_EQ(imported.groups.size(), 4u);
    EXPECT_EQ(imported.groups[0].name, "Passwords"); // the root's own entries
    EXPECT_EQ(imported.groups[1].name, "Mail");
    EXPECT_EQ(imported.groups[2].name, "Mail / Work");
    EXPECT_EQ(imported.groups[3].name, "Empty");
    EXPECT_EQ(imported.groups[0].entries.size(), 1u);
    EXPECT_TRUE(imported.groups[1].entries.empty());
    EXPECT_TRUE(imported.groups[3].entries.empty());
    // The star maps to its folder emblem, an icon without a like to the plain folder, and the
    // exact icon in custom data wins.
    EXPECT_EQ(imported.groups[1].icon, 14);
    EXPECT_EQ(imported.groups[2].icon, 0);
    EXPECT_EQ(imported.groups[3].icon, 17);
}

TEST(KeePassXmlReader, TakesTheFiveFieldsAndTheIdNumberAndCountsWhatIsLeftOut)
{
    const ImportedEntries imported = ReadKeePassXml(kExport, kIdNames);
    ASSERT_EQ(imported.groups.size(), 4u);
    const ImportedEntry& top = imported.groups[0].entries.at(0);
    EXPECT_EQ(top.title, "Top & level");
    EXPECT_EQ(top.password, "s3cret");
    const ImportedEntry& box = imported.groups[2].entries.at(0);
    EXPECT_EQ(box.title, "Box");
    EXPECT_EQ(box.url, "https://mail.example/");
    EXPECT_EQ(box.username, "ann");
    EXPECT_EQ(box.password, "pw <1>");
    EXPECT_EQ(box.notes, "one\ntwo");
    EXPECT_EQ(box.idNumber, "77");

    EXPECT_EQ(imported.leftOut.historyEntries, 2u);
    EXPECT_EQ(imported.leftOut.attachments, 1u);
    EXPECT_EQ(imported.leftOut.otherFields, 2u);       // otp and PIN
    EXPECT_EQ(imported.leftOut.recycleBinEntries, 3u); // its subgroup's entries too
    EXPECT_EQ(imported.leftOut.tags, 3u);              // not a history entry's: the history is counted whole
    EXPECT_EQ(imported.leftOut.expiryDates, 1u);
}

TEST(KeePassXmlReader, TheRecycleBinIsKeptWhenTheFileTurnsItOff)
{
    std::string xml(kExport);
    const std::string_view enabled = "<RecycleBinEnabled>True";
    xml.replace(xml.find(enabled), enabled.size(), "<RecycleBinEnabled>False");
    const ImportedEntries imported = ReadKeePassXml(xml, kIdNames);
    EXPECT_EQ(imported.leftOut.recycleBinEntries, 0u);
    ASSERT_EQ(imported.groups.size(), 6u);
    EXPECT_EQ(imported.groups[4].name, "Recycle Bin");
    EXPECT_EQ(imported.groups[5].name, "Recycle Bin / Gone too");
}

TEST(KeePassXmlReader, RefusesWhatIsNoPlainKeePassXml)
{
    struct Case
    {
        std::string_view name;
        std::string xml;
        std::string message;
    };
    const std::string deep = [] {
        std::string xml = "<KeePassFile><Root>";
        for (int i = 0; i < 202; ++i) {
            xml += "<Group><Name>g</Name>";
        }
        return xml;
    }();
    const Case cases[] = {
        {"empty", "", "is no KeePass XML file"},
        {"other document", "<html><body/></html>", "is no KeePass XML file"},
        {"no root", "<KeePassFile><Meta/></KeePassFile>", "has no Root element"},
        {"broken off", "<KeePassFile><Root><Group><Name>x</Name>", "is not well-formed XML"},
        {"mismatched tag", "<KeePassFile>\n<Root>\n<Group></Entry>", "(line 3"},
        {"protected value",
         "<KeePassFile><Root><Group><Entry><String><Key>Password</Key><Value Protected=\"True\">AbCd</Value>"
         "</String></Entry></Group></Root></KeePassFile>",
         "protected (enciphered) values"},
        {"too deep", deep, "nests groups more than 200 deep"},
        // Entities declared there would vanish from the texts.
        {"document type",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE KeePassFile [<!ENTITY pw \"s3cret\">]>\n"
         "<KeePassFile><Root><Group><Entry><String><Key>Password</Key><Value>&pw;</Value></String></Entry>"
         "</Group></Root></KeePassFile>",
         "has a document type declaration"},
        {"encoding fault", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<KeePass\xFF\xFE/>",
         "is not well-formed XML: Encountered incorrectly encoded content"},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"no-such-code\"?>\n<KeePassFile/>",
         "is not well-formed XML: "},
    };
    for (const Case& c : cases) {
        try {
            ReadKeePassXml(c.xml, kIdNames);
            ADD_FAILURE() << "accepted: " << c.name;
        } catch (const ImportError& error) {
            EXPECT_THAT(error.what(), HasSubstr(c.message)) << c.name;
            EXPECT_THAT(error.what(), ::testing::Not(HasSubstr("AbCd"))) << c.name;
        }
    }
}

TEST(KeePassXmlReader, AnEmptyProtectedValueIsAnEmptyPassword)
{
    const ImportedEntries imported = ReadKeePassXml(
        "<KeePassFile><Root><Group><Name>R</Name><Entry><String><Key>Password</Key><Value Protected=\"True\"/>"
        "</String></Entry></Group></Root></KeePassFile>",
        kIdNames);
    ASSERT_EQ(imported.groups.size(), 1u);
    EXPECT_EQ(imported.groups[0].entries.at(0).password, "");
}

} // namespace
} // namespace velmora
