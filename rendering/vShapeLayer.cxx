#include "vShapeLayer.h"

#include "vShapeResource.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkRenderer.h>

vShapeLayer::vShapeLayer()
{
  this->SetName("ShapeLayer");
  this->SetType("ShapeLayer");
  this->GetProperty()->SetBoundingBox(-1);
  double unset[16];
  for (double& element : unset)
  {
    element = -999.9;
  }
  this->GetProperty()->SetRigidTransform(unset);
  const double origin[3] = { 0, 0, 0 };
  this->GetProperty()->SetPosition(origin);
}

vShapeLayer::~vShapeLayer() = default;

void vShapeLayer::SetSliceOrientation(int orientation)
{
  this->Orientation = orientation;
  this->Built = 0;
}

void vShapeLayer::AddInput(vResource* resource)
{
  vShapeResource* shape = dynamic_cast<vShapeResource*>(resource);
  if (!shape)
  {
    return;
  }
  this->v3DLayer::AddInput(resource);
  this->Orientation = shape->GetPlaneOrientation();
  vtkActorCollection* output = shape->GetOutput(); // owned by the resource
  if (!output)
  {
    return;
  }
  output->InitTraversal();
  while (vtkActor* actor = output->GetNextActor())
  {
    this->Actors->AddItem(actor);
    this->NumberOfItems++;
  }
  this->Built = 0;
}

void vShapeLayer::SetPosition(double x, double y, double z)
{
  const double position[3] = { x, y, z };
  this->GetProperty()->SetPosition(position);
  double placed[3] = { x, y, z };
  if (this->Orientation == 0)
  {
    placed[0] += this->Offset;
  }
  else if (this->Orientation == 1)
  {
    placed[1] -= this->Offset;
  }
  else if (this->Orientation == 2)
  {
    placed[2] += this->Offset;
  }
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    if (this->Renderer)
    {
      this->Renderer->RemoveActor(actor);
    }
    actor->SetPosition(placed);
  }
  this->Built = 0;
}

void vShapeLayer::InternalRender()
{
  if (!this->Renderer)
  {
    return;
  }
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    if (!this->Renderer->HasViewProp(actor))
    {
      this->Renderer->AddActor(actor);
    }
  }
  this->Built = 1;
}
