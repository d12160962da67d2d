#include "vTextResource.h"

#include <vtkActor2DCollection.h>
#include <vtkNew.h>
#include <vtkTextActor.h>

vTextResource::vTextResource()
{
  this->SetName("Text");
  this->SetType("Text");
  this->Property->SetTextSize(16);
}

vTextResource::~vTextResource() = default;

vtkActor2DCollection* vTextResource::GetOutput()
{
  vtkActor2DCollection* actors = vtkActor2DCollection::New();
  for (int i = 0; i < this->NumberOfItems; ++i)
  {
    vtkNew<vtkTextActor> actor;
    if (i < static_cast<int>(this->Texts.size()))
    {
      actor->SetInput(this->Texts[i].c_str());
    }
    actors->AddItem(actor);
  }
  return actors;
}

int vTextResource::AddData(vtkDataSet* /*data*/, const std::string& /*name*/)
{
  return 0;
}

int vTextResource::AddText(const std::string& text)
{
  this->Texts.push_back(text);
  ++this->NumberOfItems;
  return -1;
}

std::string vTextResource::GetText(int index) const
{
  if (index < 0 || index >= this->NumberOfItems || index >= static_cast<int>(this->Texts.size()))
  {
    return std::string();
  }
  return this->Texts[index];
}
