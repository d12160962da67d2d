#include "vVolumeRenderingLayer.h"

#include "vVector.h"
#include "vVolumeResourceFake.h"

#include <vtkColorTransferFunction.h>
#include <vtkFixedPointVolumeRayCastMapper.h>
#include <vtkImageData.h>
#include <vtkMatrix4x4.h>
#include <vtkPiecewiseFunction.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkVolume.h>
#include <vtkVolumeProperty.h>

namespace
{
// (value, red, green, blue) of the two filled colour maps.
const double Map0[5][4] = { { 32, 0, 0, 0 },
  { 64, 0, 0.1, 0 },
  { 128, 0, 0.5, 0.5 },
  { 192, 0, 0.8, 0.8 },
  { 256, 0.5, 0.5, 0.5 } };
const double Map1[5][4] = { { 32, 0, 0, 0 },
  { 64, 0.1, 0, 0 },
  { 128, 0.5, 0, 0 },
  { 192, 0.8, 0, 0 },
  { 256, 0.5, 0.5, 0.5 } };
constexpr double ColorAlpha = 0.5;
} // namespace

vVolumeRenderingLayer::vVolumeRenderingLayer()
{
  for (int p = 0; p < 5; ++p)
  {
    for (int c = 0; c < 4; ++c)
    {
      this->ColorMaps[0][p][c] = Map0[p][c];
      this->ColorMaps[1][p][c] = Map1[p][c];
    }
  }
}

vVolumeRenderingLayer::~vVolumeRenderingLayer()
{
  this->vVolumeRenderingLayer::RemoveAllItems();
}

void vVolumeRenderingLayer::AddInput(vResource* resource)
{
  vVolumeResourceFake* volume = dynamic_cast<vVolumeResourceFake*>(resource);
  vtkImageData* image = volume ? volume->GetImageData() : nullptr;
  if (!image)
  {
    return;
  }
  this->v3DLayer::AddInput(resource);
  this->Image = image;
  image->GetScalarRange(this->ScalarRange);
  this->VolumeRendering(image);
}

void vVolumeRenderingLayer::AddInput(vVector* vector)
{
  if (!vector)
  {
    return;
  }
  vtkSmartPointer<vtkImageData> image;
  image.TakeReference(vector->toVtkImage());
  if (!image)
  {
    return;
  }
  this->OwnImage = image;
  this->Image = image;
  image->GetScalarRange(this->ScalarRange);
  this->VolumeRendering(image);
}

vtkSmartPointer<vtkColorTransferFunction> vVolumeRenderingLayer::MakeColorFunction(int map)
{
  auto color = vtkSmartPointer<vtkColorTransferFunction>::New();
  color->SetAlpha(ColorAlpha);
  for (int p = 0; p < this->NumberOfColorPoints && p < PointsPerColorMap; ++p)
  {
    const double* point = this->ColorMaps[map][p];
    color->AddRGBPoint(point[0], point[1], point[2], point[3]);
  }
  return color;
}

void vVolumeRenderingLayer::VolumeRendering(vtkImageData* image)
{
  vtkNew<vtkFixedPointVolumeRayCastMapper> mapper;
  mapper->SetInputData(image);
  mapper->SetBlendModeToMaximumIntensity();
  if (!this->Volume)
  {
    this->Volume = vtkSmartPointer<vtkVolume>::New();
  }
  this->Volume->SetMapper(mapper);
  vtkNew<vtkVolumeProperty> property;
  property->SetColor(this->MakeColorFunction(this->CurrentColorMap));
  vtkNew<vtkPiecewiseFunction> opacity;
  opacity->AddPoint(0, 0.0);
  opacity->AddPoint(128, 0.8);
  opacity->AddPoint(255, 1.0);
  property->SetScalarOpacity(opacity);
  this->Volume->SetProperty(property);
  this->Built = 0;
}

int vVolumeRenderingLayer::SetColorMap(int i)
{
  if (i < 0 || i >= NumberOfColorMaps)
  {
    return -1;
  }
  this->CurrentColorMap = i;
  if (this->Volume)
  {
    this->Volume->GetProperty()->SetColor(this->MakeColorFunction(i));
  }
  this->Built = 0;
  return i;
}

vtkColorTransferFunction* vVolumeRenderingLayer::GetColorFunction()
{
  return this->Volume ? this->Volume->GetProperty()->GetRGBTransferFunction() : nullptr;
}

vtkPiecewiseFunction* vVolumeRenderingLayer::GetOpacityFunction()
{
  return this->Volume ? this->Volume->GetProperty()->GetScalarOpacity() : nullptr;
}

void vVolumeRenderingLayer::InternalRender()
{
  if (!this->Renderer || !this->RenderWindow || !this->Volume)
  {
    return;
  }
  double matrix[16];
  this->GetProperty()->GetRigidTransform(matrix);
  if (matrix[15] > 0)
  {
    vtkNew<vtkMatrix4x4> user;
    user->DeepCopy(matrix);
    this->Volume->SetUserMatrix(user);
  }
  if (!this->Renderer->HasViewProp(this->Volume))
  {
    this->Renderer->AddVolume(this->Volume);
  }
  if (this->ResetCameraPending)
  {
    this->Renderer->ResetCamera();
    this->ResetCameraPending = 0;
  }
  if (!this->BatchRendering)
  {
    this->RenderWindow->Render(); // in a batch, the viewer draws once after all its layers
  }
  this->Built = 1;
}

void vVolumeRenderingLayer::RemoveAllItems()
{
  if (this->Renderer && this->Volume)
  {
    this->Renderer->RemoveVolume(this->Volume);
  }
  this->vImageLayer::RemoveAllItems();
}

void vVolumeRenderingLayer::VisibilityOn()
{
  this->GetProperty()->SetVisibility(1);
  if (this->Volume)
  {
    this->Volume->VisibilityOn();
  }
  this->Built = 0;
}

void vVolumeRenderingLayer::VisibilityOff()
{
  this->GetProperty()->SetVisibility(0);
  if (this->Volume)
  {
    this->Volume->VisibilityOff();
  }
  this->Built = 0;
}

void vVolumeRenderingLayer::SetTransform(double matrix[16])
{
  this->GetProperty()->SetRigidTransform(matrix);
  if (this->Volume)
  {
    vtkNew<vtkMatrix4x4> user;
    user->DeepCopy(matrix);
    this->Volume->SetUserMatrix(user);
  }
}

void vVolumeRenderingLayer::SetPosition(double, double, double) {}

int vVolumeRenderingLayer::Find(vtkProp* p)
{
  return (p && p == this->Volume.GetPointer()) ? 0 : -1;
}
