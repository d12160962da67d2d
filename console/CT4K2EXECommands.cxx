// The command set of the interpreter: one operation per built-in word.
#include "CT4K2EXE.h"

#include "vCommandLine.h"

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vComponentPanel.h"

#include "vImage3DLayer2.h"
#include "vImageLayer.h"
#include "vImageSliceLayer.h"
#include "vLandmarkLayer.h"
#include "vLayer.h"
#include "vMesh3DLayer.h"
#include "vRendererManager.h"
#include "vTextLayer.h"
#include "vViewer.h"
#include "vVolumeRenderingLayer.h"

#include "vDataResource.h"
#include "vDataResourceFake.h"
#include "vInfoResource.h"
#include "vVolumeResource.h"
#include "vVolumeResourceFake.h"

#include "vInstallation.h"
#include "vMemoryBudget.h"
#include "vShellNotifier.h"
#include "vTextFile.h"
#include "vUserPrompt.h"
#include "vUtil.h"
#include "vtkTools.h"

#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkRenderer.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <dlfcn.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
CT4K2EXE::MonitorProvider& Monitors()
{
  static CT4K2EXE::MonitorProvider provider;
  return provider;
}

/**
 * A number as the commands read it: decimal floating point, leading number text taken, anything
 * unreadable 0. Hexadecimal, "inf" and "nan" are not decimal and read as their leading "0" or 0;
 * a decimal number too large for a double reads as plus or minus infinity.
 */
double ReadNumber(const std::string& text)
{
  const char* s = text.c_str();
  while (*s == ' ' || *s == '\t')
  {
    ++s;
  }
  const char* digits = (*s == '+' || *s == '-') ? s + 1 : s;
  if (!(std::isdigit(static_cast<unsigned char>(*digits)) || *digits == '.'))
  {
    return 0.0;
  }
  if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
  {
    return *s == '-' ? -0.0 : 0.0;
  }
  return std::strtod(s, nullptr);
}

/** A decimal integer, leading number text taken, 0 when unreadable, clamped to the int range. */
long ReadInteger(const std::string& text)
{
  return std::strtol(text.c_str(), nullptr, 10); // saturates at LONG_MIN / LONG_MAX
}

int ClampToInt(long value)
{
  return static_cast<int>(std::max<long>(INT_MIN, std::min<long>(INT_MAX, value)));
}

bool InUnitRange(double v)
{
  return v >= 0.0 && v <= 1.0; // false for NaN too
}

std::string Lower(std::string text)
{
  std::transform(text.begin(),
    text.end(),
    text.begin(),
    [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

/** Largest matrix file read (a matrix file is five short lines). */
constexpr std::size_t MaximumMatrixFileBytes = 64 * 1024;

/**
 * Reads a matrix file as `vUtil::SaveMat` writes it, strictly: the line "MATRIX 4 x 4" (any
 * letter case), then four lines of four finite decimal numbers separated by blanks; later lines
 * are not read. False for anything else (a file that is not a matrix, a truncated one, text where
 * a number belongs, NaN or infinity), `matrix` then being left as it was.
 */
bool ReadMatrixFile(const std::string& path, double matrix[16])
{
  std::string text;
  bool truncated = false;
  if (!vInstallation::IsFile(path) ||
    !vTextFile::Read(path, text, MaximumMatrixFileBytes, &truncated))
  {
    return false;
  }
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size() && lines.size() < 5;)
  {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
    {
      end = text.size();
    }
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
    {
      line.pop_back();
    }
    lines.push_back(line);
    start = end + 1;
  }
  if (lines.size() < 5 || Lower(lines[0]) != "matrix 4 x 4")
  {
    return false;
  }
  double values[16];
  for (int r = 0; r < 4; ++r)
  {
    const std::string& row = lines[static_cast<std::size_t>(r) + 1];
    const char* p = row.c_str();
    const char* const end = p + row.size();
    int c = 0;
    for (; c < 4; ++c)
    {
      while (p < end && (*p == ' ' || *p == '\t'))
      {
        ++p;
      }
      const auto parsed = std::from_chars(p, end, values[r * 4 + c]);
      if (parsed.ec != std::errc() || !std::isfinite(values[r * 4 + c]) ||
        (parsed.ptr < end && *parsed.ptr != ' ' && *parsed.ptr != '\t'))
      {
        return false;
      }
      p = parsed.ptr;
    }
    while (p < end && (*p == ' ' || *p == '\t'))
    {
      ++p;
    }
    if (p != end)
    {
      return false; // more than four numbers
    }
  }
  std::copy(values, values + 16, matrix);
  return true;
}

bool IsDirectory(const std::string& folder, const dirent* entry)
{
  if (entry->d_type == DT_DIR)
  {
    return true;
  }
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
  {
    return false;
  }
  return vInstallation::IsFolder(folder + "/" + entry->d_name);
}
} // namespace

void CT4K2EXE::SetMonitorProvider(MonitorProvider provider)
{
  Monitors() = std::move(provider);
}

vViewer* CT4K2EXE::GetViewer() const
{
  if (!this->controller || !this->controller->GetEXE() || !this->controller->GetEXE()->GetModules())
  {
    return nullptr;
  }
  return this->controller->GetEXE()->GetModules()->GetViewer();
}

void CT4K2EXE::RefreshLayerPanel()
{
  // The layer panel belongs to the shell, which refreshes it on this notice.
  vShellNotifier::Get()->Post(vShellNotifier::RefreshLayerProperties);
}

void CT4K2EXE::RemoveSelectedLayerItem()
{
  this->RefreshLayerPanel();
}

void CT4K2EXE::SelectComponentTab(const std::string& name)
{
  if (this->controller && this->controller->GetComponentUIPointer())
  {
    this->controller->GetComponentUIPointer()->SelectTab(name);
  }
}

int CT4K2EXE::FindModuleIndex(const std::string& name)
{
  if (!this->controller || !this->controller->GetEXE() || !this->controller->GetEXE()->GetModules())
  {
    return -1;
  }
  return this->controller->GetEXE()->GetModules()->FindModule(name);
}

void* CT4K2EXE::LookUpModuleExport(const char* name) const
{
  if (!this->activeModule)
  {
    return nullptr;
  }
  return dlsym(this->activeModule, name);
}

int CT4K2EXE::StartModule(const std::string& name)
{
  const int index = this->FindModuleIndex(name);
  if (index < 0)
  {
    return this->Reply(2, "error: unrecognized module");
  }
  CVemoraModules* modules = this->controller->GetEXE()->GetModules();
  const std::string display = modules->GetModuleName(index);
  this->activeModule = modules->GetModule(index);
  modules->SetActivatedModule(index);
  this->starter = display + " " + this->starter;
  this->SelectComponentTab(display);
  return 0;
}

std::string CT4K2EXE::ResolvePath(const std::string& path)
{
  if (!path.empty() && path[0] == '/')
  {
    return path;
  }
  std::string folder = this->controller ? this->controller->GetCurDir() : std::string();
  while (folder.size() > 1 && folder.back() == '/')
  {
    folder.pop_back();
  }
  return folder == "/" ? folder + path : folder + "/" + path;
}

int CT4K2EXE::GetCurDir()
{
  if (!this->controller)
  {
    return this->Reply(3, "error: unknown error in command 'pwd'");
  }
  return this->Reply(0, this->controller->GetCurDir());
}

int CT4K2EXE::GetDir()
{
  if (!this->controller)
  {
    return this->Reply(3, "error: unknown error in command 'dir'");
  }
  const std::string folder = this->controller->GetCurDir();
  std::string directories;
  std::string files;
  if (DIR* dir = opendir(folder.c_str()))
  {
    while (const dirent* entry = readdir(dir))
    {
      if (IsDirectory(folder, entry))
      {
        directories += std::string("+--- <") + entry->d_name + ">\r\n";
      }
      else
      {
        files += std::string("+--- ") + entry->d_name + "\r\n";
      }
    }
    closedir(dir);
  }
  return this->Reply(0, directories + files);
}

int CT4K2EXE::CD(const std::vector<std::string>& parameters)
{
  if (parameters.empty())
  {
    return this->GetCurDir();
  }
  if (parameters.size() >= 2)
  {
    return this->Reply(19, "error: cannot find the path specified\r\n");
  }
  if (!this->controller)
  {
    return this->Reply(3, "error: unknown error in command 'cd'");
  }
  const std::string& p = parameters[0];
  std::string current = this->controller->GetCurDir();
  std::string target;
  if (p == "/" || p == "\\")
  {
    target = "/";
  }
  else if (p == "..")
  {
    while (current.size() > 1 && current.back() == '/')
    {
      current.pop_back();
    }
    size_t slash = current.rfind('/');
    if (slash == std::string::npos)
    {
      return 0;
    }
    target = slash == 0 ? std::string("/") : current.substr(0, slash);
  }
  else
  {
    target = this->ResolvePath(p);
  }
  if (p.find('\0') != std::string::npos || !vInstallation::IsFolder(target))
  {
    return this->Reply(1, "cannot find the path specified\r\n");
  }
  this->controller->SetCurDir(target);
  return 0;
}

int CT4K2EXE::Clear(const std::vector<std::string>& parameters)
{
  if (!parameters.empty() && parameters[0] == "viewer")
  {
    this->ClearViewer();
    this->vrLayerCount = 0;
  }
  return 0;
}

int CT4K2EXE::ClearViewer()
{
  vViewer* viewer = this->GetViewer();
  if (!viewer)
  {
    return this->Reply(13, "error: empty view");
  }
  if (vUserPrompt::Get()->AskYesNo("are your sure your want to clear the viewer?"))
  {
    this->controller->GetEXE()->GetModules()->DeleteViewer();
    this->controller->GetEXE()->GetRenderers()->Refresh();
    this->RefreshLayerPanel();
  }
  return 0;
}

int CT4K2EXE::GetVar()
{
  if (!this->controller)
  {
    return this->Reply(3, "error: unknown error in command 'ws'");
  }
  return this->Reply(0, this->controller->GetVar());
}

int CT4K2EXE::Open(const std::vector<std::string>& parameters)
{
  if (!this->controller)
  {
    return this->Reply(3, "error: unknown error in command 'open'");
  }
  this->lastMessage =
    parameters.empty() ? this->controller->Open() : this->controller->Open(parameters[0]);
  return 0;
}

int CT4K2EXE::Remove(const std::vector<std::string>& parameters)
{
  this->lastMessage.clear();
  if (parameters.empty())
  {
    return this->Reply(7, "error: insufficient input");
  }
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in command 'remove'");
  }
  const std::string& name = parameters[0];
  vViewer* viewer = this->GetViewer();
  if (viewer && viewer->Find(name) >= 0)
  {
    viewer->RemoveItem(name);
    this->RemoveSelectedLayerItem();
    return 0;
  }
  if (this->controller->GetEXE()->Remove(name) == 0)
  {
    // The workspace tree is drawn by the shell from the collections.
    return 0;
  }
  return this->Reply(6, "error: undefined parameters");
}

int CT4K2EXE::Hide(const std::vector<std::string>& parameters)
{
  return this->SetLayerVisibility(parameters, false, "error: unknown error in command 'show/hide'");
}

int CT4K2EXE::Show(const std::vector<std::string>& parameters)
{
  return this->SetLayerVisibility(parameters, true, "error: unknown error in command 'Show/Hide'");
}

int CT4K2EXE::SetLayerVisibility(const std::vector<std::string>& parameters,
  bool visible,
  const char* unknownError)
{
  if (parameters.empty())
  {
    return this->Reply(7, "error: insufficient input");
  }
  if (!this->controller)
  {
    return this->Reply(3, unknownError);
  }
  vViewer* viewer = this->GetViewer();
  const int index = viewer ? viewer->Find(parameters[0]) : -1;
  if (index < 0)
  {
    return this->Reply(6, "error: undefined parameters");
  }
  if (visible)
  {
    viewer->GetInput(index)->VisibilityOn();
  }
  else
  {
    viewer->GetInput(index)->VisibilityOff();
  }
  return 0;
}

int CT4K2EXE::New(const std::vector<std::string>& parameters)
{
  if (parameters.empty())
  {
    return this->Reply(7, "error: insufficient input");
  }
  if (parameters[0] == "sphere")
  {
    return this->CreateSphere(parameters);
  }
  if (parameters[0] == "layer")
  {
    return this->CreateLayer(parameters);
  }
  return 0;
}

int CT4K2EXE::CreateSphere(const std::vector<std::string>& parameters)
{
  if (parameters.size() != 5)
  {
    return this->Reply(7, "error: new sphere [x] [y] [z] [r]");
  }
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in command 'new'");
  }
  vDataResource* models = this->controller->GetEXE()->GetModel();
  models->New(parameters);
  return 0;
}

int CT4K2EXE::CreateLayer(const std::vector<std::string>& parameters)
{
  vViewer* viewer = this->GetViewer();
  if (!viewer)
  {
    return this->Reply(11, "error: layer can not be created without a renderer");
  }
  const size_t n = parameters.size();
  if (n != 4 && n != 7)
  {
    return this->Reply(7, "error: incorrect parameters");
  }
  CVemoraCPEXE* engine = this->controller->GetEXE();
  vRendererManager* renderers = engine->GetRenderers();
  const std::string kind = Lower(parameters[1]);

  std::unique_ptr<vLayer> layer;
  int renderer = -1;
  bool resourceFound = false;
  if (kind == "text")
  {
    if (n != 7)
    {
      return this->Reply(7, "errror: incorrect parameters for text layer");
    }
    renderer = renderers->Find(parameters[6]);
    auto text = std::make_unique<vTextLayer>();
    auto info = std::make_unique<vInfoResource>();
    info->SetText(GetUsefulContent(parameters[3]), 2);
    info->SetText(GetUsefulContent(parameters[4]), 3);
    info->SetText(GetUsefulContent(parameters[2]), 1);
    info->SetText(GetUsefulContent(parameters[5]), 4);
    text->AddInput(info.get());
    layer = std::move(text);
    resourceFound = true;
  }
  else
  {
    if (n != 4)
    {
      return this->Reply(7, "errror: incorrect parameters the layer");
    }
    renderer = renderers->Find(parameters[3]);
    if (kind == "landmark" || kind == "mesh")
    {
      if (kind == "landmark")
      {
        layer = std::make_unique<vLandmarkLayer>();
      }
      else
      {
        layer = std::make_unique<vMesh3DLayer>();
      }
      vDataResource* models = engine->GetModel();
      const int index = models->Find(parameters[2]);
      if (index >= 0)
      {
        std::unique_ptr<vDataResourceFake> copy(models->GetDataFake(index));
        if (copy)
        {
          layer->AddInput(copy.get());
          resourceFound = true;
        }
      }
    }
    else if (kind == "vol" || kind == "imageslice" || kind == "vol3d" || kind == "vr")
    {
      if (kind == "vol3d")
      {
        layer = std::make_unique<vImage3DLayer2>();
      }
      else if (kind == "vr")
      {
        auto vr = std::make_unique<vVolumeRenderingLayer>();
        if (this->vrLayerCount != 0)
        {
          vr->SetColorMap(1);
        }
        ++this->vrLayerCount;
        layer = std::move(vr);
      }
      else
      {
        layer = std::make_unique<vImageSliceLayer>();
      }
      vVolumeResource* volumes = engine->GetVolume();
      const int index = volumes->Find(parameters[2]);
      if (index >= 0)
      {
        std::unique_ptr<vVolumeResourceFake> copy(volumes->GetDataFake(index));
        if (copy)
        {
          layer->AddInput(copy.get());
          resourceFound = true;
        }
      }
    }
  }

  if (!layer || !resourceFound)
  {
    return this->Reply(1, "error: undefined functions or variables");
  }
  if (renderer < 0)
  {
    return this->Reply(12, "error: unrecognized renderer");
  }
  const bool wasEmpty = viewer->GetNumberOfItems() == 0;
  const int slot = renderer - 1;
  vLayer* added = layer.release(); // the viewer owns it from here on ...
  if (viewer->AddInput(added, slot) < 0)
  {
    delete added; // ... unless it is full and did not take it
    return this->Reply(10, "error: data overflow");
  }
  if (wasEmpty)
  {
    // The first layer places the camera: built first, so that the one render shows it placed.
    viewer->InternalRender();
    viewer->ResetCamera(slot);
  }
  viewer->Render();
  this->RefreshLayerPanel();
  return 0;
}

int CT4K2EXE::ShowInfo(const std::vector<std::string>& parameters)
{
  const std::string& topic = parameters[0];
  if (topic == "monitor")
  {
    return this->ShowMonitorInfo();
  }
  if ((topic == "command" || topic == "cmd") && this->activeModule)
  {
    return this->ShowCommandList();
  }
  const bool known =
    topic == "module" || topic == "workspace" || topic == "ren" || topic == "layer";
  if (!known)
  {
    return this->Reply(6, "error: undefined info parameter");
  }
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in command 'info'");
  }
  CVemoraCPEXE* engine = this->controller->GetEXE();
  if (topic == "module")
  {
    CVemoraModules* modules = engine->GetModules();
    char head[64];
    std::snprintf(head, sizeof(head), "Number of Modules: %d\r\n", modules->GetNumberOfModules());
    this->lastMessage = head;
    this->lastMessage += "-------------------------\r\n";
    this->lastMessage += modules->GetInfo();
    return 0;
  }
  if (topic == "workspace")
  {
    return this->GetVar();
  }
  if (topic == "ren")
  {
    return this->Reply(0, engine->GetRenderers()->GetRendererName());
  }
  vViewer* viewer = this->GetViewer();
  if (!viewer)
  {
    return this->Reply(0, "No Layers");
  }
  if (parameters.size() == 1)
  {
    return this->Reply(0, viewer->GetLayerInfo());
  }
  const long k = ReadInteger(parameters[1]);
  if (k < 0 || k >= viewer->GetNumberOfItems())
  {
    return this->Reply(10, "error: data overflow");
  }
  return this->Reply(0, viewer->GetLayerInfo(static_cast<int>(k)));
}

int CT4K2EXE::ShowMonitorInfo()
{
  std::vector<std::pair<int, int>> monitors;
  if (Monitors())
  {
    monitors = Monitors()();
  }
  const std::vector<int> widths = { 20, 20, 20 };
  char text[128];
  std::snprintf(
    text, sizeof(text), "Number of Monitors: %d\r\n", static_cast<int>(monitors.size()));
  std::string reply = text;
  reply += "-------------------------\r\n";
  reply += vUtil::ConstructRow({ "id", "name", "resolution" }, widths) + "\r\n";
  for (size_t i = 0; i < monitors.size(); ++i)
  {
    char id[32];
    char size[64];
    std::snprintf(id, sizeof(id), "%d", static_cast<int>(i));
    std::snprintf(size, sizeof(size), "<%d x %d>", monitors[i].first, monitors[i].second);
    reply += vUtil::ConstructRow({ id, std::string("d") + id, size }, widths) + "\r\n";
  }
  return this->Reply(0, reply);
}

int CT4K2EXE::ExtractSurface(const std::vector<std::string>& parameters)
{
  if (parameters.size() == 3)
  {
    return 0;
  }
  return this->Reply(7, "usage: sf [volume] [voxelintensity] [reduction]");
}

int CT4K2EXE::Enlarge(const std::vector<std::string>& parameters)
{
  if (parameters.empty())
  {
    return this->Reply(7, "error: insufficient input");
  }
  vViewer* viewer = this->GetViewer();
  if (!viewer)
  {
    return this->Reply(3, "error: unknown error in command 'enlarge'");
  }
  if (parameters[0] == "off")
  {
    viewer->EnlargeOff();
    return 0;
  }
  if (viewer->EnlargeOn(parameters[0]) < 0)
  {
    return this->Reply(12, "error: unrecognized renderer");
  }
  return 0;
}

int CT4K2EXE::ResetCamera(const std::vector<std::string>& parameters)
{
  if (parameters.size() != 1)
  {
    return 0;
  }
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in command 'rc'");
  }
  vRendererManager* renderers = this->controller->GetEXE()->GetRenderers();
  const int index = renderers->Find(parameters[0]);
  vtkRenderer* renderer = index >= 0 ? renderers->GetRenderer(index) : nullptr;
  if (!renderer)
  {
    return this->Reply(1, "error: undefined functions or variables - " + parameters[0]);
  }
  renderer->ResetCamera();
  renderers->Refresh();
  return 0;
}

int CT4K2EXE::vtkMc(const std::vector<std::string>& parameters)
{
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in command 'mc'");
  }
  if (parameters.size() < 4)
  {
    return this->Reply(7, "error: insufficient input");
  }
  CVemoraCPEXE* engine = this->controller->GetEXE();
  vVolumeResource* volumes = engine->GetVolume();
  const int index = volumes->Find(parameters[0]);
  vtkImageData* image = index >= 0 ? volumes->GetImageData(index) : nullptr;
  if (!image)
  {
    return this->Reply(1, "error: undefined functions or variables - " + parameters[0]);
  }
  const double intensity = ReadNumber(parameters[1]);
  const double reduction = ReadNumber(parameters[2]);
  // Smoothing runs that many passes over the surface: a typo such as 1e9 must not hang the
  // program, so the count is kept within what any real use needs.
  const int smoothing =
    std::max(0, std::min(MaxSmoothingIterations, ClampToInt(ReadInteger(parameters[3]))));

  vDataResource* models = engine->GetModel();
  std::string name = parameters[0] + "Mesh";
  for (int i = 1; models->Find(name) >= 0; ++i)
  {
    char suffix[32];
    std::snprintf(suffix, sizeof(suffix), "%d", i);
    name = parameters[0] + "Mesh" + suffix;
  }
  // The mask and its smoothed copy are as large as the volume: when they cannot fit, the command
  // is refused before anything is allocated (VTK's filters do not all survive a failed
  // allocation).
  const std::uint64_t maskBytes = std::uint64_t(image->GetNumberOfPoints()) *
    std::uint64_t(std::max(1, image->GetScalarSize())) * 2;
  if (maskBytes > vMemoryBudget::Available())
  {
    return this->RefuseForMemory("mc", "the surface", maskBytes, "at least ");
  }
  vtkNew<vtkPolyData> surface;
  vtkTools::vtkMc(image, intensity, reduction, smoothing, surface);
  // The surface is new and held by nothing else: the collection takes it without a copy.
  const int added = models->AdoptData(vtkSmartPointer<vtkDataSet>(surface.Get()));
  if (added >= 0)
  {
    try
    {
      models->SetLastDataName(name);
    }
    catch (const std::bad_alloc&)
    {
      models->RemoveItem(added); // no nameless item stays behind
      throw;
    }
  }
  return 0;
}

int CT4K2EXE::vtkSurfDist(const std::vector<std::string>& parameters)
{
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in command 'residual'");
  }
  if (parameters.size() < 2)
  {
    return this->Reply(7, "error: insufficient input");
  }
  CVemoraCPEXE* engine = this->controller->GetEXE();
  vDataResource* models = engine->GetModel();
  const int reference = models->Find(parameters[0]);
  if (reference < 0)
  {
    return this->Reply(1, "error: undefined functions or variables - " + parameters[0]);
  }
  const int model = models->Find(parameters[1]);
  if (model < 0)
  {
    return this->Reply(1, "error: undefined functions or variables - " + parameters[1]);
  }
  if (engine->GetRenderers()->GetNumberOfRenderer() <= 1)
  {
    return this->Reply(1, "error: renderer was not defined");
  }
  vtkDataSet* surface = models->GetData(reference);
  vtkDataSet* points = models->GetData(model);
  if (!surface || !points)
  {
    return this->Reply(1, "error: undefined functions or variables - " + parameters[0]);
  }
  const vtkIdType count = points->GetNumberOfPoints();
  std::vector<double> distances(static_cast<size_t>(std::max<vtkIdType>(count, 1)), 0.0);
  vtkTools::vtkSurfaceDistance(surface, points, distances.data(), count);
  std::string text = "Number: " + std::to_string(count) + "\n";
  for (vtkIdType i = 0; i < count; ++i)
  {
    char line[64];
    std::snprintf(line, sizeof(line), "%f\n", distances[static_cast<size_t>(i)]);
    text += line;
  }
  // The user is told where the map went, or that it could not be written.
  const std::string path = this->ResolvePath("Map_" + parameters[1] + ".txt");
  if (!vTextFile::WriteAtomically(path, text))
  {
    return this->Reply(18, "error: couldn't write file " + path);
  }
  return this->Reply(0, "distance map saved to " + path);
}

int CT4K2EXE::SaveData(const std::vector<std::string>& parameters)
{
  if (parameters.size() < 2)
  {
    return this->Reply(7, "usage: save [model or volume] [file]");
  }
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in command 'save'");
  }
  const std::string path = this->ResolvePath(parameters[1]);
  switch (this->controller->GetEXE()->SaveData(parameters[0], path))
  {
    case CVemoraCPEXE::SaveDone:
      return this->Reply(0, parameters[0] + " saved to " + path);
    case CVemoraCPEXE::SaveUnknownName:
      return this->Reply(1, "error: undefined functions or variables - " + parameters[0]);
    case CVemoraCPEXE::SaveUnsupportedFormat:
      return this->Reply(18,
        "error: can't save " + parameters[0] + " as " + parameters[1] +
          " (models: .vtk, .stl, .ply, .obj; volumes: .vtk, .qv)");
    default:
      return this->Reply(18, "error: couldn't write file " + path);
  }
}

int CT4K2EXE::Transform(const std::vector<std::string>& parameters)
{
  if (parameters.size() < 2)
  {
    return this->Reply(7, "error: insufficient input");
  }
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in command 'transform'");
  }
  vViewer* viewer = this->GetViewer();
  const int index = viewer ? viewer->Find(parameters[0]) : -1;
  if (index < 0)
  {
    return this->Reply(1, "error: unknow variable " + parameters[0]);
  }
  const std::string path = this->ResolvePath(parameters[1]);
  if (!vInstallation::IsFile(path) || ::access(path.c_str(), R_OK) != 0)
  {
    return this->Reply(14, "error: couldn't open file " + parameters[1]);
  }
  // A file that is not a whole matrix of finite numbers is refused: it would put the model
  // nowhere (NaN), flatten the view (a missing row) or reset the transform (not a matrix at all).
  double matrix[16];
  if (!ReadMatrixFile(path, matrix))
  {
    return this->Reply(14, "error: couldn't read a 4 x 4 matrix from file " + parameters[1]);
  }
  vLayer* layer = viewer->GetInput(index);
  layer->SetTransform(matrix);
  layer->Refresh();
  return 0;
}

int CT4K2EXE::Set(const std::vector<std::string>& parameters)
{
  if (parameters.empty())
  {
    return this->Reply(7, "error: insufficient input");
  }
  const std::string& what = parameters[0];
  if (what == "bcolor")
  {
    return this->SetBkgdColor(parameters);
  }
  if (what == "color")
  {
    return this->SetColor(parameters);
  }
  if (what == "opacity")
  {
    return this->SetOpacity(parameters);
  }
  if (what == "caption")
  {
    return this->SetCaption(parameters);
  }
  if (what == "orientation")
  {
    return this->SetOrientation(parameters);
  }
  return this->Reply(15, "error: invalid parameter '" + what + "'");
}

int CT4K2EXE::ReadViewerColor(const std::vector<std::string>& parameters,
  const char* keyword,
  const char* function,
  double rgb[3],
  vViewer*& viewer)
{
  if (parameters.size() < 4)
  {
    return this->Reply(7, "error: insufficient input");
  }
  if (parameters[0] != keyword)
  {
    return this->Reply(3, std::string("error: unknown error in ") + function);
  }
  for (int i = 0; i < 3; ++i)
  {
    rgb[i] = ReadNumber(parameters[i + 1]);
  }
  if (!InUnitRange(rgb[0]) || !InUnitRange(rgb[1]) || !InUnitRange(rgb[2]))
  {
    return this->Reply(16, "error: data out of range. rgb range should be from 0.0 to 1.0");
  }
  viewer = this->GetViewer();
  if (!viewer)
  {
    return this->Reply(17, "error: viewer not ready");
  }
  return 0;
}

int CT4K2EXE::SetBkgdColor(const std::vector<std::string>& parameters)
{
  double rgb[3];
  vViewer* viewer = nullptr;
  if (const int error = this->ReadViewerColor(parameters, "bcolor", "SetBkgdColor", rgb, viewer))
  {
    return error;
  }
  viewer->SetBackgroundColor(rgb);
  viewer->Refresh();
  return 0;
}

int CT4K2EXE::SetColor(const std::vector<std::string>& parameters)
{
  double rgb[3];
  vViewer* viewer = nullptr;
  if (const int error = this->ReadViewerColor(parameters, "color", "SetColor", rgb, viewer))
  {
    return error;
  }
  viewer->SetColor(rgb);
  viewer->Refresh();
  return 0;
}

int CT4K2EXE::SetOpacity(const std::vector<std::string>& parameters)
{
  if (parameters.size() < 2)
  {
    return this->Reply(7, "error: insufficient input");
  }
  if (parameters[0] != "opacity")
  {
    return this->Reply(3, "error: unknown error in SetOpacity");
  }
  const double value = ReadNumber(parameters[1]);
  if (!InUnitRange(value))
  {
    return this->Reply(16, "error: data out of range. rgb range should be from 0.0 to 1.0");
  }
  vViewer* viewer = this->GetViewer();
  if (!viewer)
  {
    return this->Reply(17, "error: viewer not ready");
  }
  if (parameters.size() == 2)
  {
    viewer->SetOpacity(value);
    viewer->Refresh();
    return 0;
  }
  if (parameters.size() == 3)
  {
    if (vLayer* layer = viewer->GetInput(parameters[2]))
    {
      layer->SetOpacity(value);
      layer->Refresh();
    }
    return 0;
  }
  return this->Reply(1, "error: ");
}

int CT4K2EXE::SetCaption(const std::vector<std::string>& parameters)
{
  if (parameters.size() < 2)
  {
    return this->Reply(7, "error: insufficient input");
  }
  if (parameters[0] != "caption")
  {
    return this->Reply(3, "error: unknown error in SetCaption");
  }
  if (!this->controller || !this->controller->GetEXE())
  {
    return this->Reply(3, "error: unknown error in SetCaption");
  }
  vRendererManager* renderers = this->controller->GetEXE()->GetRenderers();
  renderers->SetCaption(parameters[1]);
  renderers->Refresh();
  return 0;
}

int CT4K2EXE::SetOrientation(const std::vector<std::string>& parameters)
{
  if (parameters.size() < 3)
  {
    return this->Reply(7, "error: insufficient input");
  }
  if (parameters[0] != "orientation")
  {
    return this->Reply(3, "error: unknown error in SetOrientation");
  }
  const std::string plane = Lower(parameters[1]);
  int orientation = -1;
  if (plane == "xy")
  {
    orientation = 2;
  }
  else if (plane == "xz")
  {
    orientation = 1;
  }
  else if (plane == "yz")
  {
    orientation = 0;
  }
  else
  {
    return this->Reply(16, "error: orienation can only be XY, XZ or YZ");
  }
  vViewer* viewer = this->GetViewer();
  if (!viewer)
  {
    return this->Reply(17, "error: viewer not ready");
  }
  vLayer* layer = viewer->GetInput(parameters[2]);
  if (!layer)
  {
    // No layer of that name: nothing to change, and nothing is touched.
    return this->Reply(6, "error: undefined parameters");
  }
  vImageLayer* image = layer->isA("image") ? dynamic_cast<vImageLayer*>(layer) : nullptr;
  if (image)
  {
    image->SetSliceOrientation(orientation);
    viewer->ForceRender(); // rebuilds the changed layer, then draws once
    return 0;
  }
  return this->Reply(21, "error: Layer" + layer->GetName() + " does not have orientation property");
}

int CT4K2EXE::Reply(int result, const std::string& message)
{
  this->lastMessage = message;
  return result;
}

int CT4K2EXE::RefuseForMemory(const char* word,
  const char* what,
  unsigned long long bytes,
  const char* bound)
{
  char text[256];
  std::snprintf(text,
    sizeof(text),
    "error: not enough memory in command '%s': %s needs %s%llu MiB, only %llu MiB are available",
    word,
    what,
    bound,
    (bytes + (1u << 20) - 1) >> 20,
    static_cast<unsigned long long>(vMemoryBudget::Available() >> 20));
  return this->Reply(OutOfMemory, text);
}
