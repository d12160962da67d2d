#include "vViewModule.h"

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vComponentPanel.h"
#include "vDataSourceContract.h"
#include "vViewModulePage.h"

#include "vDataResource.h"

#include "vDynamicLibrary.h"
#include "vLayer.h"
#include "vRendererManager.h"
#include "vResource.h"
#include "vViewer.h"
#include "vViewerWrapperBase.h"
#include "vVolumeResource.h"

#include <vtkDataSet.h>
#include <vtkRenderWindow.h>

#include <QApplication>

#include <algorithm>
#include <cstring>
#include <new>
#include <sstream>

namespace
{
std::vector<std::string> SplitWords(const std::string& text)
{
  std::vector<std::string> words;
  std::istringstream stream(text);
  std::string word;
  while (stream >> word)
  {
    words.push_back(word);
  }
  return words;
}

/** The mouse actions by name, as the "action" command and the page offer them. */
const struct
{
  const char* Name;
  int Code;
} MouseActions[] = { { "rotate", vViewerWrapperBase::Rotating },
  { "select", vViewerWrapperBase::Selecting },
  { "pan", vViewerWrapperBase::Panning },
  { "clip", vViewerWrapperBase::Clipping },
  { "tag", vViewerWrapperBase::Tagging } };
} // namespace

vViewModule::vViewModule(std::string name,
  std::string description,
  std::string version,
  int targetType)
  : Name(std::move(name))
  , Description(std::move(description))
  , Version(std::move(version))
  , TargetType(targetType)
{
  this->CommandList = "coolstart\nadd NAME [NAME ...]\naction rotate|select|pan|clip|tag\n"
                      "reset\nrender\nnext\nlayers\nhelp\n";
}

vViewModule::~vViewModule()
{
  this->DetachPages();
  // Normally ReleaseMemory has let go of everything. If not, the engine may be gone already: the
  // wrappers are left alone rather than taken down against a dead renderer manager.
  this->ViewerWrapper = nullptr;
  this->Controller = nullptr;
  for (Tab& tab : this->Tabs)
  {
    tab.Wrapper = nullptr;
    tab.Handles.clear();
    tab.LiveData.clear();
    tab.LiveSources.clear();
  }
}

void vViewModule::SetCP(CVemoraCP* cp)
{
  this->CP = cp;
  this->SetController(cp ? cp->GetEXE() : nullptr);
}

void vViewModule::Run()
{
  if (!this->CP)
  {
    return;
  }
  // Pages whose widgets Qt has destroyed (their tab closed) are forgotten.
  this->Pages.erase(
    std::remove_if(this->Pages.begin(),
      this->Pages.end(),
      [](const std::unique_ptr<vViewModulePage>& page) { return !page->GetWidget(); }),
    this->Pages.end());
  vComponentPanel* panel = this->CP->GetComponentUIPointer();
  if (!panel || !qobject_cast<QApplication*>(QCoreApplication::instance()) ||
    static_cast<int>(this->Pages.size()) >= vComponentPanel::MaximumTabs)
  {
    this->CP->AddTabComponent(this->Name, nullptr);
    return;
  }
  auto page = std::make_unique<vViewModulePage>(this);
  this->AddPageActions(*page);
  int before = panel->GetNumberOfTabs();
  this->CP->AddTabComponent(this->Name, page->GetWidget());
  // A full panel takes no page: the widget is still ours and goes with the page object.
  if (panel->GetNumberOfTabs() > before)
  {
    page->HandOver();
    this->Pages.push_back(std::move(page));
  }
}

int vViewModule::GetNumberOfPages() const
{
  return static_cast<int>(std::count_if(this->Pages.begin(),
    this->Pages.end(),
    [](const std::unique_ptr<vViewModulePage>& page) { return page->GetWidget() != nullptr; }));
}

void vViewModule::DetachPages()
{
  for (auto& page : this->Pages)
  {
    page->Detach();
  }
  this->Pages.clear();
}

void vViewModule::AddPageActions(vViewModulePage& page)
{
  std::vector<vViewModulePage::Button> actions;
  for (const auto& action : MouseActions)
  {
    actions.emplace_back(action.Name, std::string("action ") + action.Name);
  }
  page.AddButtons("Mouse action", actions);
  page.AddButtons("View",
    { { "start", "coolstart" },
      { "reset camera", "reset" },
      { "render", "render" },
      { "layers", "layers" } });
  page.AddButtons("Live data", { { "next frame", "next" } });
}

vRendererManager* vViewModule::GetRenderers() const
{
  return this->Controller ? this->Controller->GetRenderers() : nullptr;
}

int vViewModule::GetCurrentTab() const
{
  vRendererManager* renderers = this->GetRenderers();
  if (!renderers)
  {
    return -1;
  }
  int id = renderers->GetCurrentRenderWindowId();
  if (id < 0 || id >= MaximumTabs || !renderers->GetRenderWindow(id))
  {
    return -1;
  }
  return id;
}

vViewerWrapperBase* vViewModule::CurrentWrapper() const
{
  int tab = this->GetCurrentTab();
  return tab < 0 ? nullptr : this->Tabs[tab].Wrapper;
}

void vViewModule::SweepClosedTabs()
{
  vRendererManager* renderers = this->GetRenderers();
  if (!renderers)
  {
    return;
  }
  for (int tab = 0; tab < MaximumTabs; ++tab)
  {
    Tab& current = this->Tabs[tab];
    vtkRenderWindow* window = renderers->GetRenderWindow(tab);
    if (!current.Wrapper || window == current.Window)
    {
      continue;
    }
    if (!window || renderers->GetNumberOfRenderer(tab) <= 1)
    {
      this->ReleaseTab(tab);
      continue;
    }
    // The id belongs to a new window with viewers of its own: deleting the old viewer would take
    // their renderers away. Its layers go; the old viewer object is left behind.
    current.Wrapper->RemoveViewer();
    if (this->ViewerWrapper == current.Wrapper)
    {
      this->SetViewerWrapper(nullptr);
    }
    current.Wrapper = nullptr;
    current.Window = nullptr;
    current.Handles.clear();
    current.LiveData.clear();
    current.LiveSources.clear();
  }
}

vViewer* vViewModule::GetViewer()
{
  this->SweepClosedTabs();
  vViewerWrapperBase* wrapper = this->CurrentWrapper();
  return wrapper ? wrapper->GetViewer() : nullptr;
}

int vViewModule::Reply(int result, const std::string& message)
{
  this->LastMessage = message;
  return result;
}

bool vViewModule::EnsureViewer()
{
  int tab = this->GetCurrentTab();
  if (tab < 0)
  {
    this->LastMessage = "error: no viewing tab available";
    return false;
  }
  Tab& current = this->Tabs[tab];
  this->SweepClosedTabs();
  if (!current.Wrapper)
  {
    current.Window = this->GetRenderers()->GetRenderWindow(tab);
    current.Wrapper = this->NewWrapper();
    current.Wrapper->SetRenderer(this->GetRenderers());
    current.Wrapper->SetParentHwnd(this->Controller->GetHwnd());
  }
  if (!current.Wrapper->GetViewer())
  {
    if (current.Wrapper->AddInput() < 0)
    {
      this->LastMessage = "error: the viewer could not be created";
      return false;
    }
    current.Wrapper->Interacting();
  }
  this->SetViewerWrapper(current.Wrapper);
  CVemoraModules* modules = this->Controller->GetModules();
  int self = modules->FindModule(this->Name);
  if (self >= 0)
  {
    modules->SetActivatedModule(self);
  }
  return true;
}

void vViewModule::CoolStart()
{
  if (this->EnsureViewer())
  {
    this->CurrentWrapper()->Render();
    this->LastMessage = this->Name + ": viewer ready";
  }
}

vResource* vViewModule::Keep(vResource* handle)
{
  int tab = this->GetCurrentTab();
  if (tab >= 0 && handle)
  {
    this->Tabs[tab].Handles.emplace_back(handle);
  }
  return handle;
}

void vViewModule::Keep(vtkDataSet* data, int source)
{
  int tab = this->GetCurrentTab();
  if (tab >= 0 && data)
  {
    this->Tabs[tab].LiveData.emplace_back(data);
    this->Tabs[tab].LiveSources.push_back(source);
  }
}

void vViewModule::KeepOnly(vResource* handle, vtkDataSet* data)
{
  int tab = this->GetCurrentTab();
  if (tab < 0)
  {
    return;
  }
  Tab& current = this->Tabs[tab];
  std::vector<std::unique_ptr<vResource>> handles;
  for (auto& kept : current.Handles)
  {
    if (kept.get() == handle)
    {
      handles.push_back(std::move(kept));
    }
  }
  current.Handles = std::move(handles);
  std::vector<vtkSmartPointer<vtkDataSet>> live;
  std::vector<int> sources;
  for (std::size_t i = 0; i < current.LiveData.size() && i < current.LiveSources.size(); ++i)
  {
    if (current.LiveData[i] == data)
    {
      live.push_back(current.LiveData[i]);
      sources.push_back(current.LiveSources[i]);
    }
  }
  current.LiveData = std::move(live);
  current.LiveSources = std::move(sources);
}

int vViewModule::NextFrame()
{
  int tab = this->GetCurrentTab();
  if (tab < 0)
  {
    return 0;
  }
  Tab& current = this->Tabs[tab];
  int changed = 0;
  for (std::size_t i = 0; i < current.LiveData.size() && i < current.LiveSources.size(); ++i)
  {
    vtkDataSet* shown = current.LiveData[i];
    vtkSmartPointer<vtkDataSet> frame =
      current.LiveSources[i] >= 0 ? this->Acquire(current.LiveSources[i]) : nullptr;
    // The layers keep the data set they were given: the new frame is copied into it, when it is
    // of the same kind and size.
    if (frame && std::string(frame->GetClassName()) == shown->GetClassName() &&
      frame->GetNumberOfPoints() == shown->GetNumberOfPoints())
    {
      shown->DeepCopy(frame);
      shown->Modified();
      ++changed;
    }
  }
  if (changed > 0 && current.Wrapper)
  {
    current.Wrapper->ForceRender();
  }
  return changed;
}

bool vViewModule::AddLayer(vLayer* layer)
{
  vViewerWrapperBase* wrapper = this->CurrentWrapper();
  vViewer* viewer = wrapper ? wrapper->GetViewer() : nullptr;
  if (!viewer || wrapper->AddInput(layer) < 0)
  {
    delete layer;
    this->LastMessage = "error: the layer could not be added";
    return false;
  }
  if (viewer->GetNumberOfItems() == 1)
  {
    // The first layer places the camera: built first, so that the one render shows it placed.
    viewer->InternalRender();
    viewer->ResetCamera();
  }
  else
  {
    viewer->Render();
  }
  return true;
}

vtkSmartPointer<vtkDataSet> vViewModule::Acquire(int index)
{
  vtkSmartPointer<vtkDataSet> data;
  vDynamicLibrary library;
  if (!library.Open(this->Controller->GetHardResourceDLL(index)))
  {
    return data;
  }
  auto acquire = library.GetFunction<vDataSourceAcquireFunction>(vDataSourceExport::Acquire);
  if (acquire)
  {
    data.TakeReference(acquire(this->Frame++));
  }
  return data;
}

bool vViewModule::Add(const std::string& name)
{
  int type = 0;
  int index = -1;
  this->Controller->Find(name, type, index);
  if (index < 0)
  {
    this->LastError = DataNotFound;
    this->LastMessage = "error: data " + name + " not found";
    return false;
  }
  if (!this->EnsureViewer())
  {
    return false;
  }
  bool shown = false;
  if (type == CVemoraCPEXE::Model)
  {
    shown = this->ShowModel(index);
  }
  else if (type == CVemoraCPEXE::Image)
  {
    shown = this->ShowVolume(index);
  }
  else if (type == CVemoraCPEXE::HardResource)
  {
    vtkSmartPointer<vtkDataSet> data = this->Acquire(index);
    if (!data)
    {
      this->LastMessage = "error: no data from " + name;
      return false;
    }
    this->Keep(data, index);
    shown = this->ShowLiveData(data, this->Controller->GetHardResourceName(index));
  }
  if (shown)
  {
    this->RecordSecondaryData(index);
    this->LastMessage = name + " added";
  }
  return shown;
}

void vViewModule::SetPrimaryData(int index)
{
  this->SetPrimaryDataId(index);
}

void vViewModule::AddSecondaryData(int type, int index)
{
  if (!this->Controller)
  {
    return;
  }
  std::string name;
  if (this->Controller->GetSelItemText().find("Hardware") != std::string::npos &&
    index < this->Controller->GetNumberOfHardResources())
  {
    name = this->Controller->GetHardResourceName(index);
  }
  else if (type &
    (CVemoraCPEXE::Model | CVemoraCPEXE::SurfaceMesh | CVemoraCPEXE::SmallPointSet |
      CVemoraCPEXE::PointCloud))
  {
    name = index >= 0 && index < this->Controller->GetModel()->GetNumberOfItems()
      ? this->Controller->GetModel()->GetDataName(index)
      : std::string();
  }
  else if (type & CVemoraCPEXE::Image)
  {
    name = index >= 0 && index < this->Controller->GetVolume()->GetNumberOfItems()
      ? this->Controller->GetVolume()->GetDataName(index)
      : std::string();
  }
  if (!name.empty())
  {
    this->Add(name);
  }
}

void vViewModule::DelViewer()
{
  this->SweepClosedTabs();
  int tab = this->GetCurrentTab();
  if (tab < 0 || !this->Tabs[tab].Wrapper)
  {
    return;
  }
  this->SetViewerWrapper(this->Tabs[tab].Wrapper);
  this->vModuleBase::DeleteViewer();
  this->Tabs[tab].Handles.clear();
  this->Tabs[tab].LiveData.clear();
  this->Tabs[tab].LiveSources.clear();
}

void vViewModule::ReleaseTab(int tab)
{
  Tab& current = this->Tabs[tab];
  if (!current.Wrapper && current.Handles.empty() && current.LiveData.empty())
  {
    return;
  }
  vRendererManager* renderers = this->GetRenderers();
  int previous = renderers ? renderers->SetCurrentRenderWindowId(tab) : -1;
  if (current.Wrapper)
  {
    if (this->ViewerWrapper == current.Wrapper)
    {
      this->SetViewerWrapper(nullptr);
    }
    current.Wrapper->DeleteViewer();
    current.Wrapper->Delete();
    current.Wrapper = nullptr;
  }
  current.Window = nullptr;
  current.Handles.clear();
  current.LiveData.clear();
  current.LiveSources.clear();
  if (renderers && previous != tab)
  {
    renderers->SetCurrentRenderWindowId(previous);
  }
}

void vViewModule::DetachData()
{
  this->SweepClosedTabs();
  int tab = this->GetCurrentTab();
  this->ForgetData();
  if (tab >= 0)
  {
    this->ReleaseTab(tab);
  }
}

void vViewModule::ReleaseMemory()
{
  this->SweepClosedTabs();
  for (int tab = 0; tab < MaximumTabs; ++tab)
  {
    this->ReleaseTab(tab);
  }
  this->SetViewerWrapper(nullptr);
  this->ForgetData();
  this->DetachPages();
}

int vViewModule::OwnCommand(const std::string&, const std::vector<std::string>&)
{
  return this->Reply(NotHandled, std::string());
}

int vViewModule::Command(const char* text)
{
  try
  {
    return this->RunCommand(text);
  }
  catch (const std::bad_alloc&)
  {
    // The line is answered; the workspace is the engine's and was not changed here. The word is
    // taken without copying the line, which may be what did not fit.
    try
    {
      const char* word = text ? text : "";
      while (*word == ' ')
      {
        ++word;
      }
      const std::size_t length = std::min<std::size_t>(std::strcspn(word, " "), 64);
      return this->Reply(OutOfMemory,
        "error: not enough memory in " + this->Name + " command '" + std::string(word, length) +
          "'");
    }
    catch (const std::bad_alloc&)
    {
      this->LastMessage.clear();
      return OutOfMemory;
    }
  }
}

int vViewModule::RunCommand(const char* text)
{
  this->SweepClosedTabs();
  std::vector<std::string> words = SplitWords(text ? text : "");
  if (words.empty())
  {
    return this->Reply(NotHandled, std::string());
  }
  std::string word = words[0];
  std::vector<std::string> arguments(words.begin() + 1, words.end());
  if (!this->Controller)
  {
    return this->Reply(3, "error: " + this->Name + " is not running");
  }
  if (word == "coolstart")
  {
    this->LastMessage.clear();
    this->CoolStart();
    return this->GetViewer() ? Handled : 3;
  }
  if (word == "add")
  {
    if (arguments.empty())
    {
      return this->Reply(3, "error: insufficient input");
    }
    std::string added;
    for (const std::string& name : arguments)
    {
      if (!this->Add(name))
      {
        return 3;
      }
      added += (added.empty() ? "" : ", ") + name;
    }
    return this->Reply(Handled, added + " added");
  }
  if (word == "help")
  {
    return this->Reply(Handled, this->CommandList);
  }
  vViewerWrapperBase* wrapper = this->CurrentWrapper();
  vViewer* viewer = wrapper ? wrapper->GetViewer() : nullptr;
  if (word == "action" || word == "reset" || word == "render" || word == "layers" || word == "next")
  {
    if (!viewer)
    {
      return this->Reply(3, "error: no viewer, start with coolstart");
    }
    if (word == "reset")
    {
      viewer->ResetCamera();
      return this->Reply(Handled, "camera reset");
    }
    if (word == "render")
    {
      wrapper->ForceRender();
      return this->Reply(Handled, "rendered");
    }
    if (word == "next")
    {
      int changed = this->NextFrame();
      return changed > 0 ? this->Reply(Handled, std::to_string(changed) + " live data updated")
                         : this->Reply(3, "error: no live data shown");
    }
    if (word == "layers")
    {
      return this->Reply(Handled, viewer->GetLayerInfo());
    }
    if (arguments.empty())
    {
      for (const auto& action : MouseActions)
      {
        if (wrapper->GetAction() == action.Code)
        {
          return this->Reply(Handled, std::string("action: ") + action.Name);
        }
      }
      return this->Reply(Handled, "action: " + std::to_string(wrapper->GetAction()));
    }
    for (const auto& action : MouseActions)
    {
      if (arguments.size() == 1 && arguments[0] == action.Name)
      {
        wrapper->SetAction(action.Code);
        return this->Reply(Handled, std::string("action: ") + action.Name);
      }
    }
    return this->Reply(3, "error: action rotate|select|pan|clip|tag");
  }
  return this->OwnCommand(word, arguments);
}
