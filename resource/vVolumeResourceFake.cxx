#include "vVolumeResourceFake.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

vVolumeResourceFake::vVolumeResourceFake() = default;

vVolumeResourceFake::~vVolumeResourceFake() = default;

int vVolumeResourceFake::AddData(vtkDataSet* data)
{
  if (this->vDataResourceFake::AddData(data) < 0)
  {
    return -1;
  }
  return 4;
}

vVolumeResourceFake* vVolumeResourceFake::GetDataFake(int index)
{
  if (!this->IsItem(index) || !this->Data[index])
  {
    return nullptr;
  }
  auto* handle = new vVolumeResourceFake;
  this->FillHandle(handle, index);
  handle->Shadows[0] = this->Shadows[index];
  return handle;
}

void vVolumeResourceFake::SetImageShadow(int index, vtkDataSet* image)
{
  vtkImageData* shadow = vtkImageData::SafeDownCast(image);
  if (this->IsItem(index) && (shadow || !image))
  {
    this->Shadows[index] = shadow;
  }
}

void vVolumeResourceFake::SetImageShadow(vtkDataSet* image)
{
  if (this->CurrentItem >= 0)
  {
    this->SetImageShadow(this->CurrentItem, image);
  }
}

int vVolumeResourceFake::AddImageData(vtkDataSet* data)
{
  return this->AddData(data);
}

vtkImageData* vVolumeResourceFake::GetImageData() const
{
  return this->GetImageData(this->CurrentItem);
}

vtkImageData* vVolumeResourceFake::GetImageData(int index) const
{
  return vtkImageData::SafeDownCast(this->GetData(index));
}

int* vVolumeResourceFake::GetImageDataSize(int index) const
{
  vtkImageData* image = this->GetImageData(index);
  return image ? image->GetDimensions() : nullptr;
}

double* vVolumeResourceFake::GetImageDataVoxelSize(int index) const
{
  vtkImageData* image = this->GetImageData(index);
  return image ? image->GetSpacing() : nullptr;
}

double* vVolumeResourceFake::GetSpacing(int index) const
{
  return this->GetImageDataVoxelSize(index);
}

double vVolumeResourceFake::GetMinVoxelIntensity(int index) const
{
  vtkImageData* image = this->GetImageData(index);
  return image ? image->GetScalarRange()[0] : OutsideValue;
}

double vVolumeResourceFake::GetMaxVoxelIntensity(int index) const
{
  vtkImageData* image = this->GetImageData(index);
  return image ? image->GetScalarRange()[1] : OutsideValue;
}

double vVolumeResourceFake::GetVoxelIntensity(int index, int x, int y, int z) const
{
  vtkImageData* image = this->GetImageData(index);
  if (!image)
  {
    return OutsideValue;
  }
  int dims[3];
  image->GetDimensions(dims);
  if (x < 0 || y < 0 || z < 0 || x >= dims[0] || y >= dims[1] || z >= dims[2])
  {
    return OutsideValue;
  }
  vtkDataArray* scalars = image->GetPointData()->GetScalars();
  const vtkIdType id =
    x + static_cast<vtkIdType>(dims[0]) * (y + static_cast<vtkIdType>(dims[1]) * z);
  if (!scalars || scalars->GetNumberOfComponents() < 1 || id >= scalars->GetNumberOfTuples())
  {
    return OutsideValue;
  }
  return scalars->GetComponent(id, 0);
}

vtkImageData* vVolumeResourceFake::GetImageShadow(int index) const
{
  return this->IsItem(index) ? this->Shadows[index] : nullptr;
}

vtkImageData* vVolumeResourceFake::GetImageShadow() const
{
  return this->GetImageShadow(this->CurrentItem);
}
