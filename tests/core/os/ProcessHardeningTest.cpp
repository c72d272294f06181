#include "core/os/ProcessHardening.h"

#include <cstdlib>
#include <gtest/gtest.h>

#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/resource.h>

namespace velmora {
namespace {

bool NoCoreAndNoAttach()
{
    rlimit core{};
    return prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0 && getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur == 0 &&
           core.rlim_max == 0;
}

// In a child process of its own: the hardening cannot be undone, and the tests go on without it.
TEST(ProcessHardeningDeathTest, TheProcessWritesNoCoreAndAdmitsNoDebugger)
{
    EXPECT_EXIT(
        {
            HardenProcess();
            std::exit(NoCoreAndNoAttach() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace velmora
#endif
