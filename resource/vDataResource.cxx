#include "vDataResource.h"

#include "vUtil.h"

#include <vtkDataSet.h>
#include <vtkGeometryFilter.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkSphereSource.h>

#include <cmath>
#include <cstdlib>

vDataResource::vDataResource() = default;

vDataResource::~vDataResource()
{
  this->vDataResource::Delete();
}

void vDataResource::Delete()
{
  for (int i = 0; i < MaxNumberOfItems; ++i)
  {
    this->Data[i] = nullptr;
  }
  this->NumberOfItems = 0;
}

void vDataResource::Read() {}

void vDataResource::RemoveItem(int index)
{
  if (!this->IsItem(index) || !this->Data[index])
  {
    return;
  }
  // The removed data set is released once its place is overwritten (or cleared below).
  vtkSmartPointer<vtkDataSet> removed = this->Data[index];
  for (int j = index + 1; j < this->NumberOfItems; ++j)
  {
    this->Data[j - 1] = this->Data[j];
    this->DataNames[j - 1] = this->DataNames[j];
    this->Filenames[j - 1] = this->Filenames[j];
  }
  const int last = this->NumberOfItems - 1;
  this->DataNames[last].clear();
  this->Filenames[last].clear();
  this->Data[last] = nullptr;
  --this->NumberOfItems;
}

int vDataResource::AddData(vtkDataSet* data)
{
  if (!data || this->NumberOfItems >= MaxNumberOfItems)
  {
    return -1;
  }
  vtkNew<vtkPolyData> copy;
  if (vtkPolyData::SafeDownCast(data))
  {
    copy->DeepCopy(data);
  }
  else
  {
    vtkNew<vtkGeometryFilter> surface;
    surface->SetInputData(data);
    surface->Update();
    copy->DeepCopy(surface->GetOutput());
  }
  const int index = this->NumberOfItems++;
  this->Data[index] = copy;
  return index;
}

int vDataResource::AdoptData(vtkSmartPointer<vtkDataSet> data)
{
  if (!data || this->NumberOfItems >= MaxNumberOfItems)
  {
    return -1;
  }
  if (!vtkPolyData::SafeDownCast(data))
  {
    // The surface filter's output is fresh as well: it is kept after the filter goes.
    vtkNew<vtkGeometryFilter> surface;
    surface->SetInputData(data);
    surface->Update();
    data = surface->GetOutput();
  }
  const int index = this->NumberOfItems++;
  this->Data[index] = data;
  return index;
}

int vDataResource::New(const std::vector<std::string>& args)
{
  if (args.size() != 5 || !vUtil::EqualsNoCase(args[0], "sphere") ||
    this->NumberOfItems >= MaxNumberOfItems)
  {
    return -1;
  }
  double numbers[4];
  for (int k = 0; k < 4; ++k)
  {
    numbers[k] = std::strtod(args[k + 1].c_str(), nullptr);
    if (!std::isfinite(numbers[k]))
    {
      numbers[k] = 0.0; // "nan" and "inf" are not numbers of a model
    }
  }
  vtkNew<vtkSphereSource> sphere;
  sphere->SetCenter(numbers[0], numbers[1], numbers[2]);
  sphere->SetRadius(numbers[3]);
  sphere->SetThetaResolution(50);
  sphere->SetPhiResolution(50);
  sphere->Update();

  vtkNew<vtkPolyData> copy;
  copy->DeepCopy(sphere->GetOutput());
  const int index = this->NumberOfItems++;
  this->Data[index] = copy;
  this->DataNames[index] = "sphere" + std::to_string(index);
  this->Filenames[index] = "CreatedObj";
  return index;
}
