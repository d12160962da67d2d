#include "vtkTools.h"

#include "vAddressSpaceLimit.h"
#include "vTempHome.h"
#include "vVtkOutputCapture.h"

#include <vtkCellArray.h>
#include <vtkCellLocator.h>
#include <vtkImageData.h>
#include <vtkMinimalStandardRandomSequence.h>
#include <vtkNew.h>
#include <vtkPlaneSource.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataReader.h>
#include <vtkSphereSource.h>
#include <vtkStripper.h>
#include <vtkTriangleFilter.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace
{
// The mask as defined: voxel by voxel through VTK's generic accessors.
std::vector<double> ReferenceMask(vtkImageData* volume, double value)
{
  std::vector<double> mask;
  int e[6];
  volume->GetExtent(e);
  for (int z = e[4]; z <= e[5]; ++z)
  {
    for (int y = e[2]; y <= e[3]; ++y)
    {
      for (int x = e[0]; x <= e[1]; ++x)
      {
        double v = volume->GetScalarComponentAsDouble(x, y, z, 0);
        mask.push_back(value - 24 <= v && v <= value + 24 ? value : 0.0);
      }
    }
  }
  return mask;
}

std::vector<double> MaskOf(vtkImageData* volume, double value, int expectedType)
{
  vtkNew<vtkImageData> mask;
  EXPECT_TRUE(vtkTools::vtkMcMask(volume, value, mask));
  EXPECT_EQ(mask->GetScalarType(), expectedType);
  EXPECT_EQ(mask->GetExtent()[0], volume->GetExtent()[0]);
  EXPECT_EQ(mask->GetSpacing()[2], volume->GetSpacing()[2]);
  std::vector<double> values;
  for (vtkIdType i = 0; i < mask->GetNumberOfPoints(); ++i)
  {
    values.push_back(mask->GetPointData()->GetScalars()->GetComponent(i, 0));
  }
  return values;
}

// Distances through a plain vtkCellLocator, the way the measurement is defined.
std::vector<double> PlainDistances(vtkDataSet* surface, vtkDataSet* points)
{
  vtkNew<vtkCellLocator> locator;
  locator->SetDataSet(surface);
  locator->BuildLocator();
  std::vector<double> d;
  for (vtkIdType i = 0; i < points->GetNumberOfPoints(); ++i)
  {
    double x[3];
    double closest[3];
    vtkIdType cellId;
    int subId;
    double dist2;
    points->GetPoint(i, x);
    locator->FindClosestPoint(x, closest, cellId, subId, dist2);
    d.push_back(std::sqrt(dist2));
  }
  return d;
}

void ExpectDistances(vtkDataSet* surface, vtkDataSet* points, const std::vector<double>& expected)
{
  std::vector<double> d(expected.size(), -7);
  ASSERT_EQ(vtkTools::vtkSurfaceDistance(surface, points, d.data(), d.size()), d.size());
  for (size_t i = 0; i < d.size(); ++i)
  {
    EXPECT_NEAR(d[i], expected[i], 1e-9 * (1 + expected[i])) << "point " << i;
  }
}
} // namespace

TEST(VtkSave, WritesThroughATemporaryFileAndKeepsOldFilesOnFailure)
{
  vTempHome home;
  vtkNew<vtkSphereSource> sphere;
  sphere->Update();
  const std::string path = home.WriteFile("local/ball.vtk", "old contents");
  ASSERT_TRUE(vtkTools::vtkSave(sphere->GetOutput(), path));
  vtkNew<vtkPolyDataReader> reader;
  reader->SetFileName(path.c_str());
  reader->Update();
  EXPECT_EQ(reader->GetOutput()->GetNumberOfPolys(), sphere->GetOutput()->GetNumberOfPolys());

  const std::string keep = home.WriteFile("local/keep.vtk", "old contents");
  {
    vExpectVtkMessages scope;
    EXPECT_FALSE(vtkTools::vtkSave(sphere->GetOutput(), home.Sub("missing/folder/x.vtk")));
    EXPECT_FALSE(vtkTools::vtkSave(nullptr, keep));
    // A folder in the way: the temporary file is written but cannot replace it.
    EXPECT_FALSE(vtkTools::vtkSave(sphere->GetOutput(), home.Sub("local")));
    EXPECT_TRUE(scope.Contains("vtkSave"));
  }
  EXPECT_EQ(vReadFile(keep), "old contents");
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(home.Path()))
  {
    files += entry.is_regular_file() ? 1 : 0; // no temporary file left behind
  }
  EXPECT_EQ(files, 0u);
}

TEST(SurfaceExtraction, MaskKeepsTheWindowAroundTheValueForEveryScalarType)
{
  for (int type : { VTK_UNSIGNED_CHAR,
         VTK_SHORT,
         VTK_UNSIGNED_SHORT,
         VTK_INT,
         VTK_UNSIGNED_INT,
         VTK_FLOAT,
         VTK_DOUBLE })
  {
    const double value = type == VTK_UNSIGNED_CHAR ? 100 : 1000;
    const double samples[] = { -25, -24.5, -24, 0, 24, 24.5, 25 };
    vtkNew<vtkImageData> volume;
    volume->SetExtent(3, 9, -2, -2, 5, 5); // extents need not start at 0
    volume->SetSpacing(2, 3, 4);
    volume->AllocateScalars(type, 2);
    for (int i = 0; i < 7; ++i)
    {
      volume->SetScalarComponentFromDouble(3 + i, -2, 5, 0, value + samples[i]);
      volume->SetScalarComponentFromDouble(3 + i, -2, 5, 1, value); // only component 0 counts
    }
    EXPECT_EQ(MaskOf(volume, value, type), ReferenceMask(volume, value)) << type;
  }

  // A value that the volume's type cannot hold is kept whole in a double mask, never cut or
  // wrapped (270 in an unsigned char volume, 100.5 in a short one, 1e39 in a float one).
  for (auto typed : { std::make_pair(VTK_UNSIGNED_CHAR, 270.0),
         std::make_pair(VTK_SHORT, 100.5),
         std::make_pair(VTK_FLOAT, 1e39) })
  {
    const double value = typed.second;
    vtkNew<vtkImageData> volume;
    volume->SetDimensions(4, 1, 1);
    volume->AllocateScalars(typed.first, 1);
    for (int i = 0; i < 4; ++i)
    {
      volume->SetScalarComponentFromDouble(i, 0, 0, 0, 245 - 50 * (i % 2));
    }
    EXPECT_EQ(MaskOf(volume, value, VTK_DOUBLE), ReferenceMask(volume, value)) << value;
  }

  // A large signed volume (it takes the mask's own large allocation) with random values.
  vtkNew<vtkImageData> volume;
  volume->SetDimensions(131, 129, 128);
  volume->AllocateScalars(VTK_SHORT, 1);
  vtkNew<vtkMinimalStandardRandomSequence> random;
  auto* v = static_cast<short*>(volume->GetScalarPointer());
  for (vtkIdType i = 0; i < volume->GetNumberOfPoints(); ++i, random->Next())
  {
    v[i] = static_cast<short>(random->GetRangeValue(-100, 100));
  }
  EXPECT_EQ(MaskOf(volume, -30, VTK_SHORT), ReferenceMask(volume, -30));
}

TEST(SurfaceExtraction, FindsTheBallAroundItsValue)
{
  // A ball of 1000 (radius 12 voxels of 0.5) in a cube of zeros.
  vtkNew<vtkImageData> volume;
  volume->SetDimensions(40, 40, 40);
  volume->SetSpacing(0.5, 0.5, 0.5);
  volume->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* v = static_cast<unsigned short*>(volume->GetScalarPointer());
  for (int z = 0; z < 40; ++z)
  {
    for (int y = 0; y < 40; ++y)
    {
      for (int x = 0; x < 40; ++x)
      {
        *v++ = std::hypot(x - 19.5, y - 19.5, z - 19.5) <= 12 ? 1000 : 0;
      }
    }
  }
  vtkNew<vtkPolyData> raw;
  vtkNew<vtkPolyData> smooth;
  vtkTools::vtkMc(volume, 1000, 0, 0, raw);
  vtkTools::vtkMc(volume, 1000, 0.5, 10, smooth);
  ASSERT_GT(raw->GetNumberOfPolys(), 500);
  EXPECT_LT(smooth->GetNumberOfPolys(), raw->GetNumberOfPolys() * 0.6);
  // A sphere around the ball's centre, a little inside it: the contour at value - 80 of the
  // smoothed mask lies where the blur has fallen by 8 %.
  for (vtkPolyData* surface : { raw.Get(), smooth.Get() })
  {
    for (vtkIdType i = 0; i < surface->GetNumberOfPoints(); ++i)
    {
      const double* p = surface->GetPoint(i);
      EXPECT_NEAR(std::hypot(p[0] - 9.75, p[1] - 9.75, p[2] - 9.75), 5.0, 0.5) << i;
    }
  }

  // Values without a surface and bad input give an empty output, without VTK errors.
  vtkNew<vtkImageData> noScalars;
  noScalars->SetDimensions(4, 4, 4);
  const double inf = std::numeric_limits<double>::infinity();
  for (double value : { 500.0, inf, -inf, std::nan("") })
  {
    for (vtkImageData* input :
      { volume.Get(), noScalars.Get(), static_cast<vtkImageData*>(nullptr) })
    {
      vtkNew<vtkPolyData> none;
      vtkTools::vtkMc(input, value, 0.5, 10, none);
      EXPECT_EQ(none->GetNumberOfPoints(), 0) << value;
    }
  }
  vtkTools::vtkMc(volume, 1000, 0.5, 10, nullptr);
}

TEST(SurfaceDistance, TrianglesStripsAndOtherCellsMeasureLikeACellLocator)
{
  // Points around, inside and far from a sphere of radius 0.5, and one of its vertices.
  vtkNew<vtkMinimalStandardRandomSequence> random;
  vtkNew<vtkPoints> points;
  for (int i = 0; i < 3000; ++i)
  {
    double p[3];
    for (double& c : p)
    {
      c = random->GetRangeValue(-3, 3);
      random->Next();
    }
    points->InsertNextPoint(p);
  }
  points->InsertNextPoint(0, 0, 0.5);
  points->InsertNextPoint(100, -50, 7);
  vtkNew<vtkPolyData> probes;
  probes->SetPoints(points);

  vtkNew<vtkSphereSource> sphere;
  sphere->SetThetaResolution(40);
  sphere->SetPhiResolution(30);
  vtkNew<vtkStripper> strips;
  strips->SetInputConnection(sphere->GetOutputPort());
  strips->Update();
  const std::vector<double> expected = PlainDistances(sphere->GetOutput(), probes);
  EXPECT_NEAR(expected[3000], 0, 1e-12);
  ExpectDistances(sphere->GetOutput(), probes, expected);
  ASSERT_GT(strips->GetOutput()->GetNumberOfStrips(), 0);
  ExpectDistances(strips->GetOutput(), probes, expected);

  // Quadrilaterals, and triangles mixed with lines, go through VTK's own cells.
  vtkNew<vtkPlaneSource> plane;
  plane->SetResolution(7, 5);
  plane->Update();
  ExpectDistances(plane->GetOutput(), probes, PlainDistances(plane->GetOutput(), probes));
  vtkNew<vtkPolyData> mixed;
  mixed->DeepCopy(sphere->GetOutput());
  vtkNew<vtkCellArray> lines;
  vtkIdType line[2] = { 0, 5 };
  lines->InsertNextCell(2, line);
  mixed->SetLines(lines);
  ExpectDistances(mixed, probes, PlainDistances(mixed, probes));

  // Known distances to the triangulated unit square at z = 0: above it, below it, beyond an
  // edge, beyond a corner.
  vtkNew<vtkTriangleFilter> triangles;
  triangles->SetInputConnection(plane->GetOutputPort());
  triangles->Update();
  vtkNew<vtkPoints> known;
  known->InsertNextPoint(0, 0, 2);
  known->InsertNextPoint(0.1, -0.2, -0.25);
  known->InsertNextPoint(1.5, 0, 0);
  known->InsertNextPoint(3.5, 4.5, 0);
  vtkNew<vtkPolyData> cloud;
  cloud->SetPoints(known);
  ExpectDistances(triangles->GetOutput(), cloud, { 2, 0.25, 1, 5 });
}

TEST(SurfaceDistance, StaysWithinTheCallersArray)
{
  vtkNew<vtkSphereSource> sphere;
  sphere->Update();
  vtkNew<vtkImageData> grid; // an image's voxels are points too
  grid->SetDimensions(3, 3, 3);
  grid->SetOrigin(-1, -1, -1);
  std::vector<double> d(30, -7);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(sphere->GetOutput(), grid, d.data(), 10), 10);
  EXPECT_EQ(d[9], PlainDistances(sphere->GetOutput(), grid)[9]);
  EXPECT_EQ(d[10], -7);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(sphere->GetOutput(), grid, d.data(), 0), 0);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(sphere->GetOutput(), nullptr, d.data(), 30), 0);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(sphere->GetOutput(), grid, nullptr, 30), 0);

  // Without a surface there is no closest point: -1 for each point.
  vtkNew<vtkPolyData> empty;
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(empty, grid, d.data(), 30), 27);
  EXPECT_EQ(d[26], -1);
  EXPECT_EQ(d[27], -7);

  // A cell naming a point that does not exist is skipped.
  vtkNew<vtkPolyData> broken;
  broken->DeepCopy(sphere->GetOutput());
  vtkIdType bad[3] = { 0, 1, 100000 };
  broken->GetPolys()->InsertNextCell(3, bad);
  ExpectDistances(broken, grid, PlainDistances(sphere->GetOutput(), grid));
}

TEST(vtkTools, AMaskThatCannotBeAllocatedIsAnAllocationFailure)
{
  // VTK logs a failed allocation and leaves the array empty: the mask had the volume's structure
  // and no voxels, which the smoothing and contouring read past. Run in a child whose address
  // space has no room for the 32 MiB mask.
  VEMORA_SKIP_UNDER_SANITIZERS();
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  vtkNew<vtkImageData> volume;
  volume->SetDimensions(256, 256, 128);
  volume->AllocateScalars(VTK_SHORT, 1);
  auto* voxels = static_cast<short*>(volume->GetScalarPointer());
  std::fill(voxels, voxels + 256 * 256 * 128, short(100));
  auto child = [&]()
  {
    vtkObject::GlobalWarningDisplayOff(); // VTK's own error text about the allocation
    vtkNew<vtkImageData> mask;
    bool made = false;
    try
    {
      vAddressSpaceLimit limit(std::size_t(8) << 20);
      made = vtkTools::vtkMcMask(volume, 100.0, mask);
    }
    catch (const std::bad_alloc&)
    {
      std::fprintf(
        stderr, "refused, scalars %s\n", mask->GetPointData()->GetScalars() ? "kept" : "gone");
      std::fflush(stderr);
      std::_Exit(3);
    }
    std::fprintf(stderr, "made %d\n", made ? 1 : 0);
    std::fflush(stderr);
    std::_Exit(0);
  };
  EXPECT_EXIT(child(), ::testing::ExitedWithCode(3), "refused, scalars gone");
}
