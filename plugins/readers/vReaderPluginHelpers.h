#ifndef vReaderPluginHelpers_h
#define vReaderPluginHelpers_h

// What every reader plug-in of this folder shares: the describing exports, a read that turns any
// exception into a failed read, and the reading of a model or a volume through one VTK reader
// class into a data set of its own. Header-only: each plug-in is one self-contained library.

#include "vReaderPluginContract.h"

#include <vtkAlgorithm.h>
#include <vtkImageData.h>
#include <vtkInformation.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkStreamingDemandDrivenPipeline.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

/** Defines the five describing exports of a plug-in. */
#define VEMORA_READER_PLUGIN_INFO(type, ext, desc, version, name)                                  \
  int GetDataType()                                                                                \
  {                                                                                                \
    return type;                                                                                   \
  }                                                                                                \
  const char* GetExt()                                                                             \
  {                                                                                                \
    return ext;                                                                                    \
  }                                                                                                \
  const char* GetDesc()                                                                            \
  {                                                                                                \
    return desc;                                                                                   \
  }                                                                                                \
  const char* GetVer()                                                                             \
  {                                                                                                \
    return version;                                                                                \
  }                                                                                                \
  const char* GetName()                                                                            \
  {                                                                                                \
    return name;                                                                                   \
  }

namespace vReaderPluginHelpers
{
/** Runs a read function so that nothing leaves the C export: a throw is a failed read. */
template <typename F>
vtkDataSet* Guarded(F&& read, const char* path)
{
  if (!path)
  {
    return nullptr;
  }
  try
  {
    return read(path);
  }
  catch (...)
  {
    return nullptr;
  }
}

/**
 * Headers declare sizes before any voxel is read: a volume that would take more than half the
 * machine's memory is refused instead of being allocated.
 */
inline bool VolumeFitsInMemory(vtkAlgorithm* reader)
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

/** The size of a regular file, or -1 (missing, a folder, a device). */
inline long long RegularFileSize(const std::string& path)
{
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
    ? static_cast<long long>(info.st_size)
    : -1;
}

/** The folder part of a path ("." when it has none), for data files named relative to a header. */
inline std::string FolderOf(const std::string& path)
{
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

/** `name` relative to the folder of `header` unless absolute. */
inline std::string BesideHeader(const std::string& header, const std::string& name)
{
  return !name.empty() && name[0] == '/' ? name : FolderOf(header) + "/" + name;
}

/** Trims blanks (and a carriage return) from both ends. */
inline std::string Trimmed(const std::string& text)
{
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos)
  {
    return std::string();
  }
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

/** `count` x `size` x ... without overflow; false when a factor is 0 or the product overflows. */
inline bool Product(const std::uint64_t* factors, int count, std::uint64_t& product)
{
  product = 1;
  for (int i = 0; i < count; ++i)
  {
    if (factors[i] == 0 || __builtin_mul_overflow(product, factors[i], &product))
    {
      return false;
    }
  }
  return true;
}

/**
 * Reads a volume with the VTK image reader `Reader`. The result is a data set of its own sharing
 * the reader's voxels, so nothing of the plug-in is needed to keep or free it.
 */
template <typename Reader>
vtkDataSet* ReadVolume(const char* path)
{
  vtkNew<Reader> reader;
  if (!reader->CanReadFile(path))
  {
    return nullptr;
  }
  reader->SetFileName(path);
  if (!VolumeFitsInMemory(reader))
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
  vtkImageData* image = vtkImageData::New();
  image->ShallowCopy(output);
  return image;
}

/** Reads a model with the VTK poly data reader `Reader`; as `ReadVolume`. */
template <typename Reader>
vtkDataSet* ReadModel(const char* path)
{
  vtkNew<Reader> reader;
  reader->SetFileName(path);
  reader->Update();
  vtkPolyData* output = reader->GetOutput();
  if (reader->GetErrorCode() != 0 || !output || output->GetNumberOfPoints() == 0)
  {
    return nullptr;
  }
  vtkPolyData* model = vtkPolyData::New();
  model->ShallowCopy(output);
  return model;
}
} // namespace vReaderPluginHelpers

#endif
