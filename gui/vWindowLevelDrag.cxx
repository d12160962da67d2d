#include "vWindowLevelDrag.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vPropertyEdits.h"

#include "vImageLayer.h"
#include "vViewer.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>

#include <algorithm>

vWindowLevelDrag::vWindowLevelDrag(CVemoraCPEXE* engine)
  : Engine(engine)
{
  this->Callback->SetClientData(this);
  this->Callback->SetCallback(&vWindowLevelDrag::OnEvent);
}

vWindowLevelDrag::~vWindowLevelDrag()
{
  this->SetInteractor(nullptr);
}

void vWindowLevelDrag::SetInteractor(vtkRenderWindowInteractor* interactor)
{
  if (this->Interactor)
  {
    for (unsigned long tag : this->Tags)
    {
      this->Interactor->RemoveObserver(tag);
    }
  }
  this->Interactor = interactor;
  if (interactor)
  {
    // Ahead of the interactor style, which would zoom on the right button.
    const float priority = 10.0f;
    this->Tags[0] =
      interactor->AddObserver(vtkCommand::RightButtonPressEvent, this->Callback, priority);
    this->Tags[1] = interactor->AddObserver(vtkCommand::MouseMoveEvent, this->Callback, priority);
    this->Tags[2] =
      interactor->AddObserver(vtkCommand::RightButtonReleaseEvent, this->Callback, priority);
  }
}

void vWindowLevelDrag::OnEvent(vtkObject* caller, unsigned long event, void* self, void* data)
{
  (void)data;
  auto* drag = static_cast<vWindowLevelDrag*>(self);
  auto* interactor = static_cast<vtkRenderWindowInteractor*>(caller);
  const int* position = interactor->GetEventPosition();
  bool handled = false;
  if (event == vtkCommand::RightButtonPressEvent)
  {
    handled = drag->Begin(position[0], position[1]);
  }
  else if (event == vtkCommand::MouseMoveEvent && drag->IsDragging())
  {
    drag->Move(position[0], position[1]);
    handled = true;
  }
  else if (event == vtkCommand::RightButtonReleaseEvent && drag->IsDragging())
  {
    drag->End();
    handled = true;
  }
  if (handled)
  {
    drag->Callback->SetAbortFlag(1);
  }
}

bool vWindowLevelDrag::Begin(int x, int y)
{
  this->Layer = nullptr;
  vViewer* viewer = this->Engine ? this->Engine->GetModules()->GetViewer() : nullptr;
  if (!viewer || !this->Interactor)
  {
    return false;
  }
  vtkRenderer* renderer = this->Interactor->FindPokedRenderer(x, y);
  // A slice view: the renderer shows exactly one layer, and it is an image slice.
  int layers = 0;
  vImageLayer* image = nullptr;
  for (int i = 0; renderer && i < viewer->GetNumberOfItems(); ++i)
  {
    vLayer* layer = viewer->GetInput(i);
    if (layer && layer->GetRenderer() == renderer)
    {
      ++layers;
      image = dynamic_cast<vImageLayer*>(layer);
    }
  }
  if (layers == 1 && image && image->GetImage() && !image->isA("VolumeRenderingLayer"))
  {
    this->Layer = image;
  }
  if (!this->Layer)
  {
    return false;
  }
  double range[2];
  double window[2];
  this->Layer->GetScalarRange(range);
  this->Layer->GetProperty()->GetContrast(window);
  if (window[0] <= -999.0 || window[1] <= -999.0)
  {
    window[0] = range[0];
    window[1] = range[1];
  }
  this->Span = std::max(1.0, range[1] - range[0]);
  this->Lowest = std::min(0.0, range[0]);
  this->Width = std::max(1.0, window[1] - window[0]);
  this->Level = (window[0] + window[1]) / 2;
  this->Start[0] = x;
  this->Start[1] = y;
  const int* size = renderer->GetSize();
  this->Size[0] = std::max(1, size[0]);
  this->Size[1] = std::max(1, size[1]);
  return true;
}

void vWindowLevelDrag::Move(int x, int y)
{
  if (!this->Layer)
  {
    return;
  }
  // The layer may have left the viewer while the button was held (a console command).
  vViewer* viewer = this->Engine->GetModules()->GetViewer();
  if (!viewer || viewer->Find(this->Layer) < 0)
  {
    this->Layer = nullptr;
    return;
  }
  const double width =
    std::max(1.0, this->Width + (x - this->Start[0]) * this->Span / this->Size[0]);
  const double level = this->Level + (y - this->Start[1]) * this->Span / this->Size[1];
  // A negative lower bound on data without negative values would read as "no contrast".
  const double lower = std::max(this->Lowest, level - width / 2);
  const double window[2] = { lower, std::max(lower + 1, level + width / 2) };
  vPropertyEdits::ApplyContrast(this->Layer, window);
}

void vWindowLevelDrag::End()
{
  const bool dragged = this->Layer != nullptr;
  this->Layer = nullptr;
  if (dragged && this->Finished)
  {
    this->Finished();
  }
}
