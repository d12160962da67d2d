#ifndef CVemoraModules_h
#define CVemoraModules_h

#include "VemoraCPModule.h"

#include <string>
#include <vector>

class vRendererManager;
class vViewer;

/**
 * The module manager: loads every analysis module of the `Modules` folder at start-up, keeps it
 * loaded until `FreeModules` (run by the destructor), remembers which module is activated in each
 * render window (viewing tab), and forwards data, viewers and commands to the modules through the
 * exports of the module contract (vModuleContract.h).
 *
 * Modules are numbered by their position in the folder listing (sorted by file name) at load
 * time; at most `MaximumModules` are registered. Every index given to an operation is checked: an
 * index out of range gives "", 0, -1 or null, or does nothing.
 */
class VEMORACP_EXPORT CVemoraModules
{
public:
  static constexpr int MaximumModules = 128;
  static constexpr int MaximumRenderWindows = 24;

  CVemoraModules();
  /** Runs `FreeModules`. */
  virtual ~CVemoraModules();
  CVemoraModules(const CVemoraModules&) = delete;
  CVemoraModules& operator=(const CVemoraModules&) = delete;

  /**
   * Loads every `*.so` of the installation's `Modules` folder (by absolute path, in sorted order).
   * A library that cannot be loaded shows "Couldn't load module" and the others still load; the
   * texts and target type come from "GetModuleVer", "GetModuleName", "GetModuleDesc" and
   * "GetModuleTargetDataType" when exported. Run once, by the engine.
   */
  void Initialise();
  /** The same for any folder (tests, tools). */
  void Initialise(const std::string& folder);

  /**
   * Registers a loaded library (the manager then owns the `dlopen` handle and closes it in
   * `FreeModules`); 1 when registered, 0 when `MaximumModules` are registered already (the
   * handle then stays the caller's).
   */
  int AddModule(void* handle,
    const std::string& name,
    int targetDataType,
    const std::string& version,
    const std::string& description,
    const std::string& path);

  int GetNumberOfModules() const { return static_cast<int>(this->Names.size()); }
  /** The library handle of a module, or null. */
  void* GetModule(int index) const;
  /** An export of a module (`dlsym`), or null when the module or the export is missing. */
  void* GetModuleFunction(int index, const std::string& exportName) const;
  template <typename F>
  F GetModuleFunction(int index, const std::string& exportName) const
  {
    return reinterpret_cast<F>(this->GetModuleFunction(index, exportName));
  }
  std::string GetModuleName(int index) const;
  std::string GetModuleVer(int index) const;
  std::string GetModuleDesc(int index) const;
  std::string GetModulePath(int index) const;
  int GetTargetDataType(int index) const;
  /** 1 if the module's state is "L" (ignoring letter case), else 0. */
  int isModuleLoaded(int index) const;
  /** The last module whose name equals `name` ignoring letter case; -1 if none. */
  int FindModule(const std::string& name) const;

  /** Activates a module (or -1: none) in the current render window. */
  void SetActivatedModule(int index);
  void SetActivatedModule(const std::string& name);
  /** The module activated in the current render window, or -1. */
  int GetActivatedModuleId() const;
  /** The module activated in a given render window, or -1. */
  int GetActivatedModuleId(int renderWindowId) const;

  void SetPrimaryData(int module, int dataIndex);
  void AddSecondaryData(int module, int dataType, int dataIndex);
  /** The module's "GetViewer", or null when it lacks the export. */
  vViewer* GetViewer(int module) const;
  /** The viewer of the module activated in the current render window, or null. */
  vViewer* GetViewer() const;
  /** "DelViewer" of the module activated in the current render window; activation unchanged. */
  void DeleteViewer();
  /** "DetachData" of the activated module of the current (or the given) render window, which
   * then has no activated module. */
  void DetachData();
  void DetachData(int renderWindowId);
  /**
   * Sends a command to a module's "Command": the word, then each argument preceded by one blank.
   * The module's result is returned (-1 when the module or its export is missing, or the call let
   * an exception out, such as running out of memory); callers of the control panel ignore it.
   * No call into a module lets an exception through the manager.
   */
  int Command(int module, const std::string& word, const std::vector<std::string>& arguments);

  /** The module table: "id", "name", "description" (widths 8, 20, 255), rows ended by "\n". */
  std::string GetInfo() const;

  /** "ReleaseMemory" (when exported) and unloading of every loaded module. */
  void FreeModules();

  /** The renderer manager (borrowed) that tells the current render window. */
  void SetRenderer(vRendererManager* renderers) { this->Renderers = renderers; }
  vRendererManager* GetRenderer() const { return this->Renderers; }
  /** The module folder's name, "Modules". */
  const std::string& GetModuleFolderName() const { return this->ModuleFolderName; }

private:
  bool IsIndex(int index) const { return index >= 0 && index < this->GetNumberOfModules(); }
  int CurrentWindow() const;

  vRendererManager* Renderers = nullptr; // borrowed: owned by the engine
  std::string ModuleFolderName = "Modules";
  std::vector<void*> Handles; // dlopen handles, owned (closed by FreeModules)
  std::vector<std::string> Versions;
  std::vector<std::string> Names;
  std::vector<std::string> Descriptions;
  int Activated[MaximumRenderWindows];
  int TargetDataTypes[MaximumModules];
  std::vector<std::string> Paths;
  std::vector<std::string> States;
};

#endif
