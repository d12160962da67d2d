#include "vImageLayerTestData.h"
#include "vRenderingTestScene.h"

#include "vCrossResource.h"
#include "vIconLayer.h"
#include "vImageTimeSeriesViewer.h"
#include "vShapeLayer.h"
#include "vVector.h"

#include "vRenderBaseline.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkImageActor.h>
#include <vtkImageViewer2.h>

#include <gtest/gtest.h>

TEST(IconLayer, GridIsBoundedAndFilledFromTheVolume)
{
  vIconLayer layer;
  EXPECT_EQ(layer.GetName(), "iconlayer");
  EXPECT_EQ(layer.GetNumberOfIcons(), 24);
  EXPECT_EQ(layer.SetRows(17), 0); // 17 x 3 > 48
  EXPECT_EQ(layer.SetRows(0), 0);
  EXPECT_EQ(layer.GetRows(), 8);
  EXPECT_EQ(layer.SetCols(6), 1); // 8 x 6 = 48
  EXPECT_EQ(layer.SetCols(7), 0);
  EXPECT_EQ(layer.SetNumberOfIcons(48), 0);
  EXPECT_EQ(layer.SetNumberOfIcons(0), 0);
  EXPECT_EQ(layer.SetNumberOfIcons(12), 1);
  EXPECT_EQ(layer.SetRows(4), 1);
  EXPECT_EQ(layer.SetCols(3), 1);

  // A vector does nothing; a volume of 40 slices fills the 4 x 3 grid.
  vVector vector;
  layer.AddInput(&vector);
  EXPECT_EQ(layer.GetNumberOfPlaces(), 0);
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(16, 16, 40);
  auto volume = vMakeVolumeHandle(image, "CT");
  layer.AddInput(volume.get());
  EXPECT_EQ(layer.GetNumberOfPlaces(), 12);
  EXPECT_EQ(layer.GetPlaceSlice(0), 0);
  EXPECT_EQ(layer.GetPlaceSlice(11), 36);
  EXPECT_EQ(layer.GetPlace(48), nullptr);
  EXPECT_EQ(layer.GetPlaceSlice(-1), -1);

  // A thin volume lowers the number of icons; the grid no longer matches and stays empty.
  vIconLayer thin;
  vtkSmartPointer<vtkImageData> flat = vMakeTestVolume(16, 16, 5);
  auto flatVolume = vMakeVolumeHandle(flat, "flat");
  thin.AddInput(flatVolume.get());
  EXPECT_EQ(thin.GetNumberOfIcons(), 5);
  EXPECT_EQ(thin.GetNumberOfPlaces(), 0);
}

TEST(IconLayer, RendersTheThumbnailsInOnePlane)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(16, 16, 12);
  auto volume = vMakeVolumeHandle(image, "CT");
  vRenderingTestScene scene;
  auto* layer = new vIconLayer;
  layer->SetNumberOfIcons(6);
  layer->SetRows(2);
  layer->SetCols(3);
  layer->AddInput(volume.get());
  ASSERT_GE(scene.Viewer->AddInput(layer), 0);
  scene.Viewer->Render();
  ASSERT_EQ(layer->GetNumberOfPlaces(), 6);
  double first[6], last[6];
  layer->GetPlace(0)->GetImageActor()->GetBounds(first);
  layer->GetPlace(5)->GetImageActor()->GetBounds(last);
  EXPECT_NEAR(first[4], 0.0, 1e-9); // every slice is brought to z = 0
  EXPECT_NEAR(last[4], 0.0, 1e-9);
  EXPECT_GT(last[0], first[1]); // third column right of the first
  EXPECT_LT(last[3], first[2]); // second row below the first
  EXPECT_EQ(layer->GetPlace(5)->GetSlice(), 10);
}

TEST(ShapeLayer, PlacesTheShapeByTheOffset)
{
  vShapeLayer layer;
  EXPECT_EQ(layer.GetName(), "ShapeLayer");
  EXPECT_EQ(layer.GetType(), "ShapeLayer");
  EXPECT_EQ(layer.GetSliceOrientation(), 2);
  EXPECT_DOUBLE_EQ(layer.GetOffset(), 50.5);
  EXPECT_EQ(layer.GetProperty()->GetValue("Transform"), "null");
  EXPECT_EQ(layer.GetProperty()->GetBoundingBox(), -1);

  vCrossResource cross;
  cross.PlaneOrientationXZ();
  layer.AddInput(&cross);
  EXPECT_EQ(layer.GetSliceOrientation(), 1);
  ASSERT_EQ(layer.GetNumberOfItems(), 2);
  layer.SetOffset(5);
  layer.SetPosition(1, 2, 3);
  const double* placed =
    vtkActor::SafeDownCast(layer.GetOutput()->GetItemAsObject(0))->GetPosition();
  EXPECT_DOUBLE_EQ(placed[0], 1);
  EXPECT_DOUBLE_EQ(placed[1], -3);
  EXPECT_DOUBLE_EQ(placed[2], 3);
  layer.SliceOrientationYZ();
  layer.SetPosition(1, 2, 3);
  EXPECT_DOUBLE_EQ(placed[0], 6);
  layer.SliceOrientationXY();
  layer.SetPosition(1, 2, 3);
  EXPECT_DOUBLE_EQ(placed[2], 8);
  EXPECT_EQ(layer.GetBuilt(), 0);
  // Anything but a shape is ignored.
  vDataResourceFake model;
  layer.AddInput(&model);
  EXPECT_EQ(layer.GetNumberOfItems(), 2);
}

TEST(ImageTimeSeriesViewer, DoesNotAttachByItself)
{
  vRendererManager manager;
  vtkRenderWindow* window = manager.CreateNewRenderWindow();
  vtkNew<vtkRenderer> main;
  window->AddRenderer(main);
  vImageTimeSeriesViewer viewer;
  viewer.SetRenderer(&manager);
  EXPECT_EQ(viewer.GetRenderer(), nullptr);
  EXPECT_EQ(manager.GetNumberOfRenderer(), 1);
}
