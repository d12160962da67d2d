#include "CVemoraModules.h"

#include "private/vConfigText.h"
#include "vModuleContract.h"

#include "vDynamicLibrary.h"
#include "vInstallation.h"
#include "vRendererManager.h"
#include "vUserPrompt.h"
#include "vUtil.h"

#include <dlfcn.h>

namespace
{
std::string CopyText(const char* text)
{
  return text ? std::string(text) : std::string();
}

// A module's export that lets an exception out counts as having failed.
using vModuleExport::Guarded;
} // namespace

CVemoraModules::CVemoraModules()
{
  for (int& entry : this->Activated)
  {
    entry = -1;
  }
  for (int& type : this->TargetDataTypes)
  {
    type = 0;
  }
}

CVemoraModules::~CVemoraModules()
{
  this->FreeModules();
}

void CVemoraModules::Initialise()
{
  this->Initialise(vInstallation::GetSubFolder(this->ModuleFolderName));
}

void CVemoraModules::Initialise(const std::string& folder)
{
  for (const std::string& path : vDynamicLibrary::ListLibraries(folder))
  {
    vDynamicLibrary library;
    if (!library.Open(path))
    {
      vUserPrompt::Get()->Inform("Couldn't load module");
      continue;
    }
    std::string version;
    std::string name;
    std::string description;
    int target = 0;
    if (auto f = library.GetFunction<vModuleTextFunction>(vModuleExport::GetModuleVer))
    {
      version = Guarded(std::string(), [f] { return CopyText(f()); });
    }
    if (auto f = library.GetFunction<vModuleTextFunction>(vModuleExport::GetModuleName))
    {
      name = Guarded(std::string(), [f] { return CopyText(f()); });
    }
    if (auto f = library.GetFunction<vModuleTextFunction>(vModuleExport::GetModuleDesc))
    {
      description = Guarded(std::string(), [f] { return CopyText(f()); });
    }
    if (auto f =
          library.GetFunction<vModuleIntegerFunction>(vModuleExport::GetModuleTargetDataType))
    {
      target = Guarded(0, f);
    }
    if (this->AddModule(library.GetHandle(), name, target, version, description, path))
    {
      library.Release(); // the manager closes it in FreeModules
    }
    // otherwise the table is full and the library is closed when `library` goes
  }
}

int CVemoraModules::AddModule(void* handle,
  const std::string& name,
  int targetDataType,
  const std::string& version,
  const std::string& description,
  const std::string& path)
{
  int index = this->GetNumberOfModules();
  if (index >= MaximumModules)
  {
    return 0;
  }
  this->TargetDataTypes[index] = targetDataType;
  this->Handles.push_back(handle);
  this->Names.push_back(name);
  this->Versions.push_back(version);
  this->Descriptions.push_back(description);
  this->Paths.push_back(path);
  this->States.emplace_back("L");
  return 1;
}

void* CVemoraModules::GetModule(int index) const
{
  return this->IsIndex(index) ? this->Handles[index] : nullptr;
}

void* CVemoraModules::GetModuleFunction(int index, const std::string& exportName) const
{
  if (!this->isModuleLoaded(index) || !this->Handles[index])
  {
    return nullptr;
  }
  return dlsym(this->Handles[index], exportName.c_str());
}

std::string CVemoraModules::GetModuleName(int index) const
{
  return this->IsIndex(index) ? this->Names[index] : std::string();
}

std::string CVemoraModules::GetModuleVer(int index) const
{
  return this->IsIndex(index) ? this->Versions[index] : std::string();
}

std::string CVemoraModules::GetModuleDesc(int index) const
{
  return this->IsIndex(index) ? this->Descriptions[index] : std::string();
}

std::string CVemoraModules::GetModulePath(int index) const
{
  return this->IsIndex(index) ? this->Paths[index] : std::string();
}

int CVemoraModules::GetTargetDataType(int index) const
{
  return this->IsIndex(index) ? this->TargetDataTypes[index] : 0;
}

int CVemoraModules::isModuleLoaded(int index) const
{
  return this->IsIndex(index) && vConfigText::EqualsNoCase(this->States[index], "L") ? 1 : 0;
}

int CVemoraModules::FindModule(const std::string& name) const
{
  int found = -1;
  for (int i = 0; i < this->GetNumberOfModules(); ++i)
  {
    if (vConfigText::EqualsNoCase(this->Names[i], name))
    {
      found = i;
    }
  }
  return found;
}

int CVemoraModules::CurrentWindow() const
{
  return this->Renderers ? this->Renderers->GetCurrentRenderWindowId() : -1;
}

void CVemoraModules::SetActivatedModule(int index)
{
  int window = this->CurrentWindow();
  if (window >= 0 && window < MaximumRenderWindows)
  {
    this->Activated[window] = this->IsIndex(index) ? index : -1;
  }
}

void CVemoraModules::SetActivatedModule(const std::string& name)
{
  this->SetActivatedModule(this->FindModule(name));
}

int CVemoraModules::GetActivatedModuleId() const
{
  return this->GetActivatedModuleId(this->CurrentWindow());
}

int CVemoraModules::GetActivatedModuleId(int renderWindowId) const
{
  if (renderWindowId < 0 || renderWindowId >= MaximumRenderWindows)
  {
    return -1;
  }
  return this->Activated[renderWindowId];
}

void CVemoraModules::SetPrimaryData(int module, int dataIndex)
{
  if (auto f = this->GetModuleFunction<vModuleSetPrimaryDataFunction>(
        module, vModuleExport::SetPrimaryData))
  {
    Guarded([f, dataIndex] { f(dataIndex); });
  }
}

void CVemoraModules::AddSecondaryData(int module, int dataType, int dataIndex)
{
  if (auto f = this->GetModuleFunction<vModuleAddSecondaryDataFunction>(
        module, vModuleExport::AddSecondaryData))
  {
    Guarded([f, dataType, dataIndex] { f(dataType, dataIndex); });
  }
}

vViewer* CVemoraModules::GetViewer(int module) const
{
  auto f = this->GetModuleFunction<vModuleGetViewerFunction>(module, vModuleExport::GetViewer);
  return f ? Guarded<vViewer*>(nullptr, f) : nullptr;
}

vViewer* CVemoraModules::GetViewer() const
{
  int active = this->GetActivatedModuleId();
  return active < 0 ? nullptr : this->GetViewer(active);
}

void CVemoraModules::DeleteViewer()
{
  int active = this->GetActivatedModuleId();
  if (active < 0)
  {
    return;
  }
  if (auto f = this->GetModuleFunction<vModuleVoidFunction>(active, vModuleExport::DelViewer))
  {
    Guarded(f);
  }
}

void CVemoraModules::DetachData()
{
  this->DetachData(this->CurrentWindow());
}

void CVemoraModules::DetachData(int renderWindowId)
{
  int active = this->GetActivatedModuleId(renderWindowId);
  if (active < 0)
  {
    return;
  }
  if (auto f = this->GetModuleFunction<vModuleVoidFunction>(active, vModuleExport::DetachData))
  {
    Guarded(f);
  }
  this->Activated[renderWindowId] = -1;
}

int CVemoraModules::Command(int module,
  const std::string& word,
  const std::vector<std::string>& arguments)
{
  auto f = this->GetModuleFunction<vModuleCommandFunction>(module, vModuleExport::Command);
  if (!f)
  {
    return -1;
  }
  return Guarded(-1,
    [f, &word, &arguments]
    {
      std::string text = word;
      for (const std::string& argument : arguments)
      {
        text += " " + argument;
      }
      return f(text.c_str());
    });
}

std::string CVemoraModules::GetInfo() const
{
  const std::vector<int> widths = { 8, 20, 255 };
  std::string info = vUtil::ConstructRow({ "id", "name", "description" }, widths) + "\n";
  for (int i = 0; i < this->GetNumberOfModules(); ++i)
  {
    info +=
      vUtil::ConstructRow({ std::to_string(i), this->Names[i], this->Descriptions[i] }, widths) +
      "\n";
  }
  return info;
}

void CVemoraModules::FreeModules()
{
  for (int i = 0; i < this->GetNumberOfModules(); ++i)
  {
    if (!this->isModuleLoaded(i))
    {
      continue;
    }
    if (this->Handles[i])
    {
      if (auto f = reinterpret_cast<vModuleVoidFunction>(
            dlsym(this->Handles[i], vModuleExport::ReleaseMemory)))
      {
        Guarded(f);
      }
      dlclose(this->Handles[i]);
      this->Handles[i] = nullptr;
    }
    this->States[i] = "U";
  }
}
