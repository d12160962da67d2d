#include "vImageLayer.h"

#include "QovaColorMap.h"

#include "private/vImageSliceViewer.h"

#include "vVolumeResourceFake.h"

#include <vtkActor.h>
#include <vtkCamera.h>
#include <vtkDataSetMapper.h>
#include <vtkImageActor.h>
#include <vtkImageData.h>
#include <vtkImageMapToColors.h>
#include <vtkImageReslice.h>
#include <vtkImageViewer2.h>
#include <vtkLookupTable.h>
#include <vtkMatrix4x4.h>
#include <vtkOutlineSource.h>
#include <vtkProperty.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>

#include <cmath>

namespace
{
bool IsIdentity(vtkMatrix4x4* m)
{
  for (int i = 0; i < 4; ++i)
  {
    for (int j = 0; j < 4; ++j)
    {
      if (m->GetElement(i, j) != (i == j ? 1.0 : 0.0))
      {
        return false;
      }
    }
  }
  return true;
}
} // namespace

vImageLayer::vImageLayer()
{
  this->Reslice = vtkSmartPointer<vtkImageReslice>::New();
  this->Reslice->SetOutputDimensionality(2);
  this->LookupTable->SetHueRange(0, 0);
  this->LookupTable->SetSaturationRange(0, 0);
  this->LookupTable->SetValueRange(0, 1);
  this->LookupTable->SetAlphaRange(1, 1);
  this->LookupTable->Build();
  this->ColorMapper->SetLookupTable(this->LookupTable);
  this->ColorMapper->SetOutputFormatToRGBA();
  this->GetProperty()->SetName("imagelayer");
  this->SetType("image");
  this->GetProperty()->SetLookupTable("None");
  const double contrast[2] = { 0, 0 };
  this->GetProperty()->SetContrast(contrast);
  this->SetSliceOrientation(this->GetProperty()->GetOrientation());
}

vImageLayer::~vImageLayer()
{
  this->vImageLayer::RemoveAllItems();
}

bool vImageLayer::IsImageType(const std::string& type)
{
  return type.find("image") != std::string::npos;
}

void vImageLayer::SetContrast(double window[2])
{
  this->GetProperty()->SetContrast(window);
  this->Built = 0;
  if (this->WorkWithFriends)
  {
    this->ForEachFriend(
      [window](vLayer* layer)
      {
        if (IsImageType(layer->GetType()))
        {
          layer->SetContrast(window);
        }
      });
  }
}

void vImageLayer::SetColor(double*) {}

void vImageLayer::GetBounds(int extent[6])
{
  for (int i = 0; i < 6; ++i)
  {
    extent[i] = -1;
  }
  if (this->Image)
  {
    this->Image->GetExtent(extent);
  }
}

void vImageLayer::SetPosition(double, double, double) {}

vtkScalarsToColors* vImageLayer::GetLut()
{
  return this->LookupTable;
}

vtkLookupTable* vImageLayer::GetLookupTable()
{
  return this->LookupTable;
}

vtkImageViewer2* vImageLayer::GetImageViewer()
{
  return this->ImageViewer;
}

vtkProp3D* vImageLayer::GetImageActor()
{
  return this->ImageViewer ? this->ImageViewer->GetImageActor() : nullptr;
}

void vImageLayer::ApplyContrast()
{
  double contrast[2];
  this->GetProperty()->GetContrast(contrast);
  if (contrast[1] > contrast[0])
  {
    this->LookupTable->SetTableRange(contrast[0], contrast[1]);
  }
  else if (this->ScalarRange[1] > this->ScalarRange[0])
  {
    this->LookupTable->SetTableRange(this->ScalarRange[0], this->ScalarRange[1]);
  }
  this->LookupTable->Build();
}

void vImageLayer::ApplyDisplayState()
{
  vtkImageActor* actor = this->ImageViewer ? this->ImageViewer->GetImageActor() : nullptr;
  if (!actor)
  {
    return;
  }
  const double opacity = this->GetProperty()->GetOpacity();
  actor->SetOpacity(opacity >= 0 ? opacity : 1.0);
  actor->SetVisibility(this->GetProperty()->GetVisibility() != 0);
  this->UpdateActorMatrix();
}

void vImageLayer::UpdateActorMatrix()
{
  vtkNew<vtkMatrix4x4> full;
  vtkMatrix4x4::Multiply4x4(this->Matrix, this->Placement, full);
  if (vtkProp3D* actor = this->GetImageActor())
  {
    if (IsIdentity(full))
    {
      actor->SetUserMatrix(nullptr);
    }
    else
    {
      vtkNew<vtkMatrix4x4> copy;
      copy->DeepCopy(full);
      actor->SetUserMatrix(copy);
    }
  }
  if (this->Outline)
  {
    vtkNew<vtkMatrix4x4> copy;
    copy->DeepCopy(this->Matrix);
    this->Outline->SetUserMatrix(copy);
  }
}

void vImageLayer::SetOpacity(double opacity)
{
  this->GetProperty()->SetOpacity(opacity);
  if (vtkImageActor* actor = this->ImageViewer ? this->ImageViewer->GetImageActor() : nullptr)
  {
    actor->SetOpacity(opacity);
  }
  if (this->WorkWithFriends)
  {
    this->ForEachFriend([opacity](vLayer* layer) { layer->SetOpacity(opacity); });
  }
}

void vImageLayer::VisibilityOn()
{
  this->GetProperty()->SetVisibility(1);
  if (vtkProp3D* actor = this->GetImageActor())
  {
    actor->VisibilityOn();
  }
  if (this->Outline && this->GetProperty()->GetBoundingBox() > 0)
  {
    this->Outline->VisibilityOn();
  }
  this->Refresh();
}

void vImageLayer::VisibilityOff()
{
  this->GetProperty()->SetVisibility(0);
  if (vtkProp3D* actor = this->GetImageActor())
  {
    actor->VisibilityOff();
  }
  if (this->Outline)
  {
    this->Outline->VisibilityOff();
  }
  this->Refresh();
}

void vImageLayer::SetTransform(double matrix[16])
{
  this->GetProperty()->SetRigidTransform(matrix);
  this->Matrix->DeepCopy(matrix);
  vtkMatrix4x4::Invert(this->Matrix, this->InverseMatrix);
  this->UpdateActorMatrix();
}

void vImageLayer::ComposeTurn(bool mirror)
{
  // A half turn about one axis negates the two others; which turn depends on the plane shown.
  double diagonal[3] = { 1, 1, 1 };
  const int orientation = this->GetSliceOrientation();
  if (mirror)
  {
    diagonal[0] = -1;
    diagonal[orientation == 2 ? 2 : 1] = -1;
  }
  else
  {
    diagonal[orientation == 0 ? 0 : 1] = -1;
    diagonal[2] = -1;
  }
  vtkNew<vtkMatrix4x4> turn;
  for (int i = 0; i < 3; ++i)
  {
    turn->SetElement(i, i, diagonal[i]);
  }
  vtkNew<vtkMatrix4x4> result;
  vtkMatrix4x4::Multiply4x4(turn, this->Matrix, result);
  double elements[16];
  vtkMatrix4x4::DeepCopy(elements, result);
  this->SetTransform(elements);
  this->Built = 0;
}

void vImageLayer::Mirror()
{
  this->ComposeTurn(true);
  this->Render();
  // The friends follow through the base behaviour (v3DLayer's own reflection is not wanted).
  this->vLayer::Mirror(); // NOLINT(bugprone-parent-virtual-call)
}

void vImageLayer::Flip()
{
  this->ComposeTurn(false);
  this->Render();
  this->vLayer::Flip(); // NOLINT(bugprone-parent-virtual-call)
}

int vImageLayer::Find(vtkProp* p)
{
  if (!p)
  {
    return -1;
  }
  if (p == this->GetImageActor() || (this->Outline && p == this->Outline.GetPointer()))
  {
    return 0;
  }
  return -1;
}

void vImageLayer::CreateBoundingBoxes()
{
  if (this->Outline && this->Renderer)
  {
    this->Renderer->RemoveActor(this->Outline);
  }
  this->Outline = nullptr;
  if (!this->Image)
  {
    return;
  }
  vtkNew<vtkOutlineSource> source;
  source->SetBounds(this->Image->GetBounds());
  vtkNew<vtkDataSetMapper> mapper;
  mapper->SetInputConnection(source->GetOutputPort());
  this->Outline = vtkSmartPointer<vtkActor>::New();
  this->Outline->SetMapper(mapper);
  this->Outline->GetProperty()->SetRepresentationToWireframe();
  double color[3];
  this->GetProperty()->GetColor(color);
  if (color[0] >= 0 && color[1] >= 0 && color[2] >= 0)
  {
    this->Outline->GetProperty()->SetColor(color);
  }
  this->Outline->PickableOff();
  this->UpdateActorMatrix();
  if (this->Renderer)
  {
    this->Renderer->AddActor(this->Outline);
  }
}

void vImageLayer::BoundingBoxOn()
{
  this->GetProperty()->SetBoundingBox(1);
  if (this->Outline)
  {
    this->Outline->VisibilityOn();
  }
  else
  {
    this->CreateBoundingBoxes();
  }
}

void vImageLayer::BoundingBoxOff()
{
  this->GetProperty()->SetBoundingBox(0);
  if (this->Outline)
  {
    this->Outline->VisibilityOff();
  }
}

void vImageLayer::RemoveAllItems()
{
  if (this->Renderer)
  {
    if (vtkProp3D* actor = this->GetImageActor())
    {
      this->Renderer->RemoveViewProp(actor);
    }
    if (this->Outline)
    {
      this->Renderer->RemoveActor(this->Outline);
    }
  }
  this->Outline = nullptr;
  this->v3DLayer::RemoveAllItems();
}

void vImageLayer::SetSlice(int slice[3])
{
  this->GetProperty()->SetSlice(slice);
  this->Built = 0;
}

void vImageLayer::GetSlice(int slice[3])
{
  this->GetProperty()->GetSlice(slice);
}

int vImageLayer::GetSliceOrientation()
{
  return this->GetProperty()->GetOrientation();
}

void vImageLayer::SetSliceOrientation(int orientation)
{
  this->GetProperty()->SetOrientation(orientation);
  this->Built = 0;
}

void vImageLayer::GetScalarRange(double range[2])
{
  range[0] = this->ScalarRange[0];
  range[1] = this->ScalarRange[1];
}

void vImageLayer::SetLookupTable(const std::string& name)
{
  this->GetProperty()->SetLookupTable(name);
  if (QovaColorMap::ApplyLookupTable(this->LookupTable, name))
  {
    this->Built = 0;
  }
  if (this->WorkWithFriends)
  {
    this->ForEachFriend(
      [&name](vLayer* layer)
      {
        vImageLayer* image = dynamic_cast<vImageLayer*>(layer);
        if (image && IsImageType(layer->GetType()))
        {
          image->SetLookupTable(name);
        }
      });
  }
}

void vImageLayer::WorldToImage3D(const double world[3], double image[3])
{
  const double in[4] = { world[0], world[1], world[2], 1.0 };
  double out[4];
  this->InverseMatrix->MultiplyPoint(in, out);
  for (int i = 0; i < 3; ++i)
  {
    image[i] = out[3] != 0 ? out[i] / out[3] : out[i];
  }
}

void vImageLayer::ImageToWorld(const double image[3], double world[3])
{
  const double in[4] = { image[0], image[1], image[2], 1.0 };
  double out[4];
  this->Matrix->MultiplyPoint(in, out);
  for (int i = 0; i < 3; ++i)
  {
    world[i] = out[3] != 0 ? out[i] / out[3] : out[i];
  }
}

int vImageLayer::SliceOfPoint(double x, double y, double z)
{
  if (!this->Image)
  {
    return -1;
  }
  double p[3] = { x, y, z };
  if (!IsIdentity(this->Matrix))
  {
    const double world[3] = { x, y, z };
    this->WorldToImage3D(world, p);
  }
  double bounds[6];
  this->Image->GetBounds(bounds);
  const double* spacing = this->Image->GetSpacing();
  int axis = this->GetSliceOrientation();
  if (axis < 0 || axis > 2)
  {
    axis = 2;
  }
  if (spacing[axis] == 0)
  {
    return 0;
  }
  // trunc(n + 0.5): a point halfway between two slices takes the upper one.
  return static_cast<int>(std::trunc((p[axis] - bounds[2 * axis]) / spacing[axis] + 0.5));
}

vtkImageData* vImageLayer::GetImage()
{
  return this->Image;
}

vVolumeResourceFake* vImageLayer::TakeVolume(vResource* resource, int item)
{
  vVolumeResourceFake* volume = dynamic_cast<vVolumeResourceFake*>(resource);
  if (!volume || item < 0 || item >= volume->GetNumberOfItems() || !volume->GetImageData(item))
  {
    return nullptr;
  }
  this->v3DLayer::AddInput(resource);
  this->Image = volume->GetImageData(item);
  double centre[3];
  this->Image->GetCenter(centre);
  this->GetProperty()->SetPosition(centre);
  this->ScalarRange[0] = volume->GetMinVoxelIntensity(item);
  this->ScalarRange[1] = volume->GetMaxVoxelIntensity(item);
  this->GetProperty()->SetContrast(this->ScalarRange);
  this->GetProperty()->SetScalarRange(this->ScalarRange);
  this->MakeImageViewer();
  this->Built = 0;
  return volume;
}

bool vImageLayer::BuildViewerSlice()
{
  if (!this->ImageViewer || !this->Image || !this->Renderer || !this->RenderWindow)
  {
    return false;
  }
  vImageSliceViewer* viewer = this->ImageViewer;
  if (viewer->GetRenderWindow() != this->RenderWindow)
  {
    viewer->SetRenderWindow(this->RenderWindow);
  }
  if (viewer->GetRenderer() != this->Renderer)
  {
    viewer->SetRenderer(this->Renderer);
  }
  this->ApplyContrast();
  if (this->ColorMapper->GetInput() != this->Image)
  {
    this->ColorMapper->SetInputData(this->Image);
  }
  if (!this->ViewerConnected)
  {
    viewer->SetInputConnection(this->ColorMapper->GetOutputPort());
    this->ViewerConnected = true;
  }
  this->StartViewer();
  int orientation = this->GetSliceOrientation();
  if (orientation < 0 || orientation > 2)
  {
    orientation = 2;
  }
  if (viewer->GetSliceOrientation() != orientation)
  {
    viewer->SetSliceOrientation(orientation);
  }
  // The property set counts slices from the extent minimum along the normal, as SetPosition does.
  int slice = this->GetProperty()->GetSliceX();
  slice = slice == -999 ? viewer->GetSliceMin() : slice + this->Image->GetExtent()[2 * orientation];
  if (viewer->GetSlice() != slice)
  {
    viewer->SetSlice(slice);
  }
  const int range[6] = { viewer->GetSliceMin(), viewer->GetSliceMax(), -1, -1, -1, -1 };
  this->GetProperty()->SetSliceRange(range);
  this->ApplyDisplayState();
  this->ApplyZoom();
  return true;
}

void vImageLayer::MakeImageViewer()
{
  if (!this->ImageViewer)
  {
    this->ImageViewer = vtkSmartPointer<vImageSliceViewer>::New();
  }
}

void vImageLayer::StartViewer()
{
  if (!this->ViewerStarted && this->ImageViewer && this->ViewerConnected)
  {
    this->ImageViewer->Place();
    this->ViewerStarted = true;
  }
}

void vImageLayer::ApplyZoom()
{
  const double scale = this->GetProperty()->GetScaleFactor();
  if (scale > 0)
  {
    this->SetScaleFactor(scale);
  }
  if (this->Renderer)
  {
    // The image viewer fits the clipping range to its own slice; the scene holds more than that.
    this->Renderer->ResetCameraClippingRange();
  }
}
