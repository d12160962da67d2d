// Reader plug-in: Stereolithography models (".stl") through VTK's vtkSTLReader.
#include "vReaderPluginContract.h"

#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkSTLReader.h>

int GetDataType()
{
  return 4096;
}

const char* GetExt()
{
  return "stl";
}

const char* GetDesc()
{
  return "Stereolithography";
}

const char* GetVer()
{
  return "1.0.0.0";
}

const char* GetName()
{
  return "STL Reader";
}

namespace
{
vtkDataSet* ReadModel(const char* path)
{
  if (!path)
  {
    return nullptr;
  }
  vtkNew<vtkSTLReader> reader;
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
