#include "core/os/ProcessHardening.h"

#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/resource.h>
#endif

namespace velmora {

void HardenProcess()
{
#if defined(__linux__)
    // Not dumpable also refuses ptrace by other processes of the same user and keeps them out of
    // /proc/PID/mem. A failure leaves the process as it was: there is nothing better to do.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
#endif
    // Elsewhere (Windows) crash dumps and debugging rights are the system's settings; nothing to do.
}

} // namespace velmora
