#include "core/settings/LanguageChoice.h"

#include "core/os/AtomicFile.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

class LanguageChoice : public testing::Test
{
protected:
    std::filesystem::path File() const { return m_dir / "DefName.lng"; }
    void WriteChoiceFile(std::string_view text) const { std::ofstream(File(), std::ios::binary) << text; }

    test::TempDir m_dir;
    const std::filesystem::path m_current = "/current/Language.lng";
};

TEST_F(LanguageChoice, MissingFileOrEntryKeepsTheCurrentChoice)
{
    EXPECT_EQ(ReadLanguageChoice(m_dir.Path(), m_current), m_current);
    WriteChoiceFile("[lan_sect]\nother=1\n[x]\nlan_file=/wrong.lng\n");
    EXPECT_EQ(ReadLanguageChoice(m_dir.Path(), m_current), m_current);
}

TEST_F(LanguageChoice, WrittenChoiceIsReadBack)
{
    const std::filesystem::path chosen = m_dir / "Languages" / "Russian.lng";
    ASSERT_TRUE(WriteLanguageChoice(m_dir.Path(), chosen));
    EXPECT_EQ(ReadWholeFile(File()), "[lan_sect]\r\nlan_file=" + chosen.string() + "\r\n");
    EXPECT_EQ(ReadLanguageChoice(m_dir.Path(), m_current), chosen);

    // Back to the default file: an empty entry, which is a choice of its own.
    ASSERT_TRUE(WriteLanguageChoice(m_dir.Path(), {}));
    EXPECT_EQ(ReadLanguageChoice(m_dir.Path(), m_current), std::filesystem::path());
}

TEST_F(LanguageChoice, ExistingFileIsReadWithoutCaseAndKeepsItsOtherEntries)
{
    WriteChoiceFile("; chosen by hand\r\n[LAN_SECT]\r\nLAN_FILE = /x.lng \r\nkeep=1\r\n");
    EXPECT_EQ(ReadLanguageChoice(m_dir.Path(), m_current), std::filesystem::path("/x.lng"));
    ASSERT_TRUE(WriteLanguageChoice(m_dir.Path(), "/y.lng"));
    EXPECT_EQ(ReadLanguageChoice(m_dir.Path(), m_current), std::filesystem::path("/y.lng"));
    EXPECT_NE(ReadWholeFile(File()).find("keep=1"), std::string::npos);
}

TEST_F(LanguageChoice, ErrorsAreSwallowed)
{
    std::filesystem::create_directory(File()); // neither readable nor replaceable
    EXPECT_EQ(ReadLanguageChoice(m_dir.Path(), m_current), m_current);
    EXPECT_FALSE(WriteLanguageChoice(m_dir.Path(), "/y.lng"));
    EXPECT_FALSE(WriteLanguageChoice(m_dir / "missing dir", "/y.lng"));
}

TEST_F(LanguageChoice, FailedWriteKeepsTheEarlierChoice)
{
    ASSERT_TRUE(WriteLanguageChoice(m_dir.Path(), "/first.lng"));
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Rename; });
    EXPECT_FALSE(WriteLanguageChoice(m_dir.Path(), "/second.lng"));
    SetWriteFaultHook({});
    EXPECT_FALSE(WriteLanguageChoice(m_dir.Path(), "/a\nlan_file=/b.lng"));
    EXPECT_EQ(ReadLanguageChoice(m_dir.Path(), m_current), std::filesystem::path("/first.lng"));
}

} // namespace
} // namespace velmora
