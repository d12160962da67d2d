#include "vViewerWrapper.h"

#include "vInfoResource.h"
#include "vLandmarkLayer.h"
#include "vRendererManager.h"
#include "vShellNotifier.h"
#include "vTextLayer.h"
#include "vViewer.h"

#include <vtkCamera.h>
#include <vtkCellPicker.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkTransform.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
constexpr double DegreesPerWindow = -20.0;
constexpr double CuttingPlaneGain = 5.0;
constexpr double PickTolerance = 0.01;
} // namespace

vViewerWrapper* vViewerWrapper::New()
{
  return new vViewerWrapper;
}

vViewerWrapper::vViewerWrapper() = default;

vViewerWrapper::~vViewerWrapper() = default;

int vViewerWrapper::AddInput()
{
  const bool had = this->Viewer != nullptr;
  const int result = this->vViewerWrapperBase::AddInput();
  if (result == 0 && !had)
  {
    vShellNotifier::Get()->Post(vShellNotifier::ConsoleText, "Double click surface to select it");
  }
  return result;
}

void vViewerWrapper::ClippingOn()
{
  if (!this->IsViewerReady())
  {
    vShellNotifier::Get()->Post(vShellNotifier::ConsoleText, "Viewer is not ready");
    return;
  }
  this->Viewer->ClippingOn();
}

void vViewerWrapper::ClippingOff()
{
  if (!this->IsViewerReady())
  {
    vShellNotifier::Get()->Post(vShellNotifier::ConsoleText, "Viewer is not ready");
    return;
  }
  this->Viewer->ClippingOff();
}

void vViewerWrapper::UpdateProperty()
{
  vShellNotifier::Get()->Post(vShellNotifier::RefreshLayerProperties);
}

void vViewerWrapper::Execute(vtkObject* caller, unsigned long eventId, void*)
{
  int x = 0;
  int y = 0;
  if (!this->BeginEvent(caller, x, y))
  {
    return;
  }
  switch (eventId)
  {
    case vtkCommand::LeftButtonPressEvent:
      if (this->CurrentAction == Selecting)
      {
        this->Select(x, y);
      }
      else if (this->CurrentAction == Tagging)
      {
        this->Tag(x, y);
      }
      else
      {
        this->LeftButtonDown = true;
      }
      break;
    case vtkCommand::LeftButtonReleaseEvent:
      this->LeftButtonDown = false;
      break;
    case vtkCommand::MouseMoveEvent:
      if (this->LeftButtonDown)
      {
        if (this->CurrentAction == Clipping)
        {
          this->RotateCuttingPlane(x, y);
        }
        else if (this->CurrentAction == Panning)
        {
          this->Pan(x, y);
        }
        else
        {
          this->Rotate(x, y);
        }
      }
      else if (this->RightButtonDown && this->CurrentAction == Clipping)
      {
        this->TranslateClippingPlane(x, y);
      }
      break;
    case vtkCommand::RightButtonPressEvent:
      this->RightButtonDown = true;
      break;
    case vtkCommand::RightButtonReleaseEvent:
      this->RightButtonDown = false;
      break;
    default:
      break;
  }
}

void vViewerWrapper::RefreshWindow()
{
  if (vtkRenderWindow* window =
        this->RendererManager ? this->RendererManager->GetRenderWindow() : nullptr)
  {
    window->Render();
  }
}

vtkRenderWindowInteractor* vViewerWrapper::BeginEvent(vtkObject* caller, int& x, int& y)
{
  vtkRenderWindowInteractor* interactor = vtkRenderWindowInteractor::SafeDownCast(caller);
  if (!interactor || !this->IsViewerReady())
  {
    return nullptr;
  }
  const int* position = interactor->GetEventPosition();
  const int* last = interactor->GetLastEventPosition();
  this->LastX = last[0];
  this->LastY = last[1];
  x = position[0];
  y = position[1];
  return interactor;
}

bool vViewerWrapper::PickAt(int x, int y)
{
  vtkRenderer* renderer = this->GetInsetRenderer();
  if (!renderer)
  {
    return false;
  }
  if (!this->Picker)
  {
    this->Picker = vtkSmartPointer<vtkCellPicker>::New();
    this->Picker->SetTolerance(PickTolerance);
  }
  return this->Picker->Pick(x, y, 0, renderer) != 0;
}

void vViewerWrapper::RotateCamera(vtkRenderer* renderer, int x, int y)
{
  if (!renderer)
  {
    return;
  }
  const int* size = renderer->GetSize();
  if (size[0] <= 0 || size[1] <= 0)
  {
    return;
  }
  const double dx = x - this->LastX;
  const double dy = y - this->LastY;
  vtkCamera* camera = renderer->GetActiveCamera();
  camera->Azimuth(dx * (DegreesPerWindow / size[0]));
  camera->Elevation(dy * (DegreesPerWindow / size[1]));
  camera->OrthogonalizeViewUp();
  renderer->ResetCameraClippingRange();
}

void vViewerWrapper::Rotate(int x, int y)
{
  this->RotateCamera(this->GetInsetRenderer(), x, y);
  if (this->GetCameraText())
  {
    this->UpdateCameraPos();
  }
  this->RefreshWindow();
}

void vViewerWrapper::Pan(int x, int y)
{
  vtkRenderer* renderer = this->GetInsetRenderer();
  if (!renderer)
  {
    return;
  }
  vtkCamera* camera = renderer->GetActiveCamera();
  double focal[3];
  double position[3];
  camera->GetFocalPoint(focal);
  camera->GetPosition(position);
  // The depth of the focal point on screen: the mouse drags the scene at that depth.
  renderer->SetWorldPoint(focal[0], focal[1], focal[2], 1.0);
  renderer->WorldToDisplay();
  const double depth = renderer->GetDisplayPoint()[2];
  double now[4];
  double before[4];
  renderer->SetDisplayPoint(x, y, depth);
  renderer->DisplayToWorld();
  renderer->GetWorldPoint(now);
  renderer->SetDisplayPoint(this->LastX, this->LastY, depth);
  renderer->DisplayToWorld();
  renderer->GetWorldPoint(before);
  double motion[3];
  for (int i = 0; i < 3; ++i)
  {
    const double a = now[3] != 0 ? now[i] / now[3] : now[i];
    const double b = before[3] != 0 ? before[i] / before[3] : before[i];
    motion[i] = b - a;
  }
  camera->SetFocalPoint(focal[0] + motion[0], focal[1] + motion[1], focal[2] + motion[2]);
  camera->SetPosition(position[0] + motion[0], position[1] + motion[1], position[2] + motion[2]);
  renderer->ResetCameraClippingRange();
  this->RefreshWindow();
}

void vViewerWrapper::Select(int x, int y)
{
  if (!this->PickAt(x, y))
  {
    return;
  }
  const int index = this->Viewer->Find(this->Picker->GetViewProp());
  if (index < 0 || index == this->Viewer->GetCurrentItem())
  {
    return;
  }
  this->Viewer->Select(index);
  for (int i = 0; i < this->Viewer->GetNumberOfItems(); ++i)
  {
    if (vLayer* layer = this->Viewer->GetInput(i))
    {
      layer->SetBoundingBox(i == index);
    }
  }
  this->RefreshWindow();
  this->UpdateProperty();
}

void vViewerWrapper::Tag(int x, int y)
{
  if (!this->PickAt(x, y) || this->Picker->GetCellId() < 0)
  {
    return;
  }
  double point[3];
  this->Picker->GetPickPosition(point);
  this->CreateTag(point);
}

void vViewerWrapper::CreateTag(double point[3])
{
  auto* layer = new vLandmarkLayer;
  layer->AddInput(point);
  if (this->Viewer->AddInput(layer) < 0)
  {
    delete layer; // refused: the viewer is full
    return;
  }
  this->Viewer->Render();
  this->UpdateProperty();
}

void vViewerWrapper::RotateCuttingPlane(int x, int y)
{
  vtkRenderer* renderer = this->GetInsetRenderer();
  if (!renderer || !renderer->IsInViewport(x, y))
  {
    return;
  }
  const int* size = renderer->GetSize();
  if (size[0] <= 0 || size[1] <= 0)
  {
    return;
  }
  const double dx = x - this->LastX;
  const double dy = y - this->LastY;
  vtkNew<vtkTransform> turn;
  turn->RotateX(dy * (DegreesPerWindow / size[1]) * CuttingPlaneGain);
  turn->RotateY(-(dx * (DegreesPerWindow / size[0]) * CuttingPlaneGain));
  this->Viewer->MoveClippingPlane(turn);
  this->RendererManager->Refresh();
}

void vViewerWrapper::TranslateClippingPlane(int x, int y)
{
  vtkRenderer* renderer = this->GetInsetRenderer();
  if (!renderer || !renderer->IsInViewport(x, y))
  {
    return;
  }
  const double dx = x - this->LastX;
  const double dy = y - this->LastY;
  const double d = std::fabs(dx) > std::fabs(dy) ? dx : dy;
  vtkNew<vtkTransform> move;
  move->Translate(0, 0, d / 2.0);
  this->Viewer->MoveClippingPlane(move);
  this->RendererManager->Refresh();
}

vTextLayer* vViewerWrapper::GetCameraText() const
{
  vTextLayer* text = this->CameraText.Get();
  return (text && this->Viewer && this->Viewer->Find(text) >= 0) ? text : nullptr;
}

void vViewerWrapper::CreateTextLayer()
{
  if (this->GetCameraText() || this->AddInput() < 0)
  {
    return;
  }
  vInfoResource info;
  info.SetInputBottomRight("Camera");
  auto* layer = new vTextLayer;
  layer->AddInput(&info);
  if (this->Viewer->AddInput(layer) < 0)
  {
    delete layer;
    return;
  }
  this->CameraText = layer;
  this->UpdateCameraPos();
}

void vViewerWrapper::UpdateCameraPos()
{
  vTextLayer* text = this->GetCameraText();
  vtkRenderer* renderer = this->GetInsetRenderer();
  if (!text || !renderer)
  {
    return;
  }
  const double* position = renderer->GetActiveCamera()->GetPosition();
  char line[128];
  std::snprintf(
    line, sizeof(line), "Camera: %.1f, %.1f, %.1f", position[0], position[1], position[2]);
  text->Replace("Camera", line);
}
