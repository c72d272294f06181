#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

// The forms a counted noun takes, named as the language files name them.
enum class PluralForm
{
    One,
    Few,
    Many,
    Other
};

// How a language picks the form for a count.
enum class PluralRule
{
    OneOther,  // English and most Western languages: 1 takes "one", every other count "other"
    OneFewMany // Russian, Ukrainian, Belarusian: 1, 21, 101 "one"; 2-4, 22-24 "few"; 0, 5-20, 11-14 "many"
};

// The form of `count` under the rule.
PluralForm PluralFormOf(PluralRule rule, std::uint64_t count);

// Every form the rule picks, in the order one, few, many, other.
std::vector<PluralForm> PluralFormsOf(PluralRule rule);

// "one", "few", "many" or "other".
std::string_view PluralFormName(PluralForm form);

// The rule a language file names ("one-other", "one-few-many"); one-other for any other name, as
// most languages count that way.
PluralRule PluralRuleNamed(std::string_view name);

} // namespace velmora
