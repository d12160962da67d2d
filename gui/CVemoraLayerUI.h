#ifndef CVemoraLayerUI_h
#define CVemoraLayerUI_h

#include "VemoraGUIModule.h"

#include <QWidget>

#include <string>

class CPropertyUI;
class CVemoraCPEXE;
class QTreeWidget;
class QTreeWidgetItem;
class vViewer;

/**
 * The layer panel: a tree with the root "View" and one item per layer of the activated module's
 * viewer, or the single item "No Layers". Selecting "View" shows the viewer's properties in the
 * property grid ("Empty Viewer" without a viewer), selecting a layer shows the layer's; the Delete
 * key removes a layer after the user agrees. `UpdateUI` rebuilds the tree (keeping the selected
 * layer when it is still there) and refreshes what the grid shows.
 */
class VEMORAGUI_EXPORT CVemoraLayerUI : public QWidget
{
  Q_OBJECT
public:
  explicit CVemoraLayerUI(CVemoraCPEXE* engine, QWidget* parent = nullptr);

  void SetPropertyUI(CPropertyUI* grid) { this->Grid = grid; }
  /** Rebuilds the tree from the activated module's viewer. */
  void UpdateUI();
  /** Appends layer i of the viewer as an item under "View". */
  void AddLayer(int i);
  /** The viewer's properties in the grid. */
  void ShowViewCtrlUI();
  /** A layer's properties in the grid (nothing for an unknown name). */
  void ShowLayerCtrlUI(const std::string& name);
  /** The Delete key on the selected item. */
  void RemoveSelectedItem();
  /** Selects the item of a text ("View", a layer name); false when none has it. */
  bool Select(const QString& text);

  QTreeWidget* GetTree() const { return this->Tree; }

signals:
  /** A layer was removed from the viewer. */
  void LayerRemoved();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  vViewer* GetViewer() const;
  void Selected();

  CVemoraCPEXE* Engine;        // borrowed
  CPropertyUI* Grid = nullptr; // borrowed
  QTreeWidget* Tree = nullptr;
  QTreeWidgetItem* Root = nullptr;
  bool Rebuilding = false;
};

#endif
