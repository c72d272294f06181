#include "core/settings/PluralRule.h"

namespace velmora {

PluralForm PluralFormOf(PluralRule rule, std::uint64_t count)
{
    if (rule == PluralRule::OneOther) {
        return count == 1 ? PluralForm::One : PluralForm::Other;
    }
    const std::uint64_t lastDigit = count % 10;
    const std::uint64_t lastTwo = count % 100;
    if (lastDigit == 1 && lastTwo != 11) {
        return PluralForm::One;
    }
    if (lastDigit >= 2 && lastDigit <= 4 && (lastTwo < 12 || lastTwo > 14)) {
        return PluralForm::Few;
    }
    return PluralForm::Many;
}

std::vector<PluralForm> PluralFormsOf(PluralRule rule)
{
    if (rule == PluralRule::OneOther) {
        return {PluralForm::One, PluralForm::Other};
    }
    return {PluralForm::One, PluralForm::Few, PluralForm::Many};
}

std::string_view PluralFormName(PluralForm form)
{
    switch (form) {
    case PluralForm::One:
        return "one";
    case PluralForm::Few:
        return "few";
    case PluralForm::Many:
        return "many";
    case PluralForm::Other:
        break;
    }
    return "other";
}

PluralRule PluralRuleNamed(std::string_view name)
{
    return name == "one-few-many" ? PluralRule::OneFewMany : PluralRule::OneOther;
}

} // namespace velmora
