#include "v3DLayer.h"

#include "v2DLayer.h"

#include "vResource.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkCamera.h>
#include <vtkDataSetMapper.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkOutlineSource.h>
#include <vtkPlane.h>
#include <vtkProperty.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkTransform.h>

namespace
{
int IndexOf(vtkActorCollection* actors, vtkProp* prop, bool last)
{
  int found = -1;
  int i = 0;
  actors->InitTraversal();
  while (vtkActor* actor = actors->GetNextActor())
  {
    if (actor == prop)
    {
      found = i;
      if (!last)
      {
        break;
      }
    }
    ++i;
  }
  return found;
}

void RemoveFromRenderer(vtkRenderer* renderer, vtkActorCollection* actors)
{
  actors->InitTraversal();
  while (vtkActor* actor = actors->GetNextActor())
  {
    renderer->RemoveActor(actor);
  }
}
} // namespace

v3DLayer::v3DLayer()
  : LayerTransform(vtkSmartPointer<vtkTransform>::New())
  , Actors(vtkSmartPointer<vtkActorCollection>::New())
  , DisplayActors(vtkSmartPointer<vtkActorCollection>::New())
  , BoundingBoxes(vtkSmartPointer<vtkActorCollection>::New())
{
  this->SetType("3DLayer");
  vProp* prop = this->GetProperty();
  prop->SetOpacity(1.0);
  prop->SetResourceName("");
  const double identity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  prop->SetRigidTransform(identity);
  prop->SetBoundingBox(0);
}

v3DLayer::~v3DLayer()
{
  v3DLayer::RemoveAllItems();
  this->RemoveBoundingBoxes();
  this->Label.reset();
}

vtkActorCollection* v3DLayer::GetWorkingActors() const
{
  return this->DisplayActors->GetNumberOfItems() > 0 ? this->DisplayActors : this->Actors;
}

bool v3DLayer::IsFullyBuilt() const
{
  return this->Actors->GetNumberOfItems() == this->NumberOfItems;
}

void v3DLayer::SetTransform(double matrix[16])
{
  this->GetProperty()->SetRigidTransform(matrix);
  this->LayerTransform = vtkSmartPointer<vtkTransform>::New();
  this->LayerTransform->SetMatrix(matrix);
  this->Transform();
}

void v3DLayer::SetOpacity(double opacity)
{
  this->GetProperty()->SetOpacity(opacity);
  if (this->IsFullyBuilt())
  {
    vtkActorCollection* actors = this->GetWorkingActors();
    actors->InitTraversal();
    while (vtkActor* actor = actors->GetNextActor())
    {
      actor->GetProperty()->SetOpacity(opacity);
      if (vtkProperty* back = actor->GetBackfaceProperty())
      {
        back->SetOpacity(opacity);
      }
    }
  }
  if (this->WorkWithFriends)
  {
    this->ForEachFriend([opacity](vLayer* other) { other->SetOpacity(opacity); });
  }
}

void v3DLayer::SetScaleFactor(double factor)
{
  this->GetProperty()->SetScaleFactor(factor);
  // A factor of 0 or below has no zoom meaning (and would divide by zero): only the value is kept.
  if (this->Renderer == nullptr || !(factor > 0.0))
  {
    return;
  }
  this->Renderer->ResetCamera();
  vtkCamera* camera = this->Renderer->GetActiveCamera();
  if (this->BaseParallelScale == -999.0)
  {
    this->BaseParallelScale = camera->GetParallelScale();
  }
  camera->SetParallelScale(this->BaseParallelScale / factor);
}

void v3DLayer::VisibilityOn()
{
  this->GetProperty()->SetVisibility(1);
  if (this->IsFullyBuilt())
  {
    vtkActorCollection* actors = this->GetWorkingActors();
    actors->InitTraversal();
    while (vtkActor* actor = actors->GetNextActor())
    {
      actor->VisibilityOn();
    }
    if (this->GetProperty()->GetBoundingBox() != 0)
    {
      this->BoundingBoxOn();
    }
  }
  if (this->RenderWindow != nullptr)
  {
    this->RenderWindow->Render();
  }
}

void v3DLayer::VisibilityOff()
{
  this->GetProperty()->SetVisibility(0);
  if (this->IsFullyBuilt())
  {
    vtkActorCollection* actors = this->GetWorkingActors();
    actors->InitTraversal();
    while (vtkActor* actor = actors->GetNextActor())
    {
      actor->VisibilityOff();
    }
    const int boundingBox = this->GetProperty()->GetBoundingBox();
    this->BoundingBoxOff();
    this->GetProperty()->SetBoundingBox(boundingBox);
  }
  if (this->RenderWindow != nullptr)
  {
    this->RenderWindow->Render();
  }
}

void v3DLayer::RemoveAllItems()
{
  if (this->Renderer != nullptr && this->Actors->GetNumberOfItems() > 0)
  {
    RemoveFromRenderer(this->Renderer, this->Actors);
    RemoveFromRenderer(this->Renderer, this->DisplayActors);
    RemoveFromRenderer(this->Renderer, this->BoundingBoxes);
  }
  this->Actors->RemoveAllItems();
  this->DisplayActors->RemoveAllItems();
  this->BoundingBoxes->RemoveAllItems();
}

void v3DLayer::SetRenderer(vtkRenderer* renderer)
{
  this->vLayer::SetRenderer(renderer);
  if (renderer == nullptr)
  {
    return;
  }
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    renderer->AddActor(actor);
  }
}

void v3DLayer::AddInput(vResource* resource)
{
  if (resource == nullptr)
  {
    return;
  }
  this->vLayer::AddInput(resource);
  this->GetProperty()->SetResourceName(resource->GetName());
}

void v3DLayer::SetPosition(double x, double y, double z)
{
  this->Position[0] = x;
  this->Position[1] = y;
  this->Position[2] = z;
  this->LayerTransform = vtkSmartPointer<vtkTransform>::New();
  this->LayerTransform->Translate(x, y, z);
  this->Transform();
}

void v3DLayer::GetPosition(double position[3]) const
{
  for (int i = 0; i < 3; ++i)
  {
    position[i] = this->Position[i];
  }
}

vtkScalarsToColors* v3DLayer::GetLut()
{
  vtkActor* first = vtkActor::SafeDownCast(this->Actors->GetItemAsObject(0));
  if (first == nullptr || first->GetMapper() == nullptr)
  {
    return nullptr;
  }
  return first->GetMapper()->GetLookupTable();
}

void v3DLayer::GetGeometryCenter(double centre[3])
{
  centre[0] = centre[1] = centre[2] = 0.0;
  int count = 0;
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    const double* c = actor->GetCenter();
    for (int i = 0; i < 3; ++i)
    {
      centre[i] += c[i];
    }
    ++count;
  }
  if (count > 0)
  {
    for (int i = 0; i < 3; ++i)
    {
      centre[i] /= count;
    }
  }
}

void v3DLayer::Reflect(double sx, double sy)
{
  vtkNew<vtkMatrix4x4> reflection;
  reflection->SetElement(0, 0, sx);
  reflection->SetElement(1, 1, sy);
  if (this->LayerTransform != nullptr)
  {
    vtkNew<vtkMatrix4x4> product;
    vtkMatrix4x4::Multiply4x4(reflection, this->LayerTransform->GetMatrix(), product);
    this->LayerTransform->SetMatrix(product);
  }
  else
  {
    this->LayerTransform = vtkSmartPointer<vtkTransform>::New();
    this->LayerTransform->SetMatrix(reflection);
  }
  this->Transform();
}

void v3DLayer::Flip()
{
  this->Reflect(1.0, -1.0);
}

void v3DLayer::Mirror()
{
  this->Reflect(-1.0, 1.0);
}

int v3DLayer::Find(vtkProp* prop)
{
  if (prop == nullptr)
  {
    return -1;
  }
  if (this->DisplayActors->GetNumberOfItems() > 0)
  {
    return IndexOf(this->DisplayActors, prop, true);
  }
  return IndexOf(this->Actors, prop, false);
}

void v3DLayer::SetBoundingBox(bool on)
{
  if (on)
  {
    this->BoundingBoxOn();
  }
  else
  {
    this->BoundingBoxOff();
  }
}

void v3DLayer::RotateX(double angle)
{
  this->LayerTransform = vtkSmartPointer<vtkTransform>::New();
  this->LayerTransform->RotateX(angle);
  this->Transform();
}

void v3DLayer::RotateY(double angle)
{
  this->LayerTransform = vtkSmartPointer<vtkTransform>::New();
  this->LayerTransform->RotateY(angle);
  this->Transform();
}

void v3DLayer::RotateZ(double angle)
{
  this->LayerTransform = vtkSmartPointer<vtkTransform>::New();
  this->LayerTransform->RotateZ(angle);
  this->Transform();
}

vtkActorCollection* v3DLayer::GetOutput()
{
  return this->Actors;
}

void v3DLayer::BoundingBoxOn()
{
  this->GetProperty()->SetBoundingBox(1);
  if (this->BoundingBoxes->GetNumberOfItems() > 0)
  {
    this->BoundingBoxes->InitTraversal();
    while (vtkActor* outline = this->BoundingBoxes->GetNextActor())
    {
      outline->VisibilityOn();
    }
  }
  else
  {
    this->CreateBoundingBoxes();
  }
}

void v3DLayer::BoundingBoxOff()
{
  this->GetProperty()->SetBoundingBox(0);
  this->BoundingBoxes->InitTraversal();
  while (vtkActor* outline = this->BoundingBoxes->GetNextActor())
  {
    outline->VisibilityOff();
  }
}

void v3DLayer::RemoveBoundingBoxes()
{
  if (this->Renderer != nullptr && this->BoundingBoxes->GetNumberOfItems() > 0)
  {
    RemoveFromRenderer(this->Renderer, this->BoundingBoxes);
  }
  this->BoundingBoxes->RemoveAllItems();
}

void v3DLayer::SetLabel(v2DLayer* label)
{
  if (label != this->Label.get())
  {
    this->Label.reset(label);
  }
}

void v3DLayer::Transform()
{
  if (this->LayerTransform == nullptr || this->Actors->GetNumberOfItems() == 0)
  {
    return;
  }
  for (vtkActorCollection* actors : { this->Actors.GetPointer(),
         this->BoundingBoxes.GetPointer(),
         this->DisplayActors.GetPointer() })
  {
    actors->InitTraversal();
    while (vtkActor* actor = actors->GetNextActor())
    {
      actor->SetUserTransform(this->LayerTransform);
    }
  }
  this->Built = 0;
}

void v3DLayer::CreateBoundingBoxes()
{
  this->RemoveBoundingBoxes();
  double colour[3];
  this->GetProperty()->GetColor(colour);
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    // The outline takes the layer transform as its own user transform, so it is built around the
    // untransformed geometry (the mapper's bounds), not the actor's already transformed bounds.
    double bounds[6];
    if (actor->GetMapper() != nullptr)
    {
      actor->GetMapper()->GetBounds(bounds);
    }
    else
    {
      actor->GetBounds(bounds);
    }
    vtkNew<vtkOutlineSource> source;
    source->SetBounds(bounds);
    vtkNew<vtkDataSetMapper> mapper;
    mapper->SetInputConnection(source->GetOutputPort());
    vtkNew<vtkActor> outline;
    outline->SetMapper(mapper);
    outline->GetProperty()->SetRepresentationToWireframe();
    outline->GetProperty()->SetColor(colour);
    outline->SetUserTransform(this->LayerTransform);
    outline->SetPickable(0);
    this->BoundingBoxes->AddItem(outline);
    if (this->Renderer != nullptr)
    {
      this->Renderer->AddActor(outline);
    }
  }
}

vtkTransform* v3DLayer::GetTransformObject() const
{
  return this->LayerTransform;
}

vtkActorCollection* v3DLayer::GetDisplayActors() const
{
  return this->DisplayActors;
}

vtkActorCollection* v3DLayer::GetBoundingBoxes() const
{
  return this->BoundingBoxes;
}
