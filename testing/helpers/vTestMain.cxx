// The main of every test program: GoogleTest, with VTK's output window captured so that a test
// fails on a VTK warning or error it did not expect, and the user prompt kept quiet.
#include "vVtkOutputCapture.h"

#include "vShellNotifier.h"
#include "vUserPrompt.h"

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#endif

namespace
{
class vVtkMessageListener : public ::testing::EmptyTestEventListener
{
  void OnTestStart(const ::testing::TestInfo&) override
  {
    vVtkOutputCapture::TakeUnexpected();
    vGetDefaultUserPrompt()->Reset();
    vGetDefaultShellNotifier()->Reset();
  }
  void OnTestEnd(const ::testing::TestInfo&) override
  {
    // Failures raised here count against the test that just ran.
    for (const std::string& message : vVtkOutputCapture::TakeUnexpected())
    {
      ADD_FAILURE() << "unexpected VTK output: " << message;
    }
  }
};
#if defined(__SANITIZE_ADDRESS__)
/**
 * The OpenGL driver is loaded when a test first draws and unloaded when the display closes; what
 * it keeps for the process is then reported as leaked from an unknown place, which no
 * suppression can name. Loaded here for good (the loader keeps one copy), its allocations keep
 * their library's name and the suppressions of testing/sanitizers/lsan.supp apply.
 */
void KeepTheOpenGLDriverLoaded()
{
  for (const char* library : { "libGLX_mesa.so.0", "libglapi.so.0", "libEGL_mesa.so.0",
         "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so" })
  {
    dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE); // missing ones are not needed
  }
}
#endif
} // namespace

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
#if defined(__SANITIZE_ADDRESS__)
  KeepTheOpenGLDriverLoaded();
#endif
  vVtkOutputCapture::Install();
  vGetDefaultUserPrompt()->SetEcho(false);
  vGetDefaultShellNotifier()->SetEcho(false);
  ::testing::UnitTest::GetInstance()->listeners().Append(new vVtkMessageListener);
  return RUN_ALL_TESTS();
}
