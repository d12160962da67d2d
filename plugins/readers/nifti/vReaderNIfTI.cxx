// Reader plug-in: NIfTI-1 image volumes through VTK's vtkNIFTIImageReader.
#include "vReaderPluginContract.h"

#include <vtkImageData.h>
#include <vtkNIFTIImageReader.h>
#include <vtkNew.h>
#include <vtkPointData.h>

#ifndef VEMORA_PLUGIN_EXT
#define VEMORA_PLUGIN_EXT "nii"
#endif

int GetDataType()
{
  return 8192;
}

const char* GetExt()
{
  return VEMORA_PLUGIN_EXT;
}

const char* GetDesc()
{
  return "NIfTI-1 image";
}

const char* GetVer()
{
  return "1.0.0.0";
}

const char* GetName()
{
  return "NIfTI Reader";
}

vtkDataSet* Read(const char* path)
{
  if (!path)
  {
    return nullptr;
  }
  vtkNew<vtkNIFTIImageReader> reader;
  if (!reader->CanReadFile(path))
  {
    return nullptr;
  }
  reader->SetFileName(path);
  reader->Update();
  vtkImageData* output = reader->GetOutput();
  if (reader->GetErrorCode() != 0 || !output || output->GetNumberOfPoints() == 0 ||
    !output->GetPointData()->GetScalars())
  {
    return nullptr;
  }
  // A data set of its own, sharing the reader's voxels: nothing of this library is needed to keep
  // or free it.
  vtkImageData* image = vtkImageData::New();
  image->ShallowCopy(output);
  return image;
}

void ReleaseMemory()
{
  // Nothing is kept between reads: the reader goes with each call.
}
