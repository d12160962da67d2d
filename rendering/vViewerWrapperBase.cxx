#include "vViewerWrapperBase.h"

#include "v2DDataResource.h"
#include "vDataResourceFake.h"
#include "vImageSliceLayer.h"
#include "vLayer.h"
#include "vMesh3DLayer.h"
#include "vRendererManager.h"
#include "vShapeLayer.h"
#include "vShapeResource.h"
#include "vTextLayer.h"
#include "vViewer.h"
#include "vVolumeResourceFake.h"

#include <vtkInteractorStyleUser.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>

namespace
{
/** Passes the interactor's events on to a wrapper without holding a reference to it. */
class vWrapperRelay : public vtkCommand
{
public:
  static vWrapperRelay* New() { return new vWrapperRelay; }
  void Execute(vtkObject* caller, unsigned long eventId, void* callData) override
  {
    if (this->Target)
    {
      this->Target->Execute(caller, eventId, callData);
    }
  }
  vViewerWrapperBase* Target = nullptr; // borrowed: the wrapper clears it before it goes
};
} // namespace

vViewerWrapperBase* vViewerWrapperBase::New()
{
  return new vViewerWrapperBase;
}

vViewerWrapperBase::vViewerWrapperBase()
{
  this->SetName("Wrapper");
}

vViewerWrapperBase::~vViewerWrapperBase()
{
  this->RemoveObservers();
  this->vViewerWrapperBase::DeleteViewer();
}

void vViewerWrapperBase::Delete()
{
  this->vObject::Delete();
  this->vtkCommand::Delete();
}

int vViewerWrapperBase::GetNumberOfLayers() const
{
  return this->Viewer ? this->Viewer->GetNumberOfItems() : 0;
}

vLayer* vViewerWrapperBase::GetLayer(int i) const
{
  return this->Viewer ? this->Viewer->GetInput(i) : nullptr;
}

void vViewerWrapperBase::Render()
{
  if (this->Viewer)
  {
    this->Viewer->Render();
  }
}

void vViewerWrapperBase::Render(int rendererIndex)
{
  if (!this->RendererManager)
  {
    return;
  }
  if (vtkRenderer* renderer = this->RendererManager->GetRenderer(rendererIndex))
  {
    renderer->ResetCamera();
    this->RendererManager->Refresh(this->RendererManager->GetCurrentRenderWindowId());
  }
}

void vViewerWrapperBase::ForceRender()
{
  if (this->Viewer)
  {
    this->Viewer->ForceRender();
  }
}

void vViewerWrapperBase::RemoveViewer()
{
  if (!this->Viewer)
  {
    return;
  }
  for (int i = this->Viewer->GetNumberOfItems() - 1; i >= 0; --i)
  {
    this->Viewer->RemoveItem(i);
  }
  this->Viewer->Refresh();
}

void vViewerWrapperBase::RemoveViewer(int i)
{
  if (this->Viewer && i >= 0 && i < this->Viewer->GetNumberOfItems())
  {
    this->Viewer->RemoveItem(i);
    this->Viewer->Refresh();
  }
}

void vViewerWrapperBase::DeleteViewer()
{
  if (this->Viewer)
  {
    this->Viewer->Delete();
    this->Viewer.reset();
  }
}

vViewer* vViewerWrapperBase::CreateViewer()
{
  return new vViewer;
}

int vViewerWrapperBase::AddInput()
{
  if (this->Viewer)
  {
    return 0;
  }
  if (!this->RendererManager || !this->RendererManager->GetRenderWindow())
  {
    return -1;
  }
  this->Viewer.reset(this->CreateViewer());
  this->Viewer->SetRenderer(this->RendererManager);
  return 0;
}

int vViewerWrapperBase::AddInput(vResource* resource)
{
  if (!resource || this->AddInput() < 0)
  {
    return -1;
  }
  std::unique_ptr<vLayer> layer;
  if (dynamic_cast<vVolumeResourceFake*>(resource))
  {
    layer = std::make_unique<vImageSliceLayer>();
  }
  else if (dynamic_cast<vDataResourceFake*>(resource))
  {
    layer = std::make_unique<vMesh3DLayer>();
  }
  else if (dynamic_cast<v2DDataResource*>(resource))
  {
    layer = std::make_unique<vTextLayer>();
  }
  else if (dynamic_cast<vShapeResource*>(resource))
  {
    layer = std::make_unique<vShapeLayer>();
  }
  else
  {
    return -1;
  }
  layer->AddInput(resource);
  const int index = this->Viewer->AddInput(layer.get());
  if (index >= 0)
  {
    static_cast<void>(layer.release()); // the viewer owns it now
  }
  return index;
}

int vViewerWrapperBase::AddInput(vLayer* layer)
{
  if (!layer || this->AddInput() < 0)
  {
    return -1;
  }
  return this->Viewer->AddInput(layer);
}

vtkRenderWindowInteractor* vViewerWrapperBase::GetInteractor() const
{
  return this->Interactor;
}

int vViewerWrapperBase::Interacting()
{
  vtkNew<vtkInteractorStyleUser> passive;
  return this->Interacting(passive);
}

int vViewerWrapperBase::Interacting(vtkInteractorObserver* style)
{
  vtkRenderWindow* window =
    this->RendererManager ? this->RendererManager->GetRenderWindow() : nullptr;
  if (!window)
  {
    return -1;
  }
  this->RemoveObservers();
  vtkRenderWindowInteractor* interactor = window->GetInteractor();
  if (!interactor)
  {
    this->Interactor = vtkSmartPointer<vtkRenderWindowInteractor>::New();
    this->Interactor->SetRenderWindow(window);
  }
  else
  {
    this->Interactor = interactor;
  }
  if (style)
  {
    this->Interactor->SetInteractorStyle(style);
  }
  const unsigned long events[6] = { vtkCommand::LeftButtonPressEvent,
    vtkCommand::LeftButtonReleaseEvent,
    vtkCommand::MouseMoveEvent,
    vtkCommand::RightButtonPressEvent,
    vtkCommand::RightButtonReleaseEvent,
    vtkCommand::EndPickEvent };
  auto relay = vtkSmartPointer<vWrapperRelay>::New();
  relay->Target = this;
  this->Relay = relay;
  for (unsigned long event : events)
  {
    this->ObserverTags[this->NumberOfObservers++] =
      this->Interactor->AddObserver(event, this->Relay, 1.0f);
  }
  return 0;
}

void vViewerWrapperBase::RemoveObservers()
{
  if (this->Interactor)
  {
    for (int i = 0; i < this->NumberOfObservers; ++i)
    {
      this->Interactor->RemoveObserver(this->ObserverTags[i]);
    }
  }
  this->NumberOfObservers = 0;
  this->Interactor = nullptr;
  if (auto* relay = static_cast<vWrapperRelay*>(this->Relay.GetPointer()))
  {
    relay->Target = nullptr;
  }
  this->Relay = nullptr;
}

void vViewerWrapperBase::Execute(vtkObject*, unsigned long, void*) {}

vtkRenderer* vViewerWrapperBase::GetInsetRenderer() const
{
  if (!this->Viewer || !this->RendererManager)
  {
    return nullptr;
  }
  return this->RendererManager->GetRenderer(this->Viewer->GetFirstRendererId());
}

bool vViewerWrapperBase::IsViewerReady() const
{
  return this->Viewer && this->Viewer->GetBuilt() != 0;
}
