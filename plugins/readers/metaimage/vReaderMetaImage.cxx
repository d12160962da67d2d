// Reader plug-in: MetaImage volumes through VTK's vtkMetaImageReader.
#include "vReaderPluginContract.h"

#include <vtkImageData.h>
#include <vtkInformation.h>
#include <vtkMetaImageReader.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkStreamingDemandDrivenPipeline.h>

#include <algorithm>
#include <unistd.h>

#ifndef VEMORA_PLUGIN_EXT
#define VEMORA_PLUGIN_EXT "mha"
#endif

int GetDataType()
{
  return 8192;
}

const char* GetExt()
{
  return VEMORA_PLUGIN_EXT;
}

const char* GetDesc()
{
  return "MetaImage";
}

const char* GetVer()
{
  return "1.0.0.0";
}

const char* GetName()
{
  return "MetaImage Reader";
}

namespace
{
/**
 * Headers declare sizes before any voxel is read: a volume that would take more than half the
 * machine's memory is refused instead of being allocated.
 */
bool Affordable(vtkAlgorithm* reader)
{
  reader->UpdateInformation();
  vtkInformation* info = reader->GetOutputInformation(0);
  int extent[6];
  info->Get(vtkStreamingDemandDrivenPipeline::WHOLE_EXTENT(), extent);
  const int valueSize =
    std::max(1, vtkAbstractArray::GetDataTypeSize(vtkImageData::GetScalarType(info)));
  unsigned long long bytes = static_cast<unsigned long long>(valueSize) *
    static_cast<unsigned long long>(std::max(1, vtkImageData::GetNumberOfScalarComponents(info)));
  for (int i = 0; i < 3; ++i)
  {
    const long long n = static_cast<long long>(extent[2 * i + 1]) - extent[2 * i] + 1;
    if (n <= 0 || __builtin_mul_overflow(bytes, static_cast<unsigned long long>(n), &bytes))
    {
      return false;
    }
  }
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pages <= 0 || pageSize <= 0 ||
    bytes <= static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize) / 2;
}

vtkDataSet* ReadVolume(const char* path)
{
  vtkNew<vtkMetaImageReader> reader;
  if (!reader->CanReadFile(path))
  {
    return nullptr;
  }
  reader->SetFileName(path);
  if (!Affordable(reader))
  {
    return nullptr;
  }
  reader->Update();
  vtkImageData* output = reader->GetOutput();
  if (reader->GetErrorCode() != 0 || !output || output->GetNumberOfPoints() == 0 ||
    !output->GetPointData()->GetScalars())
  {
    return nullptr;
  }
  // A data set of its own, sharing the reader's voxels: nothing of this library is needed to keep
  // or free it.
  vtkImageData* image = vtkImageData::New();
  image->ShallowCopy(output);
  return image;
}
} // namespace

vtkDataSet* Read(const char* path)
{
  if (!path)
  {
    return nullptr;
  }
  try
  {
    return ReadVolume(path);
  }
  catch (...)
  {
    return nullptr; // nothing may leave a C function: a throw is a failed read
  }
}

void ReleaseMemory()
{
  // Nothing is kept between reads: the reader goes with each call.
}
