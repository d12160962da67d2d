#include "vImage3DLayer.h"

#include "private/vImageSliceViewer.h"

#include "vVolumeResourceFake.h"

#include <vtkActor.h>
#include <vtkImageData.h>
#include <vtkImageViewer2.h>
#include <vtkLineSource.h>
#include <vtkMatrix4x4.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>

#include <cstdio>

vImage3DLayer::vImage3DLayer()
{
  this->SetName("Image3DLayer");
  this->SetType("Image3DLayer");
  this->SetSliceOrientation(2);
  this->GetProperty()->SetCursor(1);
}

vImage3DLayer::~vImage3DLayer()
{
  this->RemoveCursor();
}

void vImage3DLayer::AddInput(vResource* resource)
{
  vVolumeResourceFake* volume = dynamic_cast<vVolumeResourceFake*>(resource);
  if (!volume)
  {
    return;
  }
  const int item = volume->GetCurrentItemId() >= 0 ? volume->GetCurrentItemId() : 0;
  if (this->TakeVolume(resource, item))
  {
    this->SetName(resource->GetName());
  }
}

void vImage3DLayer::InternalRender()
{
  if (!this->BuildViewerSlice())
  {
    return;
  }
  if (this->GetProperty()->GetCursor() != 0)
  {
    this->CreateCursor();
    this->CursorOn();
  }
  else if (this->CursorActors[0])
  {
    this->CursorOff();
  }
  this->Built = 1;
}

void vImage3DLayer::SetPosition(double x, double y, double z)
{
  if (!this->ImageViewer || !this->Image)
  {
    return;
  }
  const int slice = this->SliceOfPoint(x, y, z);
  const double position[3] = { x, y, z };
  this->GetProperty()->SetPosition(position);
  this->GetProperty()->SetSliceX(slice);
  this->Built = 0;
}

std::string vImage3DLayer::GetInfo()
{
  char text[256];
  std::snprintf(text,
    sizeof(text),
    "\r\nOrientation: %d\r\nSlice Id: %d\r\nOpacity: %.2f\r\nScale: %.2f\r\n",
    this->GetSliceOrientation(),
    this->GetProperty()->GetSliceX(),
    this->GetProperty()->GetOpacity(),
    this->GetProperty()->GetScaleFactor());
  return this->vLayer::GetInfo() + text;
}

std::string vImage3DLayer::ToV()
{
  static const char* const planes[3] = { "yz ", "xz ", "xy " };
  const int orientation = this->GetSliceOrientation();
  std::string line = "new layer vol " + this->GetFirstResourceName() + " " +
    this->GetRendererName() + "\n" + "set orientation ";
  if (orientation >= 0 && orientation <= 2)
  {
    line += planes[orientation];
  }
  return line + this->GetName();
}

vtkLineSource* vImage3DLayer::GetCursorLine(int i)
{
  return (i >= 0 && i < 2 && this->CursorActors[i]) ? this->Lines[i].GetPointer() : nullptr;
}

void vImage3DLayer::CreateCursor()
{
  if (!this->CursorActors[0])
  {
    for (int i = 0; i < 2; ++i)
    {
      vtkNew<vtkPolyDataMapper> mapper;
      mapper->SetInputConnection(this->Lines[i]->GetOutputPort());
      this->CursorActors[i] = vtkSmartPointer<vtkActor>::New();
      this->CursorActors[i]->SetMapper(mapper);
      this->CursorActors[i]->GetProperty()->SetColor(0, 1, 0);
      this->CursorActors[i]->PickableOff();
    }
  }
  this->UpdateCursor();
  this->UpdateActorMatrix();
  if (this->Renderer)
  {
    for (auto& actor : this->CursorActors)
    {
      if (!this->Renderer->HasViewProp(actor))
      {
        this->Renderer->AddActor(actor);
      }
    }
  }
}

void vImage3DLayer::UpdateCursor()
{
  if (!this->Image || !this->CursorActors[0])
  {
    return;
  }
  double bounds[6];
  this->Image->GetBounds(bounds);
  double position[3];
  this->GetProperty()->GetPosition(position);
  int normal = this->GetSliceOrientation();
  if (normal < 0 || normal > 2)
  {
    normal = 2;
  }
  // The cursor lies in the plane shown, whatever the point's own depth.
  if (this->ImageViewer)
  {
    const double* origin = this->Image->GetOrigin();
    const double* spacing = this->Image->GetSpacing();
    position[normal] = origin[normal] + spacing[normal] * this->ImageViewer->GetSlice();
  }
  // Lying exactly in the image plane the lines would hide behind the slice: lift them by half a
  // voxel towards the side the image viewer looks from (+x, -y, +z for orientations 0, 1, 2).
  if (this->ImageViewer)
  {
    const double lift = 0.5 * this->Image->GetSpacing()[normal];
    position[normal] += normal == 1 ? -lift : lift;
  }
  // Each line spans the volume along one in-plane axis and crosses the other at the position.
  const int inPlane[2] = { normal == 0 ? 1 : 0, normal == 2 ? 1 : 2 };
  for (int i = 0; i < 2; ++i)
  {
    double p1[3] = { position[0], position[1], position[2] };
    double p2[3] = { position[0], position[1], position[2] };
    p1[inPlane[i]] = bounds[2 * inPlane[i]];
    p2[inPlane[i]] = bounds[2 * inPlane[i] + 1];
    this->Lines[i]->SetPoint1(p1);
    this->Lines[i]->SetPoint2(p2);
  }
}

void vImage3DLayer::UpdateActorMatrix()
{
  this->vImageLayer::UpdateActorMatrix();
  for (auto& actor : this->CursorActors)
  {
    if (actor)
    {
      vtkNew<vtkMatrix4x4> copy;
      copy->DeepCopy(this->Matrix);
      actor->SetUserMatrix(copy);
    }
  }
}

void vImage3DLayer::CursorOn()
{
  this->GetProperty()->SetCursor(1);
  for (auto& actor : this->CursorActors)
  {
    if (actor)
    {
      actor->VisibilityOn();
    }
  }
}

void vImage3DLayer::CursorOff()
{
  this->GetProperty()->SetCursor(0);
  for (auto& actor : this->CursorActors)
  {
    if (actor)
    {
      actor->VisibilityOff();
    }
  }
}

void vImage3DLayer::RemoveCursor()
{
  for (auto& actor : this->CursorActors)
  {
    if (actor && this->Renderer)
    {
      this->Renderer->RemoveActor(actor);
    }
    actor = nullptr;
  }
}

void vImage3DLayer::RemoveAllItems()
{
  this->RemoveCursor();
  this->vImageLayer::RemoveAllItems();
}

void vImage3DLayer::VisibilityOn()
{
  this->vImageLayer::VisibilityOn();
  if (this->GetProperty()->GetCursor() != 0)
  {
    this->CursorOn();
  }
}

void vImage3DLayer::VisibilityOff()
{
  // The property set keeps the cursor switch, so VisibilityOn brings the lines back.
  const int cursor = this->GetProperty()->GetCursor();
  this->CursorOff();
  this->GetProperty()->SetCursor(cursor);
  this->vImageLayer::VisibilityOff();
}
