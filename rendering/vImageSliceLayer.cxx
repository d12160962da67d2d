#include "vImageSliceLayer.h"

#include "private/vImageSliceViewer.h"

#include "vVolumeResourceFake.h"

#include <vtkImageData.h>
#include <vtkImageMapToColors.h>
#include <vtkImageReslice.h>
#include <vtkImageViewer2.h>
#include <vtkLookupTable.h>
#include <vtkMatrix4x4.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>

vImageSliceLayer::vImageSliceLayer()
{
  this->Reslice = nullptr;
  this->GetProperty()->SetSliceX(0);
  this->vImageLayer::SetSliceOrientation(2);
}

vImageSliceLayer::~vImageSliceLayer() = default;

vtkImageReslice* vImageSliceLayer::GetReslice()
{
  return this->Reslice;
}

void vImageSliceLayer::GetVoxelCentre(double centre[3]) const
{
  for (int i = 0; i < 3; ++i)
  {
    centre[i] = this->VoxelCentre[i];
  }
}

void vImageSliceLayer::AddInput(vResource* resource)
{
  vVolumeResourceFake* volume = dynamic_cast<vVolumeResourceFake*>(resource);
  vtkImageData* image = volume ? volume->GetImageData() : nullptr;
  if (!image)
  {
    return;
  }
  this->v3DLayer::AddInput(resource);
  this->Image = image;
  this->MakeImageViewer();
  double centre[3];
  image->GetCenter(centre);
  this->GetProperty()->SetPosition(centre);
  const double* origin = image->GetOrigin();
  const double* spacing = image->GetSpacing();
  const int* extent = image->GetExtent();
  for (int i = 0; i < 3; ++i)
  {
    this->VoxelCentre[i] = origin[i] + spacing[i] * 0.5 * (extent[2 * i] + extent[2 * i + 1]);
  }
  if (!this->Reslice)
  {
    this->Reslice = vtkSmartPointer<vtkImageReslice>::New();
  }
  this->Reslice->SetInputData(image);
  this->Reslice->SetOutputDimensionality(2);
  this->Reslice->SetInterpolationModeToLinear();
  this->UpdateAxes();
  image->GetScalarRange(this->ScalarRange);
  this->GetProperty()->SetContrast(this->ScalarRange);
  this->GetProperty()->SetScalarRange(this->ScalarRange);
  this->LookupTable->SetTableRange(this->ScalarRange[0], this->ScalarRange[1]);
  this->LookupTable->Build();
  this->Built = 0;
}

void vImageSliceLayer::UpdateAxes()
{
  if (!this->Image || !this->Reslice)
  {
    return;
  }
  const int orientation = this->GetSliceOrientation();
  const double* axes = orientation == 0 ? this->SagittalAxes
                                        : (orientation == 1 ? this->CoronalAxes : this->AxialAxes);
  const int normal = (orientation == 0 || orientation == 1) ? orientation : 2;
  const double* origin = this->Image->GetOrigin();
  const double* spacing = this->Image->GetSpacing();
  const int* extent = this->Image->GetExtent();
  double translation[3] = { this->VoxelCentre[0], this->VoxelCentre[1], this->VoxelCentre[2] };
  const int slice = this->GetProperty()->GetSliceX();
  if (slice != -999)
  {
    translation[normal] = origin[normal] + spacing[normal] * (extent[2 * normal] + slice);
  }
  vtkNew<vtkMatrix4x4> matrix;
  matrix->DeepCopy(axes);
  for (int i = 0; i < 3; ++i)
  {
    matrix->SetElement(i, 3, translation[i]);
  }
  this->Reslice->SetResliceAxes(matrix);
  this->Placement->DeepCopy(matrix);
  const int range[6] = { extent[2 * normal], extent[2 * normal + 1], -1, -1, -1, -1 };
  this->GetProperty()->SetSliceRange(range);
}

void vImageSliceLayer::InternalRender()
{
  if (!this->ImageViewer || !this->Image || !this->Renderer || !this->RenderWindow)
  {
    return;
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
  this->UpdateAxes();
  this->ApplyContrast();
  if (this->ColorMapper->GetInputAlgorithm() != this->Reslice.GetPointer())
  {
    this->ColorMapper->SetInputConnection(this->Reslice->GetOutputPort());
  }
  if (!this->ViewerConnected)
  {
    viewer->SetInputConnection(this->ColorMapper->GetOutputPort());
    this->ViewerConnected = true;
  }
  this->StartViewer();
  viewer->UpdateDisplayExtent();
  this->ApplyDisplayState();
  this->ApplyZoom();
  if (!this->BatchRendering)
  {
    viewer->Render(); // in a batch, the viewer draws once after all its layers
  }
  this->Built = 1;
}
