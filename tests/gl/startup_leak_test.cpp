// Leak check of the start-up path, in the AddressSanitizer build: everything
// the program keeps lives in globals until exit by design, so LeakSanitizer
// finds only what was allocated and lost. The check runs while the GL driver
// is still loaded, so that its own allocations (kept until exit) are known by
// module and suppressed; allocations of the program's code are not.
#include "app/startup.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_dri.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:libGLX.so\n"
           "leak:libGL.so\n"
           "leak:libglapi.so\n"
           "leak:libLLVM\n"
           "leak:libX11.so\n"
           "leak:libxcb\n"
           "leak:libglut.so\n"
           "leak:libdrm\n"
           "leak:libexpat\n";
}
#endif

namespace {

TEST(StartupLeaks, InitSceneOnTheDefaultSceneLosesNothing)
{
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs the AddressSanitizer build";
#else
    ScopedWorkDir dir;
    const std::string copy = "cp -r '" + std::string(MIRTAL_SOURCE_DIR) + "/data/.' .";
    ASSERT_EQ(std::system(copy.c_str()), 0);
    testing::internal::CaptureStdout();
    initScene();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0)
        << "memory allocated during start-up was lost (see the report above)";
#endif
}

} // namespace
