#include "vImageLayerTestData.h"
#include "vRenderingTestScene.h"

#include "vImage3DLayer.h"
#include "vImage3DLayer2.h"

#include "vRenderBaseline.h"

#include <vtkImageActor.h>
#include <vtkImageViewer2.h>
#include <vtkLineSource.h>
#include <vtkMatrix4x4.h>

#include <gtest/gtest.h>

namespace
{
void ExpectDiagonal(vImageLayer& layer, double a, double b, double c)
{
  double m[16];
  layer.GetProperty()->GetRigidTransform(m);
  EXPECT_DOUBLE_EQ(m[0], a);
  EXPECT_DOUBLE_EQ(m[5], b);
  EXPECT_DOUBLE_EQ(m[10], c);
  EXPECT_DOUBLE_EQ(m[15], 1.0);
}
} // namespace

TEST(Image3DLayer, SetPositionPicksTheNearestSlice)
{
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(8, 8, 10, 1, 1, 2);
  auto volume = vMakeVolumeHandle(image, "CT");
  vImage3DLayer layer;
  layer.SetPosition(0, 0, 5); // no image yet: nothing happens
  EXPECT_EQ(layer.GetProperty()->GetSliceX(), -999);

  layer.AddInput(volume.get());
  EXPECT_EQ(layer.GetName(), "CT");
  EXPECT_EQ(layer.GetType(), "Image3DLayer");
  // z = 5 lies halfway between slices 2 (z = 4) and 3 (z = 6): trunc(2.5 + 0.5) = 3.
  layer.SetPosition(1, 2, 5);
  EXPECT_EQ(layer.GetProperty()->GetSliceX(), 3);
  layer.SetPosition(1, 2, 4.9);
  EXPECT_EQ(layer.GetProperty()->GetSliceX(), 2);
  double position[3];
  layer.GetProperty()->GetPosition(position);
  EXPECT_DOUBLE_EQ(position[2], 4.9);

  layer.SliceOrientationYZ();
  layer.SetPosition(6.5, 0, 0);
  EXPECT_EQ(layer.GetProperty()->GetSliceX(), 7);
  layer.SliceOrientationXZ();
  layer.SetPosition(0, 3.4, 0);
  EXPECT_EQ(layer.GetProperty()->GetSliceX(), 3);

  // With a transform the point is first taken back into the volume; the position kept is the
  // point given.
  layer.SliceOrientationXY();
  double shift[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 10, 0, 0, 0, 1 };
  layer.SetTransform(shift);
  layer.SetPosition(0, 0, 15);
  EXPECT_EQ(layer.GetProperty()->GetSliceX(), 3);
  layer.GetProperty()->GetPosition(position);
  EXPECT_DOUBLE_EQ(position[2], 15);
  const double world[3] = { 1, 2, 13 };
  double back[3];
  layer.WorldToImage3D(world, back);
  EXPECT_DOUBLE_EQ(back[2], 3);
  layer.ImageToWorld(back, back);
  EXPECT_DOUBLE_EQ(back[2], 13);
}

TEST(Image3DLayer, MirrorAndFlipTurnBySliceOrientation)
{
  // orientation: mirror negates, flip negates
  const double mirror[3][3] = { { -1, -1, 1 }, { -1, -1, 1 }, { -1, 1, -1 } };
  const double flip[3][3] = { { -1, 1, -1 }, { 1, -1, -1 }, { 1, -1, -1 } };
  for (int orientation = 0; orientation < 3; ++orientation)
  {
    vImage3DLayer layer;
    layer.SetSliceOrientation(orientation);
    layer.Mirror();
    ExpectDiagonal(layer, mirror[orientation][0], mirror[orientation][1], mirror[orientation][2]);
    layer.Mirror();
    ExpectDiagonal(layer, 1, 1, 1);
    layer.Flip();
    ExpectDiagonal(layer, flip[orientation][0], flip[orientation][1], flip[orientation][2]);
  }
  // Friends turn with the layer when it works with them.
  vImage3DLayer xy, xz;
  xz.SetSliceOrientation(1);
  xy.AddFriend(&xz);
  xy.Mirror();
  ExpectDiagonal(xz, 1, 1, 1);
  xy.WorkWithFriend(1);
  xy.Mirror();
  ExpectDiagonal(xy, 1, 1, 1);
  ExpectDiagonal(xz, -1, -1, 1);
}

TEST(Image3DLayer, InfoAndScriptLines)
{
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(8, 8, 8);
  auto volume = vMakeVolumeHandle(image, "head");
  vImage3DLayer layer;
  layer.AddInput(volume.get());
  layer.SetRendererName("IV");
  layer.SetSliceOrientation(1);
  layer.GetProperty()->SetSliceX(4);
  layer.SetOpacity(0.5);
  EXPECT_EQ(layer.GetInfo(),
    "name: head\r\nResource name: head\r\nRenderer: IV\r\nOrientation: 1\r\nSlice Id: 4\r\n"
    "Opacity: 0.50\r\nScale: 1.00\r\n");
  EXPECT_EQ(layer.ToV(), "new layer vol head IV\nset orientation xz head");
  layer.SetSliceOrientation(7);
  EXPECT_EQ(layer.ToV(), "new layer vol head IV\nset orientation head");

  vImage3DLayer2 second;
  second.AddInput(volume.get());
  second.SetRendererName("iv0");
  EXPECT_EQ(second.GetType(), "Image3DLayer2");
  EXPECT_EQ(second.ToV(), "new layer vol3d head iv0");
  second.SetPosition(0, 0, 6);
  EXPECT_NE(second.GetInfo().find("\r\nOrientation: 2\r\nSlice Id: 6\r\n"), std::string::npos);
}

TEST(Image3DLayer2, PicksTheVoxelValueUnderThePoint)
{
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(12, 10, 8, 2, 1, 1);
  auto volume = vMakeVolumeHandle(image, "CT");
  vImage3DLayer2 layer;
  layer.AddInput(volume.get());
  EXPECT_EQ(layer.GetPixelIntensity(), 0);
  layer.SetPosition(6.2, 4.0, 5.0); // voxel (3, 4, 5)
  EXPECT_DOUBLE_EQ(layer.GetPixelIntensity(), image->GetScalarComponentAsDouble(3, 4, 5, 0));
  EXPECT_EQ(layer.GetProperty()->GetSliceX(), 5);
  layer.SetPosition(23.0, 9.0, 7.0); // x index 12: one past the last voxel
  EXPECT_EQ(layer.GetPixelIntensity(), 0);
  layer.SetPosition(22.9, 9.0, 7.0); // the far corner voxel
  EXPECT_DOUBLE_EQ(layer.GetPixelIntensity(), image->GetScalarComponentAsDouble(11, 9, 7, 0));
  layer.SetPosition(-50, 0, 0); // outside: no voxel, no crash
  EXPECT_EQ(layer.GetPixelIntensity(), 0);
}

TEST(Image3DLayer, RenderShowsTheSliceAndTheCursor)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(20, 30, 40);
  auto volume = vMakeVolumeHandle(image, "CT");
  vRenderingTestScene scene;
  auto* layer = new vImage3DLayer;
  layer->AddInput(volume.get());
  ASSERT_GE(scene.Viewer->AddInput(layer), 0);
  layer->SetPosition(5, 7, 12);
  scene.Viewer->Render();
  EXPECT_EQ(layer->GetImageViewer()->GetSlice(), 12);
  int range[6];
  layer->GetProperty()->GetSliceRange(range);
  EXPECT_EQ(range[0], 0);
  EXPECT_EQ(range[1], 39);
  // The two green lines span the slice and cross at the position.
  ASSERT_NE(layer->GetCursorLine(0), nullptr);
  const double* a = layer->GetCursorLine(0)->GetPoint1();
  const double* b = layer->GetCursorLine(0)->GetPoint2();
  EXPECT_DOUBLE_EQ(a[0], 0);
  EXPECT_DOUBLE_EQ(b[0], 19);
  EXPECT_DOUBLE_EQ(a[1], 7);
  EXPECT_DOUBLE_EQ(a[2], 12.5); // half a voxel in front of the slice
  const double* c = layer->GetCursorLine(1)->GetPoint1();
  const double* d = layer->GetCursorLine(1)->GetPoint2();
  EXPECT_DOUBLE_EQ(c[1], 0);
  EXPECT_DOUBLE_EQ(d[1], 29);
  EXPECT_DOUBLE_EQ(c[0], 5);
  layer->CursorOff();
  EXPECT_EQ(layer->GetProperty()->GetCursor(), 0);
  // A picked image actor is found in the layer.
  EXPECT_EQ(layer->Find(layer->GetImageViewer()->GetImageActor()), 0);
  EXPECT_EQ(scene.Viewer->Find(static_cast<vtkProp*>(layer->GetImageViewer()->GetImageActor())), 0);
}

TEST(ImageLayer, DisplayStateActsOnTheImageActor)
{
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(8, 8, 8);
  auto volume = vMakeVolumeHandle(image, "CT");
  vImage3DLayer layer;
  layer.AddInput(volume.get());
  vtkImageActor* actor = layer.GetImageViewer()->GetImageActor();
  layer.SetOpacity(0.3);
  EXPECT_DOUBLE_EQ(actor->GetOpacity(), 0.3);
  layer.VisibilityOff();
  EXPECT_FALSE(actor->GetVisibility());
  EXPECT_EQ(layer.GetProperty()->GetVisibility(), 0);
  layer.VisibilityOn();
  EXPECT_TRUE(actor->GetVisibility());
  double shift[16] = { 1, 0, 0, 4, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  layer.SetTransform(shift);
  ASSERT_NE(actor->GetUserMatrix(), nullptr);
  EXPECT_DOUBLE_EQ(actor->GetUserMatrix()->GetElement(0, 3), 4);
  layer.BoundingBoxOn();
  EXPECT_EQ(layer.GetProperty()->GetBoundingBox(), 1);
  layer.SetBoundingBox(false);
  EXPECT_EQ(layer.GetProperty()->GetBoundingBox(), 0);
  layer.SetColor(nullptr); // image layers have no single colour: ignored
  layer.RemoveAllItems();
}

TEST(Image3DLayer2, RendersLikeTheSliceLayer)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(20, 20, 20);
  auto volume = vMakeVolumeHandle(image, "CT");
  vRenderingTestScene scene;
  auto* layer = new vImage3DLayer2;
  layer->SetSliceOrientation(0);
  layer->AddInput(volume.get());
  ASSERT_GE(scene.Viewer->AddInput(layer), 0);
  layer->SetPosition(13, 4, 4);
  scene.Viewer->Render();
  EXPECT_EQ(layer->GetBuilt(), 1);
  EXPECT_EQ(layer->GetImageViewer()->GetSlice(), 13);
  EXPECT_EQ(layer->GetImageViewer()->GetSliceOrientation(), 0);
  EXPECT_DOUBLE_EQ(layer->GetPixelIntensity(), image->GetScalarComponentAsDouble(13, 4, 4, 0));
  // Mirror turns it over like the other slice layers.
  layer->Mirror();
  double m[16];
  layer->GetProperty()->GetRigidTransform(m);
  EXPECT_DOUBLE_EQ(m[0], -1);
  EXPECT_DOUBLE_EQ(m[5], -1);
  EXPECT_DOUBLE_EQ(m[10], 1);
}
