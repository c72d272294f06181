#include "core/os/LocalTime.h"

namespace velmora {

std::tm LocalTime(std::time_t moment)
{
    // The thread-safe forms: std::localtime shares one result among all callers.
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    return local;
}

} // namespace velmora
