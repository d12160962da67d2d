#include "vLandmarkLayer.h"

#include "vDataResourceFake.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkDataSet.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>
#include <vtkTransform.h>

#include <vector>

namespace
{
constexpr int SphereResolution = 16;

vtkSphereSource* SphereOf(vtkActor* actor)
{
  vtkMapper* mapper = actor ? actor->GetMapper() : nullptr;
  return mapper ? vtkSphereSource::SafeDownCast(mapper->GetInputAlgorithm()) : nullptr;
}
} // namespace

vLandmarkLayer::vLandmarkLayer()
{
  this->SetType("LandmarkLayer");
  this->GetProperty()->SetSize(6.0);
}

vLandmarkLayer::~vLandmarkLayer() = default;

double vLandmarkLayer::GetLandmarkSize()
{
  return this->GetProperty()->GetSize();
}

vtkActor* vLandmarkLayer::MakeSphere(const double centre[3], const double* color)
{
  vtkNew<vtkSphereSource> sphere;
  sphere->SetCenter(centre[0], centre[1], centre[2]);
  sphere->SetRadius(this->GetLandmarkSize());
  sphere->SetThetaResolution(SphereResolution);
  sphere->SetPhiResolution(SphereResolution);
  vtkNew<vtkPolyDataMapper> mapper;
  mapper->SetInputConnection(sphere->GetOutputPort());
  mapper->ScalarVisibilityOff();
  vtkActor* actor = vtkActor::New();
  actor->SetMapper(mapper);
  double layerColor[3];
  this->GetProperty()->GetColor(layerColor);
  if (color)
  {
    actor->GetProperty()->SetColor(color[0], color[1], color[2]);
  }
  else if (layerColor[0] >= 0 && layerColor[1] >= 0 && layerColor[2] >= 0)
  {
    actor->GetProperty()->SetColor(layerColor);
  }
  actor->SetUserTransform(this->LayerTransform);
  double opacity = this->GetProperty()->GetOpacity();
  if (opacity >= 0)
  {
    actor->GetProperty()->SetOpacity(opacity);
  }
  return actor;
}

void vLandmarkLayer::AddInput(vResource* resource)
{
  if (!resource)
  {
    return;
  }
  // The spheres replace the mesh layer's own pipeline.
  this->v3DLayer::AddInput(resource); // NOLINT(bugprone-parent-virtual-call)
  vDataResourceFake* data = dynamic_cast<vDataResourceFake*>(resource);
  vtkDataSet* points = (data && data->GetNumberOfItems() > 0) ? data->GetData(0) : nullptr;
  if (!points)
  {
    return;
  }
  for (vtkIdType i = 0; i < points->GetNumberOfPoints(); ++i)
  {
    double p[3];
    points->GetPoint(i, p);
    this->AddInput(p);
  }
}

void vLandmarkLayer::AddInput(double point[3])
{
  vtkSmartPointer<vtkActor> actor;
  actor.TakeReference(this->MakeSphere(point, nullptr));
  if (this->Renderer)
  {
    this->Renderer->AddActor(actor);
  }
  this->Actors->AddItem(actor);
  this->NumberOfItems++;
  this->Built = 0;
}

void vLandmarkLayer::SetLandmarkSize(double r)
{
  this->GetProperty()->SetSize(r);
  std::vector<vtkSmartPointer<vtkActor>> old;
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    old.emplace_back(actor);
  }
  this->Actors->RemoveAllItems();
  for (vtkActor* actor : old)
  {
    vtkSphereSource* sphere = SphereOf(actor);
    double centre[3] = { 0, 0, 0 };
    if (sphere)
    {
      sphere->GetCenter(centre);
    }
    vtkSmartPointer<vtkActor> replacement;
    replacement.TakeReference(this->MakeSphere(centre, actor->GetProperty()->GetColor()));
    replacement->SetVisibility(actor->GetVisibility());
    if (this->Renderer)
    {
      this->Renderer->RemoveActor(actor);
      this->Renderer->AddActor(replacement);
    }
    this->Actors->AddItem(replacement);
  }
  this->Built = 0;
}

bool vLandmarkLayer::GetLandmark(int i, double centre[3])
{
  if (i < 0 || i >= this->Actors->GetNumberOfItems())
  {
    return false;
  }
  vtkSphereSource* sphere = SphereOf(vtkActor::SafeDownCast(this->Actors->GetItemAsObject(i)));
  if (!sphere)
  {
    return false;
  }
  sphere->GetCenter(centre);
  return true;
}

std::string vLandmarkLayer::ToV()
{
  return "new layer landmark " + this->GetFirstResourceName() + " " + this->GetRendererName();
}
