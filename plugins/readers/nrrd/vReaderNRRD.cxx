// Reader plug-in: Nearly Raw Raster Data volumes through VTK's vtkNrrdReader.
#include "vReaderPluginHelpers.h"

#include <vtkNrrdReader.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

VEMORA_READER_PLUGIN_INFO(8192, "nrrd", "Nearly Raw Raster Data", "1.0.0.0", "NRRD Reader")

namespace
{
constexpr int MaximumDimension = 4; // vtkNrrdReader reads up to 3 axes and one of components
constexpr int MaximumHeaderLines = 4096;

/** Bytes of one sample of a NRRD type name; 0 when unknown. */
std::uint64_t SampleBytes(const std::string& type)
{
  static const std::pair<const char*, std::uint64_t> types[] = { { "signed char", 1 },
    { "int8", 1 },
    { "int8_t", 1 },
    { "uchar", 1 },
    { "unsigned char", 1 },
    { "uint8", 1 },
    { "uint8_t", 1 },
    { "short", 2 },
    { "short int", 2 },
    { "signed short", 2 },
    { "signed short int", 2 },
    { "int16", 2 },
    { "int16_t", 2 },
    { "ushort", 2 },
    { "unsigned short", 2 },
    { "unsigned short int", 2 },
    { "uint16", 2 },
    { "uint16_t", 2 },
    { "int", 4 },
    { "signed int", 4 },
    { "int32", 4 },
    { "int32_t", 4 },
    { "uint", 4 },
    { "unsigned int", 4 },
    { "uint32", 4 },
    { "uint32_t", 4 },
    { "longlong", 8 },
    { "long long", 8 },
    { "long long int", 8 },
    { "signed long long", 8 },
    { "signed long long int", 8 },
    { "int64", 8 },
    { "int64_t", 8 },
    { "ulonglong", 8 },
    { "unsigned long long", 8 },
    { "unsigned long long int", 8 },
    { "uint64", 8 },
    { "uint64_t", 8 },
    { "float", 4 },
    { "double", 8 },
    { "char", 1 },
    { "schar", 1 } };
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
 * The header must describe what VTK's reader handles (1 to 4 axes, every size given and > 0) and
 * its raw data must be there: in the file after the header, or in the detached data file, which
 * must exist. VTK's reader would otherwise hand back a volume it never filled.
 */
bool HeaderFits(const char* path)
{
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line.compare(0, 4, "NRRD") != 0)
  {
    return false;
  }
  int dimension = 0;
  std::uint64_t sizes[MaximumDimension] = { 0, 0, 0, 0 };
  int sizeCount = 0;
  std::uint64_t sample = 0;
  std::string encoding = "raw";
  std::string dataFile;
  long long byteSkip = 0;
  long long lineSkip = 0;
  bool ended = false;
  for (int lines = 0; lines < MaximumHeaderLines && std::getline(in, line); ++lines)
  {
    if (!line.empty() && line.back() == '\r')
    {
      line.pop_back();
    }
    if (line.empty())
    {
      ended = true;
      break;
    }
    if (line[0] == '#')
    {
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos)
    {
      continue;
    }
    const std::string key = vReaderPluginHelpers::Trimmed(line.substr(0, colon));
    std::string value = line.substr(colon + 1);
    if (!value.empty() && value[0] == '=')
    {
      continue; // a key/value pair, not a field
    }
    value = vReaderPluginHelpers::Trimmed(value);
    if (key == "dimension")
    {
      char* end = nullptr;
      const long n = std::strtol(value.c_str(), &end, 10);
      if (!end || *end != '\0' || n < 1 || n > MaximumDimension)
      {
        return false;
      }
      dimension = static_cast<int>(n);
    }
    else if (key == "sizes")
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
    else if (key == "type")
    {
      sample = SampleBytes(value);
    }
    else if (key == "encoding")
    {
      encoding = value;
    }
    else if (key == "data file" || key == "datafile")
    {
      dataFile = value;
    }
    else if (key == "byte skip" || key == "byteskip")
    {
      byteSkip = std::strtoll(value.c_str(), nullptr, 10);
    }
    else if (key == "line skip" || key == "lineskip")
    {
      lineSkip = std::strtoll(value.c_str(), nullptr, 10);
    }
  }
  if (dimension == 0 || sizeCount != dimension || sample == 0)
  {
    return false;
  }
  std::uint64_t bytes = 0;
  if (!vReaderPluginHelpers::Product(sizes, sizeCount, bytes) ||
    __builtin_mul_overflow(bytes, sample, &bytes))
  {
    return false;
  }
  const bool raw = encoding == "raw";
  if (!dataFile.empty())
  {
    // One detached file; the lists and numbered patterns of the format are not read here.
    if (dataFile.find(' ') != std::string::npos || dataFile.compare(0, 4, "LIST") == 0)
    {
      return false;
    }
    const long long size =
      vReaderPluginHelpers::RegularFileSize(vReaderPluginHelpers::BesideHeader(path, dataFile));
    if (size < 0)
    {
      return false;
    }
    return !raw ||
      (lineSkip == 0 && byteSkip >= 0 &&
        static_cast<std::uint64_t>(size) >= bytes + static_cast<std::uint64_t>(byteSkip));
  }
  if (!ended)
  {
    return false;
  }
  const long long start = static_cast<long long>(in.tellg());
  const long long size = vReaderPluginHelpers::RegularFileSize(path);
  return start >= 0 && size >= start && (!raw || static_cast<std::uint64_t>(size - start) >= bytes);
}
} // namespace

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded([](const char* file) -> vtkDataSet*
    { return HeaderFits(file) ? vReaderPluginHelpers::ReadVolume<vtkNrrdReader>(file) : nullptr; },
    path);
}

void ReleaseMemory()
{
  // Nothing is kept between reads: the reader goes with each call.
}
