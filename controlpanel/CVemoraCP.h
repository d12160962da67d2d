#ifndef CVemoraCP_h
#define CVemoraCP_h

#include "VemoraCPModule.h"

#include <memory>
#include <string>

class CVemoraCPEXE;
class QWidget;
class vComponentPanel;
class vWorkspaceState;

/**
 * The control-panel facade: the one object through which the shell and the console reach the
 * control panel. `UIInit` creates the engine (which loads the data sources and modules) and the
 * workspace state behind the workspace panel; the Qt panels, when the GUI makes them, attach to
 * it (`SetComponentPanel`, `vWorkspaceState::SetView`). Without panels every operation still does
 * the engine's part (opening goes to the engine, the recent-file list is kept); only drawing is
 * skipped.
 *
 * Ownership: the facade owns the workspace state and the engine and deletes them in that order
 * (`Delete`, also run by the destructor). Panels are borrowed.
 */
class VEMORACP_EXPORT CVemoraCP
{
public:
  CVemoraCP();
  virtual ~CVemoraCP();
  CVemoraCP(const CVemoraCP&) = delete;
  CVemoraCP& operator=(const CVemoraCP&) = delete;

  /** Creates the engine and the workspace state (reading the configuration): 0, or 1 when done
   * already. */
  int UIInit();
  /** Gives the main window's handle to the workspace and the engine. */
  void SetParentHwnd(void* hwnd);

  CVemoraCPEXE* GetEXE() const { return this->Engine.get(); }
  vWorkspaceState* GetUI() const { return this->Workspace.get(); }
  vWorkspaceState* GetWorkspaceUIPointer() const { return this->Workspace.get(); }
  vComponentPanel* GetComponentUIPointer() const { return this->ComponentPanel; }
  /** The component panel (borrowed) that module pages go to; null removes it. */
  void SetComponentPanel(vComponentPanel* panel);
  int GetTab() const { return 0; }

  /**
   * The console's file-open: one leading "'" is dropped; a path beginning with "/" is used as it
   * is, any other is taken in the current folder. "File loaded" when the workspace took the file,
   * else "error: file loading error". A closing quote is not removed.
   */
  std::string Open(const std::string& path);
  /** The open-file dialog of the workspace: the last path it opened ("" before `UIInit`). */
  std::string Open();
  /**
   * Saves the model selected in the workspace tree (in the current folder's dialog); "", or
   * "error: <name> could not be saved" when the file could not be written (the engine has told
   * the user which file).
   */
  std::string Save();
  /** The workspace listing. */
  std::string GetVar();
  std::string GetSelectedItemText() const;
  /** The current folder (the workspace's folder box); "" before `UIInit`. */
  void SetCurDir(const std::string& folder);
  std::string GetCurDir() const;
  /**
   * Writes "Vemora.conf" (once the workspace exists); false, with the user told and the old file
   * left as it was, when it cannot be written.
   */
  bool SaveConfig();
  void RefreshLocalRepository();

  /**
   * The start-up run: every module exporting "SetRenderWindow", "SetCP" and "Run" gets the first
   * render window (null before any viewing tab), the facade, and is run; then the component panel
   * lays out its tabs when there is at least one module.
   */
  void RunModuleRoutine();
  /** The same for one module. */
  void RunModuleRoutine(int module);

  /** Axes of the activated module's viewer, if any. */
  void ShowAxes(bool flag);
  /** Scale factor of the activated module's viewer (then rendered), if any. */
  void SetScaleFactor(double value);
  /** Shows the properties of the data item of the viewer's current layer, if any. */
  void UpdateLayerProperty();
  /** Adds a module's page as the last tab of the component panel; nothing without the panel. */
  void AddTabComponent(const std::string& name, QWidget* page);
  void HideTabDialogs();
  /** Does nothing. */
  void UpdateTabDialogs() {}

  /** Deletes the workspace state, then the engine. */
  void Delete();

private:
  std::unique_ptr<vWorkspaceState> Workspace;
  vComponentPanel* ComponentPanel = nullptr; // borrowed: the GUI's panel
  std::unique_ptr<CVemoraCPEXE> Engine;
};

#endif
