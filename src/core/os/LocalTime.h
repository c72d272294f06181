#pragma once

#include <ctime>

namespace velmora {

// The calendar date and time of `moment` in the local time zone.
std::tm LocalTime(std::time_t moment);

} // namespace velmora
