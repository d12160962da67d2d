// A reader plug-in that lacks one of the describing exports ("GetName"): it must be ignored.
#include "vReaderPluginContract.h"

#include <vtkPolyData.h>

int GetDataType()
{
  return 4096;
}

const char* GetExt()
{
  return "nnm";
}

const char* GetDesc()
{
  return "No name";
}

const char* GetVer()
{
  return "0.0.0.1";
}

vtkDataSet* Read(const char*)
{
  return vtkPolyData::New();
}
