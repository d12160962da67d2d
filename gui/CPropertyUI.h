#ifndef CPropertyUI_h
#define CPropertyUI_h

#include "VemoraGUIModule.h"

#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class CVemoraCPEXE;
class QDialog;
class QTreeWidget;
class QTreeWidgetItem;
class vLayer;
class vProp;
class vRenderable;
class vViewer;

/**
 * The property grid: groups of rows (name, value) built from property sets, on a QTreeWidget.
 * A viewer's or layer's group is named by its set's type and its rows follow the one description
 * of each property (`vPropertyEdits`): list rows with fixed choices, colour rows (0..255), the
 * opacity slider (0..100), dialog rows (Contrast, Slice, Transform, Color Map), "IsA" read-only,
 * other names as text; a "null" value gets no row. Every edit calls its operation on the bound
 * object and renders once.
 *
 * Rows hold no pointer that can dangle: an edit first checks that its layer is still in the
 * current viewer (and the viewer still the activated module's); a row whose object went away
 * clears the grid with a message instead of calling it.
 */
class VEMORAGUI_EXPORT CPropertyUI : public QWidget
{
  Q_OBJECT
public:
  /** Item data: the property name of a row, and its row kind (a `vPropertyEdits::Kind`). */
  enum Role
  {
    NameRole = 0x0100,
    KindRole,
    BindingRole
  };
  /** Runs a dialog of a dialog row; the default is `exec`. Tests drive the dialog with it. */
  using DialogRunner = std::function<int(QDialog&)>;

  explicit CPropertyUI(QWidget* parent = nullptr);
  ~CPropertyUI() override;

  /** The engine (borrowed) whose activated viewer edits are checked against; null: trust rows. */
  void SetEngine(CVemoraCPEXE* engine) { this->Engine = engine; }
  void SetDialogRunner(DialogRunner runner) { this->RunDialog = std::move(runner); }

  /** Adds a group for a viewer or a layer. */
  void UpdateProperty(vRenderable* object);
  /** Adds a group "QOVA" with one read-only row per set item that has a value. */
  void UpdateProperty(const vProp& set);
  /** Empties the grid. */
  void RemoveAll();
  /** Clears the grid when a group's object has left the viewer; true when it did. */
  bool DropStaleGroups();

  QTreeWidget* GetTree() const { return this->Tree; }
  int GetNumberOfGroups() const;
  /** The group's title (its set's type); "" for no such group. */
  QString GetGroupName(int group) const;
  /** The row of `name` in a group (the last group for -1); null when there is none. */
  QTreeWidgetItem* FindRow(const QString& name, int group = -1) const;
  /** The editor widget of a row (combo box, slider, button), or null for a text row. */
  QWidget* GetEditor(QTreeWidgetItem* row) const;
  /** The row's value as shown. */
  QString GetValue(QTreeWidgetItem* row) const;

  /** The live object of a row, or null when it left the viewer. */
  vRenderable* GetTarget(QTreeWidgetItem* row) const;

  // Edits (the editors call these).
  bool EditValue(QTreeWidgetItem* row, const QString& value);
  bool EditColour(QTreeWidgetItem* row, const QColor& colour);
  bool EditOpacity(QTreeWidgetItem* row, int position);
  /** Opens the row's dialog; true when it was accepted. */
  bool OpenDialog(QTreeWidgetItem* row);

signals:
  /** An edit reached its object. */
  void Edited(const QString& name);

private:
  struct Binding
  {
    vRenderable* Object; // borrowed; checked before use
    vLayer* Layer;       // the same object as a layer, null for a viewer
    vViewer* Viewer;     // the viewer it belongs to (or is)
  };

  QTreeWidgetItem* AddRow(QTreeWidgetItem* group, const QString& name, const QString& value);
  void AddEditor(QTreeWidgetItem* row, vRenderable* object, int kind, const QString& value);
  vRenderable* CheckedTarget(QTreeWidgetItem* row);
  void SetRowValue(QTreeWidgetItem* row, const QString& value);
  bool OpenTransform(QTreeWidgetItem* row, vRenderable* target);
  bool OpenSlice(QTreeWidgetItem* row, vRenderable* target);
  bool OpenContrast(QTreeWidgetItem* row, vRenderable* target);
  bool OpenColorMap(QTreeWidgetItem* row, vRenderable* target);
  /** False (with a message) when the layer's volume has left the workspace. */
  bool HasVolume(vRenderable* target) const;

  CVemoraCPEXE* Engine = nullptr; // borrowed
  QTreeWidget* Tree = nullptr;
  std::vector<Binding> Bindings;
  DialogRunner RunDialog;
  unsigned Generation = 0;
  bool Filling = false;
  /** Colour-map values per layer: a mesh layer keeps reading them while the map is shown. */
  std::map<const void*, std::vector<double>> ColorMaps;
};

#endif
