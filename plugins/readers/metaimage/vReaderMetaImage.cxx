// Reader plug-in: MetaImage volumes through VTK's vtkMetaImageReader. The library is built once
// per extension ("mha", "mhd"), which the build passes in as VEMORA_PLUGIN_EXT.
#include "vReaderPluginHelpers.h"

#include <vtkMetaImageReader.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#ifndef VEMORA_PLUGIN_EXT
#define VEMORA_PLUGIN_EXT "mha"
#endif

VEMORA_READER_PLUGIN_INFO(8192, VEMORA_PLUGIN_EXT, "MetaImage", "1.0.0.0", "MetaImage Reader")

namespace
{
constexpr int MaximumDimension = 3; // what vtkMetaImageReader turns into an image
constexpr int MaximumHeaderLines = 4096;

std::uint64_t ElementBytes(const std::string& type)
{
  static const std::pair<const char*, std::uint64_t> types[] = { { "MET_CHAR", 1 },
    { "MET_UCHAR", 1 },
    { "MET_SHORT", 2 },
    { "MET_USHORT", 2 },
    { "MET_INT", 4 },
    { "MET_UINT", 4 },
    { "MET_LONG", 4 },
    { "MET_ULONG", 4 },
    { "MET_LONG_LONG", 8 },
    { "MET_ULONG_LONG", 8 },
    { "MET_FLOAT", 4 },
    { "MET_DOUBLE", 8 } };
  for (const auto& entry : types)
  {
    if (type == entry.first)
    {
      return entry.second;
    }
  }
  return 0;
}

/**
 * The header must describe an image VTK's reader handles, and its data must be there: after the
 * header ("LOCAL") or in the data file, which must exist and, uncompressed, hold every voxel. VTK's
 * reader would otherwise hand back a volume it never filled.
 */
bool HeaderFits(const char* path)
{
  std::ifstream in(path, std::ios::binary);
  std::string line;
  int dimension = 0;
  std::uint64_t sizes[MaximumDimension] = { 0, 0, 0 };
  int sizeCount = 0;
  std::uint64_t element = 0;
  std::uint64_t channels = 1;
  long long headerSize = 0;
  bool compressed = false;
  std::string dataFile;
  for (int lines = 0; lines < MaximumHeaderLines && std::getline(in, line); ++lines)
  {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
    {
      continue;
    }
    const std::string key = vReaderPluginHelpers::Trimmed(line.substr(0, equals));
    const std::string value = vReaderPluginHelpers::Trimmed(line.substr(equals + 1));
    if (key == "NDims")
    {
      char* end = nullptr;
      const long n = std::strtol(value.c_str(), &end, 10);
      if (!end || *end != '\0' || n < 1 || n > MaximumDimension)
      {
        return false;
      }
      dimension = static_cast<int>(n);
    }
    else if (key == "DimSize")
    {
      std::istringstream words(value);
      std::string word;
      sizeCount = 0;
      while (words >> word)
      {
        char* end = nullptr;
        const long long n = std::strtoll(word.c_str(), &end, 10);
        if (sizeCount >= MaximumDimension || !end || *end != '\0' || n <= 0)
        {
          return false;
        }
        sizes[sizeCount++] = static_cast<std::uint64_t>(n);
      }
    }
    else if (key == "ElementType")
    {
      element = ElementBytes(value);
    }
    else if (key == "ElementNumberOfChannels")
    {
      const long long n = std::strtoll(value.c_str(), nullptr, 10);
      if (n <= 0 || n > 1024)
      {
        return false;
      }
      channels = static_cast<std::uint64_t>(n);
    }
    else if (key == "CompressedData")
    {
      compressed = value == "True" || value == "true" || value == "TRUE";
    }
    else if (key == "HeaderSize")
    {
      headerSize = std::strtoll(value.c_str(), nullptr, 10);
    }
    else if (key == "ElementDataFile")
    {
      dataFile = value; // always the last field of a header
      break;
    }
  }
  if (dimension == 0 || sizeCount != dimension || element == 0 || dataFile.empty())
  {
    return false;
  }
  std::uint64_t bytes = 0;
  if (!vReaderPluginHelpers::Product(sizes, sizeCount, bytes) ||
    __builtin_mul_overflow(bytes, element * channels, &bytes))
  {
    return false;
  }
  long long available = 0;
  if (dataFile == "LOCAL")
  {
    const long long start = static_cast<long long>(in.tellg());
    const long long size = vReaderPluginHelpers::RegularFileSize(path);
    if (start < 0 || size < start)
    {
      return false;
    }
    available = size - start;
  }
  else
  {
    // One data file; lists and numbered patterns of files are not read here.
    if (dataFile.compare(0, 4, "LIST") == 0 || dataFile.find('%') != std::string::npos ||
      dataFile.find(' ') != std::string::npos)
    {
      return false;
    }
    available =
      vReaderPluginHelpers::RegularFileSize(vReaderPluginHelpers::BesideHeader(path, dataFile));
    if (available < 0)
    {
      return false;
    }
  }
  if (compressed)
  {
    return available > 0;
  }
  // HeaderSize -1: the data are the file's last bytes.
  const std::uint64_t skip = headerSize > 0 ? static_cast<std::uint64_t>(headerSize) : 0;
  return static_cast<std::uint64_t>(available) >= bytes + skip;
}
} // namespace

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded(
    [](const char* file) -> vtkDataSet* {
      return HeaderFits(file) ? vReaderPluginHelpers::ReadVolume<vtkMetaImageReader>(file)
                              : nullptr;
    },
    path);
}

void ReleaseMemory()
{
  // Nothing is kept between reads: the reader goes with each call.
}
