#include "vTextLayer.h"

#include "vTextResource.h"

#include <vtkActor2D.h>
#include <vtkActor2DCollection.h>
#include <vtkRenderWindow.h>
#include <vtkTextActor.h>
#include <vtkTextMapper.h>
#include <vtkTextProperty.h>

#include <vector>

namespace
{
constexpr int InfoLength = 10;
constexpr int MaxScriptTexts = 4;

std::vector<vtkActor2D*> ActorsOf(vtkActor2DCollection* collection)
{
  std::vector<vtkActor2D*> actors;
  collection->InitTraversal();
  while (vtkActor2D* actor = collection->GetNextActor2D())
  {
    actors.push_back(actor);
  }
  return actors;
}

vtkTextProperty* TextPropertyOf(vtkActor2D* actor)
{
  if (vtkTextActor* text = vtkTextActor::SafeDownCast(actor))
  {
    return text->GetTextProperty();
  }
  if (vtkTextMapper* mapper = vtkTextMapper::SafeDownCast(actor->GetMapper()))
  {
    return mapper->GetTextProperty();
  }
  return nullptr;
}

void SetActorText(vtkActor2D* actor, const char* text)
{
  if (vtkTextActor* textActor = vtkTextActor::SafeDownCast(actor))
  {
    textActor->SetInput(text);
  }
  else if (vtkTextMapper* mapper = vtkTextMapper::SafeDownCast(actor->GetMapper()))
  {
    mapper->SetInput(text);
  }
}
} // namespace

vTextLayer::vTextLayer()
{
  this->GetProperty()->SetName("TextLayer");
  this->GetProperty()->SetType("TextLayer");
  this->GetProperty()->SetTextSize(8);
}

vTextLayer::~vTextLayer() = default;

std::string vTextLayer::GetActorText(vtkActor2D* actor)
{
  const char* text = nullptr;
  if (vtkTextActor* textActor = vtkTextActor::SafeDownCast(actor))
  {
    text = textActor->GetInput();
  }
  else if (vtkTextMapper* mapper =
             vtkTextMapper::SafeDownCast(actor ? actor->GetMapper() : nullptr))
  {
    text = mapper->GetInput();
  }
  return text ? text : "";
}

void vTextLayer::AddInput(vResource* resource)
{
  if (!resource)
  {
    return;
  }
  this->v2DLayer::AddInput(resource);
  const int size = resource->GetProperty()->GetTextSize();
  if (size > 0)
  {
    this->GetProperty()->SetTextSize(size);
  }
}

void vTextLayer::SetTextSize(int n)
{
  for (vtkActor2D* actor : ActorsOf(this->Actors2D))
  {
    if (vtkTextProperty* property = TextPropertyOf(actor))
    {
      property->SetFontSize(n);
    }
  }
  this->GetProperty()->SetTextSize(n);
  this->Refresh();
}

void vTextLayer::Replace(const char* key, const char* text)
{
  if (!key || !text)
  {
    return;
  }
  for (vtkActor2D* actor : ActorsOf(this->Actors2D))
  {
    if (GetActorText(actor).find(key) != std::string::npos)
    {
      SetActorText(actor, text);
    }
  }
}

int vTextLayer::GetNumberOfTexts()
{
  return this->Actors2D->GetNumberOfItems();
}

std::string vTextLayer::GetText(int i)
{
  std::vector<vtkActor2D*> actors = ActorsOf(this->Actors2D);
  return (i >= 0 && i < static_cast<int>(actors.size())) ? GetActorText(actors[i]) : "";
}

std::string vTextLayer::GetInfo()
{
  std::string info = this->vLayer::GetInfo() + "\r\n";
  bool first = true;
  for (vtkActor2D* actor : ActorsOf(this->Actors2D))
  {
    const std::string text = GetActorText(actor);
    if (!first)
    {
      info += ",";
    }
    first = false;
    info +=
      text.size() > static_cast<size_t>(InfoLength) ? text.substr(0, InfoLength) + "..." : text;
  }
  return info;
}

std::string vTextLayer::ToV()
{
  std::string line = "new layer text ";
  int count = 0;
  for (vtkActor2D* actor : ActorsOf(this->Actors2D))
  {
    if (count++ == MaxScriptTexts)
    {
      break;
    }
    std::string escaped;
    for (char c : GetActorText(actor))
    {
      if (c == '\n')
      {
        escaped += "\\n";
      }
      else
      {
        escaped += c;
      }
    }
    line += "'" + escaped + "' ";
  }
  return line + this->GetRendererName();
}
