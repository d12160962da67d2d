// Fuzz target of the file reader on one foreign format (VEMORA_FUZZ_EXT: "ply", "stl", "nii",
// "mhd", "nrrd") or on a DICOM series folder (VEMORA_FUZZ_SERIES): the bytes become a file (or the
// files of a folder, split at "VSLICE::"), which the file reader reads as the workstation does,
// through the reader plug-ins of the installation folder and the read helper.
//
// Besides not crashing or hanging, a read must keep its promises: a success gives a data set of
// the format's kind whose arrays fit it (every voxel of a volume has a value, every cell names a
// point the model has); a failure keeps the previous output.
#include "vFileReader.h"
#include "vFuzzInput.h"
#include "vReadIsolation.h"

#include <vtkCellArray.h>
#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
/** A folder of this process for the inputs, with a 4 KiB "v.raw" for detached headers to name. */
const std::string& Folder()
{
  static const std::string folder = []()
  {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vFuzzReader-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const char* made = mkdtemp(name.data());
    std::string path = made ? made : "/tmp";
    if (FILE* raw = std::fopen((path + "/v.raw").c_str(), "wb"))
    {
      for (int i = 0; i < 4096; ++i)
      {
        std::fputc(i * 37 & 0xff, raw);
      }
      std::fclose(raw);
    }
    // Reads that hang are killed after a few seconds, not the workstation's minutes.
    vReadIsolation::SetTimeLimit(5.0);
    return path;
  }();
  return folder;
}

void Check(bool promise)
{
  if (!promise)
  {
    std::abort();
  }
}

void CheckOutput(vFileReader& reader)
{
  vtkDataSet* output = reader.GetOutput();
  Check(output != nullptr);
  if (auto* image = vtkImageData::SafeDownCast(output))
  {
    Check(reader.GetOutputType() == vFileReader::ImageVolume);
    vtkDataArray* scalars = image->GetPointData()->GetScalars();
    Check(scalars && scalars->GetNumberOfTuples() == image->GetNumberOfPoints());
    // Every voxel is readable.
    volatile double sum = 0;
    const vtkIdType count = scalars->GetNumberOfTuples();
    for (vtkIdType i = 0; i < count; i += 4096)
    {
      sum = sum + scalars->GetComponent(i, 0);
    }
    sum = sum + scalars->GetComponent(count - 1, 0);
    return;
  }
  auto* model = vtkPolyData::SafeDownCast(output);
  Check(model != nullptr && model->GetNumberOfPoints() > 0);
  const vtkIdType points = model->GetNumberOfPoints();
  vtkCellArray* arrays[4] = {
    model->GetVerts(), model->GetLines(), model->GetPolys(), model->GetStrips()
  };
  for (vtkCellArray* cells : arrays)
  {
    if (!cells)
    {
      continue;
    }
    vtkDataArray* connectivity = cells->GetConnectivityArray();
    for (vtkIdType i = 0; i < connectivity->GetNumberOfValues(); ++i)
    {
      const double id = connectivity->GetComponent(i, 0);
      Check(id >= 0 && id < points);
    }
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static vFileReader reader;
  const std::string& folder = Folder();
#ifdef VEMORA_FUZZ_SERIES
  // The slices of a series folder, separated by "VSLICE::" (at most 8).
  const std::string series = folder + "/series";
  ::mkdir(series.c_str(), 0700);
  const char marker[] = "VSLICE::";
  size_t start = 0;
  int slice = 0;
  while (slice < 8)
  {
    const uint8_t* next = nullptr;
    for (size_t i = start; i + 8 <= size; ++i)
    {
      if (std::memcmp(data + i, marker, 8) == 0)
      {
        next = data + i;
        break;
      }
    }
    const size_t end = next ? static_cast<size_t>(next - data) : size;
    if (!vWriteFuzzInput(series + "/IM" + std::to_string(slice++), data + start, end - start) ||
      !next)
    {
      break;
    }
    start = end + 8;
  }
  for (int rest = slice; rest < 8; ++rest)
  {
    std::remove((series + "/IM" + std::to_string(rest)).c_str());
  }
  const std::string& path = series;
#else
  const std::string path = folder + "/input." VEMORA_FUZZ_EXT;
  if (!vWriteFuzzInput(path, data, size))
  {
    return 0;
  }
#endif
  vtkDataSet* previous = reader.GetOutput();
  reader.SetFilename(path);
  if (reader.Read() == 1)
  {
    CheckOutput(reader);
  }
  else
  {
    Check(reader.GetOutput() == previous);
  }
  return 0;
}
