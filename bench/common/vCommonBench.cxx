// Times vtkTools::vtkMc and vtkTools::vtkSurfaceDistance against their plain VTK baselines in the
// same run, and checks that both give the same results as the baselines.
#include "vtkTools.h"

#include <vtkCellLocator.h>
#include <vtkDecimatePro.h>
#include <vtkImageData.h>
#include <vtkImageGaussianSmooth.h>
#include <vtkImageThreshold.h>
#include <vtkMarchingCubes.h>
#include <vtkMath.h>
#include <vtkMinimalStandardRandomSequence.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmoothPolyDataFilter.h>
#include <vtkSphereSource.h>
#include <vtkUnsignedShortArray.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace
{
// Processor time of the whole process (all threads), in seconds.
double Cpu()
{
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double Now()
{
  using clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(clock::now().time_since_epoch()).count();
}

// A head-like phantom: an ellipsoidal "skin" of intensity 1000 around a "bone" shell of 1500 and
// a "brain" of 1040, with a little deterministic noise; 12-bit CT-like unsigned shorts.
void MakePhantom(int n, vtkImageData* image)
{
  image->SetDimensions(n, n, n);
  image->SetSpacing(1, 1, 1);
  image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* values = static_cast<unsigned short*>(image->GetScalarPointer());
  const double c = (n - 1) / 2.0;
  unsigned int seed = 12345;
  for (int z = 0; z < n; ++z)
  {
    for (int y = 0; y < n; ++y)
    {
      for (int x = 0; x < n; ++x)
      {
        double dx = (x - c) / (0.42 * n);
        double dy = (y - c) / (0.36 * n);
        double dz = (z - c) / (0.45 * n);
        double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        double v = 0;
        if (r < 0.80)
        {
          v = 1040;
        }
        else if (r < 0.90)
        {
          v = 1500;
        }
        else if (r < 1.0)
        {
          v = 1000;
        }
        seed = seed * 1103515245u + 12345u;
        v += static_cast<double>((seed >> 16) % 21) - 10.0;
        *values++ = static_cast<unsigned short>(std::max(0.0, v));
      }
    }
  }
}

void BenchMc(int n, double value, double reduction, int iterations, bool maskOnly)
{
  std::printf("== vtkMc on a %d^3 unsigned-short phantom (value %.0f, reduction %.2f, %d "
              "iterations)\n",
    n,
    value,
    reduction,
    iterations);
  vtkNew<vtkImageData> volume;
  MakePhantom(n, volume);

  // Mask stage: typed access versus one GetScalarComponentAsDouble / SetScalarComponentFromDouble
  // call per voxel. Each is run five times (fresh mask each time); the best and the median run
  // are reported, as the machine these run on is shared.
  const int runs = 5;
  std::vector<double> typedTimes;
  std::vector<double> slowTimes;
  std::vector<double> thresholdTimes;
  vtkNew<vtkImageData> mask;
  vtkNew<vtkImageData> slowMask;
  vtkNew<vtkImageData> thresholdMask;
  for (int run = 0; run < runs; ++run)
  {
    vtkNew<vtkImageData> fresh;
    double t0 = Now();
    vtkTools::vtkMcMask(volume, value, fresh);
    typedTimes.push_back(Now() - t0);
    mask->ShallowCopy(fresh);
    // The same job done by VTK's own filter: voxels within 24 of the value become the value,
    // all others 0, in the mask's scalar type.
    {
      vtkNew<vtkImageThreshold> threshold;
      threshold->SetInputData(volume);
      threshold->ThresholdBetween(value - 24, value + 24);
      threshold->ReplaceInOn();
      threshold->SetInValue(value);
      threshold->ReplaceOutOn();
      threshold->SetOutValue(0.0);
      threshold->SetOutputScalarType(fresh->GetScalarType());
      const double started = Now();
      threshold->Update();
      thresholdTimes.push_back(Now() - started);
      thresholdMask->ShallowCopy(threshold->GetOutput());
    }

    vtkNew<vtkImageData> slow;
    t0 = Now();
    slow->CopyStructure(volume);
    slow->AllocateScalars(fresh->GetScalarType(), 1); // the same mask type as vtkMcMask's
    int dims[3];
    volume->GetDimensions(dims);
    for (int z = 0; z < dims[2]; ++z)
    {
      for (int y = 0; y < dims[1]; ++y)
      {
        for (int x = 0; x < dims[0]; ++x)
        {
          double v = volume->GetScalarComponentAsDouble(x, y, z, 0);
          bool inside = value - 24 <= v && v <= value + 24;
          slow->SetScalarComponentFromDouble(x, y, z, 0, inside ? value : 0.0);
        }
      }
    }
    slowTimes.push_back(Now() - t0);
    slowMask->ShallowCopy(slow);
  }
  std::sort(typedTimes.begin(), typedTimes.end());
  std::sort(slowTimes.begin(), slowTimes.end());
  std::sort(thresholdTimes.begin(), thresholdTimes.end());
  double typedMask = typedTimes[runs / 2];
  double slowMaskTime = slowTimes[runs / 2];
  const size_t bytes =
    static_cast<size_t>(mask->GetScalarSize()) * static_cast<size_t>(mask->GetNumberOfPoints());
  bool same = mask->GetScalarType() == slowMask->GetScalarType() &&
    std::memcmp(mask->GetScalarPointer(), slowMask->GetScalarPointer(), bytes) == 0;
  std::printf(
    "mask, typed access:          best %.3f s, median %.3f s\n", typedTimes.front(), typedMask);
  std::printf(
    "mask, per-voxel calls:       best %.3f s, median %.3f s\n", slowTimes.front(), slowMaskTime);
  std::printf("mask speed-up:               %.1fx best to best, %.1fx median to median; masks %s\n",
    slowTimes.front() / typedTimes.front(),
    slowMaskTime / typedMask,
    same ? "identical" : "DIFFER");
  const bool sameAsThreshold = mask->GetScalarType() == thresholdMask->GetScalarType() &&
    std::memcmp(mask->GetScalarPointer(), thresholdMask->GetScalarPointer(), bytes) == 0;
  std::printf("mask, vtkImageThreshold:     best %.3f s, median %.3f s (baseline)\n",
    thresholdTimes.front(),
    thresholdTimes[runs / 2]);
  std::printf(
    "mask stage / vtkImageThreshold: %.2f median to median, %.2f best to best; masks %s\n",
    typedMask / thresholdTimes[runs / 2],
    typedTimes.front() / thresholdTimes.front(),
    sameAsThreshold ? "identical" : "DIFFER");
  if (maskOnly)
  {
    return;
  }

  // The same filter chain run directly on the mask, stage by stage, and the whole extraction;
  // alternated twice, keeping each one's best run. Wall and processor time are both reported:
  // on a shared machine processor time is the steadier measure.
  double stage[4] = { 0, 0, 0, 0 };
  double stageCpu[4] = { 0, 0, 0, 0 };
  double chain = 1e300;
  double chainCpu = 1e300;
  double whole = 1e300;
  double wholeCpu = 1e300;
  vtkIdType contourTriangles = 0;
  vtkNew<vtkPolyData> direct;
  vtkNew<vtkPolyData> out;
  for (int run = 0; run < 2; ++run)
  {
    double wall[4];
    double cpu[4];
    auto time = [&](int i, vtkAlgorithm* filter)
    {
      double w = Now();
      double c = Cpu();
      filter->Update();
      wall[i] = Now() - w;
      cpu[i] = Cpu() - c;
    };
    vtkNew<vtkImageGaussianSmooth> smooth;
    smooth->SetInputData(slowMask);
    smooth->SetRadiusFactors(1, 1, 1);
    time(0, smooth);
    vtkNew<vtkMarchingCubes> contour;
    contour->SetInputConnection(smooth->GetOutputPort());
    contour->SetValue(0, value - 80);
    contour->SetValue(1, value + 80);
    time(1, contour);
    contourTriangles = contour->GetOutput()->GetNumberOfPolys();
    vtkNew<vtkDecimatePro> decimate;
    decimate->SetInputConnection(contour->GetOutputPort());
    decimate->PreserveTopologyOn();
    decimate->SetTargetReduction(reduction);
    time(2, decimate);
    vtkNew<vtkSmoothPolyDataFilter> smoothSurface;
    smoothSurface->SetInputConnection(decimate->GetOutputPort());
    smoothSurface->BoundarySmoothingOn();
    smoothSurface->SetConvergence(0.00001);
    smoothSurface->SetNumberOfIterations(iterations);
    time(3, smoothSurface);
    direct->DeepCopy(smoothSurface->GetOutput());
    double sum = wall[0] + wall[1] + wall[2] + wall[3];
    if (sum < chain)
    {
      chain = sum;
      std::copy(wall, wall + 4, stage);
      std::copy(cpu, cpu + 4, stageCpu);
    }
    chainCpu = std::min(chainCpu, cpu[0] + cpu[1] + cpu[2] + cpu[3]);

    double w = Now();
    double c = Cpu();
    vtkTools::vtkMc(volume, value, reduction, iterations, out);
    whole = std::min(whole, Now() - w);
    wholeCpu = std::min(wholeCpu, Cpu() - c);
  }

  bool equal = out->GetNumberOfPoints() == direct->GetNumberOfPoints() &&
    out->GetNumberOfPolys() == direct->GetNumberOfPolys();
  double maxDiff = 0;
  for (vtkIdType i = 0; equal && i < out->GetNumberOfPoints(); ++i)
  {
    double a[3];
    double b[3];
    out->GetPoint(i, a);
    direct->GetPoint(i, b);
    maxDiff = std::max(maxDiff, std::sqrt(vtkMath::Distance2BetweenPoints(a, b)));
  }
  std::printf("filter chain on the same mask: wall %.3f s, processor %.3f s  (contour: %lld "
              "triangles, output: %lld points, %lld triangles)\n",
    chain,
    chainCpu,
    static_cast<long long>(contourTriangles),
    static_cast<long long>(direct->GetNumberOfPoints()),
    static_cast<long long>(direct->GetNumberOfPolys()));
  std::printf("vtkTools::vtkMc, whole:        wall %.3f s, processor %.3f s\n", whole, wholeCpu);
  std::printf("whole / chain:                 wall %.3f, processor %.3f; same surface: %s (max "
              "point difference %.3g)\n",
    whole / chain,
    wholeCpu / chainCpu,
    equal ? "yes" : "NO",
    maxDiff);
  double total = typedMask + chain;
  const char* names[4] = { "gaussian smooth", "marching cubes", "decimate", "smooth surface" };
  std::printf(
    "stage shares of mask + chain (wall %.3f s): mask %.1f%%", total, 100 * typedMask / total);
  for (int k = 0; k < 4; ++k)
  {
    std::printf(", %s %.1f%%", names[k], 100 * stage[k] / total);
  }
  std::printf("\nprocessor time per stage of the chain:");
  for (int k = 0; k < 4; ++k)
  {
    std::printf(" %s %.3f s", names[k], stageCpu[k]);
  }
  std::printf("\n");
}

void BenchDistance(vtkIdType numberOfPoints, int triangles)
{
  // A sphere source with theta resolution t and phi resolution p has about 2 t (p - 1) triangles.
  int phi = static_cast<int>(std::sqrt(triangles / 4.0));
  int theta = 2 * phi;
  vtkNew<vtkSphereSource> sphere;
  sphere->SetThetaResolution(theta);
  sphere->SetPhiResolution(phi);
  sphere->SetRadius(50);
  sphere->Update();
  vtkPolyData* surface = sphere->GetOutput();
  std::printf("== vtkSurfaceDistance: %lld points against %lld triangles\n",
    static_cast<long long>(numberOfPoints),
    static_cast<long long>(surface->GetNumberOfPolys()));

  vtkNew<vtkMinimalStandardRandomSequence> random;
  random->SetSeed(7);
  vtkNew<vtkPoints> points;
  points->SetNumberOfPoints(numberOfPoints);
  // The points of a second model near the surface, as the residual of a registration measures:
  // random directions, radii 50 +- 5.
  for (vtkIdType i = 0; i < numberOfPoints; ++i)
  {
    double p[3];
    double norm = 0;
    do
    {
      for (double& c : p)
      {
        c = random->GetRangeValue(-1, 1);
        random->Next();
      }
      norm = vtkMath::Norm(p);
    } while (norm < 1e-3 || norm > 1);
    double radius = random->GetRangeValue(45, 55);
    random->Next();
    for (double& c : p)
    {
      c *= radius / norm;
    }
    points->SetPoint(i, p);
  }
  vtkNew<vtkPolyData> cloud;
  cloud->SetPoints(points);

  std::vector<double> fast(static_cast<size_t>(numberOfPoints));
  double t0 = Now();
  double c0 = Cpu();
  vtkTools::vtkSurfaceDistance(surface, cloud, fast.data(), numberOfPoints);
  double fastTime = Now() - t0;
  double fastCpu = Cpu() - c0;

  std::vector<double> plain(static_cast<size_t>(numberOfPoints));
  t0 = Now();
  c0 = Cpu();
  vtkNew<vtkCellLocator> locator;
  locator->SetDataSet(surface);
  locator->BuildLocator();
  for (vtkIdType i = 0; i < numberOfPoints; ++i)
  {
    double x[3];
    double closest[3];
    vtkIdType cellId;
    int subId;
    double dist2;
    cloud->GetPoint(i, x);
    locator->FindClosestPoint(x, closest, cellId, subId, dist2);
    plain[static_cast<size_t>(i)] = std::sqrt(dist2);
  }
  double plainTime = Now() - t0;
  double plainCpu = Cpu() - c0;

  double worst = 0;
  for (size_t i = 0; i < fast.size(); ++i)
  {
    double scale = std::max(std::fabs(plain[i]), 1e-300);
    worst = std::max(worst, std::fabs(fast[i] - plain[i]) / scale);
  }
  std::printf("vtkTools::vtkSurfaceDistance: wall %.3f s, processor %.3f s\n", fastTime, fastCpu);
  std::printf("plain vtkCellLocator loop:    wall %.3f s, processor %.3f s\n", plainTime, plainCpu);
  std::printf(
    "speed-up:                     wall %.2fx, processor %.2fx; largest relative difference "
    "%.3g (%s 1e-9)\n",
    plainTime / fastTime,
    plainCpu / fastCpu,
    worst,
    worst <= 1e-9 ? "within" : "BEYOND");
}
} // namespace

int main(int argc, char* argv[])
{
  int size = 256;
  long points = 100000;
  int triangles = 1000000;
  bool mc = true;
  bool maskOnly = false;
  bool distance = true;
  for (int i = 1; i < argc; ++i)
  {
    if (!std::strcmp(argv[i], "--size") && i + 1 < argc)
    {
      size = std::atoi(argv[++i]);
    }
    else if (!std::strcmp(argv[i], "--points") && i + 1 < argc)
    {
      points = std::atol(argv[++i]);
    }
    else if (!std::strcmp(argv[i], "--triangles") && i + 1 < argc)
    {
      triangles = std::atoi(argv[++i]);
    }
    else if (!std::strcmp(argv[i], "--mc-only"))
    {
      distance = false;
    }
    else if (!std::strcmp(argv[i], "--mask-only"))
    {
      distance = false;
      maskOnly = true;
    }
    else if (!std::strcmp(argv[i], "--distance-only"))
    {
      mc = false;
    }
  }
  if (mc)
  {
    BenchMc(size, 1000, 0.5, 20, maskOnly);
  }
  if (distance)
  {
    BenchDistance(points, triangles);
  }
  return 0;
}
