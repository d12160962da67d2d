// The VRML part of the read helper (vreadhelper-vrml.so): VTK's VRML importer.
#include "vReadHelperParts.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkAlgorithm.h>
#include <vtkGeometryFilter.h>
#include <vtkMapper.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkRenderer.h>
#include <vtkVRMLImporter.h>

VEMORA_HELPER_PART_API vtkPolyData* vHelperVRMLRead(const char* path);

vtkPolyData* vHelperVRMLRead(const char* path)
{
  vtkNew<vtkVRMLImporter> importer;
  importer->SetFileName(path);
  importer->Read();
  vtkPolyData* model = vtkPolyData::New();
  vtkRenderer* renderer = importer->GetRenderer();
  vtkActorCollection* actors = renderer ? renderer->GetActors() : nullptr;
  vtkActor* first = nullptr;
  if (actors)
  {
    actors->InitTraversal();
    first = actors->GetNextActor();
  }
  vtkMapper* mapper = first ? first->GetMapper() : nullptr;
  if (mapper)
  {
    if (vtkAlgorithm* producer = mapper->GetInputAlgorithm())
    {
      producer->Update();
    }
    vtkDataSet* data = mapper->GetInput();
    if (auto* poly = vtkPolyData::SafeDownCast(data))
    {
      model->ShallowCopy(poly);
    }
    else if (data)
    {
      vtkNew<vtkGeometryFilter> surface;
      surface->SetInputData(data);
      surface->Update();
      model->ShallowCopy(surface->GetOutput());
    }
  }
  return model;
}
