#include "vWorkspaceState.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vComponentPanel.h"

#include "vDataResource.h"
#include "vShellNotifier.h"
#include "vUserPrompt.h"
#include "vVolumeResource.h"

#include <algorithm>

vWorkspaceState::View::~View() = default;

vWorkspaceState::vWorkspaceState(CVemoraCPEXE* engine)
  : Engine(engine)
{
}

void vWorkspaceState::Start()
{
  this->Folders.Read();
  this->RecentFiles.Read();
  this->LocalRepository.Refresh();
}

std::string vWorkspaceState::NewestItemName(int type) const
{
  if (type == CVemoraCPEXE::Image)
  {
    return this->Engine->GetVolume()->GetLastDataName();
  }
  if (type == CVemoraCPEXE::SurfaceMesh || type == CVemoraCPEXE::SmallPointSet ||
    type == CVemoraCPEXE::PointCloud)
  {
    return this->Engine->GetModel()->GetLastDataName();
  }
  return std::string();
}

int vWorkspaceState::OpenFile(const std::string& path)
{
  if (path.empty() || !this->Engine)
  {
    return -1;
  }
  int result = this->Engine->OpenFile(path);
  if (result < 0)
  {
    return result;
  }
  std::string folder = this->Engine->ExtractFilePath(path);
  std::string name = this->NewestItemName(result);
  if (this->Viewer && !name.empty())
  {
    this->Viewer->ItemOpened(result, name);
  }
  else if (this->Viewer && result == CVemoraCPEXE::Model)
  {
    // No item, but the view keeps its list of models in step with the collection.
    this->Viewer->ItemOpened(result, this->Engine->GetModel()->GetLastDataName());
  }
  if (this->RecentFiles.Update(name, path))
  {
    // The file is loaded either way; the user learns that the list will not remember it.
    if (!this->WriteRecentFileList())
    {
      vUserPrompt::Get()->Inform(
        "error: the recent-file list could not be saved to " + vRecentFileList::DefaultPath());
    }
    if (this->Viewer)
    {
      this->Viewer->RecentFileAdded(name);
    }
  }
  if (!folder.empty() && folder != path)
  {
    this->Folders.AddRecentFolder(folder);
  }
  return result;
}

std::string vWorkspaceState::LoadFile()
{
  std::string path = this->Engine->ConstructFileDlgAndGetFilename(this->GetCurDir());
  if (!path.empty())
  {
    this->OpenFile(path);
    this->LastOpenFilename = path;
  }
  return path;
}

void vWorkspaceState::SetSelectedItemText(const std::string& text, const std::string& parentText)
{
  this->SelectedItemText = text;
  this->ParentItemText = parentText;
  this->Engine->SetSelItemText(text);
}

int vWorkspaceState::GetTypeFromStr(const std::string& text)
{
  static const struct
  {
    const char* Word;
    int Type;
  } words[] = { { "PointCloud", 2 },
    { "Points", 2 },
    { "Surface", 2 },
    { "Matrix", 1 },
    { "ImageData", 4 },
    { "Hardware", 256 } };
  for (const auto& word : words)
  {
    if (text.find(word.Word) != std::string::npos)
    {
      return word.Type;
    }
  }
  return 0;
}

int vWorkspaceState::GetIdFromStr(const std::string& text)
{
  std::size_t open = text.find('[');
  if (open == std::string::npos)
  {
    return -1;
  }
  std::size_t close = text.find(']', open);
  if (close == std::string::npos || close != open + 2)
  {
    return -1;
  }
  char digit = text[open + 1];
  // Only a digit is an index; "[x]" names nothing rather than item 0.
  return digit >= '0' && digit <= '9' ? digit - '0' : -1;
}

std::string vWorkspaceState::GetHardwareItemText(int index) const
{
  return "Hardware [" + std::to_string(index) + "] " + this->Engine->GetHardResourceName(index);
}

int vWorkspaceState::AttachSelectedData()
{
  int type = GetTypeFromStr(this->SelectedItemText);
  int index = GetIdFromStr(this->SelectedItemText);
  return index >= 0 ? this->Engine->Show(type, index) : -1;
}

bool vWorkspaceState::RemoveItem(const std::string& text)
{
  if (!vUserPrompt::Get()->AskYesNo("Are you sure to remove object " + text + "?"))
  {
    return false;
  }
  this->Engine->Remove(text);
  return true;
}

int vWorkspaceState::StartModule(const std::string& name)
{
  if (!this->Engine->hasAtLeastOneViewingTab())
  {
    vUserPrompt::Get()->Inform(
      "error: no viewing tab available, please create a new one by using ctrl + N");
    return -1;
  }
  CVemoraModules* modules = this->Engine->GetModules();
  int index = modules->FindModule(name);
  int active = modules->GetActivatedModuleId();
  if (active >= 0 && active != index)
  {
    if (!vUserPrompt::Get()->AskYesNo("Clear current viewer?"))
    {
      return -1;
    }
    modules->DeleteViewer();
  }
  if (index < 0)
  {
    vShellNotifier::Get()->Post(vShellNotifier::RefreshTitle);
    return -1;
  }
  modules->SetActivatedModule(index);
  if (this->ComponentPanel)
  {
    this->ComponentPanel->SelectTab(name);
  }
  static const char* const roots[] = {
    "Meshes", "Markers", "PointCloud", "Images", "Recent Files", "LocalRepository"
  };
  const std::string& item = this->SelectedItemText;
  bool category = item.empty();
  for (const char* root : roots)
  {
    category = category || item == root;
  }
  if (category)
  {
    modules->Command(index, "coolstart", {});
    return 0;
  }
  std::string path;
  if (this->ParentItemText == "Recent Files")
  {
    path = this->RecentFiles.GetPathOf(item);
  }
  else
  {
    for (const vLocalRepository::Case& entry : this->LocalRepository.GetCases())
    {
      if (entry.Name == this->ParentItemText &&
        std::find(entry.Files.begin(), entry.Files.end(), item) != entry.Files.end())
      {
        path = this->LocalRepository.GetFilePath(entry.Name, item);
      }
    }
  }
  if (!path.empty())
  {
    this->OpenFile(path);
    modules->Command(index, "add", { this->Engine->ConstructDataName(path) });
  }
  else
  {
    modules->Command(index, "add", { item });
  }
  return 0;
}

void vWorkspaceState::ShowItemProp(const std::string& name)
{
  this->ShownItem = name;
  if (this->Viewer)
  {
    this->Viewer->ShowItemProp(name);
  }
}
