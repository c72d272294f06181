#include "core/health/HintRule.h"

#include <gtest/gtest.h>
#include <ostream>

namespace velmora {
namespace {

struct HintCase
{
    const char* hint;
    const char* password;
    bool reveals;
};

void PrintTo(const HintCase& c, std::ostream* os)
{
    *os << '"' << c.hint << "\" / \"" << c.password << '"';
}

class HintRuleTable : public testing::TestWithParam<HintCase>
{};

TEST_P(HintRuleTable, RevealsWhenTheHintHoldsMostOfThePassword)
{
    const HintCase& c = GetParam();
    EXPECT_EQ(HintRevealsPassword(c.hint, c.password), c.reveals);
}

INSTANTIATE_TEST_SUITE_P(Hints, HintRuleTable,
                         testing::Values(HintCase{"my cat", "", false},            // nothing to reveal
                                         HintCase{"Tiger1987", "Tiger1987", true}, // the password itself
                                         HintCase{"it is tiger1987 backwards", "Tiger1987", true}, // inside, other case
                                         HintCase{"Tiger19", "Tiger1987", true},                   // 7 of 9 characters
                                         HintCase{"Tiger", "Tiger1987", false},                    // 5 of 9: below 60 %
                                         HintCase{"Tig and 1987", "Tiger1987", false},    // pieces, no long run
                                         HintCase{"first pet, year", "Tiger1987", false}, // unrelated
                                         HintCase{"ab", "ab", true},                      // short: needs both
                                         HintCase{"a", "ab", false},
                                         // Cyrillic folds by the code page: "ПАРОЛЬ" in "пароль123".
                                         HintCase{"\xCF\xC0\xD0\xCE\xCB\xDC", "\xEF\xE0\xF0\xEE\xEB\xFC\x31\x32\x33",
                                                  true}));

} // namespace
} // namespace velmora
