#include "vVolumeResource.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPointData.h>

vVolumeResource::vVolumeResource()
{
  this->SetName("volume");
}

vVolumeResource::~vVolumeResource()
{
  this->vVolumeResource::Delete();
}

void vVolumeResource::Delete()
{
  for (int i = 0; i < MaxNumberOfItems; ++i)
  {
    this->Shadows[i] = nullptr;
  }
  for (int i = 0; i < MaxNumberOfItems; ++i)
  {
    this->Data[i] = nullptr;
  }
  this->NumberOfItems = 0;
}

void vVolumeResource::RemoveItem(int index)
{
  if (!this->IsItem(index) || !this->Data[index])
  {
    return;
  }
  for (int j = index + 1; j < this->NumberOfItems; ++j)
  {
    this->Data[j - 1] = this->Data[j];
    this->Shadows[j - 1] = this->Shadows[j];
    this->DataNames[j - 1] = this->DataNames[j];
    this->Filenames[j - 1] = this->Filenames[j];
  }
  const int last = this->NumberOfItems - 1;
  this->DataNames[last].clear();
  this->Filenames[last].clear();
  this->Data[last] = nullptr;
  this->Shadows[last] = nullptr;
  --this->NumberOfItems;
}

int vVolumeResource::AddData(vtkDataSet* data)
{
  if (!data)
  {
    return this->NumberOfItems;
  }
  vtkImageData* image = vtkImageData::SafeDownCast(data);
  if (!image || this->NumberOfItems >= MaxNumberOfItems)
  {
    return -1;
  }
  vtkNew<vtkImageData> copy;
  copy->DeepCopy(image);
  const int index = this->NumberOfItems++;
  this->Data[index] = copy;
  return index;
}

int vVolumeResource::AdoptData(vtkSmartPointer<vtkDataSet> data)
{
  if (!data)
  {
    return this->NumberOfItems;
  }
  vtkImageData* image = vtkImageData::SafeDownCast(data);
  if (!image || this->NumberOfItems >= MaxNumberOfItems)
  {
    return -1;
  }
  const int index = this->NumberOfItems++;
  this->Data[index] = image;
  return index;
}

int vVolumeResource::AddImageData(vtkDataSet* data)
{
  return this->vVolumeResource::AddData(data);
}

void vVolumeResource::SetImageShadow(int index, vtkDataSet* image)
{
  this->SetImageShadow(index, vtkImageData::SafeDownCast(image));
}

void vVolumeResource::SetImageShadow(vtkDataSet* image)
{
  this->SetImageShadow(vtkImageData::SafeDownCast(image));
}

void vVolumeResource::SetImageShadow(int index, vtkImageData* image)
{
  if (!image || !this->IsItem(index) || image == this->Shadows[index])
  {
    return; // copying a shadow onto itself would clear it
  }
  // The collection's shadows are always its own copies (never a caller's image).
  if (!this->Shadows[index])
  {
    this->Shadows[index] = vtkSmartPointer<vtkImageData>::New();
  }
  this->Shadows[index]->DeepCopy(image);
}

void vVolumeResource::SetImageShadow(vtkImageData* image)
{
  if (this->CurrentItem >= 0)
  {
    this->SetImageShadow(this->CurrentItem, image);
  }
}

void vVolumeResource::InitImageShadow(int index)
{
  vtkImageData* volume = this->GetImageData(index);
  if (!volume)
  {
    return;
  }
  auto shadow = vtkSmartPointer<vtkImageData>::New();
  shadow->CopyStructure(volume);
  vtkDataArray* scalars = volume->GetPointData()->GetScalars();
  const int scalarType = scalars ? scalars->GetDataType() : VTK_UNSIGNED_CHAR;
  shadow->AllocateScalars(scalarType, 1);
  shadow->GetPointData()->GetScalars()->Fill(0.0);
  this->Shadows[index] = shadow;
}

void vVolumeResource::InitImageShadow()
{
  if (this->CurrentItem >= 0)
  {
    this->InitImageShadow(this->CurrentItem);
  }
}

void vVolumeResource::DelImageShadow(int index)
{
  if (this->IsItem(index))
  {
    this->Shadows[index] = nullptr;
  }
}

void vVolumeResource::DelImageShadow()
{
  if (this->CurrentItem >= 0)
  {
    this->DelImageShadow(this->CurrentItem);
  }
}
