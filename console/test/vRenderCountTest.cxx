// Every step a user sees draws the window once: counted on the render window's start events.
#include "vConsoleFixture.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vPropertyEdits.h"

#include "vImageLayer.h"
#include "vLayer.h"
#include "vProp.h"
#include "vRendererManager.h"
#include "vViewer.h"

#include "vRenderBaseline.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkImageActor.h>
#include <vtkImageData.h>
#include <vtkImageViewer2.h>
#include <vtkLookupTable.h>
#include <vtkMatrix4x4.h>
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

/**
 * The axis across which the layer's slice is flat, as drawn (0 x: a YZ slice, 1 y: XZ, 2 z: XY),
 * which is the orientation code it shows; -1 without a slice or when it is not one plane.
 */
int ShownOrientation(vLayer* layer)
{
  auto* image = dynamic_cast<vImageLayer*>(layer);
  vtkImageViewer2* viewer = image ? image->GetImageViewer() : nullptr;
  if (!viewer)
  {
    return -1;
  }
  double bounds[6];
  viewer->GetImageActor()->GetBounds(bounds);
  int flat = -1;
  for (int axis = 0; axis < 3; ++axis)
  {
    const double size = bounds[2 * axis + 1] - bounds[2 * axis];
    if (!(size >= 0))
    {
      return -1;
    }
    if (size < 1e-6)
    {
      if (flat >= 0)
      {
        return -1;
      }
      flat = axis;
    }
  }
  return flat;
}

/** Where the slice lies along the axis `axis` as drawn (world coordinate). */
double ShownPosition(vLayer* layer, int axis)
{
  double bounds[6];
  static_cast<vImageLayer*>(layer)->GetImageViewer()->GetImageActor()->GetBounds(bounds);
  return bounds[2 * axis];
}
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
  EXPECT_EQ(Do("new", { "layer", "ImageSlice", "head", "IV" }), 0);
  EXPECT_EQ(renders.Take(), 1) << "new layer (first slice layer)";
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

TEST_F(RenderCount, SliceLayersOfTheSceneRenderOnceAndShowTheirChange)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  Start({ "Scene" }, true);
  ASSERT_EQ(Do("open", { "head.qv" }), 0);
  ASSERT_EQ(Do("Scene"), 0);
  ASSERT_EQ(Do("coolstart"), 0) << Reply();
  vViewer* viewer = Facade->GetEXE()->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);
  vRenderCounter renders(Facade->GetEXE()->GetRenderers()->GetRenderWindow());

  // The first layer of the viewer is a slice layer; then one of each slice kind.
  EXPECT_EQ(Do("new", { "layer", "ImageSlice", "head", "IV" }), 0) << Reply();
  EXPECT_EQ(renders.Take(), 1) << "new layer (first, a slice)";
  EXPECT_EQ(Do("new", { "layer", "vol3d", "head", "IV" }), 0) << Reply();
  EXPECT_EQ(renders.Take(), 1) << "new layer vol3d";
  EXPECT_EQ(Do("add", { "head" }), 0) << Reply();
  EXPECT_EQ(renders.Take(), 1) << "add (the module's slice layer)";
  ASSERT_EQ(viewer->GetNumberOfItems(), 3);
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(ShownOrientation(viewer->GetInput(i)), 2) << i;
  }

  // Every orientation, by the console on the slice layers and by the module's word on the
  // current layer (each kind): drawn once, and drawn as asked.
  const std::pair<const char*, int> planes[] = { { "xz", 1 }, { "yz", 0 }, { "xy", 2 } };
  for (int i : { 0, 2 })
  {
    vLayer* layer = viewer->GetInput(i);
    for (const auto& plane : planes)
    {
      const std::string line =
        std::string("set orientation ") + plane.first + " " + layer->GetName();
      EXPECT_EQ(Line(line), 0) << line << ": " << Reply();
      EXPECT_EQ(renders.Take(), 1) << line;
      EXPECT_EQ(ShownOrientation(layer), plane.second) << line;
    }
  }
  for (int i = 0; i < 3; ++i)
  {
    viewer->Select(i);
    for (const auto& plane : planes)
    {
      EXPECT_EQ(Do("orientation", { plane.first }), 0) << Reply();
      EXPECT_EQ(renders.Take(), 1) << "orientation " << plane.first << " of layer " << i;
      EXPECT_EQ(ShownOrientation(viewer->GetInput(i)), plane.second) << plane.first << i;
    }
  }

  // The module's slice word (here on an XY slice): drawn once, where asked.
  for (int i = 0; i < 3; ++i)
  {
    viewer->Select(i);
    vLayer* layer = viewer->GetInput(i);
    vtkImageData* image = static_cast<vImageLayer*>(layer)->GetImage();
    for (int slice : { 5, 0, 7 })
    {
      const double expected =
        image->GetOrigin()[2] + image->GetSpacing()[2] * (image->GetExtent()[4] + slice);
      EXPECT_EQ(Do("slice", { std::to_string(slice) }), 0) << Reply();
      EXPECT_EQ(renders.Take(), 1) << "slice " << slice << " of layer " << i;
      EXPECT_NEAR(ShownPosition(layer, 2), expected, 1e-6) << slice << " of layer " << i;
    }
  }

  // The property panel's edits of window / level, slice and opacity.
  for (int i = 0; i < 3; ++i)
  {
    auto* layer = static_cast<vImageLayer*>(viewer->GetInput(i));
    const double window[2] = { 10, 60 };
    EXPECT_TRUE(vPropertyEdits::ApplyContrast(layer, window));
    EXPECT_EQ(renders.Take(), 1) << "contrast of " << layer->GetName();
    double range[2];
    layer->GetLookupTable()->GetTableRange(range);
    EXPECT_EQ(range[0], 10);
    EXPECT_EQ(range[1], 60);
    const int slice[3] = { 3, 0, 0 };
    EXPECT_TRUE(vPropertyEdits::ApplySlice(layer, slice));
    EXPECT_EQ(renders.Take(), 1) << "slice of " << layer->GetName();
    EXPECT_TRUE(vPropertyEdits::ApplyOpacity(layer, 40));
    EXPECT_EQ(renders.Take(), 1) << "opacity of " << layer->GetName();
    EXPECT_DOUBLE_EQ(layer->GetImageViewer()->GetImageActor()->GetOpacity(), 0.4);
  }
  EXPECT_EQ(Line("set opacity 0.5 " + viewer->GetInput(0)->GetName()), 0) << Reply();
  EXPECT_EQ(renders.Take(), 1) << "set opacity";

  // Mirror and flip (the window's menu) turn every slice over, drawn once.
  auto turned = [&](int i)
  {
    auto* layer = static_cast<vImageLayer*>(viewer->GetInput(i));
    vtkMatrix4x4* matrix = layer->GetImageViewer()->GetImageActor()->GetUserMatrix();
    return matrix ? matrix->GetElement(0, 0) : 1.0;
  };
  viewer->Mirror();
  EXPECT_EQ(renders.Take(), 1) << "mirror";
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(turned(i), -1.0) << i; // an XY slice mirrors across x
  }
  viewer->Flip();
  EXPECT_EQ(renders.Take(), 1) << "flip";
}

TEST_F(RenderCount, TheVolumeViewIsBuiltWithOneRender)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  Start({ "Quadview" }, true);
  ASSERT_EQ(Do("open", { "head.qv" }), 0);
  ASSERT_EQ(Do("Quadview"), 0);
  ASSERT_EQ(Do("coolstart"), 0) << Reply();
  vRenderCounter renders(Facade->GetEXE()->GetRenderers()->GetRenderWindow());

  // Three slice views (XY, XZ, YZ), a volume rendering and the texts: one render.
  EXPECT_EQ(Do("add", { "head" }), 0) << Reply();
  EXPECT_EQ(renders.Take(), 1) << "add (first)";
  vViewer* viewer = Facade->GetEXE()->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);
  ASSERT_GE(viewer->GetNumberOfItems(), 4);
  for (int k = 0; k < 3; ++k)
  {
    EXPECT_EQ(ShownOrientation(viewer->GetInput(k)), 2 - k) << k;
  }
  // Another volume replaces the view, still with one render.
  EXPECT_EQ(Do("add", { "head" }), 0) << Reply();
  EXPECT_EQ(renders.Take(), 1) << "add (again)";

  EXPECT_EQ(Do("new", { "layer", "vol", "head", "iv1" }), 0) << Reply();
  EXPECT_EQ(renders.Take(), 1) << "new layer in a slice view";
  vLayer* added = viewer->GetInput(viewer->GetNumberOfItems() - 1);
  EXPECT_EQ(ShownOrientation(added), 2);
  EXPECT_EQ(Line("set orientation yz " + added->GetName()), 0) << Reply();
  EXPECT_EQ(renders.Take(), 1) << "set orientation";
  EXPECT_EQ(ShownOrientation(added), 0);
}
