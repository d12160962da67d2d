// A complete reader plug-in that declares models ("wkd") but returns an image volume, or nothing
// for a path that ends in "none.wkd".
#include "vReaderPluginContract.h"

#include <vtkImageData.h>

#include <cstring>

int GetDataType()
{
  return 4096;
}

const char* GetExt()
{
  return "wkd";
}

const char* GetDesc()
{
  return "Wrong kind";
}

const char* GetVer()
{
  return "0.0.0.2";
}

const char* GetName()
{
  return "Wrong Kind Reader";
}

vtkDataSet* Read(const char* path)
{
  const size_t length = path ? std::strlen(path) : 0;
  if (length >= 8 && std::strcmp(path + length - 8, "none.wkd") == 0)
  {
    return nullptr;
  }
  vtkImageData* image = vtkImageData::New();
  image->SetDimensions(2, 2, 2);
  image->AllocateScalars(VTK_UNSIGNED_CHAR, 1);
  return image;
}
