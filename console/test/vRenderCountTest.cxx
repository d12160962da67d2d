// Every step a user sees draws the window once: counted on the render window's start events.
#include "vConsoleFixture.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"

#include "vRenderBaseline.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkNew.h>
#include <vtkRenderWindow.h>

#include <cstring>
#include <string>

namespace
{
using RenderCount = vConsoleFixture;

/** Counts the renders of one window from its construction on. */
class vRenderCounter
{
public:
  explicit vRenderCounter(vtkRenderWindow* window)
    : Window(window)
  {
    this->Callback->SetClientData(&this->Count);
    this->Callback->SetCallback(
      [](vtkObject*, unsigned long, void* count, void*) { ++*static_cast<int*>(count); });
    this->Tag = window->AddObserver(vtkCommand::StartEvent, this->Callback);
  }
  ~vRenderCounter() { this->Window->RemoveObserver(this->Tag); }
  vRenderCounter(const vRenderCounter&) = delete;
  vRenderCounter& operator=(const vRenderCounter&) = delete;

  /** Renders since the last call. */
  int Take()
  {
    const int count = this->Count;
    this->Count = 0;
    return count;
  }

private:
  vtkRenderWindow* Window; // borrowed: owned by the renderer manager
  vtkNew<vtkCallbackCommand> Callback;
  unsigned long Tag = 0;
  int Count = 0;
};
} // namespace

TEST_F(RenderCount, EveryConsoleStepRendersOnce)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  Start({ "Viewer3D" }, true);
  ASSERT_EQ(Do("open", { "ring.vtk" }), 0);
  ASSERT_EQ(Do("open", { "marks.vtk" }), 0);
  ASSERT_EQ(Do("open", { "head.qv" }), 0);
  ASSERT_EQ(Do("Viewer3D"), 0);
  ASSERT_EQ(Do("coolstart"), 0);
  vViewer* viewer = Facade->GetEXE()->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);
  vtkRenderWindow* window = Facade->GetEXE()->GetRenderers()->GetRenderWindow();
  ASSERT_NE(window, nullptr);
  vRenderCounter renders(window);

  // The first layer also places the camera, without a render of its own.
  EXPECT_EQ(Do("new", { "layer", "mesh", "ring", "IV" }), 0);
  EXPECT_EQ(renders.Take(), 1) << "new layer (first)";
  EXPECT_EQ(Do("new", { "layer", "landmark", "marks", "IV" }), 0);
  EXPECT_EQ(renders.Take(), 1) << "new layer (second)";
  // The first build of a slice layer still draws twice: VTK's image viewer places its camera
  // only in a render of its own.
  EXPECT_EQ(Do("new", { "layer", "ImageSlice", "head", "IV" }), 0);
  renders.Take();
  const std::string mesh = viewer->GetInput(0)->GetName();
  const std::string slice = viewer->GetInput(2)->GetName();

  const char* const steps[] = { "set color 1 0 0",
    "set bcolor 0 0 0.2",
    "set opacity 0.5",
    "hide MESH",
    "show MESH",
    "set orientation XZ SLICE" };
  for (std::string step : steps)
  {
    for (const auto& name : { std::make_pair("MESH", mesh), std::make_pair("SLICE", slice) })
    {
      const size_t at = step.find(name.first);
      if (at != std::string::npos)
      {
        step.replace(at, std::strlen(name.first), name.second);
      }
    }
    EXPECT_EQ(Line(step), 0) << step;
    EXPECT_EQ(renders.Take(), 1) << step;
  }
}
