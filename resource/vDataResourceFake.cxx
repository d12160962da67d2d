#include "vDataResourceFake.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkDataSet.h>
#include <vtkDataSetMapper.h>
#include <vtkNew.h>

vDataResourceFake::vDataResourceFake()
{
  this->SetName("Data");
  this->SetType("Data 3D");
}

vDataResourceFake::~vDataResourceFake() = default;

std::string vDataResourceFake::ToV()
{
  std::string text;
  for (int i = 0; i < this->NumberOfItems; ++i)
  {
    text += "load '" + this->Filenames[i] + "'\n";
  }
  return text;
}

void vDataResourceFake::Read() {}

void vDataResourceFake::Write() {}

vtkActorCollection* vDataResourceFake::GetOutput()
{
  vtkActorCollection* actors = vtkActorCollection::New();
  for (int i = 0; i < this->NumberOfItems; ++i)
  {
    vtkNew<vtkDataSetMapper> mapper;
    mapper->SetInputData(this->Data[i]);
    vtkNew<vtkActor> actor;
    actor->SetMapper(mapper);
    actors->AddItem(actor);
  }
  return actors;
}

int vDataResourceFake::AddData(vtkDataSet* data)
{
  if (!data || this->NumberOfItems >= MaxNumberOfItems)
  {
    return -1;
  }
  this->Data[this->NumberOfItems++] = data;
  return 0;
}

void vDataResourceFake::FillHandle(vDataResourceFake* handle, int index)
{
  handle->AddData(this->Data[index]);
  handle->SetName(this->DataNames[index]);
  handle->SetDataName(0, this->DataNames[index]);
  handle->SetFilename(0, this->Filenames[index]);
}

vDataResourceFake* vDataResourceFake::GetDataFake(int index)
{
  if (!this->IsItem(index) || !this->Data[index])
  {
    return nullptr;
  }
  auto* handle = new vDataResourceFake;
  this->FillHandle(handle, index);
  return handle;
}

vtkDataSet* vDataResourceFake::GetData(int index) const
{
  return this->IsItem(index) ? this->Data[index] : nullptr;
}

vtkDataSet* vDataResourceFake::GetData() const
{
  return this->GetData(this->CurrentItem);
}

std::string vDataResourceFake::GetDataName(int index) const
{
  return this->IsItem(index) ? this->DataNames[index] : std::string();
}

void vDataResourceFake::SetDataName(int index, const std::string& name)
{
  if (this->IsItem(index))
  {
    this->DataNames[index] = name;
  }
}

std::string vDataResourceFake::GetFilename(int index) const
{
  return this->IsItem(index) ? this->Filenames[index] : std::string();
}

void vDataResourceFake::SetFilename(int index, const std::string& filename)
{
  if (this->IsItem(index))
  {
    this->Filenames[index] = filename;
  }
}

std::string vDataResourceFake::GetLastDataName() const
{
  return this->GetDataName(this->NumberOfItems - 1);
}

void vDataResourceFake::SetLastDataName(const std::string& name)
{
  this->SetDataName(this->NumberOfItems - 1, name);
}

std::string vDataResourceFake::GetLastFilename() const
{
  return this->GetFilename(this->NumberOfItems - 1);
}

int vDataResourceFake::Find(const std::string& name) const
{
  for (int i = this->NumberOfItems - 1; i >= 0; --i)
  {
    if (this->DataNames[i] == name)
    {
      return i;
    }
  }
  return -1;
}

int vDataResourceFake::FindFilename(const std::string& filename) const
{
  for (int i = this->NumberOfItems - 1; i >= 0; --i)
  {
    if (this->Filenames[i] == filename)
    {
      return i;
    }
  }
  return -1;
}
