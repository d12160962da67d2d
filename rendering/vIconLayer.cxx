#include "vIconLayer.h"

#include "vVector.h"
#include "vVolumeResourceFake.h"

#include <vtkImageActor.h>
#include <vtkImageData.h>
#include <vtkImageViewer2.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>

namespace
{
constexpr double IconGap = 1.05; // a thumbnail and a 5 % gap per grid step
}

vIconLayer::vIconLayer()
{
  this->SetName("iconlayer");
}

vIconLayer::~vIconLayer()
{
  this->vIconLayer::RemoveAllItems();
}

int vIconLayer::SetRows(int rows)
{
  if (rows < 1 || rows * this->Cols > MaxPlaces)
  {
    return 0;
  }
  this->Rows = rows;
  return 1;
}

int vIconLayer::SetCols(int cols)
{
  if (cols < 1 || cols * this->Rows > MaxPlaces)
  {
    return 0;
  }
  this->Cols = cols;
  return 1;
}

int vIconLayer::SetNumberOfIcons(int n)
{
  if (n <= 0 || n >= MaxPlaces)
  {
    return 0;
  }
  this->NumberOfIcons = n;
  return 1;
}

void vIconLayer::AddInput(vResource* resource)
{
  if (vVolumeResourceFake* volume = dynamic_cast<vVolumeResourceFake*>(resource))
  {
    this->AddInput(volume);
  }
  else if (vVector* vector = dynamic_cast<vVector*>(resource))
  {
    this->AddInput(vector);
  }
}

void vIconLayer::AddInput(vVector*) {}

void vIconLayer::AddInput(vVolumeResourceFake* volume)
{
  vtkImageData* image =
    (volume && volume->GetNumberOfItems() > 0) ? volume->GetImageData(0) : nullptr;
  if (!image)
  {
    return;
  }
  int orientation = this->GetSliceOrientation();
  orientation = (orientation >= 0 && orientation <= 2) ? orientation : 2;
  const int k = image->GetDimensions()[orientation];
  if (k <= 0)
  {
    return;
  }
  this->v3DLayer::AddInput(volume);
  this->Image = image;
  this->Depth = k;
  image->GetScalarRange(this->ScalarRange);
  if (this->NumberOfIcons > k)
  {
    this->NumberOfIcons = k;
  }
  if (this->NumberOfIcons != this->Rows * this->Cols)
  {
    return;
  }
  for (int i = 0; i < this->Rows * this->Cols; ++i)
  {
    if (!this->Places[i])
    {
      this->Places[i] = vtkSmartPointer<vtkImageViewer2>::New();
      this->Places[i]->SetInputData(image);
      this->Places[i]->SetColorWindow(this->ScalarRange[1] - this->ScalarRange[0]);
      this->Places[i]->SetColorLevel(0.5 * (this->ScalarRange[0] + this->ScalarRange[1]));
    }
  }
  this->Built = 0;
}

int vIconLayer::GetNumberOfPlaces() const
{
  int count = 0;
  for (const auto& place : this->Places)
  {
    count += place ? 1 : 0;
  }
  return count;
}

vtkImageViewer2* vIconLayer::GetPlace(int i)
{
  return (i >= 0 && i < MaxPlaces) ? this->Places[i].GetPointer() : nullptr;
}

int vIconLayer::GetPlaceSlice(int i)
{
  if (!this->GetPlace(i) || this->NumberOfIcons <= 0 || !this->Image)
  {
    return -1;
  }
  int orientation = this->GetSliceOrientation();
  orientation = (orientation >= 0 && orientation <= 2) ? orientation : 2;
  return this->Image->GetExtent()[2 * orientation] + (i * this->Depth) / (this->Rows * this->Cols);
}

void vIconLayer::InternalRender()
{
  if (!this->Renderer || !this->RenderWindow || !this->Image)
  {
    return;
  }
  int orientation = this->GetSliceOrientation();
  orientation = (orientation >= 0 && orientation <= 2) ? orientation : 2;
  const int across = orientation == 0 ? 1 : 0;
  const int down = orientation == 2 ? 1 : 2;
  double bounds[6];
  this->Image->GetBounds(bounds);
  const double width = (bounds[2 * across + 1] - bounds[2 * across]) * IconGap;
  const double height = (bounds[2 * down + 1] - bounds[2 * down]) * IconGap;
  const double* origin = this->Image->GetOrigin();
  const double* spacing = this->Image->GetSpacing();
  for (int i = 0; i < MaxPlaces; ++i)
  {
    vtkImageViewer2* viewer = this->Places[i];
    if (!viewer)
    {
      continue;
    }
    if (viewer->GetRenderWindow() != this->RenderWindow)
    {
      viewer->SetRenderWindow(this->RenderWindow);
    }
    if (viewer->GetRenderer() != this->Renderer)
    {
      viewer->SetRenderer(this->Renderer);
    }
    if (viewer->GetSliceOrientation() != orientation)
    {
      viewer->SetSliceOrientation(orientation);
    }
    const int slice = this->GetPlaceSlice(i);
    viewer->SetSlice(slice);
    // All thumbnails lie in one plane, row by row.
    double position[3] = { 0, 0, 0 };
    const int column = i % this->Cols;
    const int row = i / this->Cols;
    position[across] = column * width;
    position[down] = -row * height;
    position[orientation] = -(origin[orientation] + spacing[orientation] * slice);
    viewer->GetImageActor()->SetPosition(position);
  }
  this->Renderer->ResetCamera();
  this->RenderWindow->Render();
  this->Built = 1;
}

void vIconLayer::RemoveAllItems()
{
  for (auto& place : this->Places)
  {
    if (place && this->Renderer)
    {
      this->Renderer->RemoveViewProp(place->GetImageActor());
    }
  }
  this->vImageLayer::RemoveAllItems();
}
