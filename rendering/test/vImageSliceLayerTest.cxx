#include "vImageLayerTestData.h"
#include "vRenderingTestScene.h"

#include "vImage3DLayer.h"
#include "vImageSliceLayer.h"
#include "vMesh3DLayer.h"

#include "vRenderBaseline.h"

#include <vtkCamera.h>
#include <vtkImageActor.h>
#include <vtkImageReslice.h>
#include <vtkImageViewer2.h>
#include <vtkLookupTable.h>
#include <vtkMatrix4x4.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
/** Shows the layer's slice plane face on: the camera looks along the plane normal. */
void LookAlong(vRenderingTestScene& scene, int orientation)
{
  vtkCamera* camera = scene.Inset()->GetActiveCamera();
  camera->SetFocalPoint(0, 0, 0);
  const double position[3][3] = { { 1, 0, 0 }, { 0, -1, 0 }, { 0, 0, 1 } };
  camera->SetPosition(position[orientation]);
  camera->SetViewUp(0, orientation == 2 ? 1 : 0, orientation == 2 ? 0 : 1);
  scene.Inset()->ResetCamera();
  scene.Window->Render();
}

vImageSliceLayer* AddSlice(vRenderingTestScene& scene, vVolumeResourceFake* volume, int orientation)
{
  auto* layer = new vImageSliceLayer;
  layer->SetSliceOrientation(orientation);
  layer->AddInput(volume);
  if (scene.Viewer->AddInput(layer) < 0)
  {
    delete layer;
    return nullptr;
  }
  return layer;
}
} // namespace

TEST(ImageSliceLayer, VoxelCentreAndSlicePlane)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(256, 256, 100, 1, 1, 2);
  auto volume = vMakeVolumeHandle(image, "CT");
  vRenderingTestScene scene;
  vImageSliceLayer* layer = AddSlice(scene, volume.get(), 2);
  ASSERT_NE(layer, nullptr);
  double centre[3];
  layer->GetVoxelCentre(centre);
  EXPECT_DOUBLE_EQ(centre[0], 127.5);
  EXPECT_DOUBLE_EQ(centre[1], 127.5);
  EXPECT_DOUBLE_EQ(centre[2], 99.0);

  int slice[3] = { 10, -999, -999 };
  layer->SetSlice(slice);
  scene.Viewer->Render();
  vtkMatrix4x4* axes = layer->GetReslice()->GetResliceAxes();
  EXPECT_DOUBLE_EQ(axes->GetElement(0, 3), 127.5);
  EXPECT_DOUBLE_EQ(axes->GetElement(1, 3), 127.5);
  EXPECT_DOUBLE_EQ(axes->GetElement(2, 3), 20.0);
  // The slice drawn lies at z = 20 in the scene.
  double bounds[6];
  layer->GetImageViewer()->GetImageActor()->GetBounds(bounds);
  EXPECT_NEAR(bounds[4], 20.0, 1e-6);
  EXPECT_NEAR(bounds[5], 20.0, 1e-6);
  EXPECT_EQ(layer->GetBuilt(), 1);
}

TEST(ImageSliceLayer, SliceRangeFollowsTheOrientation)
{
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(10, 20, 30);
  auto volume = vMakeVolumeHandle(image, "CT");
  const int expected[3][2] = { { 0, 9 }, { 0, 19 }, { 0, 29 } };
  for (int orientation = 0; orientation < 3; ++orientation)
  {
    vImageSliceLayer layer;
    layer.SetSliceOrientation(orientation);
    layer.AddInput(volume.get());
    int range[6];
    layer.GetProperty()->GetSliceRange(range);
    EXPECT_EQ(range[0], expected[orientation][0]) << orientation;
    EXPECT_EQ(range[1], expected[orientation][1]) << orientation;
    EXPECT_EQ(range[2], -1);
    EXPECT_EQ(range[5], -1);
  }
}

TEST(ImageSliceLayer, ContrastAndScalarRangeStartAtTheVolumeRange)
{
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(16, 16, 16);
  auto volume = vMakeVolumeHandle(image, "CT");
  vImageSliceLayer layer;
  EXPECT_EQ(layer.GetType(), "image");
  int bounds[6];
  layer.GetBounds(bounds);
  EXPECT_EQ(bounds[0], -1); // no image yet
  layer.AddInput(volume.get());
  double range[2];
  image->GetScalarRange(range);
  double contrast[2], scalar[2], mine[2];
  layer.GetProperty()->GetContrast(contrast);
  layer.GetProperty()->GetScalarRange(scalar);
  layer.GetScalarRange(mine);
  for (int i = 0; i < 2; ++i)
  {
    EXPECT_DOUBLE_EQ(contrast[i], range[i]);
    EXPECT_DOUBLE_EQ(scalar[i], range[i]);
    EXPECT_DOUBLE_EQ(mine[i], range[i]);
    EXPECT_DOUBLE_EQ(layer.GetLookupTable()->GetTableRange()[i], range[i]);
  }
  layer.GetBounds(bounds);
  EXPECT_EQ(bounds[1], 15);
  EXPECT_EQ(layer.GetLut(), layer.GetLookupTable());
  // A resource that is no volume is refused.
  vDataResourceFake model;
  vImageSliceLayer other;
  other.AddInput(&model);
  EXPECT_EQ(other.GetNumberOfResources(), 0);
}

TEST(ImageSliceLayer, LookupTablesReachImageFriendsOnly)
{
  vImageSliceLayer layer, imageFriend;
  vImage3DLayer volumeFriend;
  vMesh3DLayer meshFriend;
  layer.AddFriend(&imageFriend);
  layer.AddFriend(&volumeFriend);
  layer.AddFriend(&meshFriend);

  // Without friend work only the layer itself changes.
  layer.SetLookupTable("Red");
  EXPECT_EQ(imageFriend.GetProperty()->GetLookupTable(), "None");

  layer.WorkWithFriend(1);
  layer.SetLookupTable("Rainbow");
  double hue[2];
  layer.GetLookupTable()->GetHueRange(hue);
  EXPECT_DOUBLE_EQ(hue[1], 0.667);
  EXPECT_EQ(imageFriend.GetProperty()->GetLookupTable(), "Rainbow");
  imageFriend.GetLookupTable()->GetHueRange(hue);
  EXPECT_DOUBLE_EQ(hue[1], 0.667);
  // "Image3DLayer" does not hold the lower-case word "image".
  EXPECT_EQ(volumeFriend.GetProperty()->GetLookupTable(), "None");
  volumeFriend.GetLookupTable()->GetHueRange(hue);
  EXPECT_DOUBLE_EQ(hue[1], 0.0);

  // A name in the wrong case is stored but changes no table.
  layer.SetLookupTable("rainbow");
  EXPECT_EQ(layer.GetProperty()->GetLookupTable(), "rainbow");
  layer.GetLookupTable()->GetHueRange(hue);
  EXPECT_DOUBLE_EQ(hue[1], 0.667);
  layer.SetLookupTable("Magenta");
  layer.GetLookupTable()->GetHueRange(hue);
  EXPECT_DOUBLE_EQ(hue[0], 0.0);

  // Contrast follows the same rule.
  double window[2] = { 10, 500 };
  layer.SetContrast(window);
  double contrast[2];
  imageFriend.GetProperty()->GetContrast(contrast);
  EXPECT_DOUBLE_EQ(contrast[1], 500);
  volumeFriend.GetProperty()->GetContrast(contrast);
  EXPECT_DOUBLE_EQ(contrast[1], 0);
  // The friend's own friend work was restored after the call.
  EXPECT_EQ(imageFriend.WorkWithFriend(0), 0);
}

TEST(ImageSliceLayer, RendersTheThreeOrientations)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(64, 48, 40, 1, 1, 1.5);
  auto volume = vMakeVolumeHandle(image, "CT");
  const char* tables[3] = { "Red", "Rainbow", "None" };
  const char* names[3] = {
    "ImageSliceLayer_SagittalRed", "ImageSliceLayer_CoronalRainbow", "ImageSliceLayer_AxialGrey"
  };
  // The scenes live to the end of the test: an X server that loses its last client resets, and a
  // window opened during the reset finds no server.
  std::vector<std::unique_ptr<vRenderingTestScene>> scenes;
  for (int orientation = 0; orientation < 3; ++orientation)
  {
    scenes.push_back(std::make_unique<vRenderingTestScene>());
    vRenderingTestScene& scene = *scenes.back();
    vImageSliceLayer* layer = AddSlice(scene, volume.get(), orientation);
    ASSERT_NE(layer, nullptr);
    int slice[3] = { image->GetDimensions()[orientation] / 2, -999, -999 };
    layer->SetSlice(slice);
    layer->SetLookupTable(tables[orientation]);
    scene.Viewer->Render();
    LookAlong(scene, orientation);
    EXPECT_TRUE(vCompareWithBaseline(scene.Window, names[orientation]));
  }
}
