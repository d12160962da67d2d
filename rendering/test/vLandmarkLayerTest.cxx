#include "vRenderingTestScene.h"

#include "vLandmarkLayer.h"

#include "vRenderBaseline.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkMapper.h>
#include <vtkPoints.h>
#include <vtkProperty.h>
#include <vtkSphereSource.h>

#include <gtest/gtest.h>

namespace
{
vtkSmartPointer<vtkPolyData> ThreePoints()
{
  vtkNew<vtkPoints> points;
  points->InsertNextPoint(0, 0, 0);
  points->InsertNextPoint(20, 0, 0);
  points->InsertNextPoint(0, 15, 5);
  auto data = vtkSmartPointer<vtkPolyData>::New();
  data->SetPoints(points);
  return data;
}

double RadiusOf(vtkActor* actor)
{
  return vtkSphereSource::SafeDownCast(actor->GetMapper()->GetInputAlgorithm())->GetRadius();
}
} // namespace

TEST(LandmarkLayer, ResizingKeepsCentresAndColours)
{
  vtkSmartPointer<vtkPolyData> points = ThreePoints();
  auto handle = vMakeHandle(points, "marks");
  vLandmarkLayer layer;
  EXPECT_EQ(layer.GetType(), "LandmarkLayer");
  EXPECT_DOUBLE_EQ(layer.GetLandmarkSize(), 6.0);
  layer.AddInput(handle.get());
  ASSERT_EQ(layer.GetNumberOfItems(), 3);
  vtkActorCollection* actors = layer.GetOutput();
  vtkActor::SafeDownCast(actors->GetItemAsObject(1))->GetProperty()->SetColor(1, 0, 0);
  EXPECT_DOUBLE_EQ(RadiusOf(vtkActor::SafeDownCast(actors->GetItemAsObject(0))), 6.0);

  layer.SetLandmarkSize(2);
  ASSERT_EQ(actors->GetNumberOfItems(), 3);
  for (int i = 0; i < 3; ++i)
  {
    vtkActor* actor = vtkActor::SafeDownCast(actors->GetItemAsObject(i));
    EXPECT_DOUBLE_EQ(RadiusOf(actor), 2.0);
    double centre[3];
    ASSERT_TRUE(layer.GetLandmark(i, centre));
    double expected[3];
    points->GetPoint(i, expected);
    EXPECT_DOUBLE_EQ(centre[0], expected[0]);
    EXPECT_DOUBLE_EQ(centre[1], expected[1]);
    EXPECT_DOUBLE_EQ(centre[2], expected[2]);
  }
  double colour[3];
  vtkActor::SafeDownCast(actors->GetItemAsObject(1))->GetProperty()->GetColor(colour);
  EXPECT_DOUBLE_EQ(colour[0], 1.0);
  EXPECT_DOUBLE_EQ(colour[1], 0.0);
  double centre[3];
  EXPECT_FALSE(layer.GetLandmark(3, centre));

  double extra[3] = { 1, 2, 3 };
  layer.AddInput(extra);
  EXPECT_EQ(layer.GetNumberOfItems(), 4);
  layer.SetRendererName("IV");
  EXPECT_EQ(layer.ToV(), "new layer landmark marks IV");
  // A resource without a data set gives no spheres.
  vDataResourceFake empty;
  vLandmarkLayer none;
  none.AddInput(&empty);
  EXPECT_EQ(none.GetNumberOfItems(), 0);
}

TEST(LandmarkLayer, Spheres)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vtkSmartPointer<vtkPolyData> points = ThreePoints();
  auto handle = vMakeHandle(points, "marks");
  vRenderingTestScene scene;
  auto* layer = new vLandmarkLayer;
  layer->AddInput(handle.get());
  ASSERT_GE(scene.Viewer->AddInput(layer), 0);
  layer->SetLandmarkSize(4);
  scene.Frame(0, 0);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "LandmarkLayer_Spheres"));
}
