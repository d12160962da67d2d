#include "vViewer.h"

#include "private/vRenderingUtil.h"
#include "vLayer.h"
#include "vRendererManager.h"
#include "vUtil.h"

#include <vtkActor.h>
#include <vtkAxesActor.h>
#include <vtkCoordinate.h>
#include <vtkDataSetMapper.h>
#include <vtkLinearTransform.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPlaneSource.h>
#include <vtkProperty.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkScalarBarActor.h>
#include <vtkScalarsToColors.h>
#include <vtkTransform.h>
#include <vtkTransformPolyDataFilter.h>

#include <algorithm>
#include <vector>

vViewer::vViewer()
{
  this->SetName("Viewer");
  this->SetType("Viewer");
  vProp* prop = this->GetProperty();
  prop->SetClippingPlane(0);
  const double black[3] = { 0.0, 0.0, 0.0 };
  prop->SetBackgroundColor(black);
  prop->SetAxes(1);
  prop->SetColorBar(0);
  this->SetupAxes();
}

vViewer::~vViewer()
{
  this->ReleaseWeakReferences();
  vViewer::Delete();
}

void vViewer::SetupAxes()
{
  this->AxesActor = vtkSmartPointer<vtkAxesActor>::New();
  this->AxesActor->SetXAxisLabelText("X");
  this->AxesActor->SetYAxisLabelText("Y");
  this->AxesActor->SetZAxisLabelText("Z");
  this->AxesActor->SetTotalLength(50, 50, 50);
  this->AxesActor->SetShaftTypeToLine();
  this->AxesActor->PickableOff();
  if (this->GetProperty()->GetAxes() == 0)
  {
    this->AxesActor->VisibilityOff();
  }
}

void vViewer::RefreshAll()
{
  if (this->RendererManager != nullptr)
  {
    this->RendererManager->Refresh();
  }
}

void vViewer::Delete()
{
  if (this->RendererManager != nullptr && this->RenderWindowId >= 0)
  {
    // The viewer's renderers are those of its own window, which need not be the current one.
    vRendererManager* manager = this->RendererManager;
    if (manager->GetRenderWindow(this->RenderWindowId) != nullptr)
    {
      const int current = manager->SetCurrentRenderWindowId(this->RenderWindowId);
      manager->UnregisterModule(this->GetName());
      if (vtkRenderer* main = manager->GetRenderer(this->RenderWindowId, 0))
      {
        main->SetBackground(0.0, 0.0, 0.0);
      }
      manager->SetCurrentRenderWindowId(current);
    }
    this->RenderWindowId = -1;
  }
  this->AxesActor = nullptr;
  this->ClippingPlaneActor = nullptr;
  this->ColorBar = nullptr;
  this->DestroyAllLayers();
  this->Built = 0;
}

void vViewer::DestroyAllLayers()
{
  // The list is emptied before any layer goes, so a layer's notice (MakeClone) finds nothing.
  std::vector<std::unique_ptr<vLayer>> layers;
  layers.swap(this->Layers);
  this->KeyLayerId = -1;
  for (auto& layer : layers)
  {
    layer->RemoveConsumer(this);
    layer.reset();
  }
}

void vViewer::MakeClone(vObject* source)
{
  // A layer of this viewer announces that it goes away (it is being destroyed by someone else):
  // forget it, so the list never holds a pointer to a destroyed layer. Layers the viewer destroys
  // itself have left the list before they announce anything.
  const int index = this->Find(dynamic_cast<vLayer*>(source));
  if (index >= 0)
  {
    // Whoever destroys the layer owns it now: the viewer lets go without destroying it. The
    // layer is telling its consumers right now, so its consumer table is left as it is.
    static_cast<void>(this->Forget(index, false).release());
  }
}

std::unique_ptr<vLayer> vViewer::Forget(int index, bool stopConsuming)
{
  if (index == this->KeyLayerId)
  {
    this->KeyLayerId = -1;
  }
  else if (index < this->KeyLayerId)
  {
    // The key layer moves down with the others.
    --this->KeyLayerId;
  }
  std::unique_ptr<vLayer> layer = std::move(this->Layers[index]);
  this->Layers.erase(this->Layers.begin() + index);
  if (stopConsuming)
  {
    layer->RemoveConsumer(this);
  }
  return layer;
}

std::string vViewer::ToV()
{
  return "";
}

void vViewer::Render()
{
  if (this->Built == 0)
  {
    this->InternalRender();
  }
  this->RefreshAll();
  this->Built = 1;
}

void vViewer::InternalRender()
{
  if (this->RendererManager != nullptr && this->CurrentItem >= 0)
  {
    // Each layer would reset its renderer's clipping range, looking at every prop each time; one
    // reset per renderer after all layers gives the same view at a cost linear in the layers.
    std::vector<vtkRenderer*> renderers;
    for (int i = 0; i < this->GetNumberOfItems(); ++i)
    {
      vLayer* layer = this->Layers[i].get();
      const int wasBuilt = layer->GetBuilt();
      layer->SetBatchRendering(1);
      layer->Render();
      layer->SetBatchRendering(0);
      vtkRenderer* renderer = layer->GetRenderer();
      if (!wasBuilt && layer->GetBuilt() && renderer != nullptr &&
        std::find(renderers.begin(), renderers.end(), renderer) == renderers.end())
      {
        renderers.push_back(renderer);
      }
    }
    for (vtkRenderer* renderer : renderers)
    {
      renderer->ResetCameraClippingRange();
    }
    this->Built = 1;
  }
}

void vViewer::SetTransform(double matrix[16])
{
  this->vRenderable::SetTransform(matrix);
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    this->Layers[i]->SetTransform(matrix);
  }
  this->Built = 0;
}

void vViewer::SetOpacity(double opacity)
{
  this->vRenderable::SetOpacity(opacity);
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    this->Layers[i]->SetOpacity(opacity);
  }
  this->Built = 0;
}

void vViewer::SetScaleFactor(double factor)
{
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    this->Layers[i]->SetScaleFactor(factor);
  }
}

void vViewer::SetColor(double rgb[3])
{
  this->GetProperty()->SetColor(rgb);
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    this->Layers[i]->SetColor(rgb);
  }
  this->Built = 0;
}

void vViewer::SetBackgroundColor(double rgb[3])
{
  this->GetProperty()->SetBackgroundColor(rgb);
  if (this->RendererManager != nullptr && this->FirstRendererId >= 0)
  {
    const int count = this->RendererManager->GetNumberOfRenderer();
    for (int i = this->FirstRendererId; i < count; ++i)
    {
      this->RendererManager->GetRenderer(i)->SetBackground(rgb);
    }
  }
  this->Built = 0;
}

void vViewer::Refresh()
{
  if (this->RendererManager != nullptr && this->RendererManager->GetRenderWindow() != nullptr)
  {
    this->RendererManager->Refresh();
  }
}

void vViewer::ResetCamera()
{
  if (this->RendererManager == nullptr || this->FirstRendererId < 0)
  {
    return;
  }
  const int count = this->RendererManager->GetNumberOfRenderer();
  for (int i = this->FirstRendererId; i <= count - 2; ++i)
  {
    this->RendererManager->GetRenderer(i)->ResetCamera();
  }
  this->RefreshAll();
}

void vViewer::RemoveAllItems()
{
  for (auto& layer : this->Layers)
  {
    layer->RemoveAllItems();
  }
  this->DestroyAllLayers();
  this->Built = 0;
}

void vViewer::SetRenderer(vRendererManager* manager)
{
  if (manager == nullptr)
  {
    return;
  }
  this->RendererManager = manager;
  const int win = manager->GetCurrentRenderWindowId();
  const int r = manager->SingleRenderer(win);
  this->FirstRendererId = r;
  if (r < 0)
  {
    return;
  }
  this->RenderWindowId = win;
  manager->RegisterRenderer(manager->GetRendererName(r), this->GetName());

  vtkRenderWindow* window = manager->GetRenderWindow(win);
  if (window->GetNumberOfLayers() < 2)
  {
    window->SetNumberOfLayers(2);
  }
  vtkNew<vtkRenderer> axes;
  axes->SetActiveCamera(manager->GetRenderer(win, r)->GetActiveCamera());
  axes->SetLayer(1);
  axes->InteractiveOff();
  if (this->AxesActor != nullptr)
  {
    axes->AddActor(this->AxesActor);
  }
  axes->SetViewport(0.0, 0.0, 0.2, 0.2);
  manager->AddRenderer(win, axes, "Axes");
}

void vViewer::RemoveItem(int index)
{
  if (!this->IsIndex(index))
  {
    return;
  }
  std::unique_ptr<vLayer> layer = this->Forget(index);
  layer->RemoveAllItems();
}

void vViewer::RemoveItem(const std::string& name)
{
  const std::string wanted = vRenderingUtil::Trim(name);
  for (int i = 0; i < this->GetNumberOfItems();)
  {
    if (vUtil::EqualsNoCase(vRenderingUtil::Trim(this->Layers[i]->GetName()), wanted))
    {
      this->RemoveItem(i);
    }
    else
    {
      ++i;
    }
  }
  this->Render();
}

void vViewer::ShowLayer(int index)
{
  if (this->IsIndex(index))
  {
    this->Layers[index]->VisibilityOn();
  }
}

void vViewer::HideLayer(int index)
{
  if (this->IsIndex(index))
  {
    this->Layers[index]->VisibilityOff();
  }
}

void vViewer::SetOpacity(const std::string& name, double opacity)
{
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (vUtil::EqualsNoCase(this->Layers[i]->GetName(), name))
    {
      this->Layers[i]->SetOpacity(opacity);
    }
  }
}

void vViewer::SetScaleFactor(const std::string& name, double factor)
{
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (vUtil::EqualsNoCase(this->Layers[i]->GetName(), name))
    {
      this->Layers[i]->SetScaleFactor(factor);
    }
  }
}

void vViewer::ResetCamera(const std::string& rendererName)
{
  if (this->RendererManager == nullptr)
  {
    return;
  }
  const int i = this->RendererManager->Find(rendererName);
  if (vtkRenderer* renderer = i >= 0 ? this->RendererManager->GetRenderer(i) : nullptr)
  {
    renderer->ResetCamera();
  }
}

void vViewer::ResetCamera(int k)
{
  if (this->RendererManager == nullptr)
  {
    return;
  }
  if (vtkRenderer* renderer = this->RendererManager->GetRenderer(this->FirstRendererId + k))
  {
    renderer->ResetCamera();
  }
}

void vViewer::ShowAxes(bool on)
{
  if (this->AxesActor != nullptr)
  {
    this->AxesActor->SetVisibility(on ? 1 : 0);
  }
  this->GetProperty()->SetAxes(on ? 1 : 0);
  this->RefreshAll();
}

void vViewer::ClippingOn()
{
  double centre[3] = { 0.0, 0.0, 0.0 };
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (this->Layers[i]->isA("MeshLayer"))
    {
      this->Layers[i]->GetGeometryCenter(centre);
    }
  }
  if (this->ClippingPlaneActor == nullptr)
  {
    vtkNew<vtkPlaneSource> plane;
    plane->SetCenter(0.0, 0.0, 0.0);
    plane->SetResolution(5, 5);
    vtkNew<vtkTransform> scale;
    scale->Scale(20.0, 20.0, 20.0);
    vtkNew<vtkTransformPolyDataFilter> scaled;
    scaled->SetInputConnection(plane->GetOutputPort());
    scaled->SetTransform(scale);
    vtkNew<vtkDataSetMapper> mapper;
    mapper->SetInputConnection(scaled->GetOutputPort());
    this->ClippingPlaneActor = vtkSmartPointer<vtkActor>::New();
    this->ClippingPlaneActor->SetMapper(mapper);
    vtkProperty* property = this->ClippingPlaneActor->GetProperty();
    property->SetColor(1.0, 0.5, 0.25);
    property->SetOpacity(0.5);
    property->EdgeVisibilityOn();
    property->SetEdgeColor(1.0, 0.25, 0.25);
    property->SetLineWidth(4);
    vtkNew<vtkTransform> place;
    place->Translate(centre);
    this->ClippingPlaneActor->SetUserTransform(place);
    if (this->RendererManager != nullptr)
    {
      if (vtkRenderer* renderer = this->RendererManager->GetRenderer(1))
      {
        renderer->AddActor(this->ClippingPlaneActor);
      }
    }
  }
  else
  {
    this->ClippingPlaneActor->VisibilityOn();
  }
  this->GetProperty()->SetClippingPlane(1);
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    this->Layers[i]->ClippingOn(this->ClippingPlaneActor);
  }
}

void vViewer::ClippingOff()
{
  if (this->ClippingPlaneActor != nullptr)
  {
    this->ClippingPlaneActor->VisibilityOff();
  }
  this->GetProperty()->SetClippingPlane(0);
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    this->Layers[i]->ClippingOff();
  }
}

void vViewer::MoveClippingPlane(vtkTransform* t)
{
  if (this->ClippingPlaneActor == nullptr || t == nullptr)
  {
    return;
  }
  if (vtkLinearTransform* old = this->ClippingPlaneActor->GetUserTransform())
  {
    vtkNew<vtkTransform> moved;
    moved->SetMatrix(old->GetMatrix());
    moved->Concatenate(t);
    this->ClippingPlaneActor->SetUserTransform(moved);
  }
  else
  {
    this->ClippingPlaneActor->SetUserTransform(t);
  }
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    this->Layers[i]->UpdateClippingPlane(this->ClippingPlaneActor);
  }
  this->RefreshAll();
}

int vViewer::Find(const std::string& name)
{
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (vRenderingUtil::Trim(this->Layers[i]->GetName()) == name)
    {
      return i;
    }
  }
  return -1;
}

int vViewer::Find(vLayer* layer)
{
  if (layer == nullptr)
  {
    return -1;
  }
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (this->Layers[i].get() == layer)
    {
      return i;
    }
  }
  return -1;
}

int vViewer::Find(vtkProp* prop)
{
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (this->Layers[i]->Find(prop) >= 0)
    {
      return i;
    }
  }
  return -1;
}

int vViewer::SearchResource(const std::string& resourceName)
{
  if (vLayer* key = this->GetKeyLayer())
  {
    if (key->SearchResource(resourceName) >= 0)
    {
      return this->KeyLayerId;
    }
  }
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (this->Layers[i]->SearchResource(resourceName) >= 0)
    {
      return i;
    }
  }
  return -1;
}

std::string vViewer::ValidateLayerName(const std::string& name) const
{
  if (this->GetNumberOfItems() == 0)
  {
    return name;
  }
  auto taken = [this](const std::string& candidate)
  {
    for (int i = 0; i < this->GetNumberOfItems(); ++i)
    {
      if (this->Layers[i]->GetName() == candidate)
      {
        return true;
      }
    }
    return false;
  };
  std::string candidate = name;
  for (int counter = 0; taken(candidate); ++counter)
  {
    candidate = name + std::to_string(counter);
  }
  return candidate;
}

int vViewer::AddLayerToRenderer(vLayer* layer, int rendererIndex)
{
  // A layer that a viewer (this one or another) holds already has its owner.
  if (layer == nullptr || this->GetNumberOfItems() >= MaxNumberOfLayers ||
    layer->IsHeldByViewer() || this->RendererManager == nullptr)
  {
    return -1;
  }
  vRendererManager* manager = this->RendererManager;
  const int win =
    this->RenderWindowId >= 0 ? this->RenderWindowId : manager->GetCurrentRenderWindowId();
  vtkRenderer* renderer = manager->GetRenderer(win, rendererIndex);
  const tagRENDERERPROP* record = manager->GetRendererProp(win);
  if (renderer == nullptr || record == nullptr)
  {
    return -1;
  }
  const int n = this->GetNumberOfItems();
  layer->SetRenderWindow(manager->GetRenderWindow(win));
  layer->SetRenderer(renderer);
  const std::string rendererName =
    rendererIndex < static_cast<int>(record->names.size()) ? record->names[rendererIndex] : "";
  layer->SetRendererName(rendererName.c_str());
  layer->SetRendererManager(manager);
  if (double* colour = this->ColorMap.GetNextUsableColor())
  {
    layer->SetColor(colour);
  }
  const std::string resource = layer->GetProperty()->GetResourceName();
  std::string proposed;
  if (resource != "null" && !resource.empty())
  {
    proposed = "Layer_" + resource;
  }
  else
  {
    proposed = "Layer_" + std::to_string(n) + " ";
  }
  // The new layer is not counted yet, so its own (old) name never clashes with itself.
  layer->SetName(this->ValidateLayerName(proposed));
  layer->AddConsumer(this);
  this->Layers.emplace_back(layer);
  this->Built = 0;
  return n;
}

int vViewer::AddInput(vLayer* layer)
{
  return this->AddLayerToRenderer(layer, this->FirstRendererId + this->CurrentRendererId);
}

int vViewer::AddInput(vLayer* layer, int k)
{
  if (this->FirstRendererId < 0)
  {
    return this->AddInput(layer);
  }
  return this->AddLayerToRenderer(layer, this->FirstRendererId + k);
}

int vViewer::AddInput(vLayer* layer, const std::string& rendererName)
{
  if (this->FirstRendererId < 0)
  {
    return this->AddInput(layer);
  }
  if (this->RendererManager == nullptr)
  {
    return -1;
  }
  const int win = this->RenderWindowId >= 0 ? this->RenderWindowId
                                            : this->RendererManager->GetCurrentRenderWindowId();
  const tagRENDERERPROP* record = this->RendererManager->GetRendererProp(win);
  int index = -1;
  for (size_t i = 0; record != nullptr && i < record->names.size(); ++i)
  {
    if (record->names[i] == rendererName)
    {
      index = static_cast<int>(i);
      break;
    }
  }
  if (index < 0)
  {
    return -1;
  }
  return this->AddLayerToRenderer(layer, index);
}

vLayer* vViewer::GetInput(int i) const
{
  return this->IsIndex(i) ? this->Layers[i].get() : nullptr;
}

vLayer* vViewer::GetInput() const
{
  return this->GetInput(this->CurrentItem);
}

vLayer* vViewer::GetInput(const std::string& name) const
{
  vLayer* found = nullptr;
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (vUtil::EqualsNoCase(this->Layers[i]->GetName(), name))
    {
      found = this->Layers[i].get();
    }
  }
  return found;
}

vLayer* vViewer::GetNextInput()
{
  if (this->CurrentItem < 0 || this->CurrentItem >= this->GetNumberOfItems())
  {
    return nullptr;
  }
  return this->Layers[this->CurrentItem++].get();
}

vLayer* vViewer::GetNextInput(const std::string& name)
{
  int found = -1;
  for (int i = this->CurrentItem < 0 ? 0 : this->CurrentItem; i < this->GetNumberOfItems(); ++i)
  {
    if (vUtil::EqualsNoCase(this->Layers[i]->GetName(), name))
    {
      found = i;
    }
  }
  if (found < 0)
  {
    return nullptr;
  }
  this->CurrentItem = found + 1;
  return this->Layers[found].get();
}

vLayer* vViewer::GetKeyLayer() const
{
  return this->GetInput(this->KeyLayerId);
}

vtkActor* vViewer::GetClippingPlane() const
{
  return this->ClippingPlaneActor;
}

vtkAxesActor* vViewer::GetAxesActor() const
{
  return this->AxesActor;
}

vtkScalarBarActor* vViewer::GetColorBar() const
{
  return this->ColorBar;
}

void vViewer::ResetClippingPlane()
{
  if (this->ClippingPlaneActor == nullptr)
  {
    return;
  }
  if (this->RendererManager != nullptr)
  {
    if (vtkRenderer* renderer = this->RendererManager->GetRenderer(1))
    {
      renderer->RemoveActor(this->ClippingPlaneActor);
    }
  }
  this->ClippingPlaneActor = nullptr;
  this->ClippingOn();
  this->RefreshAll();
}

void vViewer::Mirror()
{
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    // Each layer turns without drawing (a slice layer rebuilds); the window is drawn once.
    vLayer* layer = this->Layers[i].get();
    const int previous = layer->WorkWithFriend(0);
    const int batch = layer->GetBatchRendering();
    layer->SetBatchRendering(1);
    layer->Mirror();
    layer->SetBatchRendering(batch);
    layer->WorkWithFriend(previous);
  }
  this->Refresh();
}

void vViewer::Flip()
{
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    // Each layer turns without drawing (a slice layer rebuilds); the window is drawn once.
    vLayer* layer = this->Layers[i].get();
    const int previous = layer->WorkWithFriend(0);
    const int batch = layer->GetBatchRendering();
    layer->SetBatchRendering(1);
    layer->Flip();
    layer->SetBatchRendering(batch);
    layer->WorkWithFriend(previous);
  }
  this->Refresh();
}

void vViewer::ForceRender()
{
  this->InternalRender();
  this->RefreshAll();
  this->Built = 1;
}

std::string vViewer::GetLayerInfo()
{
  if (this->GetNumberOfItems() == 0)
  {
    return "No Layers";
  }
  const std::vector<int> widths = { 10, 20, 20, 20 };
  std::string text = "number of layers: " + std::to_string(this->GetNumberOfItems()) + "\r\n";
  text += "-------------------------\r\n";
  text += vUtil::ConstructRow({ "id", "name", "resource", "ren" }, widths);
  text += "\n";
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (i > 0)
    {
      text += "\r\n";
    }
    vLayer* layer = this->Layers[i].get();
    text += vUtil::ConstructRow({ std::to_string(i),
                                  layer->GetName(),
                                  layer->GetFirstResourceName(),
                                  layer->GetRendererName() },
      widths);
  }
  return text;
}

std::string vViewer::GetLayerInfo(int i)
{
  return this->IsIndex(i) ? this->Layers[i]->GetInfo() : std::string();
}

void vViewer::CreateColorBar()
{
  if (this->ColorBar != nullptr)
  {
    return;
  }
  vLayer* layer = this->GetInput();
  vtkScalarsToColors* table = layer ? layer->GetLut() : nullptr;
  if (table == nullptr)
  {
    return;
  }
  this->ColorBar = vtkSmartPointer<vtkScalarBarActor>::New();
  this->ColorBar->SetLookupTable(table);
  this->ColorBar->PickableOff();
  this->ColorBar->GetPositionCoordinate()->SetCoordinateSystemToNormalizedViewport();
  switch (this->GetProperty()->GetColorBar())
  {
    case 1:
      this->ColorBar->SetOrientationToVertical();
      this->ColorBar->SetWidth(0.1);
      this->ColorBar->SetHeight(0.6);
      this->ColorBar->SetPosition(0.02, 0.2);
      break;
    case 2:
      this->ColorBar->SetOrientationToVertical();
      this->ColorBar->SetWidth(0.1);
      this->ColorBar->SetHeight(0.6);
      this->ColorBar->SetPosition(0.88, 0.2);
      break;
    case 3:
      this->ColorBar->SetOrientationToHorizontal();
      this->ColorBar->SetWidth(0.6);
      this->ColorBar->SetHeight(0.1);
      this->ColorBar->SetPosition(0.2, 0.88);
      break;
    case 4:
      this->ColorBar->SetOrientationToHorizontal();
      this->ColorBar->SetWidth(0.6);
      this->ColorBar->SetHeight(0.1);
      this->ColorBar->SetPosition(0.2, 0.02);
      break;
    default:
      break;
  }
  if (this->RendererManager != nullptr)
  {
    if (vtkRenderer* renderer = this->RendererManager->GetRenderer(this->FirstRendererId))
    {
      renderer->AddActor2D(this->ColorBar);
    }
  }
}

void vViewer::RemoveColorBar()
{
  if (this->ColorBar == nullptr)
  {
    return;
  }
  if (this->RendererManager != nullptr)
  {
    if (vtkRenderer* renderer = this->RendererManager->GetRenderer(this->FirstRendererId))
    {
      renderer->RemoveActor2D(this->ColorBar);
    }
  }
  this->ColorBar = nullptr;
  this->RefreshAll();
}

void vViewer::SetColorBar(int code)
{
  const int previous = this->GetProperty()->GetColorBar();
  this->GetProperty()->SetColorBar(code);
  if (code == 0)
  {
    this->RemoveColorBar();
  }
  else if (code != previous || this->ColorBar == nullptr)
  {
    // A bar that could not be made before (no lookup table then) is tried again.
    this->RemoveColorBar();
    this->CreateColorBar();
  }
  this->RefreshAll();
}

int vViewer::EnlargeOn(const std::string& rendererName)
{
  return this->RendererManager ? this->RendererManager->Enlarge(rendererName) : -1;
}

int vViewer::EnlargeOff()
{
  return this->RendererManager ? this->RendererManager->Restore() : -1;
}
