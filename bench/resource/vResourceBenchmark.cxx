// Removal from a full model collection, single-voxel queries and vector file round trips, each
// next to the plain way of doing the same work, measured in the same run. After its timing every
// benchmark checks its output against what the other way gives (the models left, the sum of the
// voxels read, the values read back); a mismatch marks it as an error and the program exits with 1.
#include "vDataResource.h"
#include "vVector.h"
#include "vVolumeResource.h"

#include <vtkCellArray.h>
#include <vtkDataArray.h>
#include <vtkIdTypeArray.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

// Google Benchmark's `for (auto _ : state)` loop variable is never read by design.
// NOLINTBEGIN(clang-analyzer-deadcode.DeadStores)
namespace
{
/** Set when a benchmark's output differs from the other way's: the program then exits with 1. */
bool OutputsDiffer = false;

void Fail(benchmark::State& state, const char* message)
{
  OutputsDiffer = true;
  state.SkipWithError(message);
}

vtkSmartPointer<vtkPolyData> Sphere(int resolution)
{
  vtkNew<vtkSphereSource> source;
  source->SetThetaResolution(resolution);
  source->SetPhiResolution(resolution);
  source->Update();
  return source->GetOutput();
}

/** The same points (bit for bit) and the same polygons. */
bool SameModel(vtkPolyData* a, vtkPolyData* b)
{
  if (!a || !b || a->GetNumberOfPoints() != b->GetNumberOfPoints() ||
    a->GetNumberOfCells() != b->GetNumberOfCells() ||
    a->GetPoints()->GetDataType() != b->GetPoints()->GetDataType())
  {
    return false;
  }
  vtkDataArray* pa = a->GetPoints()->GetData();
  vtkDataArray* pb = b->GetPoints()->GetData();
  const size_t bytes = static_cast<size_t>(pa->GetNumberOfValues()) * pa->GetDataTypeSize();
  if (std::memcmp(pa->GetVoidPointer(0), pb->GetVoidPointer(0), bytes) != 0)
  {
    return false;
  }
  vtkNew<vtkIdTypeArray> ca;
  vtkNew<vtkIdTypeArray> cb;
  a->GetPolys()->ExportLegacyFormat(ca);
  b->GetPolys()->ExportLegacyFormat(cb);
  return ca->GetNumberOfValues() == cb->GetNumberOfValues() &&
    std::memcmp(ca->GetVoidPointer(0),
      cb->GetVoidPointer(0),
      static_cast<size_t>(ca->GetNumberOfValues()) * sizeof(vtkIdType)) == 0;
}

/** After removing the first of 128 copies of `model`: 127 places, each holding the model. */
template <typename Get>
bool LeftModels(int count, Get get, vtkPolyData* model)
{
  if (count != vResource::MaxNumberOfItems - 1)
  {
    return false;
  }
  for (int i = 0; i < count; ++i)
  {
    if (!SameModel(get(i), model))
    {
      return false;
    }
  }
  return true;
}

// Removing item 0 of a collection of 128 models of about 20,000 points each.
void BM_RemoveFirstOfFullCollection(benchmark::State& state)
{
  auto model = Sphere(100);
  std::unique_ptr<vDataResource> models;
  for (auto _ : state)
  {
    state.PauseTiming();
    models = std::make_unique<vDataResource>(); // the previous one is freed outside the timing
    for (int i = 0; i < vResource::MaxNumberOfItems; ++i)
    {
      models->AddData(model);
    }
    state.ResumeTiming();
    models->RemoveItem(0);
    benchmark::DoNotOptimize(models->GetData(0));
  }
  // What the shifting baseline leaves: every place but the last holds the model.
  if (models &&
    !LeftModels(
      models->GetNumberOfItems(),
      [&](int i) { return vtkPolyData::SafeDownCast(models->GetData(i)); },
      model))
  {
    Fail(state, "the collection left is not the baseline's");
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
  int left = 0;
  while (left < vResource::MaxNumberOfItems && table[left])
  {
    ++left;
  }
  if (!LeftModels(
        left, [&](int i) { return table[i].Get(); }, model))
  {
    Fail(state, "the table left does not hold the model in every place but the last");
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

/** The sum of the 4096 voxels that both voxel benchmarks read, read by `voxel(x, y, z)`. */
template <typename Voxel>
double SumOfQueries(Voxel voxel)
{
  double sum = 0;
  for (int k = 0; k < 4096; ++k)
  {
    sum += voxel((k * 7) % 128, (k * 13) % 128, (k * 31) % 128);
  }
  return sum;
}

// 4096 voxel queries spread over a 128^3 volume.
void BM_VoxelIntensity(benchmark::State& state)
{
  vVolumeResource volumes;
  volumes.AddData(Volume(128));
  double sum = 0;
  for (auto _ : state)
  {
    sum = 0;
    for (int k = 0; k < 4096; ++k)
    {
      sum += volumes.GetVoxelIntensity(0, (k * 7) % 128, (k * 13) % 128, (k * 31) % 128);
    }
    benchmark::DoNotOptimize(sum);
  }
  auto image = Volume(128);
  if (sum !=
    SumOfQueries(
      [&](int x, int y, int z) { return image->GetScalarComponentAsDouble(x, y, z, 0); }))
  {
    Fail(state, "the voxels read differ from vtkImageData's");
  }
}
BENCHMARK(BM_VoxelIntensity)->Unit(benchmark::kMicrosecond);

void BM_VoxelIntensityByScalarComponent(benchmark::State& state)
{
  auto image = Volume(128);
  double sum = 0;
  for (auto _ : state)
  {
    sum = 0;
    for (int k = 0; k < 4096; ++k)
    {
      sum += image->GetScalarComponentAsDouble((k * 7) % 128, (k * 13) % 128, (k * 31) % 128, 0);
    }
    benchmark::DoNotOptimize(sum);
  }
  vVolumeResource volumes;
  volumes.AddData(image);
  if (sum !=
    SumOfQueries([&](int x, int y, int z) { return volumes.GetVoxelIntensity(0, x, y, z); }))
  {
    Fail(state, "the voxels read differ from the volume resource's");
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
  // The plain read gives back exactly the values written: so must the vector.
  if (vector.GetDataSizeInBytes() != values.size() * sizeof(double) || !vector.GetDataPointer() ||
    std::memcmp(vector.GetDataPointer(), values.data(), values.size() * sizeof(double)) != 0)
  {
    Fail(state, "the values read back differ from those written");
  }
}
BENCHMARK(BM_VectorWriteRead)->Unit(benchmark::kMillisecond);

// Baseline: one fwrite straight into the file and one fread back into a new buffer (no
// temporary file, no checks); both sides flush the file to disk.
void BM_PlainFileWriteRead(benchmark::State& state)
{
  const int n = 256;
  std::vector<double> values(static_cast<size_t>(n) * n * n, 1.5);
  void* last = nullptr; // the values read by the last round, checked after the timing
  size_t lastGot = 0;
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
    std::free(last); // one buffer freed per round, as before
    last = back;
    lastGot = got;
  }
  std::remove(TempPath().c_str());
  if (last &&
    (lastGot != values.size() ||
      std::memcmp(last, values.data(), values.size() * sizeof(double)) != 0))
  {
    Fail(state, "the values read back differ from those written");
  }
  std::free(last);
}
BENCHMARK(BM_PlainFileWriteRead)->Unit(benchmark::kMillisecond);
} // namespace
// NOLINTEND(clang-analyzer-deadcode.DeadStores)

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
  {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (OutputsDiffer)
  {
    std::fprintf(stderr, "outputs differ from the baselines' (see the errors above)\n");
  }
  return OutputsDiffer ? 1 : 0;
}
