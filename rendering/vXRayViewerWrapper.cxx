#include "vXRayViewerWrapper.h"

#include <vtkRenderWindowInteractor.h>

vXRayViewerWrapper* vXRayViewerWrapper::New()
{
  return new vXRayViewerWrapper;
}

vXRayViewerWrapper::vXRayViewerWrapper() = default;

vXRayViewerWrapper::~vXRayViewerWrapper() = default;

void vXRayViewerWrapper::Render() {}

void vXRayViewerWrapper::Execute(vtkObject* caller, unsigned long eventId, void*)
{
  vtkRenderWindowInteractor* interactor = vtkRenderWindowInteractor::SafeDownCast(caller);
  if (!interactor || !this->IsViewerReady() || eventId != vtkCommand::LeftButtonPressEvent ||
    this->CurrentAction != Selecting)
  {
    return;
  }
  const int* position = interactor->GetEventPosition();
  this->Select(position[0], position[1]);
}
