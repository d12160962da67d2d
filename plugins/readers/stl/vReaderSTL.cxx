// Reader plug-in: Stereolithography models (".stl") through VTK's vtkSTLReader.
#include "vReaderPluginHelpers.h"

#include <vtkSTLReader.h>

#include <cctype>
#include <cstring>
#include <fstream>

VEMORA_READER_PLUGIN_INFO(4096, "stl", "Stereolithography", "1.0.0.0", "STL Reader")

namespace
{
constexpr std::uint64_t BinaryHeaderBytes = 84; // 80 bytes of text, the triangle count
constexpr std::uint64_t BinaryTriangleBytes = 50;

/** True when the start of the file reads as ASCII STL: "solid" and text only. */
bool LooksLikeText(const unsigned char* bytes, std::size_t size)
{
  std::size_t i = 0;
  while (i < size && std::isspace(bytes[i]))
  {
    ++i;
  }
  if (size - i < 5 || std::memcmp(bytes + i, "solid", 5) != 0)
  {
    return false;
  }
  for (; i < size; ++i)
  {
    if (bytes[i] > 127 || (bytes[i] < 32 && !std::isspace(bytes[i])))
    {
      return false;
    }
  }
  return true;
}

/**
 * A binary file must hold the triangles its count declares: VTK's reader reads what is there and
 * says nothing of the rest. Text files are left to the reader.
 */
bool CountFits(const char* path)
{
  const long long size = vReaderPluginHelpers::RegularFileSize(path);
  std::ifstream in(path, std::ios::binary);
  unsigned char head[512];
  in.read(reinterpret_cast<char*>(head), sizeof(head));
  const std::size_t got = static_cast<std::size_t>(in.gcount());
  if (size < 0 || got == 0)
  {
    return false;
  }
  if (got >= BinaryHeaderBytes)
  {
    const std::uint64_t count = std::uint64_t(head[80]) | std::uint64_t(head[81]) << 8 |
      std::uint64_t(head[82]) << 16 | std::uint64_t(head[83]) << 24;
    const std::uint64_t needed = BinaryHeaderBytes + count * BinaryTriangleBytes;
    if (needed == static_cast<std::uint64_t>(size))
    {
      return true; // exactly a binary file
    }
    if (LooksLikeText(head, got))
    {
      return true;
    }
    return count > 0 && needed <= static_cast<std::uint64_t>(size);
  }
  return LooksLikeText(head, got);
}
} // namespace

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded([](const char* file) -> vtkDataSet*
    { return CountFits(file) ? vReaderPluginHelpers::ReadModel<vtkSTLReader>(file) : nullptr; },
    path);
}
