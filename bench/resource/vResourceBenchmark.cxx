// Removal from a full model collection, single-voxel queries and vector file round trips, each
// next to the plain way of doing the same work, measured in the same run.
#include "vDataResource.h"
#include "vVector.h"
#include "vVolumeResource.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

// Google Benchmark's `for (auto _ : state)` loop variable is never read by design.
// NOLINTBEGIN(clang-analyzer-deadcode.DeadStores)
namespace
{
vtkSmartPointer<vtkPolyData> Sphere(int resolution)
{
  vtkNew<vtkSphereSource> source;
  source->SetThetaResolution(resolution);
  source->SetPhiResolution(resolution);
  source->Update();
  return source->GetOutput();
}

// Removing item 0 of a collection of 128 models of about 20,000 points each.
void BM_RemoveFirstOfFullCollection(benchmark::State& state)
{
  auto model = Sphere(100);
  std::unique_ptr<vDataResource> models;
  for (auto _ : state)
  {
    state.PauseTiming();
    models.reset(new vDataResource); // the previous collection is freed outside the timing
    for (int i = 0; i < vResource::MaxNumberOfItems; ++i)
    {
      models->AddData(model);
    }
    state.ResumeTiming();
    models->RemoveItem(0);
    benchmark::DoNotOptimize(models->GetData(0));
  }
}
BENCHMARK(BM_RemoveFirstOfFullCollection)->Unit(benchmark::kMillisecond);

// Baseline: the removal that gives every later item a fresh deep copy one place lower.
void BM_RemoveFirstByDeepCopyShift(benchmark::State& state)
{
  auto model = Sphere(100);
  std::array<vtkSmartPointer<vtkPolyData>, vResource::MaxNumberOfItems> table;
  for (auto _ : state)
  {
    state.PauseTiming();
    for (auto& entry : table)
    {
      entry = vtkSmartPointer<vtkPolyData>::New();
      entry->DeepCopy(model);
    }
    state.ResumeTiming();
    for (int j = 1; j < vResource::MaxNumberOfItems; ++j)
    {
      auto copy = vtkSmartPointer<vtkPolyData>::New();
      copy->DeepCopy(table[j]);
      table[j - 1] = copy;
    }
    table.back() = nullptr;
    benchmark::DoNotOptimize(table[0].Get());
  }
}
BENCHMARK(BM_RemoveFirstByDeepCopyShift)->Unit(benchmark::kMillisecond);

vtkSmartPointer<vtkImageData> Volume(int n)
{
  auto image = vtkSmartPointer<vtkImageData>::New();
  image->SetDimensions(n, n, n);
  image->AllocateScalars(VTK_SHORT, 1);
  auto* values = static_cast<short*>(image->GetScalarPointer());
  for (vtkIdType i = 0; i < static_cast<vtkIdType>(n) * n * n; ++i)
  {
    values[i] = static_cast<short>(i % 4096);
  }
  return image;
}

// 4096 voxel queries spread over a 128^3 volume.
void BM_VoxelIntensity(benchmark::State& state)
{
  vVolumeResource volumes;
  volumes.AddData(Volume(128));
  for (auto _ : state)
  {
    double sum = 0;
    for (int k = 0; k < 4096; ++k)
    {
      sum += volumes.GetVoxelIntensity(0, (k * 7) % 128, (k * 13) % 128, (k * 31) % 128);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_VoxelIntensity)->Unit(benchmark::kMicrosecond);

void BM_VoxelIntensityByScalarComponent(benchmark::State& state)
{
  auto image = Volume(128);
  for (auto _ : state)
  {
    double sum = 0;
    for (int k = 0; k < 4096; ++k)
    {
      sum += image->GetScalarComponentAsDouble((k * 7) % 128, (k * 13) % 128, (k * 31) % 128, 0);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_VoxelIntensityByScalarComponent)->Unit(benchmark::kMicrosecond);

// Writing and reading back a 256^3 volume of doubles (128 MiB).
std::string TempPath()
{
  return "/tmp/vemora-bench-" + std::to_string(getpid()) + ".raw";
}

void BM_VectorWriteRead(benchmark::State& state)
{
  const int n = 256;
  std::vector<double> values(static_cast<size_t>(n) * n * n, 1.5);
  vVector vector;
  vector.SetDimensions(n, n, n);
  vector.SetDataType(vVector::Double);
  vector.SetDataFromDouble(values.data());
  vector.SetFilename(TempPath());
  for (auto _ : state)
  {
    vector.Write();
    vector.Read();
    benchmark::DoNotOptimize(vector.GetDataPointer());
  }
  std::remove(TempPath().c_str());
}
BENCHMARK(BM_VectorWriteRead)->Unit(benchmark::kMillisecond);

// Baseline: one fwrite straight into the file and one fread back into a new buffer (no
// temporary file, no checks); both sides flush the file to disk.
void BM_PlainFileWriteRead(benchmark::State& state)
{
  const int n = 256;
  std::vector<double> values(static_cast<size_t>(n) * n * n, 1.5);
  for (auto _ : state)
  {
    FILE* out = std::fopen(TempPath().c_str(), "wb");
    std::fwrite(values.data(), sizeof(double), values.size(), out);
    std::fflush(out);
    fsync(fileno(out));
    std::fclose(out);
    FILE* in = std::fopen(TempPath().c_str(), "rb");
    void* back = std::malloc(values.size() * sizeof(double));
    size_t got = std::fread(back, sizeof(double), values.size(), in);
    std::fclose(in);
    benchmark::DoNotOptimize(got);
    std::free(back);
  }
  std::remove(TempPath().c_str());
}
BENCHMARK(BM_PlainFileWriteRead)->Unit(benchmark::kMillisecond);
} // namespace
// NOLINTEND(clang-analyzer-deadcode.DeadStores)

BENCHMARK_MAIN();
