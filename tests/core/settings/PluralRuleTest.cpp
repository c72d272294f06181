#include "core/settings/PluralRule.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct PluralCase
{
    std::uint64_t count;
    PluralForm english;
    PluralForm russian;
};

void PrintTo(const PluralCase& c, std::ostream* os)
{
    *os << c.count;
}

class Plurals : public testing::TestWithParam<PluralCase>
{};

TEST_P(Plurals, EachRulePicksItsLanguagesForm)
{
    EXPECT_EQ(PluralFormOf(PluralRule::OneOther, GetParam().count), GetParam().english);
    EXPECT_EQ(PluralFormOf(PluralRule::OneFewMany, GetParam().count), GetParam().russian);
}

constexpr PluralForm kOne = PluralForm::One;
constexpr PluralForm kFew = PluralForm::Few;
constexpr PluralForm kMany = PluralForm::Many;
constexpr PluralForm kOther = PluralForm::Other;

// 1 вложение, 2 вложения, 5 вложений, 11 вложений, 21 вложение, 22 вложения, 111 вложений...
INSTANTIATE_TEST_SUITE_P(
    Table, Plurals,
    testing::Values(PluralCase{0, kOther, kMany}, PluralCase{1, kOne, kOne}, PluralCase{2, kOther, kFew},
                    PluralCase{4, kOther, kFew}, PluralCase{5, kOther, kMany}, PluralCase{11, kOther, kMany},
                    PluralCase{12, kOther, kMany}, PluralCase{14, kOther, kMany}, PluralCase{20, kOther, kMany},
                    PluralCase{21, kOther, kOne}, PluralCase{22, kOther, kFew}, PluralCase{25, kOther, kMany},
                    PluralCase{101, kOther, kOne}, PluralCase{111, kOther, kMany}, PluralCase{112, kOther, kMany},
                    PluralCase{122, kOther, kFew}, PluralCase{1001, kOther, kOne}));

TEST(PluralRules, AreNamedAsLanguageFilesNameThemAndListTheirForms)
{
    EXPECT_EQ(PluralRuleNamed("one-few-many"), PluralRule::OneFewMany);
    EXPECT_EQ(PluralRuleNamed("one-other"), PluralRule::OneOther);
    EXPECT_EQ(PluralRuleNamed(""), PluralRule::OneOther);
    EXPECT_EQ(PluralRuleNamed("dual"), PluralRule::OneOther);
    EXPECT_EQ(PluralFormsOf(PluralRule::OneOther), (std::vector{kOne, kOther}));
    EXPECT_EQ(PluralFormsOf(PluralRule::OneFewMany), (std::vector{kOne, kFew, kMany}));
}

} // namespace
} // namespace velmora
