#ifndef CMainFrame_h
#define CMainFrame_h

#include <QMainWindow>
#include <QPointer>

#include <string>

class CComponentUI;
class CPropertyUI;
class CVemoraCPUI;
class CVemoraLayerUI;
class CVemoraCP;
class CVemoraCPEXE;
class CVemoraPreviewUI;
class CVemoraView;
class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QSlider;
class QToolBar;
class Voxlet;
class vViewer;
class vQtProgress;

/**
 * The main window: viewing tabs (a tabbed MDI area, one VTK view each), five docking panes
 * ("Workspace", "Layers", "T4K2" with the console, "Component UI" with the module pages and the
 * QV preview, "Property"), the menus and accelerators, the main toolbar and the status bar with
 * the zoom slider. It turns every command into calls on the facade, the engine, the current viewer
 * or an interpreter, and handles the libraries' notices (1224 title, 1225 layer properties, 1226
 * console text).
 *
 * The facade is borrowed and must outlive the window. While the window exists, the renderer
 * manager makes the windows of its views (the window factory is installed in the constructor and
 * removed in the destructor).
 */
class CMainFrame : public QMainWindow
{
  Q_OBJECT
public:
  /** Ids of the panes, used as their object names (and so in the saved layout). */
  enum PaneId
  {
    WorkspacePane = 40000,
    LayersPane = 40001,
    ConsolePane = 40002,
    ComponentPane = 40003,
    PropertyPane = 40004
  };

  explicit CMainFrame(CVemoraCP* controller, QWidget* parent = nullptr);
  ~CMainFrame() override;

  /** Opens a viewing tab; null when the renderer manager has no window left. */
  CVemoraView* NewTab();
  /** The view of the active tab, or null. */
  CVemoraView* ActiveView() const;
  int GetTabCount() const { return this->TabCount; }

  /** The title of the active tab from the activated module and the viewer's first layer. */
  void UpdateTitle();
  /** Refreshes what shows the current viewer's layers (the layer pane). */
  void UpdateLayerUI();
  /** Handles a notice of the libraries (1224, 1225, 1226). */
  void HandleNotice(int code, const QString& text);

  /** Zoom: slider position (10..100) to the viewer's scale factor, shown in the status bar. */
  static double ZoomScale(int position);
  void ApplyZoom(int position);

  /** Opens files or folders given on the command line or dropped; failures go to the console. */
  void OpenPaths(const QStringList& paths);

  // Commands (the menu entries call these; tests call them too).
  void OnOpen();
  void OnSave();
  void OnSaveWorkspace();
  /** A PNG picture of the active tab, at its size, to a file the user chooses. */
  void OnSaveScreenshot();
  void OnDicomManager();
  void OnOpenLocalRepository();
  void OnNewLayer();
  void OnFlip();
  void OnMirror();
  void OnClearViewer();
  void OnRendererInfo();
  void OnRunScript();
  void OnModuleInfo();
  void OnToggleAxes();
  void OnAbout();

  Voxlet* GetConsole() const { return this->Console; }
  CComponentUI* GetComponentUI() const { return this->Components; }
  CVemoraCPUI* GetWorkspaceUI() const { return this->WorkspaceUI; }
  CVemoraLayerUI* GetLayerUI() const { return this->LayerUI; }
  CPropertyUI* GetPropertyUI() const { return this->PropertyUI; }
  CVemoraPreviewUI* GetPreviewUI() const { return this->Preview; }
  QMdiArea* GetMdiArea() const { return this->Area; }
  QDockWidget* GetPane(PaneId id) const;
  QAction* GetAction(const QString& name) const;
  QLabel* GetZoomText() const { return this->ZoomText; }
  vQtProgress* GetProgress() const { return this->Progress; }
  QSlider* GetZoomSlider() const { return this->ZoomSlider; }
  bool GetShowAxes() const { return this->ShowAxes; }

  /** Saves the window layout and the configuration (run when the window closes). */
  void SaveState();
  /** Restores the layout saved by a previous run; false when there is none. */
  bool RestoreState();
  /** Gives the side panes their first width (325 pixels); run once the window is shown. */
  void ResetPaneSizes();

signals:
  /** The first frame of the active view was drawn after start-up. */
  void FirstFrameDrawn();

protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void CreateMenus();
  void CreateStatusBar();
  void CreatePanes();
  QDockWidget* AddPane(PaneId id, const QString& caption, QWidget* content);
  QAction* AddAction(QMenu* menu,
    const QString& name,
    const QString& label,
    const QKeySequence& shortcut = QKeySequence());
  void ViewClosing(CVemoraView* view);
  void Activated(QMdiSubWindow* window);
  void FocusNextPane(bool forward);
  std::string GetSettingsPath() const;
  /** The engine, or null before the facade made it. */
  CVemoraCPEXE* Engine() const;
  /** The current viewer; null after telling the user "Viewer is empty". */
  vViewer* ViewerOrSayEmpty() const;

  CVemoraCP* Controller; // borrowed: owned by the application object
  QMdiArea* Area = nullptr;
  Voxlet* Console = nullptr;
  CComponentUI* Components = nullptr;
  CVemoraCPUI* WorkspaceUI = nullptr;
  CVemoraLayerUI* LayerUI = nullptr;
  CPropertyUI* PropertyUI = nullptr;
  CVemoraPreviewUI* Preview = nullptr;
  QToolBar* MainToolbar = nullptr;
  QLabel* ZoomText = nullptr;
  QSlider* ZoomSlider = nullptr;
  vQtProgress* Progress = nullptr;
  QDockWidget* Panes[5] = {};
  int TabCount = 0;
  bool ShowAxes = false;
  bool FirstFrameSeen = false;
  QPointer<CVemoraView> PendingView; // the view whose window the factory is making
};

#endif
