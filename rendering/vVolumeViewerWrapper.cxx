#include "vVolumeViewerWrapper.h"

#include "vImage3DLayer.h"
#include "vImage3DLayer2.h"
#include "vInfoResource.h"
#include "vRendererManager.h"
#include "vTextLayer.h"
#include "vVolumeRenderingLayer.h"
#include "vVolumeResourceFake.h"
#include "vVolumeViewer.h"

#include <vtkCamera.h>
#include <vtkImageData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>

#include <cstdio>

namespace
{
constexpr int SliceViews = 3;
constexpr int GridCells = 4;
constexpr int Orientations[SliceViews] = { 2, 1, 0 }; // XY, XZ, YZ
const char* const ViewLabels[GridCells] = { "X-Y", "X-Z", "Y-Z", "3D" };
constexpr int VolumeTextSize = 10;
} // namespace

vVolumeViewerWrapper* vVolumeViewerWrapper::New()
{
  return new vVolumeViewerWrapper;
}

vVolumeViewerWrapper::vVolumeViewerWrapper() = default;

vVolumeViewerWrapper::~vVolumeViewerWrapper() = default;

vViewer* vVolumeViewerWrapper::CreateViewer()
{
  return new vVolumeViewer;
}

template <typename T>
T* vVolumeViewerWrapper::Held(const vRenderableReference<T>& layer) const
{
  // A live layer that has left the viewer (another viewer may have taken it) is not this view's.
  T* live = layer.Get();
  return (live && this->Viewer && this->Viewer->Find(live) >= 0) ? live : nullptr;
}

vImage3DLayer* vVolumeViewerWrapper::GetSliceLayer(int k) const
{
  return k >= 0 && k < SliceViews ? this->Held(this->SliceLayers[k]) : nullptr;
}

vVolumeRenderingLayer* vVolumeViewerWrapper::GetVolumeLayer() const
{
  return this->Held(this->VolumeLayer);
}

vTextLayer* vVolumeViewerWrapper::GetTextLayer(int k) const
{
  return k >= 0 && k < GridCells ? this->Held(this->TextLayers[k]) : nullptr;
}

double vVolumeViewerWrapper::GetPickedValue() const
{
  return this->Probe ? this->Probe->GetPixelIntensity() : 0.0;
}

int vVolumeViewerWrapper::AddInput(vResource* resource)
{
  vVolumeResourceFake* volume = dynamic_cast<vVolumeResourceFake*>(resource);
  if (!volume || !volume->GetImageData() || this->vViewerWrapper::AddInput() < 0)
  {
    return -1;
  }
  this->CreateVolumeLayers(volume);
  this->Create3DVolumeLayer(volume);
  this->CreateTextLayers(volume);
  this->Probe = std::make_unique<vImage3DLayer2>();
  this->Probe->AddInput(volume);
  return 0;
}

void vVolumeViewerWrapper::CreateVolumeLayers(vVolumeResourceFake* volume)
{
  for (int k = 0; k < SliceViews; ++k)
  {
    auto* layer = new vImage3DLayer;
    layer->SetSliceOrientation(Orientations[k]);
    layer->AddInput(volume);
    // Start in the middle of the volume, as a reader of the view expects.
    const int* dimensions = volume->GetImageData()->GetDimensions();
    layer->GetProperty()->SetSliceX(dimensions[Orientations[k]] / 2);
    if (this->Viewer->AddInput(layer, k) < 0)
    {
      delete layer;
      this->SliceLayers[k].Reset();
      continue;
    }
    layer->WorkWithFriend(1);
    this->SliceLayers[k] = layer;
  }
  for (int k = 0; k < SliceViews; ++k)
  {
    for (int j = 0; j < SliceViews; ++j)
    {
      vImage3DLayer* own = this->SliceLayers[k].Get();
      vImage3DLayer* other = this->SliceLayers[j].Get();
      if (j != k && own && other)
      {
        own->AddFriend(other);
      }
    }
  }
  if (vImage3DLayer* key = this->SliceLayers[0].Get())
  {
    this->Viewer->SetKeyLayer(this->Viewer->Find(key));
  }
}

void vVolumeViewerWrapper::Create3DVolumeLayer(vVolumeResourceFake* volume)
{
  auto* layer = new vVolumeRenderingLayer;
  layer->AddInput(volume);
  if (this->Viewer->AddInput(layer, 3) < 0)
  {
    delete layer;
    return;
  }
  this->VolumeLayer = layer;
}

vTextLayer* vVolumeViewerWrapper::AddTextLayer(int k,
  const std::string& topLeft,
  const std::string& topRight,
  const std::string& bottomLeft,
  const std::string& bottomRight)
{
  vInfoResource info;
  info.SetInputTopLeft(topLeft);
  info.SetInputTopRight(topRight);
  info.SetInputBottomLeft(bottomLeft);
  info.SetInputBottomRight(bottomRight);
  auto* layer = new vTextLayer;
  layer->AddInput(&info);
  layer->SetTextSize(VolumeTextSize);
  if (this->Viewer->AddInput(layer, k) < 0)
  {
    delete layer;
    return nullptr;
  }
  return layer;
}

void vVolumeViewerWrapper::CreateTextLayers(vVolumeResourceFake* volume)
{
  const int item = volume->GetCurrentItemId() >= 0 ? volume->GetCurrentItemId() : 0;
  vtkImageData* image = volume->GetImageData();
  const int* dimensions = image->GetDimensions();
  const double* spacing = image->GetSpacing();
  char size[256];
  std::snprintf(size,
    sizeof(size),
    "Image Size: %d x %d x %d\nVoxel Size: %.2f x %.2f x %.2f",
    dimensions[0],
    dimensions[1],
    dimensions[2],
    spacing[0],
    spacing[1],
    spacing[2]);
  char intensity[128];
  std::snprintf(intensity,
    sizeof(intensity),
    "VI (min ~ max): %.0f ~ %.0f",
    volume->GetMinVoxelIntensity(item),
    volume->GetMaxVoxelIntensity(item));
  // Each view is labelled top left. The "Voxel" line has a text layer of its own kind of text:
  // Replace("Voxel") must not reach "Voxel Size", so the description goes to the other views.
  this->TextLayers[0] = this->AddTextLayer(0, ViewLabels[0], "Voxel", "", "");
  this->TextLayers[1] = this->AddTextLayer(1, ViewLabels[1], "", intensity, "");
  this->TextLayers[2] = this->AddTextLayer(2, ViewLabels[2], "", size, "");
  this->TextLayers[3] = this->AddTextLayer(3, ViewLabels[3], "", "", "");
}

int vVolumeViewerWrapper::FindCell(int x, int y) const
{
  if (!this->Viewer || !this->RendererManager)
  {
    return -1;
  }
  for (int k = 0; k < GridCells; ++k)
  {
    vtkRenderer* renderer =
      this->RendererManager->GetRenderer(this->Viewer->GetFirstRendererId() + k);
    const double* viewport = renderer ? renderer->GetViewport() : nullptr;
    // Hidden views (enlarged neighbour) have an empty viewport.
    if (viewport && viewport[2] > viewport[0] && viewport[3] > viewport[1] &&
      renderer->IsInViewport(x, y))
    {
      return k;
    }
  }
  return -1;
}

bool vVolumeViewerWrapper::ChangeSlice(int x, int y)
{
  const int k = this->FindCell(x, y);
  vImage3DLayer* own = this->GetSliceLayer(k);
  if (k < 0 || k >= SliceViews || !own || !own->GetImage())
  {
    return false;
  }
  vtkRenderer* renderer = own->GetRenderer();
  const int normal = Orientations[k];
  vtkImageData* image = own->GetImage();
  // The point on screen at the depth of the slice shown in this view.
  double bounds[6];
  image->GetBounds(bounds);
  const double* origin = image->GetOrigin();
  const double* spacing = image->GetSpacing();
  double planeWorld[3] = { 0, 0, 0 };
  double planeImage[3] = { origin[0], origin[1], origin[2] };
  planeImage[normal] = origin[normal] +
    spacing[normal] * (image->GetExtent()[2 * normal] + own->GetProperty()->GetSliceX());
  own->ImageToWorld(planeImage, planeWorld);
  renderer->SetWorldPoint(planeWorld[0], planeWorld[1], planeWorld[2], 1.0);
  renderer->WorldToDisplay();
  const double depth = renderer->GetDisplayPoint()[2];
  renderer->SetDisplayPoint(x, y, depth);
  renderer->DisplayToWorld();
  double world[4];
  renderer->GetWorldPoint(world);
  for (int i = 0; i < 3 && world[3] != 0; ++i)
  {
    world[i] /= world[3];
  }
  double point[3];
  own->WorldToImage3D(world, point);
  point[normal] = planeImage[normal];
  // Clicks beside the volume move nothing.
  const double margin = 0.5;
  for (int i = 0; i < 3; ++i)
  {
    if (point[i] < bounds[2 * i] - margin * spacing[i] ||
      point[i] > bounds[2 * i + 1] + margin * spacing[i])
    {
      return false;
    }
  }
  double target[3];
  own->ImageToWorld(point, target);
  for (const auto& reference : this->SliceLayers)
  {
    if (vImage3DLayer* layer = this->Held(reference))
    {
      layer->SetPosition(target[0], target[1], target[2]);
    }
  }
  if (this->Probe)
  {
    this->Probe->SetPosition(point[0], point[1], point[2]);
    char text[64];
    std::snprintf(text, sizeof(text), "Voxel: %.2f", this->Probe->GetPixelIntensity());
    if (vTextLayer* voxel = this->GetTextLayer(0))
    {
      voxel->Replace("Voxel", text);
    }
  }
  // The layers were changed behind the viewer's back: let it render them all again.
  this->Viewer->ForceRender();
  this->UpdateProperty();
  return true;
}

void vVolumeViewerWrapper::Enlarge(int x, int y)
{
  if (!this->Viewer || !this->RendererManager)
  {
    return;
  }
  if (this->Enlarged)
  {
    this->Viewer->EnlargeOff();
    this->Enlarged = false;
    return;
  }
  const int k = this->FindCell(x, y);
  if (k < 0)
  {
    return;
  }
  const std::string name =
    this->RendererManager->GetRendererName(this->Viewer->GetFirstRendererId() + k);
  this->Enlarged = this->Viewer->EnlargeOn(name) >= 0;
}

void vVolumeViewerWrapper::Execute(vtkObject* caller, unsigned long eventId, void*)
{
  int x = 0;
  int y = 0;
  vtkRenderWindowInteractor* interactor = this->BeginEvent(caller, x, y);
  if (!interactor)
  {
    return;
  }
  switch (eventId)
  {
    case vtkCommand::LeftButtonPressEvent:
      if (interactor->GetRepeatCount() > 0)
      {
        this->Enlarge(x, y);
        this->DragCell = -1;
        break;
      }
      this->LeftButtonDown = true;
      this->DragCell = this->FindCell(x, y);
      if (this->DragCell >= 0 && this->DragCell < SliceViews)
      {
        this->ChangeSlice(x, y);
      }
      break;
    case vtkCommand::LeftButtonReleaseEvent:
      this->LeftButtonDown = false;
      this->DragCell = -1;
      break;
    case vtkCommand::MouseMoveEvent:
      if (!this->LeftButtonDown)
      {
        break;
      }
      if (this->DragCell == SliceViews)
      {
        vtkRenderer* view =
          this->RendererManager->GetRenderer(this->Viewer->GetFirstRendererId() + SliceViews);
        this->RotateCamera(view, x, y);
        this->RefreshWindow();
      }
      else if (this->DragCell >= 0 && this->FindCell(x, y) == this->DragCell)
      {
        this->ChangeSlice(x, y);
      }
      break;
    default:
      break;
  }
}
