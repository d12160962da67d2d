// Reader plug-in: Polygon File Format models (".ply") through VTK's vtkPLYReader.
#include "vReaderPluginContract.h"

#include <vtkNew.h>
#include <vtkPLYReader.h>
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

vtkDataSet* Read(const char* path)
{
  if (!path)
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
