#include "core/health/BreachList.h"

#include "core/os/AtomicFile.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

Sha1Digest DigestOf(const std::string& hex)
{
    Sha1Digest digest{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        digest[i] = static_cast<unsigned char>(std::stoi(hex.substr(i * 2, 2), nullptr, 16));
    }
    return digest;
}

std::string Hex(char digit)
{
    return std::string(40, digit);
}

class BreachListTest : public testing::Test
{
protected:
    std::filesystem::path Write(const std::string& text)
    {
        const std::filesystem::path path = m_dir / "breaches.txt";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    test::TempDir m_dir;
};

struct Lookup
{
    char digit;
    std::optional<std::uint64_t> seen;
};

// Digests of one repeated digit, sorted, with gaps to fall between.
const std::vector<Lookup> kLookups = {
    {'0', std::nullopt}, {'1', 11},           {'2', std::nullopt}, {'3', 3}, {'5', 5},
    {'7', 77},           {'8', std::nullopt}, {'A', 10},           {'C', 1}, {'F', std::nullopt},
};

void ExpectLookups(BreachList& list)
{
    for (const Lookup& lookup : kLookups) {
        EXPECT_EQ(list.TimesSeen(DigestOf(Hex(lookup.digit))), lookup.seen) << lookup.digit;
    }
}

TEST_F(BreachListTest, FindsFirstLastAndMiddleLinesAndNothingBetween)
{
    BreachList list(Write(Hex('1') + ":11\n" + Hex('3') + ":3\n" + Hex('5') + ":5\n" + Hex('7') + ":77\n" + Hex('A') +
                          ":10\n" + Hex('C') + ":1\n"));
    ExpectLookups(list);
}

TEST_F(BreachListTest, ReadsCrLfLinesAndALastLineWithoutEnd)
{
    BreachList list(Write(Hex('1') + ":11\r\n" + Hex('3') + ":3\r\n" + Hex('5') + ":5\r\n" + Hex('7') + ":77\r\n" +
                          Hex('A') + ":10\r\n" + Hex('C') + ":1"));
    ExpectLookups(list);
}

TEST_F(BreachListTest, PassesOverDamagedLines)
{
    // A cut line, a line with no count, a too long line and an empty one among the listed ones.
    BreachList list(Write(Hex('1') + ":11\n" + Hex('2').substr(0, 17) + "\n" + Hex('3') + ":3\n" + Hex('4') + ":\n" +
                          Hex('5') + ":5\n" + std::string(300, 'x') + "\n" + Hex('7') + ":77\n\n" + Hex('A') + ":10\n" +
                          Hex('B') + ":1x\n" + Hex('C') + ":1\n"));
    ExpectLookups(list);
    EXPECT_EQ(list.TimesSeen(DigestOf(Hex('2'))), std::nullopt);
    EXPECT_EQ(list.TimesSeen(DigestOf(Hex('4'))), std::nullopt);
    EXPECT_EQ(list.TimesSeen(DigestOf(Hex('B'))), std::nullopt);
}

TEST_F(BreachListTest, AnEmptyListHoldsNothing)
{
    BreachList list(Write(""));
    EXPECT_EQ(list.TimesSeen(DigestOf(Hex('1'))), std::nullopt);
}

TEST_F(BreachListTest, AMissingFileIsAFileError)
{
    EXPECT_THROW(BreachList(m_dir / "none.txt"), FileError);
}

TEST(BreachDigest, IsTheSha1OfTheUtf8Text)
{
    // SHA-1 of "password", and of "пароль" in UTF-8 from its code page bytes.
    EXPECT_EQ(BreachDigest("password"), DigestOf("5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8"));
    EXPECT_EQ(BreachDigest("\xEF\xE0\xF0\xEE\xEB\xFC"), DigestOf("5670B4358AE287FE8E74C2FF6F6293F905409077"));
}

} // namespace
} // namespace velmora
