#ifndef vWorkspaceState_h
#define vWorkspaceState_h

#include "VemoraCPModule.h"
#include "vFolderConfiguration.h" // for members
#include "vLocalRepository.h"     // for members
#include "vRecentFileList.h"      // for members

#include <string>

class CVemoraCPEXE;
class vComponentPanel;

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
    /**
     * A file was opened: file `name` under the category of `type` (4, 16, 32 or 64). A model of
     * reader type 2 is told too (its collection entry exists) but gets no item.
     */
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

  /** Selection in the tree (item and parent node texts): remembered and given to the engine. */
  void SetSelectedItemText(const std::string& text, const std::string& parentText = std::string());
  const std::string& GetSelectedItemText() const { return this->SelectedItemText; }
  const std::string& GetParentItemText() const { return this->ParentItemText; }

  /**
   * The kind named in an item text: the first of "PointCloud" (2), "Points" (2), "Surface" (2),
   * "Matrix" (1), "ImageData" (4), "Hardware" (256) found in it; 0 for none.
   */
  static int GetTypeFromStr(const std::string& text);
  /** The one digit between "[" and the next "]" ("Hardware [3] ..." gives 3); -1 otherwise. */
  static int GetIdFromStr(const std::string& text);
  /** The tree text of hard resource i: "Hardware [i] " + its name. */
  std::string GetHardwareItemText(int index) const;

  /**
   * The attach-data button: the selected item text decoded into (type, index) and, for an index
   * of 0 or more, given to the engine's `Show`. The module's id, or -1.
   */
  int AttachSelectedData();
  /**
   * The Delete key on a tree item: asks "Are you sure to remove object <text>?" and on Yes removes
   * the data from the engine. True when the user said Yes (the tree item then goes, whether or not
   * the engine knew the name).
   */
  bool RemoveItem(const std::string& text);
  /**
   * A module button: without a viewing tab shows "error: no viewing tab available, please create a
   * new one by using ctrl + N". With another module activated in the tab asks "Clear current
   * viewer?" (No stops; Yes deletes that module's viewer). Then activates the module, brings its
   * page to the front and sends it "coolstart" (nothing or a category selected) or "add" with the
   * data name of the selected item (a recent file or local repository file is opened first). A
   * name no module has posts the notice 1224. 0 when the module got its command, else -1.
   */
  int StartModule(const std::string& name);
  /** The component panel (borrowed) whose tab `StartModule` brings to the front. */
  void SetComponentPanel(vComponentPanel* panel) { this->ComponentPanel = panel; }
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
  vComponentPanel* ComponentPanel = nullptr; // borrowed
  std::string SelectedItemText;
  std::string ParentItemText;
  std::string ShownItem;
  std::string LastOpenFilename;
  void* ParentHwnd = nullptr;
};

#endif
