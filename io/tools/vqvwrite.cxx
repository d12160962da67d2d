// vqvwrite: makes QV volume files, for tests, benchmarks and demo data.
//
//   vqvwrite OUT.qv --size X Y Z [--spacing SX SY SZ] [--pattern zero|ramp|sphere]
//   vqvwrite OUT.qv --from INPUT
//
// The first form makes a synthetic volume: "ramp" (the default) gives voxel i the value i modulo
// 4096, "sphere" a bright ball (1000) in a dark box (0), "zero" an empty volume. The second form
// converts any volume the workstation reads (DICOM file or series folder, QV, a VTK volume, or a
// format of the installed reader plug-ins). The file is written whole or not at all.
#include "vFileReader.h"
#include "vQVFile.h"

#include <vtkImageData.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
int Usage()
{
  std::fprintf(stderr,
    "usage: vqvwrite OUT.qv --size X Y Z [--spacing SX SY SZ] [--pattern zero|ramp|sphere]\n"
    "       vqvwrite OUT.qv --from INPUT\n");
  return 2;
}

bool ParseInt(const char* text, int32_t& value)
{
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!end || *end != '\0' || v <= 0 || v > 0x7FFFFFFF)
  {
    return false;
  }
  value = static_cast<int32_t>(v);
  return true;
}

bool ParseDouble(const char* text, double& value)
{
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end && *end == '\0';
}
} // namespace

int main(int argc, char** argv)
{
  if (argc < 3)
  {
    return Usage();
  }
  const std::string output = argv[1];
  std::string error;
  if (std::strcmp(argv[2], "--from") == 0)
  {
    if (argc != 4)
    {
      return Usage();
    }
    vFileReader reader;
    reader.SetFilename(argv[3]);
    if (!reader.Read() || reader.GetOutputType() != vFileReader::ImageVolume)
    {
      std::fprintf(stderr,
        "vqvwrite: cannot read a volume from %s %s\n",
        argv[3],
        reader.GetErrorMessage().c_str());
      return 1;
    }
    if (!vQVFile::Write(output, vtkImageData::SafeDownCast(reader.GetOutput()), error))
    {
      std::fprintf(stderr, "vqvwrite: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }

  tagQVHEADER header;
  std::string pattern = "ramp";
  bool sized = false;
  for (int i = 2; i < argc; ++i)
  {
    if (std::strcmp(argv[i], "--size") == 0 && i + 3 < argc)
    {
      for (int k = 0; k < 3; ++k)
      {
        if (!ParseInt(argv[++i], header.Size[k]))
        {
          return Usage();
        }
      }
      sized = true;
    }
    else if (std::strcmp(argv[i], "--spacing") == 0 && i + 3 < argc)
    {
      for (int k = 0; k < 3; ++k)
      {
        if (!ParseDouble(argv[++i], header.Spacing[k]))
        {
          return Usage();
        }
      }
    }
    else if (std::strcmp(argv[i], "--pattern") == 0 && i + 1 < argc)
    {
      pattern = argv[++i];
    }
    else
    {
      return Usage();
    }
  }
  if (!sized || (pattern != "zero" && pattern != "ramp" && pattern != "sphere"))
  {
    return Usage();
  }
  const size_t nx = header.Size[0];
  const size_t ny = header.Size[1];
  const size_t nz = header.Size[2];
  size_t count = 0;
  if (__builtin_mul_overflow(nx * ny, nz, &count) || count > (size_t(1) << 33))
  {
    std::fprintf(stderr, "vqvwrite: volume too large\n");
    return 1;
  }
  std::vector<uint32_t> voxels(count, 0);
  if (pattern == "ramp")
  {
    for (size_t i = 0; i < count; ++i)
    {
      voxels[i] = static_cast<uint32_t>(i % 4096);
    }
  }
  else if (pattern == "sphere")
  {
    const double r = 0.4 * std::min(nx, std::min(ny, nz));
    for (size_t z = 0; z < nz; ++z)
    {
      for (size_t y = 0; y < ny; ++y)
      {
        for (size_t x = 0; x < nx; ++x)
        {
          double dx = x - (nx - 1) / 2.0;
          double dy = y - (ny - 1) / 2.0;
          double dz = z - (nz - 1) / 2.0;
          voxels[(z * ny + y) * nx + x] = dx * dx + dy * dy + dz * dz <= r * r ? 1000 : 0;
        }
      }
    }
  }
  if (!vQVFile::Write(output, header, voxels.data(), error))
  {
    std::fprintf(stderr, "vqvwrite: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
