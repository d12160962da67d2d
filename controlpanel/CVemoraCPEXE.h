#ifndef CVemoraCPEXE_h
#define CVemoraCPEXE_h

#include "VemoraCPModule.h"

#include <memory>
#include <string>
#include <vector>

class CVemoraModules;
class vDataResource;
class vFileReader;
class vRendererManager;
class vVolumeResource;

/**
 * The engine of the control panel. It owns the workspace data (the model collection and the
 * volume collection), the file reader, the module manager, the renderer manager and the table of
 * hard resources (live data sources of the `Hard` folder), and resolves data names to
 * (data type, index) pairs for everything else.
 *
 * Construction order: hard-resource scan, file reader, module manager (which loads the modules),
 * renderer manager (handed to the module manager), volume collection, model collection.
 * Destruction order: file reader, module manager, renderer manager, volume collection, model
 * collection.
 *
 * User-facing messages and dialogs go through `vUserPrompt`; plug-in folders are read by absolute
 * path from the installation folder (the process's current directory is never changed).
 */
class VEMORACP_EXPORT CVemoraCPEXE
{
public:
  /** Data type codes (single bits, combinable in a module's target data type). */
  enum DataType
  {
    Model = 2,
    Image = 4,
    SurfaceMesh = 16,
    SmallPointSet = 32,
    PointCloud = 64,
    HardResource = 256
  };
  static constexpr int MaximumHardResources = 128;
  /** Result of `Save` and `SaveWorkspace` when the file could not be written. */
  static constexpr int WriteFailed = -2;

  CVemoraCPEXE();
  virtual ~CVemoraCPEXE();
  CVemoraCPEXE(const CVemoraCPEXE&) = delete;
  CVemoraCPEXE& operator=(const CVemoraCPEXE&) = delete;

  /**
   * Reads a file into the workspace. -1 when the path is loaded already (nothing shown) or the
   * reader fails (its error text is shown); a read that left something out shows the reader's
   * notice (files of a DICOM folder not read, and the series kept); otherwise the reader's output
   * type (4 image; 16, 32, 64 models), the item being added to its collection with its data name
   * and file name. A read that runs out of memory says so ("error: not enough memory to read
   * PATH") and gives -1 with the workspace as it was.
   */
  int OpenFile(const std::string& path);
  /** 1 when a model or a volume was loaded from exactly this path, else 0. */
  int isFileLoaded(const std::string& path);
  /**
   * The data name of a path: a file's name without folder and last extension (the whole name
   * when it has no extension or starts with its only "."), a folder's name as it is (trailing "/"
   * ignored).
   */
  std::string ConstructDataName(const std::string& path);
  /** The text before the last "/", or the whole path when it has none. */
  std::string ExtractFilePath(const std::string& path);
  /**
   * Resolves a name: models first (type 2), then volumes (4), then hard resources ignoring letter
   * case (256); type 0 and index -1 when nothing matches.
   */
  void Find(const std::string& name, int& type, int& index);
  /** Drops a model or volume: 0 when the name was found (hard resources are kept), else -1. */
  int Remove(const std::string& name);
  /**
   * Gives a data item to the module activated in the current render window as secondary data
   * (a hard resource with its own data type); the module's id, or -1 without one.
   */
  int Show(int type, int index);
  /**
   * Saves a model as a VTK file chosen in the save dialog (starting in `folder`). -1 when the name
   * resolves to nothing; `WriteFailed` when the file could not be written (the user is told, and
   * an old file of that name stays as it was); else 0 (volumes and hard resources are not
   * written; a cancelled dialog writes nothing).
   */
  int Save(const std::string& folder, const std::string& name);
  /** Results of `SaveData`. */
  enum SaveResult
  {
    SaveDone = 0,
    SaveUnknownName = 1,
    SaveUnsupportedFormat = 2,
    SaveWriteFailed = 3
  };
  /**
   * Writes the model or volume called `name` to `path`, in the format its extension (any letter
   * case) names: models as ".vtk" (VTK legacy), ".stl", ".ply" (binary) or ".obj" (the last three
   * for surface models only), volumes as ".vtk" or ".qv". The file is written to a temporary file
   * beside `path` and renamed over it, so a failed write leaves an old file as it was. A
   * `SaveResult`: no such model or volume, a format that does not fit the data (hard resources
   * have none), or a failed write (also when memory runs out).
   */
  int SaveData(const std::string& name, const std::string& path);
  /**
   * Writes the workspace file (a script of the console's language) chosen in the save dialog: 0
   * when written or cancelled; `WriteFailed` when it could not be written (the user is told, and
   * an old file of that name stays as it was).
   */
  int SaveWorkspace();
  /** The open-file dialog over every supported format; "" when cancelled. */
  std::string ConstructFileDlgAndGetFilename(const std::string& folder);
  /** The save-model dialog ("VTK (*.vtk)|*.vtk;|"); "" when cancelled. */
  std::string ConstructSaveModelDlgAndGetFilename(const std::string& folder);
  /** The filter text of the open-file dialog. */
  std::string GetOpenFileFilter();
  /** The filter text of the save-model dialog. */
  static std::string GetSaveModelFilter();

  /** Scans the `Hard` folder (run by the constructor). */
  void SetupDLLHardResources();
  /** Scans a given folder for data-source libraries (tests, tools). */
  void SetupDLLHardResources(const std::string& folder);
  /** Appends a hard resource; refused (false) when `MaximumHardResources` are registered. */
  bool AddHardResourcesInfo(const std::string& name,
    const std::string& version,
    const std::string& description,
    int dataType,
    const std::string& path);
  /** The lowest index whose name equals `name` ignoring letter case; -1 if none. */
  int FindHardResource(const std::string& name);
  int GetNumberOfHardResources() const { return static_cast<int>(this->HardNames.size()); }
  /** Entries of the hard-resource table; "" (or 0 for the type) for an index out of range. */
  std::string GetHardResourceName(int index) const;
  std::string GetHardResourceDesc(int index) const;
  std::string GetHardResourceVer(int index) const;
  std::string GetHardResourceDLL(int index) const;
  int GetHardResourceType(int index) const;

  /** The workspace listing ("Workspace is Empty" or the id/name/type table, "\r\n" rows). */
  std::string GetWorkspaceListing();

  vDataResource* GetModel() const { return this->ModelCollection.get(); }
  vVolumeResource* GetVolume() const { return this->VolumeCollection.get(); }
  CVemoraModules* GetModules() const { return this->Modules.get(); }
  vRendererManager* GetRenderers() const { return this->Renderers.get(); }
  vFileReader* GetFileReader() const { return this->FileReader.get(); }

  void SetSelItemText(const std::string& text) { this->SelItemText = text; }
  std::string GetSelItemText() const { return this->SelItemText; }

  void ViewingTabPlusPlus() { ++this->ViewingTabCount; }
  void ViewingTabMinusMinus() { --this->ViewingTabCount; }
  int hasAtLeastOneViewingTab() const { return this->ViewingTabCount > 0 ? 1 : 0; }
  int GetNumberOfViewingTabs() const { return this->ViewingTabCount; }

  /**
   * Opens a viewing tab as the shell does: a new render window of the renderer manager (made
   * current) with a full-window main renderer, an interactor (unless the window has one already, as
   * a window shown in a widget does) and the caption "Welcome to QOVA", counted with
   * `ViewingTabPlusPlus`. The window id, or -1 when no window is free.
   */
  int CreateViewingTab();
  /**
   * Closes a viewing tab: the modules' data of that window are detached (with the window made
   * current for the moment), the render window is removed and the tab uncounted. False for an id
   * that holds no window.
   */
  bool CloseViewingTab(int renderWindowId);

  /** The parent window (borrowed; null at start). */
  void SetHwnd(void* hwnd) { this->Hwnd = hwnd; }
  void* GetHwnd() const { return this->Hwnd; }

private:
  /** `OpenFile` and `SaveData` without their guards against running out of memory. */
  int OpenFileUnguarded(const std::string& path);
  int SaveDataUnguarded(const std::string& name, const std::string& path);
  /** A hard resource's entry of `texts` (its name, description...), "" for a bad index. */
  std::string GetHardResourceText(const std::vector<std::string>& texts, int index) const;

  int ViewingTabCount = 0;
  std::unique_ptr<vFileReader> FileReader;
  std::string SelItemText;
  std::vector<std::string> HardNames;
  std::vector<std::string> HardDescriptions;
  std::vector<std::string> HardVersions;
  std::vector<std::string> HardLibraries;
  int HardTypes[MaximumHardResources];
  std::string HardFolderName;
  std::unique_ptr<CVemoraModules> Modules;
  std::unique_ptr<vRendererManager> Renderers;
  std::unique_ptr<vVolumeResource> VolumeCollection;
  std::unique_ptr<vDataResource> ModelCollection;
  void* Hwnd = nullptr; // borrowed
};

#endif
