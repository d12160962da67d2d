#ifndef vWorkspaceState_h
#define vWorkspaceState_h

#include "VemoraCPModule.h"
#include "vFolderConfiguration.h" // for members
#include "vLocalRepository.h"     // for members
#include "vRecentFileList.h"      // for members

#include <string>

class CVemoraCPEXE;

/**
 * What the workspace panel does apart from drawing: opening files into the workspace (and the
 * recent-file list), the current folder and its list ("Vemora.conf"), the recent files
 * ("RecentFiles.conf"), the local repository and the selected item. The facade owns one from
 * `UIInit` on, so every operation works without the GUI; the Qt workspace panel draws it and
 * receives its changes through a `View`.
 */
class VEMORACP_EXPORT vWorkspaceState
{
public:
  /** The drawing side (the Qt workspace panel); every call is a notification. */
  class VEMORACP_EXPORT View
  {
  public:
    virtual ~View();
    /** A file was opened: file `name` under the category of `type` (4, 16, 32 or 64). */
    virtual void ItemOpened(int type, const std::string& name) = 0;
    /** A name was added to the recent-file list (slot 0). */
    virtual void RecentFileAdded(const std::string& name) = 0;
    /** The properties of a data item are to be shown. */
    virtual void ShowItemProp(const std::string& name) = 0;
  };

  /** The engine is borrowed and must outlive this object. */
  explicit vWorkspaceState(CVemoraCPEXE* engine);
  vWorkspaceState(const vWorkspaceState&) = delete;
  vWorkspaceState& operator=(const vWorkspaceState&) = delete;

  /** Reads "Vemora.conf" and "RecentFiles.conf" and lists the local repository. */
  void Start();

  /**
   * Opens a file: -1 for an empty path or when the engine refuses it; otherwise the new item is
   * filed (`View::ItemOpened`), the recent-file list is updated and, when the name was new to it,
   * written; the file's folder joins the folder list. The result is the engine's.
   */
  int OpenFile(const std::string& path);
  /** The open-file dialog in the current folder, then `OpenFile`; the path chosen or "". */
  std::string LoadFile();
  /** Category name of the newest item of a reader type ("" for any other type). */
  std::string NewestItemName(int type) const;

  const std::string& GetLastOpenFilename() const { return this->LastOpenFilename; }
  std::string GetCurDir() const { return this->Folders.GetCurrentFolder(); }
  void SetCurDir(const std::string& folder) { this->Folders.SetCurrentFolder(folder); }
  void AddRecentFolder(const std::string& folder) { this->Folders.AddRecentFolder(folder); }
  /** Writes "Vemora.conf". */
  bool WriteConfiguration() const { return this->Folders.Write(); }
  bool WriteRecentFileList() const { return this->RecentFiles.Write(); }
  void RefreshLocalRepository() { this->LocalRepository.Refresh(); }

  /** Selection in the tree: remembered here and given to the engine. */
  void SetSelectedItemText(const std::string& text);
  const std::string& GetSelectedItemText() const { return this->SelectedItemText; }
  /** Shows a data item's properties (through the view); remembered for `GetShownItem`. */
  void ShowItemProp(const std::string& name);
  const std::string& GetShownItem() const { return this->ShownItem; }

  const vFolderConfiguration& GetFolders() const { return this->Folders; }
  const vRecentFileList& GetRecentFiles() const { return this->RecentFiles; }
  const vLocalRepository& GetLocalRepository() const { return this->LocalRepository; }

  /** The view (borrowed), null when none. */
  void SetView(View* view) { this->Viewer = view; }
  void SetParentHWND(void* hwnd) { this->ParentHwnd = hwnd; }
  void* GetParentHWND() const { return this->ParentHwnd; }

private:
  CVemoraCPEXE* Engine; // borrowed
  View* Viewer = nullptr;
  vFolderConfiguration Folders;
  vRecentFileList RecentFiles;
  vLocalRepository LocalRepository;
  std::string SelectedItemText;
  std::string ShownItem;
  std::string LastOpenFilename;
  void* ParentHwnd = nullptr;
};

#endif
