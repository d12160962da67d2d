#ifndef CVemoraCPUI_h
#define CVemoraCPUI_h

#include "VemoraGUIModule.h"

#include "vWorkspaceState.h" // for the base View

#include <QWidget>

#include <string>
#include <vector>

class CPropertyUI;
class CVemoraCP;
class QComboBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class vProp;

/**
 * The workspace panel: the tree of what the workspace holds ("Meshes", "Markers", "PointCloud",
 * "Images", "Recent Files", "LocalRepository", then one node per hard resource), the folder box
 * with its folder button, the load and attach-data buttons and one button per module. It draws
 * the facade's `vWorkspaceState` and calls it; it repeats none of its rules.
 *
 * The tree follows the workspace whatever changed it: files opened through the workspace arrive
 * as `ItemOpened`; `SyncWithWorkspace` (run on each of those and whenever the shell is told the
 * workspace may have changed: console commands, scripts, module starts) brings the data items in
 * step with the model and volume collections, adding items made elsewhere (spheres, surfaces) and
 * removing items deleted elsewhere. A model of reader type 2 gets no item.
 */
class VEMORAGUI_EXPORT CVemoraCPUI
  : public QWidget
  , public vWorkspaceState::View
{
  Q_OBJECT
public:
  /** Root node indices, in tree order. */
  enum Root
  {
    Meshes,
    Markers,
    PointCloud,
    Images,
    RecentFiles,
    LocalRepository,
    NumberOfRoots
  };

  /** The facade is borrowed; the panel attaches itself as the workspace state's view. */
  explicit CVemoraCPUI(CVemoraCP* facade, QWidget* parent = nullptr);
  ~CVemoraCPUI() override;

  void SetPropertyUI(CPropertyUI* grid) { this->Grid = grid; }

  // vWorkspaceState::View
  void ItemOpened(int type, const std::string& name) override;
  void RecentFileAdded(const std::string& name) override;
  void ShowItemProp(const std::string& name) override;

  /** Brings the data items in step with the collections, and the folder box with the state. */
  void SyncWithWorkspace();
  /** Rebuilds the local repository nodes. */
  void RefreshLocalRepository();

  /** The load button. */
  void LoadFile();
  /** The folder button: a folder dialog; the choice becomes the current folder. */
  void ChooseFolder();
  /** The attach-data button. */
  void AttachData();
  /** A module button. */
  void StartModule(const std::string& name);
  /** The Delete key on the selected item. */
  void RemoveSelectedItem();

  QTreeWidget* GetTree() const { return this->Tree; }
  QTreeWidgetItem* GetRoot(int root) const;
  QComboBox* GetFolderBox() const { return this->FolderBox; }
  const std::vector<QPushButton*>& GetModuleButtons() const { return this->ModuleButtons; }
  /** Selects the first item with this text under `root` (-1: anywhere); false when none. */
  bool Select(const QString& text, int root = -1);

signals:
  /** The workspace or the activated module changed (the shell refreshes title and layers). */
  void WorkspaceChanged();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  struct Entry
  {
    std::string Name;
    QTreeWidgetItem* Item; // null for a model that gets no item
  };

  void Build();
  void Selected();
  void ShowRecord(const vProp& set);
  void SyncCollection(std::vector<Entry>& seen, bool volumes);
  void FillFolderBox();
  QTreeWidgetItem* AddItem(int root, const std::string& name);
  int ModelRoot(int index) const;

  CVemoraCP* Facade;           // borrowed
  vWorkspaceState* Workspace;  // borrowed: the facade's
  CPropertyUI* Grid = nullptr; // borrowed
  QTreeWidget* Tree = nullptr;
  QTreeWidgetItem* Roots[NumberOfRoots] = {};
  QComboBox* FolderBox = nullptr;
  std::vector<QPushButton*> ModuleButtons;
  std::vector<Entry> Models;
  std::vector<Entry> Volumes;
  int OpenedType = 0; // the reader type of the file being filed by ItemOpened
  bool Syncing = false;
};

#endif
