#include "vLayer.h"

#include "vResource.h"
#include "vViewer.h"

#include <vtkCamera.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkRendererCollection.h>

#include <algorithm>

vLayer::vLayer()
  : OwnRenderers(vtkSmartPointer<vtkRendererCollection>::New())
{
  this->SetType("Layer");
  vProp* prop = this->GetProperty();
  prop->SetRendererName("");
  prop->SetScaleFactor(1.0);
  prop->SetVisibility(1);
}

vLayer::~vLayer()
{
  // Friends and wrappers holding this layer see it gone before any part of it is taken down.
  this->ReleaseWeakReferences();
  vLayer::Delete();
}

void vLayer::Delete()
{
  vObject::Delete();
  this->RemoveAllItems();
  vtkRenderWindow* window = this->RenderWindow;
  if (window != nullptr)
  {
    this->OwnRenderers->InitTraversal();
    while (vtkRenderer* renderer = this->OwnRenderers->GetNextItem())
    {
      window->RemoveRenderer(renderer);
    }
  }
  this->OwnRenderers->RemoveAllItems();
}

void vLayer::Render()
{
  if (this->RenderWindow != nullptr && this->Built == 0)
  {
    this->InternalRender();
  }
}

void vLayer::SetColor(double rgb[3])
{
  this->GetProperty()->SetColor(rgb);
  this->Built = 0;
}

void vLayer::SetBackgroundColor(double rgb[3])
{
  this->GetProperty()->SetBackgroundColor(rgb);
  if (this->Renderer != nullptr)
  {
    this->Renderer->SetBackground(rgb);
  }
  this->Built = 0;
}

void vLayer::Refresh()
{
  if (this->RenderWindow != nullptr)
  {
    this->RenderWindow->Render();
  }
}

void vLayer::ResetCamera()
{
  if (this->Renderer != nullptr)
  {
    this->Renderer->ResetCamera();
  }
}

void vLayer::DeepCopy(vLayer* source)
{
  if (source == nullptr || source == this)
  {
    return;
  }
  vProp* from = source->GetProperty();
  this->SetOpacity(from->GetOpacity());
  this->SetScaleFactor(from->GetScaleFactor());
  this->SetRenderer(source->GetRenderer());
  this->SetRendererName(from->GetRendererName().c_str());
  this->SetRenderWindow(source->GetRenderWindow());
  this->RendererManager = source->RendererManager;
  double rgb[3];
  from->GetColor(rgb);
  this->SetColor(rgb);
  this->Transformability = source->Transformability;
}

std::string vLayer::GetInfo()
{
  const std::string resource =
    this->ResourceNames.empty() ? std::string("No resources") : this->ResourceNames[0];
  return "name: " + this->GetName() + "\r\n" + "Resource name: " + resource + "\r\n" +
    "Renderer: " + this->GetRendererName();
}

std::string vLayer::GetBriefInfo()
{
  return this->GetName();
}

void vLayer::SetRenderer(vtkRenderer* renderer)
{
  this->Renderer = renderer;
  if (renderer == nullptr)
  {
    return;
  }
  double background[3];
  this->GetProperty()->GetBackgroundColor(background);
  if (background[0] > 0 && background[1] > 0 && background[2] > 0)
  {
    renderer->SetBackground(background);
  }
}

void vLayer::SetRendererName(const char* name)
{
  this->GetProperty()->SetRendererName(name ? name : "");
}

void vLayer::SetRenderWindow(vtkRenderWindow* window)
{
  this->RenderWindow = window;
}

void vLayer::AddInput(vResource* resource)
{
  if (resource != nullptr)
  {
    this->ResourceNames.push_back(resource->GetName());
  }
}

void vLayer::Flip()
{
  if (this->WorkWithFriends)
  {
    this->ForEachFriend([](vLayer* other) { other->Flip(); });
  }
}

void vLayer::Mirror()
{
  if (this->WorkWithFriends)
  {
    this->ForEachFriend([](vLayer* other) { other->Mirror(); });
  }
}

vtkRenderWindow* vLayer::GetRenderWindow() const
{
  return this->RenderWindow;
}

vtkRenderer* vLayer::GetRenderer() const
{
  return this->Renderer;
}

std::string vLayer::GetRendererName() const
{
  return this->GetProperty()->GetRendererName();
}

void vLayer::GetColor(double rgb[3]) const
{
  this->GetProperty()->GetColor(rgb);
}

int vLayer::SearchResource(const std::string& name) const
{
  for (size_t i = 0; i < this->ResourceNames.size(); ++i)
  {
    if (this->ResourceNames[i] == name)
    {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string vLayer::GetResourceName(int i) const
{
  if (i < 0 || i >= static_cast<int>(this->ResourceNames.size()))
  {
    return "GetResourceName: data overflow";
  }
  return this->ResourceNames[i];
}

std::string vLayer::GetFirstResourceName() const
{
  return this->ResourceNames.empty() ? std::string("No resource") : this->ResourceNames[0];
}

void vLayer::PruneFriends() const
{
  this->Friends.erase(
    std::remove_if(this->Friends.begin(),
      this->Friends.end(),
      [](const vRenderableReference<vRenderable>& reference) { return !reference.IsAlive(); }),
    this->Friends.end());
}

int vLayer::AddFriend(vRenderable* layer)
{
  this->PruneFriends();
  if (layer == nullptr || static_cast<int>(this->Friends.size()) >= MaxNumberOfFriends)
  {
    return -1;
  }
  this->Friends.emplace_back(layer);
  return static_cast<int>(this->Friends.size()) - 1;
}

vRenderable* vLayer::GetFriend(int i) const
{
  this->PruneFriends();
  return i >= 0 && i < static_cast<int>(this->Friends.size()) ? this->Friends[i].Get() : nullptr;
}

void vLayer::RemoveFriend(int i)
{
  this->PruneFriends();
  if (i >= 0 && i < static_cast<int>(this->Friends.size()))
  {
    this->Friends.erase(this->Friends.begin() + i);
  }
}

int vLayer::GetNumberOfFriends() const
{
  this->PruneFriends();
  return static_cast<int>(this->Friends.size());
}

void vLayer::RemoveAllFriends()
{
  this->Friends.clear();
}

int vLayer::WorkWithFriend(int on)
{
  const int previous = this->WorkWithFriends;
  this->WorkWithFriends = on;
  return previous;
}

void vLayer::RemoveConsumer(vObject* consumer)
{
  for (int i = 0; i < this->NumberOfConsumers; ++i)
  {
    if (this->Consumers[i] == consumer)
    {
      for (int j = i + 1; j < this->NumberOfConsumers; ++j)
      {
        this->Consumers[j - 1] = this->Consumers[j];
      }
      this->Consumers[--this->NumberOfConsumers] = nullptr;
      return;
    }
  }
}

bool vLayer::IsHeldByViewer() const
{
  for (int i = 0; i < this->NumberOfConsumers && i < MaxNumberOfConsumers; ++i)
  {
    if (dynamic_cast<vViewer*>(this->Consumers[i]) != nullptr)
    {
      return true;
    }
  }
  return false;
}

bool vLayer::operator==(const vLayer& other) const
{
  return this->GetName() == other.GetName();
}
