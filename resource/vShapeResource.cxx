#include "vShapeResource.h"

#include <vtkActor2DCollection.h>
#include <vtkActorCollection.h>

vShapeResource::vShapeResource()
  : Output(vtkSmartPointer<vtkActorCollection>::New())
{
  this->SetName("shaperesource");
}

vShapeResource::~vShapeResource() = default;

void vShapeResource::Read() {}

void vShapeResource::Write() {}

void vShapeResource::AddInput(double* /*p1*/, double* /*p2*/, double* /*p3*/) {}

vtkActor2DCollection* vShapeResource::GetOutput2D()
{
  return nullptr;
}

vtkActorCollection* vShapeResource::GetOutput()
{
  return this->Output;
}
