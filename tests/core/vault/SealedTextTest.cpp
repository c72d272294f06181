#include "core/vault/SealedText.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace velmora {
namespace {

// Small enough that deriving a key for every damaged copy stays quick.
constexpr SealCost kTestCost = kSmallestReadableSealCost;
const std::string kPlain = "KEYCHECKLINE\r\nfolder line\r\n\x01\x02\xff last bytes";

TEST(SealedText, OpensWithItsPasswordToTheSameText)
{
    const SealKey key = SealKey::Derive("correct horse", kTestCost);
    const std::string sealed = SealText(key, kPlain);
    EXPECT_TRUE(IsSealedText(sealed));
    EXPECT_EQ(sealed.find("folder line"), std::string::npos);

    const UnsealedText opened = UnsealText(sealed, "correct horse");
    ASSERT_EQ(opened.result, UnsealResult::Ok);
    EXPECT_EQ(opened.text, kPlain);
    ASSERT_TRUE(opened.key.has_value());
    EXPECT_EQ(opened.key->Bytes(), key.Bytes());
    EXPECT_EQ(opened.key->Cost(), kTestCost);
    EXPECT_GT(opened.key->DerivationSeconds(), 0); // what one guess costs, for the strength shown
}

TEST(SealedText, EverySaveHasItsOwnNonceUnderTheSameSalt)
{
    const SealKey key = SealKey::Derive("pw", kTestCost);
    const std::string first = SealText(key, kPlain);
    const std::string second = SealText(key, kPlain);
    EXPECT_NE(first, second);
    EXPECT_EQ(UnsealText(second, "pw").text, kPlain);
    // A new seal of the same password gets a salt of its own: no table serves two accounts.
    EXPECT_NE(SealKey::Derive("pw", kTestCost).Salt(), key.Salt());
}

TEST(SealedText, WrongPasswordIsToldApart)
{
    const std::string sealed = SealText(SealKey::Derive("right", kTestCost), kPlain);
    for (const char* password : {"Right", "right ", "", "wrong"}) {
        const UnsealedText opened = UnsealText(sealed, password);
        EXPECT_EQ(opened.result, UnsealResult::WrongPassword) << password;
        EXPECT_TRUE(opened.text.empty());
        EXPECT_FALSE(opened.key.has_value());
    }
}

TEST(SealedText, AnyChangedByteIsRefusedWhole)
{
    const std::string sealed = SealText(SealKey::Derive("pw", kTestCost), kPlain);
    for (std::size_t at = 0; at < sealed.size(); ++at) {
        std::string changed = sealed;
        changed[at] = static_cast<char>(changed[at] ^ 0x01);
        const UnsealedText opened = UnsealText(changed, "pw");
        EXPECT_NE(opened.result, UnsealResult::Ok) << "byte " << at;
        EXPECT_TRUE(opened.text.empty()) << "byte " << at;
    }
}

TEST(SealedText, CutShortOrGrownIsRefusedAsChanged)
{
    const std::string sealed = SealText(SealKey::Derive("pw", kTestCost), kPlain);
    for (std::size_t length = 0; length < sealed.size(); ++length) {
        EXPECT_EQ(UnsealText(sealed.substr(0, length), "pw").result, UnsealResult::Changed) << length;
    }
    for (const std::string& tail : {std::string(1, '\0'), std::string("\r\n"), sealed}) {
        EXPECT_EQ(UnsealText(sealed + tail, "pw").result, UnsealResult::Changed);
    }
}

TEST(SealedText, HeaderAskingForTooMuchIsRefusedWithoutDeriving)
{
    const std::string sealed = SealText(SealKey::Derive("pw", kTestCost), kPlain);
    // Passes, then memory, each 32 bits little endian after the magic and the version word.
    struct Case
    {
        std::size_t at;
        unsigned char highByte;
    };
    for (const Case& c : {Case{12 + 3, 0x01}, Case{16 + 3, 0x01}}) {
        std::string changed = sealed;
        changed[c.at] = static_cast<char>(c.highByte);
        EXPECT_EQ(UnsealText(changed, "pw").result, UnsealResult::Changed) << c.at;
    }
}

TEST(SealedText, PlainFilesAreNotTakenForSealedOnes)
{
    for (const std::string& text : {std::string(), std::string("VMSEALE"), std::string("VMSEALEX"), kPlain}) {
        EXPECT_FALSE(IsSealedText(text)) << text;
    }
}

TEST(SealedText, ChosenCostNeverFallsBelowTheMinimum)
{
    const SealCost quick = ChooseSealCost(std::chrono::milliseconds(1));
    EXPECT_EQ(quick, kMinimumSealCost);
    const SealCost slow = ChooseSealCost(std::chrono::hours(1));
    EXPECT_EQ(slow.passes, kLargestReadableSealCost.passes);
    EXPECT_EQ(slow.memoryKiB, kMinimumSealCost.memoryKiB);
}

} // namespace
} // namespace velmora
