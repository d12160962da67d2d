#include "vWorkspaceState.h"

#include "CVemoraCPEXE.h"

#include "vDataResource.h"
#include "vVolumeResource.h"

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
  if (this->RecentFiles.Update(name, path))
  {
    this->RecentFiles.Write();
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

void vWorkspaceState::SetSelectedItemText(const std::string& text)
{
  this->SelectedItemText = text;
  this->Engine->SetSelItemText(text);
}

void vWorkspaceState::ShowItemProp(const std::string& name)
{
  this->ShownItem = name;
  if (this->Viewer)
  {
    this->Viewer->ShowItemProp(name);
  }
}
