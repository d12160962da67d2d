// An example data source for the Hard folder: a "live" sphere whose radius swings with the frame
// number, as a probe tracked by a real device would move.
#include "vDataSourceContract.h"
#include "vModuleContract.h" // for VEMORA_PLUGIN_EXPORT

#include <vtkPolyData.h>
#include <vtkSphereSource.h>

VEMORA_PLUGIN_EXPORT int GetDataType()
{
  return 16; // a surface mesh
}

VEMORA_PLUGIN_EXPORT const char* GetDesc()
{
  return "Example source: a sphere that breathes with the frame number";
}

VEMORA_PLUGIN_EXPORT const char* GetName()
{
  return "Ticker";
}

VEMORA_PLUGIN_EXPORT const char* GetVer()
{
  return "1.0.0";
}

/** A new mesh for a frame (the caller owns it and releases it with Delete). */
VEMORA_PLUGIN_EXPORT vtkDataSet* Acquire(int frame)
{
  vtkSphereSource* sphere = vtkSphereSource::New();
  sphere->SetRadius(10.0 + (frame % 10));
  sphere->Update();
  vtkPolyData* mesh = vtkPolyData::New();
  mesh->DeepCopy(sphere->GetOutput()); // owned by nothing of this library once returned
  sphere->Delete();
  return mesh;
}
