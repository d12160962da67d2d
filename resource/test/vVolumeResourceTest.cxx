#include "vVolumeResource.h"
#include "vVolumeResourceFake.h"

#include "vTempHome.h"

#include <vtkActorCollection.h>
#include <vtkDataArray.h>
#include <vtkDataSetReader.h>
#include <vtkFloatArray.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkSphereSource.h>
#include <vtkStructuredPoints.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace
{
// A volume of nx x ny x nz voxels of `type` holding 0, 1, 2 ... in x-fastest order, capped at
// `maxValue`.
vtkSmartPointer<vtkImageData> MakeVolume(int nx,
  int ny,
  int nz,
  int type = VTK_SHORT,
  double maxValue = 1e9)
{
  auto image = vtkSmartPointer<vtkImageData>::New();
  image->SetDimensions(nx, ny, nz);
  image->SetSpacing(0.5, 0.75, 2.0);
  image->SetOrigin(10, 20, 30);
  image->AllocateScalars(type, 1);
  vtkDataArray* scalars = image->GetPointData()->GetScalars();
  for (vtkIdType i = 0; i < scalars->GetNumberOfTuples(); ++i)
  {
    scalars->SetComponent(i, 0, std::min(static_cast<double>(i), maxValue));
  }
  return image;
}
} // namespace

TEST(vVolumeResource, NewCollections)
{
  vVolumeResource volumes;
  EXPECT_EQ(volumes.GetName(), "volume");
  EXPECT_EQ(volumes.GetType(), "Data 3D");
  EXPECT_EQ(volumes.GetNumberOfItems(), 0);
  for (int i = 0; i < vResource::MaxNumberOfItems; ++i)
  {
    EXPECT_EQ(volumes.GetImageShadow(i), nullptr);
  }
  EXPECT_EQ(volumes.GetImageData(), nullptr);
  EXPECT_EQ(volumes.GetImageShadow(), nullptr);

  vVolumeResourceFake fake;
  EXPECT_EQ(fake.GetName(), "Data");
  EXPECT_EQ(fake.GetType(), "Data 3D");
  EXPECT_EQ(fake.GetImageShadow(0), nullptr);
}

TEST(vVolumeResource, AddCopiesImagesAndRefusesOthers)
{
  vVolumeResource volumes;
  EXPECT_EQ(volumes.AddData(nullptr), 0); // the number of items, nothing added
  EXPECT_EQ(volumes.GetNumberOfItems(), 0);
  auto image = MakeVolume(4, 3, 2);
  EXPECT_EQ(volumes.AddData(image), 0);
  EXPECT_EQ(volumes.AddImageData(image), 1);
  EXPECT_EQ(volumes.AddData(nullptr), 2);
  EXPECT_NE(volumes.GetImageData(0), image.Get());
  EXPECT_NE(volumes.GetImageData(0), volumes.GetImageData(1));
  vtkNew<vtkSphereSource> sphere;
  sphere->Update();
  EXPECT_EQ(volumes.AddData(sphere->GetOutput()), -1);
  EXPECT_EQ(volumes.GetNumberOfItems(), 2);

  // Structured points from a legacy file are images too.
  vtkNew<vtkStructuredPoints> points;
  points->DeepCopy(image);
  EXPECT_EQ(volumes.AddData(points), 2);

  for (int i = volumes.GetNumberOfItems(); i < vResource::MaxNumberOfItems; ++i)
  {
    ASSERT_EQ(volumes.AddData(image), i);
  }
  EXPECT_EQ(volumes.AddData(image), -1);
  EXPECT_EQ(volumes.GetNumberOfItems(), 128);

  vVolumeResourceFake fake;
  EXPECT_EQ(fake.AddData(image), 4);
  EXPECT_EQ(fake.AddImageData(image), 4);
  EXPECT_EQ(fake.GetImageData(1), image.Get()); // borrowed as it is
  EXPECT_EQ(fake.AddData(nullptr), -1);
  EXPECT_EQ(fake.GetNumberOfItems(), 2);
}

TEST(vVolumeResource, VoxelQueries)
{
  vVolumeResource volumes;
  volumes.AddData(MakeVolume(11, 10, 10, VTK_SHORT, 1000.0));
  volumes.AddData(MakeVolume(5, 4, 3, VTK_UNSIGNED_CHAR, 200.0));

  const int* size = volumes.GetImageDataSize(0);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size[0], 11);
  EXPECT_EQ(size[1], 10);
  EXPECT_EQ(size[2], 10);
  const double* spacing = volumes.GetSpacing(1);
  ASSERT_NE(spacing, nullptr);
  EXPECT_DOUBLE_EQ(spacing[0], 0.5);
  EXPECT_DOUBLE_EQ(spacing[1], 0.75);
  EXPECT_DOUBLE_EQ(spacing[2], 2.0);
  EXPECT_EQ(volumes.GetImageDataVoxelSize(1), spacing);

  EXPECT_DOUBLE_EQ(volumes.GetMinVoxelIntensity(0), 0.0);
  EXPECT_DOUBLE_EQ(volumes.GetMaxVoxelIntensity(0), 1000.0);
  EXPECT_DOUBLE_EQ(volumes.GetMaxVoxelIntensity(1), 59.0);

  // x varies fastest; the last voxel of the first row, then the first of the next.
  EXPECT_DOUBLE_EQ(volumes.GetVoxelIntensity(0, 10, 0, 0), 10.0);
  EXPECT_DOUBLE_EQ(volumes.GetVoxelIntensity(0, 0, 1, 0), 11.0);
  EXPECT_DOUBLE_EQ(volumes.GetVoxelIntensity(0, 2, 3, 4), 2 + 11 * (3 + 10 * 4));
  EXPECT_DOUBLE_EQ(volumes.GetVoxelIntensity(1, 4, 3, 2), 59.0);

  const int outside[][4] = { { 0, 11, 0, 0 },
    { 0, 0, 10, 0 },
    { 0, 0, 0, 10 },
    { 0, -1, 0, 0 },
    { 0, 0, -1, 0 },
    { 0, 0, 0, -5 },
    { 1, 5, 0, 0 },
    { 2, 0, 0, 0 },
    { -1, 0, 0, 0 },
    { 0, std::numeric_limits<int>::max(), 0, 0 },
    { 200, 0, 0, 0 } };
  for (const auto& q : outside)
  {
    EXPECT_DOUBLE_EQ(volumes.GetVoxelIntensity(q[0], q[1], q[2], q[3]), -999.0)
      << q[0] << " " << q[1] << " " << q[2] << " " << q[3];
  }
  for (int bad : { -1, 2, 128 })
  {
    EXPECT_EQ(volumes.GetImageDataSize(bad), nullptr);
    EXPECT_EQ(volumes.GetSpacing(bad), nullptr);
    EXPECT_DOUBLE_EQ(volumes.GetMinVoxelIntensity(bad), -999.0);
    EXPECT_DOUBLE_EQ(volumes.GetMaxVoxelIntensity(bad), -999.0);
  }

  // An image without voxel values answers -999 rather than reading nothing.
  vtkNew<vtkImageData> empty;
  empty->SetDimensions(2, 2, 2);
  vVolumeResourceFake fake;
  fake.AddData(empty);
  EXPECT_DOUBLE_EQ(fake.GetVoxelIntensity(0, 0, 0, 0), -999.0);

  // A volume whose extent does not start at 0: (0, 0, 0) is still its first voxel.
  auto shifted = MakeVolume(3, 3, 3);
  shifted->SetExtent(5, 7, 5, 7, 5, 7);
  vVolumeResourceFake shiftedFake;
  shiftedFake.AddData(shifted);
  EXPECT_DOUBLE_EQ(shiftedFake.GetVoxelIntensity(0, 0, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(shiftedFake.GetVoxelIntensity(0, 2, 2, 2), 26.0);
  EXPECT_DOUBLE_EQ(shiftedFake.GetVoxelIntensity(0, 3, 0, 0), -999.0);
}

TEST(vVolumeResource, StatisticsOfARealVolume)
{
  vtkNew<vtkDataSetReader> reader;
  reader->SetFileName(vTestData("mesh/vtk/carotid.vtk").c_str());
  reader->Update();
  vtkStructuredPoints* carotid = reader->GetStructuredPointsOutput();
  ASSERT_NE(carotid, nullptr);

  vVolumeResource volumes;
  ASSERT_EQ(volumes.AddData(carotid), 0);
  const int* size = volumes.GetImageDataSize(0);
  EXPECT_EQ(size[0], 76);
  EXPECT_EQ(size[1], 49);
  EXPECT_EQ(size[2], 45);

  // Compare with the raw float values, walked independently of VTK's range computation.
  vtkFloatArray* raw = vtkFloatArray::SafeDownCast(carotid->GetPointData()->GetScalars());
  ASSERT_NE(raw, nullptr);
  ASSERT_EQ(raw->GetNumberOfTuples(), 76 * 49 * 45);
  const int components = raw->GetNumberOfComponents();
  float low = raw->GetValue(0);
  float high = low;
  for (vtkIdType i = 0; i < raw->GetNumberOfTuples(); ++i)
  {
    low = std::min(low, raw->GetValue(i * components));
    high = std::max(high, raw->GetValue(i * components));
  }
  ASSERT_EQ(components, 1);
  EXPECT_DOUBLE_EQ(volumes.GetMinVoxelIntensity(0), low);
  EXPECT_DOUBLE_EQ(volumes.GetMaxVoxelIntensity(0), high);
  EXPECT_LT(low, high);
  const int probes[][3] = {
    { 0, 0, 0 }, { 75, 0, 0 }, { 0, 48, 0 }, { 38, 24, 22 }, { 75, 48, 44 }
  };
  for (const auto& p : probes)
  {
    const vtkIdType id = p[0] + 76 * (p[1] + 49 * static_cast<vtkIdType>(p[2]));
    EXPECT_DOUBLE_EQ(
      volumes.GetVoxelIntensity(0, p[0], p[1], p[2]), raw->GetValue(id * components));
  }
  EXPECT_DOUBLE_EQ(volumes.GetVoxelIntensity(0, 76, 0, 0), -999.0);
  // The stored copy keeps the file's geometry.
  double origin[3];
  volumes.GetImageData(0)->GetOrigin(origin);
  EXPECT_DOUBLE_EQ(origin[0], 100.0);
  EXPECT_DOUBLE_EQ(origin[1], 80.0);
  EXPECT_DOUBLE_EQ(origin[2], 1.0);
}

TEST(vVolumeResource, ShadowsFollowTheirVolumes)
{
  vVolumeResource volumes;
  volumes.InitImageShadow(0); // empty place: nothing
  EXPECT_EQ(volumes.GetImageShadow(0), nullptr);

  volumes.AddData(MakeVolume(4, 3, 2, VTK_SHORT));
  volumes.AddData(MakeVolume(6, 5, 4, VTK_FLOAT));
  volumes.AddData(MakeVolume(2, 2, 2, VTK_UNSIGNED_CHAR));
  volumes.InitImageShadow(0);
  volumes.InitImageShadow(1);
  vtkImageData* shadow0 = volumes.GetImageShadow(0);
  vtkImageData* shadow1 = volumes.GetImageShadow(1);
  ASSERT_NE(shadow0, nullptr);
  ASSERT_NE(shadow1, nullptr);
  int dims[3];
  shadow1->GetDimensions(dims);
  EXPECT_EQ(dims[0], 6);
  EXPECT_EQ(dims[1], 5);
  EXPECT_EQ(dims[2], 4);
  EXPECT_DOUBLE_EQ(shadow1->GetSpacing()[2], 2.0);
  EXPECT_DOUBLE_EQ(shadow1->GetOrigin()[0], 10.0);
  EXPECT_EQ(shadow1->GetScalarType(), VTK_FLOAT);
  EXPECT_DOUBLE_EQ(shadow1->GetScalarRange()[1], 0.0); // no marks yet

  // SetImageShadow copies into the existing shadow (same object, new contents).
  auto marks = MakeVolume(4, 3, 2, VTK_UNSIGNED_CHAR);
  volumes.Select(0);
  volumes.SetImageShadow(marks);
  EXPECT_EQ(volumes.GetImageShadow(), shadow0);
  EXPECT_NE(volumes.GetImageShadow(), marks.Get());
  EXPECT_DOUBLE_EQ(shadow0->GetScalarRange()[1], 23.0);
  volumes.SetImageShadow(0, shadow0); // onto itself: unchanged
  EXPECT_DOUBLE_EQ(shadow0->GetScalarRange()[1], 23.0);
  volumes.SetImageShadow(2, static_cast<vtkDataSet*>(marks)); // through the base interface
  ASSERT_NE(volumes.GetImageShadow(2), nullptr);
  EXPECT_NE(volumes.GetImageShadow(2), marks.Get());
  vtkNew<vtkSphereSource> sphere;
  sphere->Update();
  volumes.SetImageShadow(2, static_cast<vtkDataSet*>(sphere->GetOutput())); // not an image
  EXPECT_DOUBLE_EQ(volumes.GetImageShadow(2)->GetScalarRange()[1], 23.0);
  volumes.SetImageShadow(5, marks.Get()); // no item 5
  EXPECT_EQ(volumes.GetImageShadow(5), nullptr);

  // Removing item 0: item 1 and its shadow move together to place 0.
  vtkImageData* volume1 = volumes.GetImageData(1);
  volumes.RemoveItem(0);
  EXPECT_EQ(volumes.GetNumberOfItems(), 2);
  EXPECT_EQ(volumes.GetImageData(0), volume1);
  EXPECT_EQ(volumes.GetImageShadow(0), shadow1);
  EXPECT_NE(volumes.GetImageShadow(1), nullptr);
  EXPECT_EQ(volumes.GetImageShadow(2), nullptr);

  volumes.Select(0);
  volumes.DelImageShadow();
  EXPECT_EQ(volumes.GetImageShadow(0), nullptr);
  volumes.Select(-1);
  volumes.InitImageShadow();
  volumes.DelImageShadow();
  EXPECT_EQ(volumes.GetImageShadow(), nullptr);

  volumes.Delete();
  EXPECT_EQ(volumes.GetNumberOfItems(), 0);
  EXPECT_EQ(volumes.GetImageShadow(1), nullptr);
  EXPECT_EQ(volumes.GetImageData(0), nullptr);
}

TEST(vVolumeResource, HandlesAndActorsBorrowTheVolume)
{
  vVolumeResource volumes;
  volumes.AddData(MakeVolume(4, 3, 2, VTK_SHORT, 1000.0));
  volumes.SetDataName(0, "ct");
  volumes.SetFilename(0, "/d/ct");
  volumes.InitImageShadow(0);
  vVolumeResourceFake* handle = volumes.GetDataFake(0);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->GetImageData(0), volumes.GetImageData(0));
  EXPECT_EQ(handle->GetImageShadow(0), volumes.GetImageShadow(0));
  EXPECT_EQ(handle->GetName(), "ct");
  EXPECT_DOUBLE_EQ(handle->GetMaxVoxelIntensity(0), 23.0);
  // Through the base interface the handle is still a volume handle.
  vDataResourceFake* base = &volumes;
  vDataResourceFake* baseHandle = base->GetDataFake(0);
  EXPECT_NE(dynamic_cast<vVolumeResourceFake*>(baseHandle), nullptr);
  delete baseHandle;
  delete handle;
  EXPECT_EQ(volumes.GetDataFake(1), nullptr);
  EXPECT_EQ(volumes.ToV(), "load '/d/ct'\n");

  vtkActorCollection* actors = volumes.GetOutput();
  EXPECT_EQ(actors->GetNumberOfItems(), 1);
  actors->Delete();
}
