#include "vImageLayerTestData.h"

#include "vImage3DLayer.h"
#include "vRendererManager.h"
#include "vVolumeRenderingLayer.h"
#include "vVolumeViewer.h"

#include "vRenderBaseline.h"

#include <vtkCamera.h>
#include <vtkColorTransferFunction.h>
#include <vtkMatrix4x4.h>
#include <vtkPiecewiseFunction.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkVolume.h>

#include <gtest/gtest.h>

#include <memory>

namespace
{
/** A viewing tab: a window with its main renderer. */
vtkRenderWindow* MakeTab(vRendererManager& manager, int width = 300, int height = 300)
{
  vtkRenderWindow* window = manager.CreateNewRenderWindow();
  window->SetSize(width, height);
  vtkNew<vtkRenderer> main;
  window->AddRenderer(main);
  return window;
}
} // namespace

TEST(VolumeViewer, LaysOutTheTwoByTwoGrid)
{
  vRendererManager manager;
  MakeTab(manager);
  vVolumeViewer viewer;
  EXPECT_EQ(viewer.GetName(), "VolumeViewer");
  EXPECT_EQ(viewer.GetType(), "VolumeViewer");
  EXPECT_EQ(viewer.GetProperty()->GetAxes(), -1);
  viewer.SetRenderer(nullptr);
  EXPECT_EQ(viewer.GetRenderer(), nullptr);
  viewer.SetRenderer(&manager);
  EXPECT_EQ(viewer.GetFirstRendererId(), 1);
  EXPECT_EQ(manager.GetNumberOfRenderer(), 5); // no axes renderer
  EXPECT_EQ(manager.GetRendererName(),
    "Number of renderers: 4\r\n-------------------------\r\n"
    "id                  name                \r\n"
    "1                   iv0                 \r\n"
    "2                   iv1                 \r\n"
    "3                   iv2                 \r\n"
    "4                   3D                  ");
  // Layers go to grid cell k.
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(8, 8, 8);
  auto volume = vMakeVolumeHandle(image, "CT");
  auto* xz = new vImage3DLayer;
  xz->AddInput(volume.get());
  ASSERT_GE(viewer.AddInput(xz, 1), 0);
  EXPECT_EQ(xz->GetRendererName(), "iv1");
  EXPECT_EQ(xz->GetRenderer(), manager.GetRenderer(2));
  auto* mip = new vVolumeRenderingLayer;
  mip->AddInput(volume.get());
  ASSERT_GE(viewer.AddInput(mip, 3), 0);
  EXPECT_EQ(mip->GetRendererName(), "3D");

  // Contrast reaches every layer.
  double window[2] = { 5, 50 };
  viewer.SetContrast(window);
  double contrast[2];
  xz->GetProperty()->GetContrast(contrast);
  EXPECT_DOUBLE_EQ(contrast[1], 50);
  mip->GetProperty()->GetContrast(contrast);
  EXPECT_DOUBLE_EQ(contrast[0], 5);
  viewer.GetProperty()->GetContrast(contrast);
  EXPECT_DOUBLE_EQ(contrast[1], 50);
  double other[2] = { 1, 2 };
  viewer.SetContrast("Layer_CT", other);
  xz->GetProperty()->GetContrast(contrast);
  EXPECT_DOUBLE_EQ(contrast[1], 50);
}

TEST(VolumeRenderingLayer, ColourMapsAndOpacityRamp)
{
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(8, 8, 8);
  auto volume = vMakeVolumeHandle(image, "CT");
  vVolumeRenderingLayer layer;
  EXPECT_EQ(layer.GetType(), "image");
  EXPECT_EQ(layer.GetVolume(), nullptr);
  EXPECT_EQ(layer.SetColorMap(1), 1); // before any input: remembered
  layer.AddInput(volume.get());
  ASSERT_NE(layer.GetVolume(), nullptr);
  double rgb[3];
  layer.GetColorFunction()->GetColor(128, rgb);
  EXPECT_NEAR(rgb[0], 0.5, 1e-6);
  EXPECT_NEAR(rgb[1], 0.0, 1e-6);
  EXPECT_EQ(layer.GetColorFunction()->GetSize(), 5);
  EXPECT_DOUBLE_EQ(layer.GetColorFunction()->GetAlpha(), 0.5);
  EXPECT_EQ(layer.SetColorMap(0), 0);
  layer.GetColorFunction()->GetColor(128, rgb);
  EXPECT_NEAR(rgb[0], 0.0, 1e-6);
  EXPECT_NEAR(rgb[1], 0.5, 1e-6);
  EXPECT_NEAR(rgb[2], 0.5, 1e-6);
  layer.GetColorFunction()->GetColor(192, rgb);
  EXPECT_NEAR(rgb[1], 0.8, 1e-6);
  // Maps outside 0..9 are refused; 2..9 hold only zero points.
  EXPECT_EQ(layer.SetColorMap(10), -1);
  EXPECT_EQ(layer.SetColorMap(-1), -1);
  EXPECT_EQ(layer.GetColorMap(), 0);
  EXPECT_EQ(layer.SetColorMap(9), 9);
  layer.GetColorFunction()->GetColor(200, rgb);
  EXPECT_DOUBLE_EQ(rgb[0] + rgb[1] + rgb[2], 0.0);
  vtkPiecewiseFunction* ramp = layer.GetOpacityFunction();
  EXPECT_DOUBLE_EQ(ramp->GetValue(0), 0.0);
  EXPECT_DOUBLE_EQ(ramp->GetValue(128), 0.8);
  EXPECT_DOUBLE_EQ(ramp->GetValue(255), 1.0);
  EXPECT_NEAR(ramp->GetValue(64), 0.4, 1e-9);
  // The transform goes to the volume.
  double shift[16] = { 1, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  layer.SetTransform(shift);
  EXPECT_DOUBLE_EQ(layer.GetVolume()->GetMatrix()->GetElement(0, 3), 5);
  layer.VisibilityOff();
  EXPECT_FALSE(layer.GetVolume()->GetVisibility());
  EXPECT_EQ(layer.Find(layer.GetVolume()), 0);
}

TEST(VolumeRenderingLayer, ResetsTheCameraOnTheFirstRenderOnly)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  MakeTab(manager);
  vVolumeViewer viewer;
  viewer.SetRenderer(&manager);
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(16, 16, 16);
  auto volume = vMakeVolumeHandle(image, "CT");
  auto* layer = new vVolumeRenderingLayer;
  layer->AddInput(volume.get());
  ASSERT_GE(viewer.AddInput(layer, 3), 0);
  EXPECT_TRUE(layer->IsCameraResetPending());
  viewer.Render();
  EXPECT_FALSE(layer->IsCameraResetPending());
  vtkCamera* camera = layer->GetRenderer()->GetActiveCamera();
  double focal[3];
  camera->GetFocalPoint(focal);
  EXPECT_NEAR(focal[0], 7.5, 1e-6); // reset onto the volume's centre
  camera->SetFocalPoint(100, 0, 0);
  layer->SetColorMap(1); // needs a rebuild
  viewer.Render();
  camera->GetFocalPoint(focal);
  EXPECT_DOUBLE_EQ(focal[0], 100);
}

TEST(VolumeViewer, TwoByTwoViewWithMaximumIntensity)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  vtkRenderWindow* window = MakeTab(manager, 400, 400);
  vVolumeViewer viewer;
  viewer.SetRenderer(&manager);
  // Values 0 .. 250: the range the colour maps are made for.
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(40, 40, 40, 1, 1, 1, 0.25);
  auto volume = vMakeVolumeHandle(image, "CT");
  const int orientations[3] = { 2, 1, 0 };
  for (int k = 0; k < 3; ++k)
  {
    auto* slice = new vImage3DLayer;
    slice->SetSliceOrientation(orientations[k]);
    slice->AddInput(volume.get());
    slice->GetProperty()->SetSliceX(20);
    ASSERT_GE(viewer.AddInput(slice, k), 0);
  }
  auto* mip = new vVolumeRenderingLayer;
  mip->AddInput(volume.get());
  ASSERT_GE(viewer.AddInput(mip, 3), 0);
  viewer.Render();
  vtkCamera* camera = mip->GetRenderer()->GetActiveCamera();
  camera->Azimuth(30);
  camera->Elevation(20);
  mip->GetRenderer()->ResetCameraClippingRange();
  window->Render();
  EXPECT_TRUE(vCompareWithBaseline(window, "VolumeViewer_TwoByTwoMip"));
}
