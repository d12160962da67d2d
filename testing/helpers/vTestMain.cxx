// The main of every test program: GoogleTest, with VTK's output window captured so that a test
// fails on a VTK warning or error it did not expect, and the user prompt kept quiet.
#include "vVtkOutputCapture.h"

#include "vSanitizerSupport.h"
#include "vShellNotifier.h"
#include "vUserPrompt.h"

#include <gtest/gtest.h>

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
} // namespace

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
  vKeepOpenGLDriverLoadedForSanitizers();
  vVtkOutputCapture::Install();
  vGetDefaultUserPrompt()->SetEcho(false);
  vGetDefaultShellNotifier()->SetEcho(false);
  ::testing::UnitTest::GetInstance()->listeners().Append(new vVtkMessageListener);
  return RUN_ALL_TESTS();
}
