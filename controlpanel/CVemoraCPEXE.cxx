#include "CVemoraCPEXE.h"

#include "CVemoraModules.h"
#include "private/vConfigText.h"
#include "vDataSourceContract.h"

#include "vDataResource.h"
#include "vDynamicLibrary.h"
#include "vFileReader.h"
#include "vInstallation.h"
#include "vProgress.h"
#include "vQVFile.h"
#include "vRendererManager.h"
#include "vUserPrompt.h"
#include "vUtil.h"
#include "vVolumeResource.h"
#include "vtkTools.h"

#include <vtkDataArray.h>
#include <vtkDataSet.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkOBJWriter.h>
#include <vtkPLYWriter.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSTLWriter.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
std::string CopyText(const char* text)
{
  return text ? std::string(text) : std::string();
}

std::string SaveFailedText(const std::string& name, const std::string& file)
{
  return "error: " + name + " could not be saved to " + file;
}
} // namespace

CVemoraCPEXE::CVemoraCPEXE()
{
  for (int& type : this->HardTypes)
  {
    type = 0;
  }
  this->HardFolderName = "Hard";
  this->SetupDLLHardResources();
  this->FileReader = std::make_unique<vFileReader>();
  this->Modules = std::make_unique<CVemoraModules>();
  this->Modules->Initialise();
  this->Renderers = std::make_unique<vRendererManager>();
  this->Modules->SetRenderer(this->Renderers.get());
  this->VolumeCollection = std::make_unique<vVolumeResource>();
  this->ModelCollection = std::make_unique<vDataResource>();
  this->ViewingTabCount = 0;
  this->Hwnd = nullptr;
}

CVemoraCPEXE::~CVemoraCPEXE()
{
  this->FileReader.reset();
  this->Modules.reset();
  this->Renderers.reset();
  this->VolumeCollection.reset();
  this->ModelCollection.reset();
}

// ---------------------------------------------------------------------------------------------
// Hard resources

void CVemoraCPEXE::SetupDLLHardResources()
{
  this->SetupDLLHardResources(vInstallation::GetSubFolder(this->HardFolderName));
}

void CVemoraCPEXE::SetupDLLHardResources(const std::string& folder)
{
  for (const std::string& path : vDynamicLibrary::ListLibraries(folder))
  {
    if (this->GetNumberOfHardResources() >= MaximumHardResources)
    {
      break; // the table is full: further libraries are not registered
    }
    vDynamicLibrary library;
    if (!library.Open(path))
    {
      vUserPrompt::Get()->Inform("Couldn't load module");
      continue;
    }
    auto getDataType = library.GetFunction<vDataSourceTypeFunction>(vDataSourceExport::GetDataType);
    auto getDesc = library.GetFunction<vDataSourceTextFunction>(vDataSourceExport::GetDesc);
    auto getName = library.GetFunction<vDataSourceTextFunction>(vDataSourceExport::GetName);
    auto getVer = library.GetFunction<vDataSourceTextFunction>(vDataSourceExport::GetVer);
    if (!getDataType || !getDesc || !getName || !getVer)
    {
      continue;
    }
    int type = getDataType();
    std::string description = CopyText(getDesc());
    std::string name = CopyText(getName());
    std::string version = CopyText(getVer());
    this->AddHardResourcesInfo(name, version, description, type, path);
    // `library` unloads here: data-source libraries are not kept loaded.
  }
}

bool CVemoraCPEXE::AddHardResourcesInfo(const std::string& name,
  const std::string& version,
  const std::string& description,
  int dataType,
  const std::string& path)
{
  int index = this->GetNumberOfHardResources();
  if (index >= MaximumHardResources)
  {
    return false;
  }
  this->HardNames.push_back(name);
  this->HardVersions.push_back(version);
  this->HardDescriptions.push_back(description);
  this->HardLibraries.push_back(path);
  this->HardTypes[index] = dataType;
  return true;
}

int CVemoraCPEXE::FindHardResource(const std::string& name)
{
  for (int i = 0; i < this->GetNumberOfHardResources(); ++i)
  {
    if (vConfigText::EqualsNoCase(this->HardNames[i], name))
    {
      return i;
    }
  }
  return -1;
}

std::string CVemoraCPEXE::GetHardResourceText(const std::vector<std::string>& texts,
  int index) const
{
  return index >= 0 && index < this->GetNumberOfHardResources() ? texts[index] : std::string();
}

std::string CVemoraCPEXE::GetHardResourceName(int index) const
{
  return this->GetHardResourceText(this->HardNames, index);
}

std::string CVemoraCPEXE::GetHardResourceDesc(int index) const
{
  return this->GetHardResourceText(this->HardDescriptions, index);
}

std::string CVemoraCPEXE::GetHardResourceVer(int index) const
{
  return this->GetHardResourceText(this->HardVersions, index);
}

std::string CVemoraCPEXE::GetHardResourceDLL(int index) const
{
  return this->GetHardResourceText(this->HardLibraries, index);
}

int CVemoraCPEXE::GetHardResourceType(int index) const
{
  return index >= 0 && index < this->GetNumberOfHardResources() ? this->HardTypes[index] : 0;
}

// ---------------------------------------------------------------------------------------------
// Names and paths

std::string CVemoraCPEXE::ExtractFilePath(const std::string& path)
{
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string CVemoraCPEXE::ConstructDataName(const std::string& path)
{
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/')
  {
    trimmed.pop_back();
  }
  const std::string folder = this->ExtractFilePath(trimmed);
  std::string file = folder.size() == trimmed.size() ? trimmed : trimmed.substr(folder.size() + 1);
  // A folder (a DICOM series) is named as it is, dots and all; a file without an extension (a
  // DICOM file) by its whole name: an empty name could not be typed in any command.
  if (vInstallation::IsFolder(trimmed))
  {
    return file;
  }
  const std::size_t dot = file.rfind('.');
  return dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
}

// ---------------------------------------------------------------------------------------------
// Workspace data

int CVemoraCPEXE::isFileLoaded(const std::string& path)
{
  if (this->ModelCollection->FindFilename(path) >= 0)
  {
    return 1;
  }
  return this->VolumeCollection->FindFilename(path) >= 0 ? 1 : 0;
}

int CVemoraCPEXE::OpenFile(const std::string& path)
{
  const int models = this->ModelCollection->GetNumberOfItems();
  const int volumes = this->VolumeCollection->GetNumberOfItems();
  try
  {
    return this->OpenFileUnguarded(path);
  }
  catch (const std::bad_alloc&)
  {
    // An item added before memory ran out goes again: the workspace stays as it was.
    while (this->ModelCollection->GetNumberOfItems() > models)
    {
      this->ModelCollection->RemoveItem(this->ModelCollection->GetNumberOfItems() - 1);
    }
    while (this->VolumeCollection->GetNumberOfItems() > volumes)
    {
      this->VolumeCollection->RemoveItem(this->VolumeCollection->GetNumberOfItems() - 1);
    }
    if (this->FileReader)
    {
      this->FileReader->TakeOutput();
    }
    try
    {
      vUserPrompt::Get()->Inform("error: not enough memory to read " + path);
    }
    catch (const std::bad_alloc&)
    {
    }
    return -1;
  }
}

int CVemoraCPEXE::OpenFileUnguarded(const std::string& path)
{
  if (this->isFileLoaded(path))
  {
    return -1;
  }
  if (!this->FileReader)
  {
    this->FileReader = std::make_unique<vFileReader>();
  }
  std::string name = this->ConstructDataName(path);
  this->FileReader->SetFilename(path);
  // The read shows its progress when it takes a while, and the user may stop it: a stopped read
  // leaves the workspace as it was and needs no message.
  vProgressScope progress("Reading " + path.substr(path.find_last_of('/') + 1));
  if (!this->FileReader->Read())
  {
    if (!vProgressScope::Cancelled())
    {
      vUserPrompt::Get()->Inform(this->FileReader->GetErrorMessage());
    }
    return -1;
  }
  // A read that left files out (of a DICOM folder) says which, and what it kept.
  if (!this->FileReader->GetNotice().empty())
  {
    vUserPrompt::Get()->Inform(this->FileReader->GetNotice());
  }
  int type = this->FileReader->GetOutputType();
  // The reader's output was made by this read and nothing else holds it: the workspace takes it
  // over as it is, so the data are held once and nothing is copied.
  vtkSmartPointer<vtkDataSet> output = this->FileReader->TakeOutput();
  if (type == Image)
  {
    int index = this->VolumeCollection->AdoptData(output);
    if (index >= 0 && index < this->VolumeCollection->GetNumberOfItems())
    {
      this->VolumeCollection->SetType("image");
      this->VolumeCollection->SetDataName(index, name);
      this->VolumeCollection->SetFilename(index, path);
    }
  }
  else if (type == Model || type == SurfaceMesh || type == SmallPointSet || type == PointCloud)
  {
    int index = this->ModelCollection->AdoptData(output);
    if (index >= 0 && index < this->ModelCollection->GetNumberOfItems())
    {
      this->ModelCollection->SetType("model");
      this->ModelCollection->SetDataName(index, name);
      this->ModelCollection->SetFilename(index, path);
    }
  }
  return type;
}

void CVemoraCPEXE::Find(const std::string& name, int& type, int& index)
{
  type = 0;
  index = -1;
  int found = this->ModelCollection->Find(name);
  if (found >= 0)
  {
    type = Model;
    index = found;
    return;
  }
  found = this->VolumeCollection->Find(name);
  if (found >= 0)
  {
    type = Image;
    index = found;
    return;
  }
  found = this->FindHardResource(name);
  if (found >= 0)
  {
    type = HardResource;
    index = found;
  }
}

int CVemoraCPEXE::Remove(const std::string& name)
{
  int type = 0;
  int index = -1;
  this->Find(name, type, index);
  if (index < 0)
  {
    return -1;
  }
  if (type == Model)
  {
    this->ModelCollection->RemoveItem(index);
  }
  else if (type == Image)
  {
    this->VolumeCollection->RemoveItem(index);
  }
  return 0;
}

int CVemoraCPEXE::Show(int type, int index)
{
  int dataType = type == HardResource ? this->GetHardResourceType(index) : type;
  int module = this->Modules->GetActivatedModuleId();
  if (module >= 0)
  {
    this->Modules->AddSecondaryData(module, dataType, index);
  }
  return module;
}

namespace
{
/**
 * Runs `writer` (its input set) into a temporary file beside `path` and renames that over `path`
 * when it was written whole; false (and `path` untouched) otherwise.
 */
template <typename Writer>
bool WriteThroughTemporary(Writer* writer, const std::string& path, const std::string& ext)
{
  // The temporary name ends in the extension too: VTK's PLY writer appends ".ply" to a name
  // without it, and would write another file than the one renamed.
  std::vector<char> name(path.begin(), path.end());
  const std::string suffix = ".tmpXXXXXX." + ext;
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  const int fd = ::mkstemps(name.data(), static_cast<int>(ext.size() + 1));
  if (fd < 0)
  {
    return false;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  writer->SetFileName(name.data());
  bool ok = writer->Write() == 1 && writer->GetErrorCode() == 0;
  ok = ok && std::rename(name.data(), path.c_str()) == 0;
  if (!ok)
  {
    ::unlink(name.data());
  }
  return ok;
}

std::string LowerExtension(const std::string& path)
{
  std::string ext = vFileReader::GetExtension(path);
  std::transform(ext.begin(),
    ext.end(),
    ext.begin(),
    [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}
} // namespace

int CVemoraCPEXE::SaveData(const std::string& name, const std::string& path)
{
  try
  {
    return this->SaveDataUnguarded(name, path);
  }
  catch (const std::bad_alloc&)
  {
    return SaveWriteFailed; // the old file stays: it is only replaced by a finished one
  }
}

int CVemoraCPEXE::SaveDataUnguarded(const std::string& name, const std::string& path)
{
  int type = 0;
  int index = -1;
  this->Find(name, type, index);
  if (index < 0)
  {
    return SaveUnknownName;
  }
  const std::string ext = LowerExtension(path);
  if (type == Model)
  {
    vtkDataSet* data = this->ModelCollection->GetData(index);
    vtkPolyData* model = vtkPolyData::SafeDownCast(data);
    if (!data || (ext != "vtk" && !model))
    {
      return SaveUnsupportedFormat;
    }
    bool written = false;
    if (ext == "vtk")
    {
      written = vtkTools::vtkSave(data, path);
    }
    else if (ext == "stl" || ext == "ply" || ext == "obj")
    {
      if (ext == "stl")
      {
        vtkNew<vtkSTLWriter> stl;
        stl->SetFileTypeToBinary();
        stl->SetInputData(model);
        written = WriteThroughTemporary(stl.Get(), path, ext);
      }
      else if (ext == "ply")
      {
        vtkNew<vtkPLYWriter> ply;
        ply->SetFileTypeToBinary();
        ply->SetInputData(model);
        written = WriteThroughTemporary(ply.Get(), path, ext);
      }
      else
      {
        vtkNew<vtkOBJWriter> obj;
        obj->SetInputData(model);
        written = WriteThroughTemporary(obj.Get(), path, ext);
      }
    }
    else
    {
      return SaveUnsupportedFormat;
    }
    return written ? SaveDone : SaveWriteFailed;
  }
  if (type == Image)
  {
    vtkImageData* image = this->VolumeCollection->GetImageData(index);
    if (!image || (ext != "vtk" && ext != "qv"))
    {
      return SaveUnsupportedFormat;
    }
    std::string error;
    const bool written =
      ext == "vtk" ? vtkTools::vtkSave(image, path) : vQVFile::Write(path, image, error);
    return written ? SaveDone : SaveWriteFailed;
  }
  return SaveUnsupportedFormat; // live data sources have nothing to write
}

int CVemoraCPEXE::Save(const std::string& folder, const std::string& name)
{
  int type = 0;
  int index = -1;
  this->Find(name, type, index);
  if (index < 0)
  {
    return -1;
  }
  if (type == Model)
  {
    std::string file = this->ConstructSaveModelDlgAndGetFilename(folder);
    vtkDataSet* data = this->ModelCollection->GetData(index);
    // A cancelled dialog gives no file name: nothing to write.
    if (!file.empty() && data && !vtkTools::vtkSave(data, file))
    {
      vUserPrompt::Get()->Inform(SaveFailedText(name, file));
      return WriteFailed;
    }
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Dialogs

std::string CVemoraCPEXE::GetSaveModelFilter()
{
  return std::string("VTK (") + "*." + "vtk" + ")" + "|" + "*." + "vtk" + ";" + "|";
}

std::string CVemoraCPEXE::GetOpenFileFilter()
{
  if (!this->FileReader)
  {
    this->FileReader = std::make_unique<vFileReader>();
  }
  vFileReader* reader = this->FileReader.get();
  int n = reader->GetNumberOfSupportedFileFormat();
  std::string filter = "All supported file formats (";
  for (int i = 0; i < n; ++i)
  {
    filter += "*." + reader->GetSupportedFileExt(i) + (i + 1 < n ? "," : ")");
  }
  filter += "|";
  for (int i = 0; i < n; ++i)
  {
    filter += "*." + reader->GetSupportedFileExt(i) + ";";
  }
  filter += "|";
  for (int i = 0; i < n; ++i)
  {
    std::string ext = reader->GetSupportedFileExt(i);
    filter.append(reader->GetSupportedFileDesc(i)).append(" (*.").append(ext).append(")|");
    filter.append(" *.").append(ext).append("|");
  }
  filter += "|";
  return filter;
}

std::string CVemoraCPEXE::ConstructFileDlgAndGetFilename(const std::string& folder)
{
  return vUserPrompt::Get()->AskOpenFile(this->GetOpenFileFilter(), folder);
}

std::string CVemoraCPEXE::ConstructSaveModelDlgAndGetFilename(const std::string& folder)
{
  return vUserPrompt::Get()->AskSaveFile(GetSaveModelFilter(), folder);
}

// ---------------------------------------------------------------------------------------------
// Listing and viewing tabs

std::string CVemoraCPEXE::GetWorkspaceListing()
{
  int models = this->ModelCollection->GetNumberOfItems();
  int volumes = this->VolumeCollection->GetNumberOfItems();
  int hard = this->GetNumberOfHardResources();
  if (models == 0 && volumes == 0 && hard == 0)
  {
    return "Workspace is Empty";
  }
  const std::vector<int> widths = { 8, 20, 20 };
  std::string text = vUtil::ConstructRow({ "id", "name", "type" }, widths) + "\r\n";
  int row = 0;
  for (int i = 0; i < models; ++i)
  {
    text += vUtil::ConstructRow(
              { std::to_string(row++), this->ModelCollection->GetDataName(i), "<model>" }, widths) +
      "\r\n";
  }
  for (int i = 0; i < volumes; ++i)
  {
    text +=
      vUtil::ConstructRow(
        { std::to_string(row++), this->VolumeCollection->GetDataName(i), "<image>" }, widths) +
      "\r\n";
  }
  for (int i = 0; i < hard; ++i)
  {
    text +=
      vUtil::ConstructRow({ std::to_string(row++), this->HardNames[i], "<live>" }, widths) + "\r\n";
  }
  return text;
}

int CVemoraCPEXE::CreateViewingTab()
{
  vtkRenderWindow* window = this->Renderers->CreateNewRenderWindow();
  if (!window)
  {
    return -1;
  }
  int id = this->Renderers->GetCurrentRenderWindowId();
  vtkNew<vtkRenderer> mainRenderer;
  window->AddRenderer(mainRenderer);
  // A window shown in the GUI already has the interactor of its widget, which must stay.
  if (!window->GetInteractor())
  {
    vtkNew<vtkRenderWindowInteractor> interactor;
    window->SetInteractor(interactor);
  }
  this->Renderers->SetCaption(id, "Welcome to QOVA");
  this->ViewingTabPlusPlus();
  return id;
}

bool CVemoraCPEXE::CloseViewingTab(int renderWindowId)
{
  if (!this->Renderers->GetRenderWindow(renderWindowId))
  {
    return false;
  }
  // The module of the tab lets go of its data and viewer while the window still exists, with the
  // window current, so that it takes down the viewer of this tab and no other.
  int previous = this->Renderers->SetCurrentRenderWindowId(renderWindowId);
  this->Modules->DetachData(renderWindowId);
  this->Renderers->RemoveRenderWindow(renderWindowId);
  if (previous != renderWindowId)
  {
    this->Renderers->SetCurrentRenderWindowId(previous);
  }
  this->ViewingTabMinusMinus();
  return true;
}
