#include "v2DLayer.h"

#include "v2DDataResource.h"

#include <vtkActor2D.h>
#include <vtkActor2DCollection.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>

v2DLayer::v2DLayer()
  : Actors2D(vtkSmartPointer<vtkActor2DCollection>::New())
{
  this->SetType("2DLayer");
}

v2DLayer::~v2DLayer()
{
  v2DLayer::RemoveAllItems();
}

void v2DLayer::InternalRender()
{
  if (this->Actors2D->GetNumberOfItems() != this->NumberOfItems)
  {
    return;
  }
  if (this->Renderer != nullptr)
  {
    this->Actors2D->InitTraversal();
    while (vtkActor2D* actor = this->Actors2D->GetNextActor2D())
    {
      this->Renderer->AddActor2D(actor);
    }
  }
  this->Built = 1;
}

void v2DLayer::SetActorsVisibility(int visible)
{
  this->GetProperty()->SetVisibility(visible);
  if (this->Actors2D->GetNumberOfItems() == this->NumberOfItems)
  {
    this->Actors2D->InitTraversal();
    while (vtkActor2D* actor = this->Actors2D->GetNextActor2D())
    {
      actor->SetVisibility(visible);
    }
  }
  if (this->RenderWindow != nullptr)
  {
    this->RenderWindow->Render();
  }
}

void v2DLayer::VisibilityOn()
{
  this->SetActorsVisibility(1);
}

void v2DLayer::VisibilityOff()
{
  this->SetActorsVisibility(0);
}

void v2DLayer::RemoveAllItems()
{
  if (this->Renderer == nullptr)
  {
    return;
  }
  this->Actors2D->InitTraversal();
  while (vtkActor2D* actor = this->Actors2D->GetNextActor2D())
  {
    this->Renderer->RemoveActor2D(actor);
  }
  this->Built = 0;
}

void v2DLayer::AddInput(vResource* resource)
{
  auto* source = dynamic_cast<v2DDataResource*>(resource);
  if (source == nullptr)
  {
    return;
  }
  this->ResourceNames.emplace_back("TEXT");
  vtkSmartPointer<vtkActor2DCollection> actors;
  actors.TakeReference(source->GetOutput());
  if (actors == nullptr)
  {
    return;
  }
  actors->InitTraversal();
  while (vtkActor2D* actor = actors->GetNextActor2D())
  {
    this->Actors2D->AddItem(actor);
    ++this->NumberOfItems;
  }
  this->Built = 0;
}

void v2DLayer::SetPosition(double, double, double) {}

vtkActor2DCollection* v2DLayer::GetActors2D() const
{
  return this->Actors2D;
}
