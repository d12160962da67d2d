#include "vImageLayerTestData.h"

#include "vImage3DLayer.h"
#include "vRendererManager.h"
#include "vShellNotifier.h"
#include "vTextLayer.h"
#include "vViewer.h"
#include "vVolumeRenderingLayer.h"
#include "vVolumeViewerWrapper.h"

#include "vRenderBaseline.h"

#include <vtkCommand.h>
#include <vtkImageViewer2.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct VolumeScene
{
  VolumeScene()
  {
    this->Window = this->Manager.CreateNewRenderWindow();
    this->Window->SetSize(600, 600);
    vtkNew<vtkRenderer> main;
    this->Window->AddRenderer(main);
    vGetDefaultShellNotifier()->SetEcho(false);
    vGetDefaultShellNotifier()->Reset();
    this->Wrapper = vVolumeViewerWrapper::New();
    this->Wrapper->SetRenderer(&this->Manager);
  }
  ~VolumeScene() { this->Wrapper->Delete(); }

  void Send(unsigned long event, int x, int y, int repeat = 0)
  {
    vtkRenderWindowInteractor* interactor = this->Wrapper->GetInteractor();
    interactor->SetEventPosition(x, y);
    interactor->SetRepeatCount(repeat);
    interactor->InvokeEvent(event);
  }

  /** The display position of a world point in grid cell k. */
  void ToDisplay(int k, const double p[3], int& x, int& y)
  {
    vtkRenderer* renderer = this->Manager.GetRenderer(1 + k);
    renderer->SetWorldPoint(p[0], p[1], p[2], 1.0);
    renderer->WorldToDisplay();
    x = static_cast<int>(std::lround(renderer->GetDisplayPoint()[0]));
    y = static_cast<int>(std::lround(renderer->GetDisplayPoint()[1]));
  }

  vRendererManager Manager;
  vtkRenderWindow* Window = nullptr;
  vVolumeViewerWrapper* Wrapper = nullptr;
};
} // namespace

TEST(VolumeViewerWrapper, BuildsTheVolumeView)
{
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(40, 30, 20, 1, 1, 2);
  auto volume = vMakeVolumeHandle(image, "CT");
  VolumeScene scene;
  vDataResourceFake model;
  EXPECT_EQ(scene.Wrapper->AddInput(&model), -1);
  ASSERT_EQ(scene.Wrapper->AddInput(volume.get()), 0);
  vViewer* viewer = scene.Wrapper->GetViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isA("VolumeViewer"));
  EXPECT_EQ(scene.Wrapper->GetNumberOfLayers(), 8); // 3 slices, the volume, 4 texts
  const int orientations[3] = { 2, 1, 0 };
  const char* renderers[3] = { "iv0", "iv1", "iv2" };
  for (int k = 0; k < 3; ++k)
  {
    vImage3DLayer* slice = scene.Wrapper->GetSliceLayer(k);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(slice->GetSliceOrientation(), orientations[k]);
    EXPECT_EQ(slice->GetRendererName(), renderers[k]);
    EXPECT_EQ(slice->GetNumberOfFriends(), 2);
    EXPECT_EQ(slice->WorkWithFriend(1), 1);
  }
  EXPECT_EQ(viewer->GetKeyLayer(), scene.Wrapper->GetSliceLayer(0));
  EXPECT_EQ(scene.Wrapper->GetVolumeLayer()->GetRendererName(), "3D");

  vTextLayer* description = scene.Wrapper->GetTextLayer(0);
  ASSERT_NE(description, nullptr);
  EXPECT_EQ(description->GetText(0), "X-Y");
  EXPECT_EQ(description->GetText(1), "Voxel");
  EXPECT_EQ(scene.Wrapper->GetTextLayer(2)->GetText(2),
    "Image Size: 40 x 30 x 20\nVoxel Size: 1.00 x 1.00 x 2.00");
  double range[2];
  image->GetScalarRange(range);
  char intensity[64];
  std::snprintf(intensity, sizeof(intensity), "VI (min ~ max): %.0f ~ %.0f", range[0], range[1]);
  EXPECT_EQ(scene.Wrapper->GetTextLayer(1)->GetText(2), intensity);
  EXPECT_EQ(scene.Wrapper->GetTextLayer(1)->GetText(0), "X-Z");
  EXPECT_EQ(scene.Wrapper->GetTextLayer(2)->GetText(0), "Y-Z");
  EXPECT_EQ(scene.Wrapper->GetTextLayer(3)->GetText(0), "3D");
  EXPECT_EQ(scene.Wrapper->GetTextLayer(3)->GetRendererName(), "3D");

  // Mirroring the key layer turns its two friends as well.
  scene.Wrapper->GetSliceLayer(0)->Mirror();
  double m[16];
  scene.Wrapper->GetSliceLayer(1)->GetProperty()->GetRigidTransform(m);
  EXPECT_DOUBLE_EQ(m[0], -1);
}

TEST(VolumeViewerWrapper, PickMovesTheOtherSlices)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(40, 30, 20, 1, 1, 2);
  auto volume = vMakeVolumeHandle(image, "CT");
  VolumeScene scene;
  ASSERT_EQ(scene.Wrapper->AddInput(volume.get()), 0);
  ASSERT_EQ(scene.Wrapper->Interacting(), 0);
  scene.Wrapper->Render();
  vImage3DLayer* xy = scene.Wrapper->GetSliceLayer(0);
  vImage3DLayer* xz = scene.Wrapper->GetSliceLayer(1);
  vImage3DLayer* yz = scene.Wrapper->GetSliceLayer(2);
  const int xySlice = xy->GetProperty()->GetSliceX();
  EXPECT_EQ(xySlice, 10);

  // Click on voxel (12, 7) of the XY view.
  const double point[3] = { 12, 7, 2.0 * xySlice };
  int x, y;
  scene.ToDisplay(0, point, x, y);
  scene.Send(vtkCommand::LeftButtonPressEvent, x, y);
  scene.Send(vtkCommand::LeftButtonReleaseEvent, x, y);
  EXPECT_EQ(yz->GetProperty()->GetSliceX(), 12);
  EXPECT_EQ(xz->GetProperty()->GetSliceX(), 7);
  EXPECT_EQ(xy->GetProperty()->GetSliceX(), xySlice);
  EXPECT_EQ(yz->GetImageViewer()->GetSlice(), 12);
  EXPECT_EQ(xz->GetImageViewer()->GetSlice(), 7);
  const double value = image->GetScalarComponentAsDouble(12, 7, xySlice, 0);
  EXPECT_DOUBLE_EQ(scene.Wrapper->GetPickedValue(), value);
  char voxel[64];
  std::snprintf(voxel, sizeof(voxel), "Voxel: %.2f", value);
  EXPECT_EQ(scene.Wrapper->GetTextLayer(0)->GetText(1), voxel);
  EXPECT_EQ(scene.Wrapper->GetTextLayer(2)->GetText(2).substr(0, 11), "Image Size:");
  EXPECT_GE(vGetDefaultShellNotifier()->Count(vShellNotifier::RefreshLayerProperties), 1);

  // A click beside the volume moves nothing.
  const double beside[3] = { -30, 7, 2.0 * xySlice };
  scene.ToDisplay(0, beside, x, y);
  EXPECT_FALSE(scene.Wrapper->ChangeSlice(x, y));
  EXPECT_EQ(yz->GetProperty()->GetSliceX(), 12);

  // Double click: the view fills the window; the next one brings the grid back.
  scene.ToDisplay(0, point, x, y);
  scene.Send(vtkCommand::LeftButtonPressEvent, x, y, 1);
  EXPECT_TRUE(scene.Wrapper->IsEnlarged());
  const double* viewport = scene.Manager.GetRenderer(1)->GetViewport();
  EXPECT_DOUBLE_EQ(viewport[2], 0.995);
  EXPECT_DOUBLE_EQ(scene.Manager.GetRenderer(2)->GetViewport()[2], 0.0);
  scene.Send(vtkCommand::LeftButtonPressEvent, 10, 10, 1);
  EXPECT_FALSE(scene.Wrapper->IsEnlarged());
  EXPECT_GT(scene.Manager.GetRenderer(2)->GetViewport()[2], 0.5);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "VolumeViewerWrapper_AfterPick"));
}
