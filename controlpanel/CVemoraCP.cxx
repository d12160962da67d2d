#include "CVemoraCP.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vComponentPanel.h"
#include "vFolderConfiguration.h"
#include "vModuleContract.h"
#include "vWorkspaceState.h"

#include "vLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"

#include "vUserPrompt.h"

CVemoraCP::CVemoraCP() = default;

CVemoraCP::~CVemoraCP()
{
  this->Delete();
}

void CVemoraCP::Delete()
{
  this->Workspace.reset();
  this->Engine.reset();
}

int CVemoraCP::UIInit()
{
  if (this->Engine || this->Workspace)
  {
    return 1;
  }
  this->Engine = std::make_unique<CVemoraCPEXE>();
  this->Workspace = std::make_unique<vWorkspaceState>(this->Engine.get());
  this->Workspace->SetComponentPanel(this->ComponentPanel);
  this->Workspace->Start();
  return 0;
}

void CVemoraCP::SetComponentPanel(vComponentPanel* panel)
{
  this->ComponentPanel = panel;
  if (this->Workspace)
  {
    this->Workspace->SetComponentPanel(panel);
  }
}

void CVemoraCP::SetParentHwnd(void* hwnd)
{
  if (this->Workspace)
  {
    this->Workspace->SetParentHWND(hwnd);
  }
  if (this->Engine)
  {
    this->Engine->SetHwnd(hwnd);
  }
}

std::string CVemoraCP::Open(const std::string& path)
{
  std::string file = path;
  if (!file.empty() && file[0] == '\'')
  {
    file.erase(0, 1);
  }
  if (file.empty() || file[0] != '/')
  {
    std::string folder = this->GetCurDir();
    file = (!folder.empty() && folder.back() == '/' ? folder : folder + "/") + file;
  }
  int result = this->Workspace ? this->Workspace->OpenFile(file) : -1;
  return result >= 1 ? "File loaded" : "error: file loading error";
}

std::string CVemoraCP::Open()
{
  if (!this->Workspace)
  {
    return std::string();
  }
  this->Workspace->LoadFile();
  return this->Workspace->GetLastOpenFilename();
}

std::string CVemoraCP::Save()
{
  if (this->Engine)
  {
    const std::string name = this->Engine->GetSelItemText();
    if (this->Engine->Save(this->GetCurDir(), name) == CVemoraCPEXE::WriteFailed)
    {
      return "error: " + name + " could not be saved";
    }
  }
  return std::string();
}

std::string CVemoraCP::GetVar()
{
  return this->Engine ? this->Engine->GetWorkspaceListing() : std::string();
}

std::string CVemoraCP::GetSelectedItemText() const
{
  return this->Workspace ? this->Workspace->GetSelectedItemText() : std::string();
}

void CVemoraCP::SetCurDir(const std::string& folder)
{
  if (this->Workspace)
  {
    this->Workspace->SetCurDir(folder);
  }
}

std::string CVemoraCP::GetCurDir() const
{
  return this->Workspace ? this->Workspace->GetCurDir() : std::string();
}

bool CVemoraCP::SaveConfig()
{
  if (this->Workspace && !this->Workspace->WriteConfiguration())
  {
    vUserPrompt::Get()->Inform(
      "error: the configuration could not be saved to " + vFolderConfiguration::DefaultPath());
    return false;
  }
  return true;
}

void CVemoraCP::RefreshLocalRepository()
{
  if (this->Workspace)
  {
    this->Workspace->RefreshLocalRepository();
  }
}

void CVemoraCP::RunModuleRoutine(int module)
{
  if (!this->Engine)
  {
    return;
  }
  CVemoraModules* modules = this->Engine->GetModules();
  auto setWindow = modules->GetModuleFunction<vModuleSetRenderWindowFunction>(
    module, vModuleExport::SetRenderWindow);
  auto setCP = modules->GetModuleFunction<vModuleSetCPFunction>(module, vModuleExport::SetCP);
  auto run = modules->GetModuleFunction<vModuleVoidFunction>(module, vModuleExport::Run);
  if (setWindow && setCP && run)
  {
    setWindow(this->Engine->GetRenderers()->GetFirstRenderWindow());
    setCP(this);
    run();
  }
}

void CVemoraCP::RunModuleRoutine()
{
  if (!this->Engine)
  {
    return;
  }
  int n = this->Engine->GetModules()->GetNumberOfModules();
  for (int i = 0; i < n; ++i)
  {
    this->RunModuleRoutine(i);
  }
  if (n > 0 && this->ComponentPanel)
  {
    this->ComponentPanel->InitTab();
  }
}

void CVemoraCP::ShowAxes(bool flag)
{
  vViewer* viewer = this->Engine ? this->Engine->GetModules()->GetViewer() : nullptr;
  if (viewer)
  {
    viewer->ShowAxes(flag);
  }
}

void CVemoraCP::SetScaleFactor(double value)
{
  vViewer* viewer = this->Engine ? this->Engine->GetModules()->GetViewer() : nullptr;
  if (viewer)
  {
    viewer->SetScaleFactor(value);
    viewer->Render();
  }
}

void CVemoraCP::UpdateLayerProperty()
{
  vViewer* viewer = this->Engine ? this->Engine->GetModules()->GetViewer() : nullptr;
  if (!viewer || !this->Workspace)
  {
    return;
  }
  vLayer* layer = viewer->GetInput();
  if (layer)
  {
    this->Workspace->ShowItemProp(layer->GetFirstResourceName());
  }
}

void CVemoraCP::AddTabComponent(const std::string& name, QWidget* page)
{
  if (this->ComponentPanel &&
    this->ComponentPanel->GetNumberOfTabs() < vComponentPanel::MaximumTabs)
  {
    this->ComponentPanel->AddTabItem(this->ComponentPanel->GetNumberOfTabs(), name, page);
  }
}

void CVemoraCP::HideTabDialogs()
{
  if (this->ComponentPanel)
  {
    this->ComponentPanel->HideTabs();
  }
}
