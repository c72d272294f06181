#include "core/health/PasswordHealth.h"

#include "core/health/BreachList.h"
#include "support/TempDir.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace velmora {
namespace {

class PasswordHealthTest : public testing::Test
{
protected:
    PasswordHealthTest()
    {
        m_account.AddFolder("Mail", 0);
        m_account.Folder(0).AddRecord("Inbox", "mail.example", "anna", "", "x7#Kq9!vR2$mW4pZ", "");
        m_account.Folder(0).AddRecord("Work", "work.example", "anna.w", "", "", "");
        m_account.Folder(0).AddRecord("Forum", "forum.example", "Ziggurat77", "", "ziggurat77", "");
        m_account.AddFolder("Shops", 1);
        m_account.Folder(1).AddRecord("Books", "books.example", "anna", "", "Qm3$vTz8!pLw", "");
        m_account.Folder(1).AddRecord("Music", "music.example", "anna", "", "Qm3$vTz8!pLw", "");
        m_account.Folder(1).AddRecord("Tools", "tools.example", "anna", "", "Qm3$vTz8!pLw", "");
        m_account.Folder(1).AddRecord("Games", "games.example", "anna", "", "password1", "");
        m_account.Folder(1).AddRecord("Hv8#Lp2!", "", "bob", "", "Hv8#Lp2!", "");
    }

    const HealthFinding& FindingFor(const std::vector<HealthFinding>& findings, const std::string& name)
    {
        for (const HealthFinding& finding : findings) {
            if (finding.record.recordName == name) {
                return finding;
            }
        }
        ADD_FAILURE() << name << " not listed";
        static const HealthFinding none;
        return none;
    }

    TAccount m_account;
};

TEST_F(PasswordHealthTest, ListsEachTroubledRecordWorstFirst)
{
    const std::vector<HealthFinding> findings = CheckPasswordHealth(m_account);
    std::vector<std::string> names;
    for (const HealthFinding& finding : findings) {
        names.push_back(finding.record.recordName);
    }
    // The strong password of its own (Inbox) is not listed; the empty one comes first, a password
    // with two troubles (login-equal and so weak) before one with a single trouble, and among
    // single troubles the weakest first.
    const auto at = [&names](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
    ASSERT_EQ(names.size(), 7U);
    EXPECT_EQ(std::find(names.begin(), names.end(), "Inbox"), names.end());
    EXPECT_EQ(names.front(), "Work");
    EXPECT_LT(at("Forum"), at("Games"));
    EXPECT_LT(at("Games"), at("Books"));
}

TEST_F(PasswordHealthTest, SaysWhatIsWrongWithEach)
{
    const std::vector<HealthFinding> findings = CheckPasswordHealth(m_account);

    const HealthFinding& empty = FindingFor(findings, "Work");
    EXPECT_TRUE(empty.empty);
    EXPECT_EQ(empty.record.folderIndex, 0U);
    EXPECT_EQ(empty.record.position, 2U);

    const HealthFinding& login = FindingFor(findings, "Forum");
    EXPECT_TRUE(login.equalsLogin);
    EXPECT_TRUE(login.weak) << "the login is a known word";
    EXPECT_FALSE(login.equalsName);

    const HealthFinding& weak = FindingFor(findings, "Games");
    EXPECT_TRUE(weak.weak);
    EXPECT_EQ(weak.reusedBy, 0U);

    for (const char* name : {"Books", "Music", "Tools"}) {
        const HealthFinding& reused = FindingFor(findings, name);
        EXPECT_EQ(reused.reusedBy, 2U) << name;
        EXPECT_FALSE(reused.weak) << name;
        EXPECT_EQ(reused.record.folderName, "Shops");
    }

    const HealthFinding& named = FindingFor(findings, "Hv8#Lp2!");
    EXPECT_TRUE(named.equalsName);
    EXPECT_FALSE(named.equalsLogin);
    EXPECT_FALSE(named.timesBreached.has_value());
}

TEST_F(PasswordHealthTest, ABreachListAddsTheCountAndItsRecord)
{
    test::TempDir dir;
    // SHA-1 of "password1" and of the Inbox's otherwise strong password.
    const Sha1Digest inbox = BreachDigest("x7#Kq9!vR2$mW4pZ");
    std::string inboxHex;
    for (unsigned char byte : inbox) {
        static const char* digits = "0123456789ABCDEF";
        inboxHex += digits[byte >> 4];
        inboxHex += digits[byte & 15];
    }
    std::string lines[] = {"E38AD214943DAAD1D64C102FAEC29DE4AFE9DA3D:2413945", inboxHex + ":3"};
    std::sort(std::begin(lines), std::end(lines));
    std::ofstream(dir / "list.txt") << lines[0] << '\n' << lines[1] << '\n';

    BreachList breaches(dir / "list.txt");
    const std::vector<HealthFinding> findings = CheckPasswordHealth(m_account, &breaches);
    EXPECT_EQ(FindingFor(findings, "Games").timesBreached, 2413945U);
    EXPECT_EQ(FindingFor(findings, "Inbox").timesBreached, 3U);
    EXPECT_FALSE(FindingFor(findings, "Books").timesBreached.has_value());
}

} // namespace
} // namespace velmora
