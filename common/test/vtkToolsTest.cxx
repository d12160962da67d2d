#include "vtkTools.h"

#include "vTempHome.h"
#include "vVtkOutputCapture.h"

#include <vtkCellArray.h>
#include <vtkCellLocator.h>
#include <vtkDoubleArray.h>
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
#include <vtkStructuredPoints.h>
#include <vtkStructuredPointsReader.h>
#include <vtkTriangleFilter.h>

#include <gtest/gtest.h>

#include <cmath>
#include <dirent.h>
#include <string>
#include <vector>

namespace
{
// The mask the extraction must produce, computed voxel by voxel through VTK's generic accessors.
std::vector<float> ReferenceMask(vtkImageData* volume, double value)
{
  std::vector<float> mask;
  int extent[6];
  volume->GetExtent(extent);
  for (int z = extent[4]; z <= extent[5]; ++z)
  {
    for (int y = extent[2]; y <= extent[3]; ++y)
    {
      for (int x = extent[0]; x <= extent[1]; ++x)
      {
        double v = volume->GetScalarComponentAsDouble(x, y, z, 0);
        mask.push_back(value - 24 <= v && v <= value + 24 ? static_cast<float>(value) : 0.0f);
      }
    }
  }
  return mask;
}

std::vector<float> MaskValues(vtkImageData* mask)
{
  auto* scalars = mask->GetPointData()->GetScalars();
  std::vector<float> values;
  for (vtkIdType i = 0; i < scalars->GetNumberOfTuples(); ++i)
  {
    values.push_back(static_cast<float>(scalars->GetComponent(i, 0)));
  }
  return values;
}

// A ball of `value` (radius in voxels) in a cube of zeros.
void MakeBall(int n, double radius, double value, vtkImageData* image)
{
  image->SetDimensions(n, n, n);
  image->SetSpacing(0.5, 0.5, 0.5);
  image->SetOrigin(10, 20, 30);
  image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* v = static_cast<unsigned short*>(image->GetScalarPointer());
  double c = (n - 1) / 2.0;
  for (int z = 0; z < n; ++z)
  {
    for (int y = 0; y < n; ++y)
    {
      for (int x = 0; x < n; ++x)
      {
        double r = std::sqrt((x - c) * (x - c) + (y - c) * (y - c) + (z - c) * (z - c));
        *v++ = static_cast<unsigned short>(r <= radius ? value : 0);
      }
    }
  }
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

std::vector<double> Distances(vtkDataSet* surface, vtkDataSet* points)
{
  std::vector<double> d(static_cast<size_t>(points->GetNumberOfPoints()), -7);
  EXPECT_EQ(
    vtkTools::vtkSurfaceDistance(surface, points, d.data(), d.size()), points->GetNumberOfPoints());
  return d;
}

void ExpectSameDistances(const std::vector<double>& a, const std::vector<double>& b)
{
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i)
  {
    EXPECT_NEAR(a[i], b[i], 1e-9 * (1 + b[i])) << "point " << i;
  }
}

// Points around and inside a sphere of radius 0.5 at the origin: near, far, inside, on it.
vtkSmartPointer<vtkPolyData> Probes(int count)
{
  vtkNew<vtkMinimalStandardRandomSequence> random;
  random->SetSeed(3);
  vtkNew<vtkPoints> points;
  for (int i = 0; i < count; ++i)
  {
    double p[3];
    for (double& c : p)
    {
      c = random->GetRangeValue(-3, 3);
      random->Next();
    }
    points->InsertNextPoint(p);
  }
  points->InsertNextPoint(0, 0, 0);
  points->InsertNextPoint(0, 0, 0.5); // the pole of a default sphere source
  points->InsertNextPoint(100, -50, 7);
  auto cloud = vtkSmartPointer<vtkPolyData>::New();
  cloud->SetPoints(points);
  return cloud;
}

std::vector<std::string> List(const std::string& folder)
{
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str()))
  {
    while (dirent* entry = readdir(dir))
    {
      std::string name = entry->d_name;
      if (name != "." && name != "..")
      {
        names.push_back(name);
      }
    }
    closedir(dir);
  }
  return names;
}
} // namespace

TEST(VtkSave, WritesALegacyFileThatReadsBack)
{
  vTempHome home;
  vtkNew<vtkSphereSource> sphere;
  sphere->Update();
  const std::string path = home.Sub("local/ball.vtk");
  ASSERT_TRUE(vtkTools::vtkSave(sphere->GetOutput(), path));
  EXPECT_EQ(vReadFile(path).rfind("# vtk DataFile Version", 0), 0u);
  vtkNew<vtkPolyDataReader> reader;
  reader->SetFileName(path.c_str());
  reader->Update();
  EXPECT_EQ(reader->GetOutput()->GetNumberOfPoints(), sphere->GetOutput()->GetNumberOfPoints());
  EXPECT_EQ(reader->GetOutput()->GetNumberOfPolys(), sphere->GetOutput()->GetNumberOfPolys());

  // Saving again replaces the file; an image is saved as structured points.
  vtkNew<vtkImageData> image;
  MakeBall(6, 2, 100, image);
  ASSERT_TRUE(vtkTools::vtkSave(image, path));
  vtkNew<vtkStructuredPointsReader> imageReader;
  imageReader->SetFileName(path.c_str());
  imageReader->Update();
  EXPECT_EQ(imageReader->GetOutput()->GetNumberOfPoints(), 216);
  EXPECT_EQ(List(home.Sub("local")), std::vector<std::string>{ "ball.vtk" });
}

TEST(VtkSave, FailuresLeaveOldFilesAlone)
{
  vTempHome home;
  vtkNew<vtkSphereSource> sphere;
  sphere->Update();
  const std::string old = home.WriteFile("local/keep.vtk", "old contents");
  {
    vExpectVtkMessages scope;
    EXPECT_FALSE(vtkTools::vtkSave(sphere->GetOutput(), home.Sub("missing/folder/x.vtk")));
    EXPECT_FALSE(vtkTools::vtkSave(nullptr, old));
    EXPECT_FALSE(vtkTools::vtkSave(sphere->GetOutput(), ""));
    // A folder in the way: written to a temporary file, which cannot replace the folder.
    EXPECT_FALSE(vtkTools::vtkSave(sphere->GetOutput(), home.Sub("Scripts")));
    EXPECT_TRUE(scope.Contains("vtkSave"));
  }
  EXPECT_EQ(vReadFile(old), "old contents");
  EXPECT_EQ(List(home.Sub("local")), std::vector<std::string>{ "keep.vtk" });
  EXPECT_EQ(List(home.Path()).size(), 7u); // only the installation's own folders
}

TEST(SurfaceExtraction, MaskKeepsTheWindowAroundTheValueForEveryScalarType)
{
  const int types[] = { VTK_UNSIGNED_CHAR,
    VTK_SHORT,
    VTK_UNSIGNED_SHORT,
    VTK_INT,
    VTK_UNSIGNED_INT,
    VTK_FLOAT,
    VTK_DOUBLE };
  for (int type : types)
  {
    const double value = type == VTK_UNSIGNED_CHAR ? 100 : 1000;
    const double samples[] = {
      value - 25, value - 24, value - 24.5, value, value + 24, value + 24.5, value + 25, 0
    };
    vtkNew<vtkImageData> volume;
    volume->SetExtent(3, 10, -2, -2, 5, 5); // extents need not start at 0
    volume->SetSpacing(2, 3, 4);
    volume->SetOrigin(-1, 0, 1);
    volume->AllocateScalars(type, 2);
    for (int i = 0; i < 8; ++i)
    {
      volume->SetScalarComponentFromDouble(3 + i, -2, 5, 0, samples[i]);
      volume->SetScalarComponentFromDouble(3 + i, -2, 5, 1, value); // only component 0 counts
    }
    vtkNew<vtkImageData> mask;
    ASSERT_TRUE(vtkTools::vtkMcMask(volume, value, mask)) << type;
    EXPECT_EQ(MaskValues(mask), ReferenceMask(volume, value)) << type;
    EXPECT_EQ(mask->GetScalarType(), type); // the volume's type holds the value
    EXPECT_EQ(mask->GetNumberOfScalarComponents(), 1);
    int extent[6];
    mask->GetExtent(extent);
    EXPECT_EQ(extent[0], 3);
    EXPECT_EQ(extent[3], -2);
    EXPECT_EQ(mask->GetSpacing()[2], 4);
    EXPECT_EQ(mask->GetOrigin()[0], -1);
  }

  // A value that the volume's type cannot hold is kept whole in a double mask, never cut or
  // wrapped (270 in an unsigned char volume, 100.5 in a short one).
  for (double value : { 270.0, 100.5 })
  {
    vtkNew<vtkImageData> volume;
    volume->SetDimensions(4, 1, 1);
    volume->AllocateScalars(value > 255 ? VTK_UNSIGNED_CHAR : VTK_SHORT, 1);
    const double samples[] = { 245, 250, 255, 76 };
    for (int i = 0; i < 4; ++i)
    {
      volume->SetScalarComponentFromDouble(i, 0, 0, 0, samples[i]);
    }
    vtkNew<vtkImageData> mask;
    ASSERT_TRUE(vtkTools::vtkMcMask(volume, value, mask));
    EXPECT_EQ(mask->GetScalarType(), VTK_DOUBLE);
    EXPECT_EQ(MaskValues(mask), ReferenceMask(volume, value)) << value;
  }

  // A larger signed volume with random values (big enough for the mask's own large allocation),
  // against the voxel-by-voxel reference.
  vtkNew<vtkImageData> volume;
  volume->SetDimensions(131, 129, 128);
  volume->AllocateScalars(VTK_SHORT, 1);
  vtkNew<vtkMinimalStandardRandomSequence> random;
  auto* v = static_cast<short*>(volume->GetScalarPointer());
  for (vtkIdType i = 0; i < volume->GetNumberOfPoints(); ++i)
  {
    v[i] = static_cast<short>(random->GetRangeValue(-100, 100));
    random->Next();
  }
  vtkNew<vtkImageData> mask;
  ASSERT_TRUE(vtkTools::vtkMcMask(volume, -30, mask));
  EXPECT_EQ(MaskValues(mask), ReferenceMask(volume, -30));
}

TEST(SurfaceExtraction, FindsTheBallAroundItsValue)
{
  vtkNew<vtkImageData> volume;
  MakeBall(40, 12, 1000, volume);
  vtkNew<vtkPolyData> raw;
  vtkTools::vtkMc(volume, 1000, 0, 0, raw);
  vtkNew<vtkPolyData> smooth;
  vtkTools::vtkMc(volume, 1000, 0.5, 10, smooth);
  ASSERT_GT(raw->GetNumberOfPolys(), 500);
  ASSERT_GT(smooth->GetNumberOfPolys(), 100);
  EXPECT_LT(smooth->GetNumberOfPolys(), raw->GetNumberOfPolys() * 0.6);
  // The surface is a sphere around the ball's centre (radius 12 voxels of 0.5), a little inside
  // it: the contour at value - 80 of the smoothed mask lies where the blur has fallen by 8 %.
  for (vtkPolyData* surface : { raw.Get(), smooth.Get() })
  {
    double low = 1e9;
    double high = 0;
    for (vtkIdType i = 0; i < surface->GetNumberOfPoints(); ++i)
    {
      double p[3];
      surface->GetPoint(i, p);
      double r = std::sqrt((p[0] - 19.75) * (p[0] - 19.75) + (p[1] - 29.75) * (p[1] - 29.75) +
        (p[2] - 39.75) * (p[2] - 39.75));
      low = std::min(low, r);
      high = std::max(high, r);
    }
    EXPECT_GT(low, 4.5);
    EXPECT_LT(high, 5.5);
  }

  // A value outside the window finds nothing; bad input leaves an empty output.
  vtkNew<vtkPolyData> none;
  vtkTools::vtkMc(volume, 500, 0.5, 10, none);
  EXPECT_EQ(none->GetNumberOfPoints(), 0);
  vtkNew<vtkImageData> empty;
  vtkTools::vtkMc(empty, 1000, 0.5, 10, none);
  EXPECT_EQ(none->GetNumberOfPoints(), 0);
  vtkNew<vtkImageData> noScalars;
  noScalars->SetDimensions(4, 4, 4);
  vtkTools::vtkMc(noScalars, 1000, 0.5, 10, none);
  EXPECT_EQ(none->GetNumberOfPoints(), 0);
  vtkTools::vtkMc(nullptr, 1000, 0.5, 10, none);
  EXPECT_EQ(none->GetNumberOfPoints(), 0);
  vtkTools::vtkMc(volume, 1000, 0.5, 10, nullptr);
}

TEST(SurfaceDistance, TrianglesStripsAndOtherCellsMeasureLikeACellLocator)
{
  vtkNew<vtkSphereSource> sphere;
  sphere->SetThetaResolution(40);
  sphere->SetPhiResolution(30);
  sphere->Update();
  auto probes = Probes(3000);
  const std::vector<double> expected = PlainDistances(sphere->GetOutput(), probes);
  ExpectSameDistances(Distances(sphere->GetOutput(), probes), expected);
  EXPECT_NEAR(expected[3001], 0, 1e-12); // a vertex of the sphere

  vtkNew<vtkStripper> stripper;
  stripper->SetInputConnection(sphere->GetOutputPort());
  stripper->Update();
  ASSERT_GT(stripper->GetOutput()->GetNumberOfStrips(), 0);
  ExpectSameDistances(Distances(stripper->GetOutput(), probes), expected);

  // Quadrilaterals, and a surface mixing in lines, go through VTK's own cells.
  vtkNew<vtkPlaneSource> plane;
  plane->SetResolution(7, 5);
  plane->Update();
  ExpectSameDistances(
    Distances(plane->GetOutput(), probes), PlainDistances(plane->GetOutput(), probes));
  vtkNew<vtkPolyData> mixed;
  mixed->DeepCopy(sphere->GetOutput());
  vtkNew<vtkCellArray> lines;
  vtkIdType line[2] = { 0, 5 };
  lines->InsertNextCell(2, line);
  mixed->SetLines(lines);
  ExpectSameDistances(Distances(mixed, probes), PlainDistances(mixed, probes));

  // Known distances to a triangulated unit square in the z = 0 plane.
  vtkNew<vtkTriangleFilter> triangles;
  triangles->SetInputConnection(plane->GetOutputPort());
  triangles->Update();
  vtkNew<vtkPoints> points;
  points->InsertNextPoint(0, 0, 2); // above the centre
  points->InsertNextPoint(0.1, -0.2, -0.25);
  points->InsertNextPoint(1.5, 0, 0);   // beyond an edge
  points->InsertNextPoint(3.5, 4.5, 0); // beyond a corner
  vtkNew<vtkPolyData> cloud;
  cloud->SetPoints(points);
  const std::vector<double> known = { 2, 0.25, 1, 5 };
  ExpectSameDistances(Distances(triangles->GetOutput(), cloud), known);
}

TEST(SurfaceDistance, StaysWithinTheCallersArray)
{
  vtkNew<vtkSphereSource> sphere;
  sphere->Update();
  auto probes = Probes(20);
  std::vector<double> d(30, -7);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(sphere->GetOutput(), probes, d.data(), 10), 10);
  for (size_t i = 10; i < d.size(); ++i)
  {
    EXPECT_EQ(d[i], -7);
  }
  EXPECT_GE(d[9], 0);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(sphere->GetOutput(), probes, d.data(), 0), 0);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(sphere->GetOutput(), nullptr, d.data(), 30), 0);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(sphere->GetOutput(), probes, nullptr, 30), 0);

  // Without a surface there is no closest point: -1 for each point.
  vtkNew<vtkPolyData> empty;
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(empty, probes, d.data(), 30), 23);
  EXPECT_EQ(d[0], -1);
  EXPECT_EQ(d[22], -1);
  EXPECT_EQ(d[23], -7);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(nullptr, probes, d.data(), 30), 23);

  // An image's voxels are points too; a cell naming a missing point is skipped.
  vtkNew<vtkImageData> grid;
  grid->SetDimensions(3, 3, 3);
  grid->SetOrigin(-1, -1, -1);
  std::vector<double> g(27);
  vtkNew<vtkPolyData> broken;
  broken->DeepCopy(sphere->GetOutput());
  vtkIdType bad[3] = { 0, 1, 100000 };
  broken->GetPolys()->InsertNextCell(3, bad);
  EXPECT_EQ(vtkTools::vtkSurfaceDistance(broken, grid, g.data(), 27), 27);
  EXPECT_NEAR(g[13], PlainDistances(sphere->GetOutput(), grid)[13], 1e-9);
}
