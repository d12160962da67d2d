// Reader plug-in: Polygon File Format models (".ply") through VTK's vtkPLYReader.
#include "vReaderPluginHelpers.h"

#include <vtkPLYReader.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

VEMORA_READER_PLUGIN_INFO(4096, "ply", "Polygon File Format", "1.0.0.0", "PLY Reader")

namespace
{
/**
 * The element counts of the header must fit in the file (every element takes at least one byte):
 * VTK's PLY reader allocates and loops over what the header declares.
 */
bool CountsFit(const char* path)
{
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in)
  {
    return false;
  }
  const unsigned long long size = static_cast<unsigned long long>(in.tellg());
  in.seekg(0);
  std::string line;
  for (int lines = 0; lines < 10000 && std::getline(in, line); ++lines)
  {
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "end_header")
    {
      return true;
    }
    if (word == "element")
    {
      std::string name;
      std::string count;
      words >> name >> count;
      char* end = nullptr;
      const unsigned long long n = std::strtoull(count.c_str(), &end, 10);
      if (count.empty() || count[0] == '-' || *end != '\0' || n > size)
      {
        return false;
      }
    }
  }
  return false;
}
} // namespace

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded([](const char* file) -> vtkDataSet*
    { return CountsFit(file) ? vReaderPluginHelpers::ReadModel<vtkPLYReader>(file) : nullptr; },
    path);
}
