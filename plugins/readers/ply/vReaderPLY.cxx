// Reader plug-in: Polygon File Format models (".ply") through VTK's vtkPLYReader.
#include "vReaderPluginContract.h"

#include <vtkNew.h>
#include <vtkPLYReader.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vtkPolyData.h>

int GetDataType()
{
  return 4096;
}

const char* GetExt()
{
  return "ply";
}

const char* GetDesc()
{
  return "Polygon File Format";
}

const char* GetVer()
{
  return "1.0.0.0";
}

const char* GetName()
{
  return "PLY Reader";
}

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

namespace
{
vtkDataSet* ReadModel(const char* path)
{
  if (!path || !CountsFit(path))
  {
    return nullptr;
  }
  vtkNew<vtkPLYReader> reader;
  reader->SetFileName(path);
  reader->Update();
  vtkPolyData* output = reader->GetOutput();
  if (reader->GetErrorCode() != 0 || !output || output->GetNumberOfPoints() == 0)
  {
    return nullptr;
  }
  // A data set of its own, sharing the reader's arrays: nothing of this library is needed to
  // keep or free it.
  vtkPolyData* model = vtkPolyData::New();
  model->ShallowCopy(output);
  return model;
}
} // namespace

vtkDataSet* Read(const char* path)
{
  try
  {
    return ReadModel(path);
  }
  catch (...)
  {
    return nullptr; // nothing may leave a C function: a throw is a failed read
  }
}
