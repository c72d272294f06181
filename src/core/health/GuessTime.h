#pragma once

#include <cstdint>

namespace velmora {

// The time an attacker needs, in the largest unit that holds it at least once.
struct GuessTime
{
    enum class Unit
    {
        LessThanASecond,
        Seconds,
        Minutes,
        Hours,
        Days,
        Years,
        Centuries,
        MillionsOfCenturies // more than a million centuries: beyond that a number tells nothing
    };

    Unit unit = Unit::LessThanASecond;
    std::uint64_t count = 0; // whole units, rounded down; 0 for the first and the last unit
};

GuessTime GuessTimeOf(double seconds);

} // namespace velmora
