#include "core/health/GuessTime.h"

#include <array>
#include <cmath>
#include <utility>

namespace velmora {

GuessTime GuessTimeOf(double seconds)
{
    constexpr double kYear = 365.25 * 24 * 3600;
    constexpr std::array<std::pair<GuessTime::Unit, double>, 6> kUnits = {{
        {GuessTime::Unit::Centuries, 100 * kYear},
        {GuessTime::Unit::Years, kYear},
        {GuessTime::Unit::Days, 24 * 3600},
        {GuessTime::Unit::Hours, 3600},
        {GuessTime::Unit::Minutes, 60},
        {GuessTime::Unit::Seconds, 1},
    }};
    if (!(seconds < 1e6 * 100 * kYear)) {
        return {GuessTime::Unit::MillionsOfCenturies, 0};
    }
    for (const auto& [unit, length] : kUnits) {
        if (seconds >= length) {
            return {unit, static_cast<std::uint64_t>(std::floor(seconds / length))};
        }
    }
    return {GuessTime::Unit::LessThanASecond, 0};
}

} // namespace velmora
