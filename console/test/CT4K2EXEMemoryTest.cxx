// Commands that run out of memory: each runs in a child process (gtest re-runs this program for
// it) whose address space is held to a little more than it uses, and must answer with an error
// reply and result 22, leave the workspace as it was and end normally, where it used to abort
// with an uncaught std::bad_alloc or crash inside VTK.
//
// RLIMIT_AS does not hold under AddressSanitizer (its shadow memory needs terabytes of address
// space): the cases skip in sanitizer builds.
#include "vConsoleFixture.h"

#include "CVemoraCPEXE.h"
#include "vDataResource.h"
#include "vRendererManager.h"
#include "vVolumeResource.h"

#include "vAddressSpaceLimit.h"
#include "vRenderBaseline.h"

#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace
{
class MemoryLimits : public vConsoleFixture
{
protected:
  void SetUp() override { ::testing::FLAGS_gtest_death_test_style = "threadsafe"; }

  /**
   * In the child: holds the address space to what is in use plus `headroom` MiB, runs `command`,
   * prints its reply, and whether the workspace listing changed, then ends with its result.
   */
  [[noreturn]] void RunLimited(std::size_t headroom, const std::function<int()>& command)
  {
    const std::string before = this->Facade->GetVar();
    vAddressSpaceLimit limit(headroom << 20);
    const int result = command();
    const bool unchanged = this->Facade->GetVar() == before;
    std::fprintf(stderr,
      "reply: %s|workspace %s\n",
      this->Reply().c_str(),
      unchanged ? "unchanged" : "changed");
    std::fflush(stderr);
    ::_exit(result);
  }
};
} // namespace

TEST_F(MemoryLimits, MarchingCubesRefusesAVolumeWhoseMaskCannotFit)
{
  VEMORA_SKIP_UNDER_SANITIZERS();
  Start({}, false);
  // 32 MiB of voxels: the mask and its smoothed copy need 64 MiB, and 24 MiB are left.
  vtkNew<vtkImageData> volume;
  volume->SetDimensions(256, 256, 128);
  volume->AllocateScalars(VTK_UNSIGNED_INT, 1);
  std::memset(volume->GetScalarPointer(), 0, 256u * 256u * 128u * 4u);
  vVolumeResource* volumes = Facade->GetEXE()->GetVolume();
  const int index = volumes->AdoptData(vtkSmartPointer<vtkDataSet>(volume.Get()));
  ASSERT_GE(index, 0);
  volumes->SetDataName(index, "big");
  EXPECT_EXIT(RunLimited(24,
                [this] {
                  return Do("mc", { "big", "600", "0.5", "0" });
                }),
    ::testing::ExitedWithCode(22),
    "reply: error: not enough memory in command 'mc': the surface needs at least 64 MiB, only "
    "[0-9]+ MiB are available\r\n\\|workspace unchanged");
}

TEST_F(MemoryLimits, ResidualAnswersWhenItsPointsCannotFit)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  VEMORA_SKIP_UNDER_SANITIZERS();
  Start({}, true);
  ASSERT_EQ(Do("open", { "ring.vtk" }), 0);
  Facade->GetEXE()->GetRenderers()->SingleRenderer(0); // residual needs a second renderer
  // Two million points: their distances (16 MiB) fit into the 32 MiB left, a copy of their
  // coordinates (48 MiB) does not.
  const vtkIdType count = 2000000;
  vtkNew<vtkPoints> points;
  points->SetNumberOfPoints(count);
  for (vtkIdType i = 0; i < count; ++i)
  {
    points->SetPoint(i, double(i % 1000), std::floor(double(i) / 1000), 0.0);
  }
  vtkNew<vtkPolyData> cloud;
  cloud->SetPoints(points);
  vDataResource* models = Facade->GetEXE()->GetModel();
  ASSERT_GE(models->AdoptData(vtkSmartPointer<vtkDataSet>(cloud.Get())), 0);
  models->SetLastDataName("cloud");
  const auto residual = [this]
  {
    const int result = Do("residual", { "ring", "cloud" });
    const bool written = ::access((Data() + "/Map_cloud.txt").c_str(), F_OK) == 0;
    std::fprintf(stderr, "map %s\n", written ? "written" : "not written");
    return result;
  };
  EXPECT_EXIT(RunLimited(32, residual),
    ::testing::ExitedWithCode(22),
    "map not written\n"
    "reply: error: not enough memory in command 'residual'\r\n\\|workspace unchanged");
}

TEST_F(MemoryLimits, AScriptLineTooLongForTheMemoryLeftEndsTheScript)
{
  VEMORA_SKIP_UNDER_SANITIZERS();
  Start({}, false);
  // A 12 MiB line, then a line that would open a file: only 8 MiB are left.
  const std::string script = Home.Sub("long.v");
  {
    std::ofstream out(script, std::ios::binary);
    out << "ver ";
    const std::string block(1 << 20, 'x');
    for (int i = 0; i < 12; ++i)
    {
      out << block;
    }
    out << "\nopen ring.vtk\n";
  }
  // With 8 MiB left the line cannot be read; with 30 MiB it is read but cannot be split.
  for (const std::size_t headroom : { 8, 30 })
  {
    EXPECT_EXIT(
      RunLimited(headroom, [this, script] { return Interpreter->RunScriptFromUI(script); }),
      ::testing::ExitedWithCode(22),
      "reply: error: not enough memory to read the script\\|workspace unchanged");
  }
}

TEST_F(MemoryLimits, AModuleCommandAnswersWhenItsLineCannotFit)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  VEMORA_SKIP_UNDER_SANITIZERS();
  Start({ "Quadview" }, true);
  ASSERT_EQ(Do("Quadview"), 0);
  // An 8 MiB name: the console's copies of the line (16 MiB) fit into the 20 MiB left, the
  // module's own split of it does not. The module answers; nothing leaves its export.
  std::vector<std::string> parameters = { std::string(8 << 20, 'n') };
  EXPECT_EXIT(RunLimited(20, [this, &parameters] { return Do("add", std::move(parameters)); }),
    ::testing::ExitedWithCode(22),
    "reply: error: not enough memory in Quadview command 'add'\r\n\\|workspace unchanged");
}

TEST_F(MemoryLimits, AScreenshotTooLargeForTheMemoryLeftIsRefused)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  VEMORA_SKIP_UNDER_SANITIZERS();
  Start({}, true);
  // Eight times the tab's size: at least 2400 x 2400 pixels, 32 MiB and more; 16 MiB are left.
  EXPECT_EXIT(RunLimited(16,
                [this] {
                  return Do("screenshot", { "big.png", "8" });
                }),
    ::testing::ExitedWithCode(22),
    "reply: error: not enough memory in command 'screenshot': the picture needs [0-9]+ MiB, only "
    "[0-9]+ MiB are available\r\n\\|workspace unchanged");
}
