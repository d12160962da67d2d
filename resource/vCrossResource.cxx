#include "vCrossResource.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkLineSource.h>
#include <vtkNew.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>

#include <limits>

vCrossResource::vCrossResource()
{
  this->SetName("crossresource");
  this->HalfLength = 10.0;
}

vCrossResource::~vCrossResource() = default;

void vCrossResource::SetHColor(double r, double g, double b)
{
  this->HColor[0] = r;
  this->HColor[1] = g;
  this->HColor[2] = b;
}

void vCrossResource::SetVColor(double r, double g, double b)
{
  this->VColor[0] = r;
  this->VColor[1] = g;
  this->VColor[2] = b;
}

void vCrossResource::GetHColor(double color[3]) const
{
  for (int i = 0; i < 3; ++i)
  {
    color[i] = this->HColor[i];
  }
}

void vCrossResource::GetVColor(double color[3]) const
{
  for (int i = 0; i < 3; ++i)
  {
    color[i] = this->VColor[i];
  }
}

vtkActorCollection* vCrossResource::GetOutput()
{
  const double l = this->HalfLength;
  vtkNew<vtkLineSource> vertical;
  vtkNew<vtkLineSource> horizontal;
  vertical->SetResolution(10);
  horizontal->SetResolution(10);
  switch (this->Orientation)
  {
    case YZ:
      vertical->SetPoint1(0.0, -l, 0.0);
      vertical->SetPoint2(0.0, l, 0.0);
      horizontal->SetPoint1(0.0, 0.0, -l);
      horizontal->SetPoint2(0.0, 0.0, l);
      break;
    case XZ:
      vertical->SetPoint1(-l, 0.0, 0.0);
      vertical->SetPoint2(l, 0.0, 0.0);
      horizontal->SetPoint1(0.0, 0.0, -l);
      horizontal->SetPoint2(0.0, 0.0, l);
      break;
    case XY:
      vertical->SetPoint1(0.0, -l, 0.0);
      vertical->SetPoint2(0.0, l, 0.0);
      horizontal->SetPoint1(-l, 0.0, 0.0);
      horizontal->SetPoint2(l, 0.0, 0.0);
      break;
    default:
      break;
  }
  vertical->Update();
  horizontal->Update();

  vtkNew<vtkPolyDataMapper> verticalMapper;
  verticalMapper->SetInputConnection(vertical->GetOutputPort());
  vtkNew<vtkPolyDataMapper> horizontalMapper;
  horizontalMapper->SetInputConnection(horizontal->GetOutputPort());
  vtkNew<vtkActor> verticalActor;
  verticalActor->SetMapper(verticalMapper);
  verticalActor->GetProperty()->SetColor(this->VColor);
  vtkNew<vtkActor> horizontalActor;
  horizontalActor->SetMapper(horizontalMapper);
  horizontalActor->GetProperty()->SetColor(this->HColor);

  auto actors = vtkSmartPointer<vtkActorCollection>::New();
  actors->AddItem(verticalActor);
  actors->AddItem(horizontalActor);
  this->Output = actors;
  if (this->NumberOfItems <= std::numeric_limits<int>::max() - 2)
  {
    this->NumberOfItems += 2;
  }
  return this->Output;
}
