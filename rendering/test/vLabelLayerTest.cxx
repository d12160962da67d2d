#include "vImageLayerTestData.h"
#include "vRenderingTestScene.h"

#include "vImage3DLayer.h"
#include "vLabelLayer.h"

#include "vRenderBaseline.h"

#include <vtkCamera.h>
#include <vtkLookupTable.h>

#include <gtest/gtest.h>

TEST(LabelLayer, TableHasOneEntryPerValueAndATransparentZero)
{
  vtkSmartPointer<vtkImageData> labels = vMakeLabelVolume(12, 12, 12);
  auto volume = vMakeVolumeHandle(labels, "labels");
  vLabelLayer layer;
  EXPECT_EQ(layer.GetType(), "LabelLayer");
  EXPECT_DOUBLE_EQ(layer.GetProperty()->GetOpacity(), 0.5);
  EXPECT_EQ(layer.GetSliceOrientation(), 1);
  double values[2] = { 1, 3 };
  layer.SetLabel(values, 2);
  layer.AddInput(volume.get());
  vtkLookupTable* table = layer.GetLookupTable();
  ASSERT_EQ(table->GetNumberOfTableValues(), 4); // maximum 3
  double rgba[4];
  table->GetTableValue(0, rgba);
  EXPECT_DOUBLE_EQ(rgba[3], 0.0);
  // Labels take the palette from entry 2 on: (0, 1, 0), then (0, 0, 1).
  table->GetTableValue(1, rgba);
  EXPECT_DOUBLE_EQ(rgba[1], 1.0);
  EXPECT_NEAR(rgba[3], 0.5, 0.01);
  table->GetTableValue(2, rgba); // not recorded: transparent
  EXPECT_DOUBLE_EQ(rgba[3], 0.0);
  table->GetTableValue(3, rgba);
  EXPECT_DOUBLE_EQ(rgba[2], 1.0);
  EXPECT_NEAR(rgba[3], 0.5, 0.01);
  // Each value maps onto its own entry.
  EXPECT_EQ(table->GetIndex(3.0), 3);
  EXPECT_EQ(table->GetIndex(1.0), 1);
}

TEST(LabelLayer, ValuesBeyondTheTableAreIgnored)
{
  vtkSmartPointer<vtkImageData> labels = vMakeLabelVolume(12, 12, 12);
  auto volume = vMakeVolumeHandle(labels, "labels");
  vLabelLayer layer;
  double values[4] = { 2, 9, -4, 1e9 };
  layer.SetLabel(values, 4);
  layer.AddInput(volume.get());
  vtkLookupTable* table = layer.GetLookupTable();
  ASSERT_EQ(table->GetNumberOfTableValues(), 4);
  double rgba[4];
  table->GetTableValue(2, rgba);
  EXPECT_NEAR(rgba[3], 0.5, 0.01);
  table->GetTableValue(1, rgba);
  EXPECT_DOUBLE_EQ(rgba[3], 0.0);

  // Without recorded values every label gets a colour.
  vLabelLayer all;
  all.AddInput(volume.get());
  for (int i = 1; i < 4; ++i)
  {
    all.GetLookupTable()->GetTableValue(i, rgba);
    EXPECT_NEAR(rgba[3], 0.5, 0.01) << i;
  }
  // More values than the layer records are cut.
  std::vector<double> many(1000, 1.0);
  all.SetLabel(many.data(), static_cast<int>(many.size()));
  EXPECT_EQ(all.GetNumberOfLabels(), vLabelLayer::MaxLabels);
  all.SetLabel(nullptr, 5);
  EXPECT_EQ(all.GetNumberOfLabels(), 0);
}

TEST(LabelLayer, OverlayOnASlice)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(48, 48, 48);
  vtkSmartPointer<vtkImageData> labels = vMakeLabelVolume(48, 48, 48);
  auto volume = vMakeVolumeHandle(image, "CT");
  auto labelVolume = vMakeVolumeHandle(labels, "labels");
  vRenderingTestScene scene;
  auto* slice = new vImage3DLayer;
  slice->AddInput(volume.get());
  slice->GetProperty()->SetCursor(0);
  slice->GetProperty()->SetSliceX(24);
  ASSERT_GE(scene.Viewer->AddInput(slice), 0);
  auto* label = new vLabelLayer;
  label->SetSliceOrientation(2);
  label->AddInput(labelVolume.get());
  label->GetProperty()->SetCursor(0);
  label->GetProperty()->SetSliceX(24);
  ASSERT_GE(scene.Viewer->AddInput(label), 0);
  scene.Viewer->Render();
  vtkCamera* camera = scene.Inset()->GetActiveCamera();
  camera->SetFocalPoint(0, 0, 0);
  camera->SetPosition(0, 0, 1);
  camera->SetViewUp(0, 1, 0);
  scene.Inset()->ResetCamera();
  scene.Window->Render();
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "LabelLayer_OverlayOnSlice"));
}
