#include "vImage3DLayer2.h"

#include "private/vImageSliceViewer.h"

#include "vVolumeResourceFake.h"

#include <vtkImageData.h>
#include <vtkImageViewer2.h>
#include <vtkRenderWindow.h>

#include <cstdio>

vImage3DLayer2::vImage3DLayer2()
{
  this->SetType("Image3DLayer2");
  this->SetSliceOrientation(2);
}

vImage3DLayer2::~vImage3DLayer2() = default;

void vImage3DLayer2::AddInput(vResource* resource)
{
  vVolumeResourceFake* volume = dynamic_cast<vVolumeResourceFake*>(resource);
  if (!volume || volume->GetNumberOfItems() < 1)
  {
    return;
  }
  volume->Select(0);
  if (this->TakeVolume(resource, 0))
  {
    this->SetName(resource->GetName());
    this->PixelIntensity = 0;
  }
}

void vImage3DLayer2::InternalRender()
{
  if (this->BuildViewerSlice())
  {
    this->Built = 1;
  }
}

void vImage3DLayer2::SetPosition(double x, double y, double z)
{
  if (!this->ImageViewer || !this->Image)
  {
    return;
  }
  const double position[3] = { x, y, z };
  this->GetProperty()->SetPosition(position);
  this->GetProperty()->SetSliceX(this->SliceOfPoint(x, y, z));
  this->SetPi();
  this->Built = 0;
}

void vImage3DLayer2::SetPi()
{
  this->PixelIntensity = 0;
  if (!this->Image)
  {
    return;
  }
  double world[3];
  this->GetProperty()->GetPosition(world);
  double p[3];
  this->WorldToImage3D(world, p);
  double bounds[6];
  this->Image->GetBounds(bounds);
  const double* spacing = this->Image->GetSpacing();
  const int* extent = this->Image->GetExtent();
  int normal = this->GetSliceOrientation();
  if (normal < 0 || normal > 2)
  {
    normal = 2;
  }
  int index[3];
  for (int i = 0; i < 3; ++i)
  {
    const double offset = i == normal
      ? this->GetProperty()->GetSliceX()
      : (spacing[i] != 0 ? (p[i] - bounds[2 * i]) / spacing[i] + 0.5 : 0);
    if (offset < 0)
    {
      return;
    }
    index[i] = extent[2 * i] + static_cast<int>(offset);
    if (index[i] > extent[2 * i + 1])
    {
      return;
    }
  }
  this->PixelIntensity = this->Image->GetScalarComponentAsDouble(index[0], index[1], index[2], 0);
}

std::string vImage3DLayer2::GetInfo()
{
  int slice[3];
  this->GetProperty()->GetSlice(slice);
  char text[256];
  std::snprintf(text,
    sizeof(text),
    "\r\nOrientation: %d\r\nSlice Id: %d\r\nOpacity: %.2f\r\nScale: %.2f\r\n",
    this->GetSliceOrientation(),
    slice[0],
    this->GetProperty()->GetOpacity(),
    this->GetProperty()->GetScaleFactor());
  return this->vLayer::GetInfo() + text;
}

std::string vImage3DLayer2::ToV()
{
  return "new layer vol3d " + this->GetFirstResourceName() + " " + this->GetRendererName();
}
