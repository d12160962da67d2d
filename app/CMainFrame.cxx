#include "CMainFrame.h"

#include "CVemoraView.h"
#include "vDropPaths.h"

#include "CComponentUI.h"
#include "CCreateNewLayerUI.h"
#include "CModuleInfoUI.h"
#include "CPropertyUI.h"
#include "CRendererInfoUI.h"
#include "CT4K2EditCtrl.h"
#include "CVemoraCPUI.h"
#include "CVemoraLayerUI.h"
#include "CVemoraPreviewUI.h"
#include "Voxlet.h"
#include "vQtProgress.h"
#include "vWindowLevelDrag.h"

#include "CT4K2EXE.h"

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vWorkspaceState.h"

#include "vDataResource.h"
#include "vLayer.h"
#include "vRendererManager.h"
#include "vScreenshot.h"
#include "vViewer.h"
#include "vVolumeResource.h"

#include "vInstallation.h"
#include "vProgress.h"
#include "vProp.h"
#include "vUserPrompt.h"

#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkNew.h>
#include <vtkRenderWindow.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QScrollArea>
#include <QSettings>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <strings.h>

namespace
{
constexpr int ApplicationLook = 32830;
constexpr int PaneWidth = 325;
constexpr int PaneHeight = 200;
const char* const DicomManagerName = "QovaDicomManager";

/** A shortcut of modifiers and one key (Qt 5 combines the two enums as plain integers). */
QKeySequence Keys(Qt::KeyboardModifiers modifiers, Qt::Key key)
{
  return QKeySequence(static_cast<int>(modifiers) | static_cast<int>(key));
}

/**
 * While files given on the command line or dropped are opened, what the reader has to say goes to
 * the console instead of a message box per file; questions and dialogs go to the prompt that was
 * current. Installed for its lifetime.
 */
class vConsoleInformPrompt : public vUserPrompt
{
public:
  explicit vConsoleInformPrompt(Voxlet* console)
    : Console(console)
    , Previous(vUserPrompt::Get())
  {
    vUserPrompt::Install(this);
  }
  ~vConsoleInformPrompt() override { vUserPrompt::Install(this->Previous); }
  vConsoleInformPrompt(const vConsoleInformPrompt&) = delete;
  vConsoleInformPrompt& operator=(const vConsoleInformPrompt&) = delete;

  void Inform(const std::string& text) override
  {
    this->Console->Speak(QString::fromStdString(text));
  }
  bool AskYesNo(const std::string& text) override { return this->Previous->AskYesNo(text); }
  std::string AskOpenFile(const std::string& filter, const std::string& folder) override
  {
    return this->Previous->AskOpenFile(filter, folder);
  }
  std::string AskSaveFile(const std::string& filter, const std::string& folder) override
  {
    return this->Previous->AskSaveFile(filter, folder);
  }
  std::string AskFolder(const std::string& folder) override
  {
    return this->Previous->AskFolder(folder);
  }

private:
  Voxlet* Console;       // borrowed: the frame's console
  vUserPrompt* Previous; // borrowed: the prompt that was current
};
} // namespace

CMainFrame::CMainFrame(CVemoraCP* controller, QWidget* parent)
  : QMainWindow(parent)
  , Controller(controller)
{
  this->setObjectName(QStringLiteral("MainFrame"));
  this->setAttribute(Qt::WA_DeleteOnClose, false);

  // The renderer manager makes the windows of the views from now on.
  vRendererManager::SetRenderWindowFactory(
    [this]() -> vtkSmartPointer<vtkRenderWindow>
    {
      if (this->PendingView)
      {
        vtkNew<vtkGenericOpenGLRenderWindow> window;
        this->PendingView->setRenderWindow(window);
        return window.Get();
      }
      // A window asked for outside a tab draws off screen, as it does without the window.
      auto window = vtkSmartPointer<vtkRenderWindow>::New();
      window->SetOffScreenRendering(1);
      return window;
    });

  {
    QSettings settings(QString::fromStdString(this->GetSettingsPath()), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(QStringLiteral("ApplicationLook"), ApplicationLook);
  }

  this->Area = new QMdiArea(this);
  this->Area->setObjectName(QStringLiteral("Tabs"));
  this->Area->setViewMode(QMdiArea::TabbedView);
  this->Area->setTabsClosable(true);
  this->Area->setTabsMovable(true);
  this->Area->setDocumentMode(true);
  this->setCentralWidget(this->Area);
  connect(this->Area, &QMdiArea::subWindowActivated, this, &CMainFrame::Activated);

  this->CreateMenus();
  this->CreateStatusBar();
  this->CreatePanes();
  this->setAcceptDrops(true);
  this->setWindowTitle(QStringLiteral("QOVA Release August2009"));

  if (this->Controller)
  {
    this->Controller->SetComponentPanel(this->Components);
    this->Controller->RunModuleRoutine();
    this->Controller->UpdateTabDialogs();
  }
}

CMainFrame::~CMainFrame()
{
  // The area outlives this part of the window: what it signals while its tabs go must not reach
  // a frame that is half destroyed.
  this->Area->disconnect(this);
  // Every tab is closed in the engine while the views (and their GL contexts) still exist.
  for (QMdiSubWindow* window : this->Area->subWindowList())
  {
    if (auto* view = qobject_cast<CVemoraView*>(window->widget()))
    {
      this->ViewClosing(view);
      view->disconnect(this);
    }
  }
  if (this->Controller)
  {
    this->Controller->SetComponentPanel(nullptr);
  }
  vRendererManager::SetRenderWindowFactory({});
  if (vProgress::Get() == this->Progress)
  {
    vProgress::Install(nullptr);
  }
}

std::string CMainFrame::GetSettingsPath() const
{
  return vInstallation::GetStateFolder("SystemRegistry") + "/Vemora.ini";
}

// ---------------------------------------------------------------------------------------------
// Building the window

QAction* CMainFrame::AddAction(QMenu* menu,
  const QString& name,
  const QString& label,
  const QKeySequence& shortcut)
{
  auto* action = new QAction(label, this);
  action->setObjectName(name);
  if (!shortcut.isEmpty())
  {
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
  }
  if (menu)
  {
    menu->addAction(action);
  }
  else
  {
    this->addAction(action);
  }
  return action;
}

void CMainFrame::CreateMenus()
{
  QMenuBar* bar = this->menuBar();
  QMenu* file = bar->addMenu(QStringLiteral("QOVA"));
  connect(AddAction(file, "NewTab", "New Tab\tCtrl + N", Keys(Qt::ControlModifier, Qt::Key_N)),
    &QAction::triggered,
    this,
    [this]() { this->NewTab(); });
  connect(AddAction(file, "Open", "&Open...\tCtrl+O", QKeySequence::Open),
    &QAction::triggered,
    this,
    &CMainFrame::OnOpen);
  connect(AddAction(file, "Save", "&Save Resource As...\tCtrl+S", QKeySequence::Save),
    &QAction::triggered,
    this,
    &CMainFrame::OnSave);
  connect(AddAction(file, "SaveWorkspace", "Save Workspace"),
    &QAction::triggered,
    this,
    &CMainFrame::OnSaveWorkspace);
  connect(AddAction(file, "SaveScreenshot", "Save Screenshot..."),
    &QAction::triggered,
    this,
    &CMainFrame::OnSaveScreenshot);
  QAction* dicom = AddAction(file, "DicomManager", "DICOM Manager");
  dicom->setEnabled(
    QFileInfo(QString::fromStdString(vInstallation::GetFolder() + "/" + DicomManagerName))
      .isExecutable());
  connect(dicom, &QAction::triggered, this, &CMainFrame::OnDicomManager);
  connect(AddAction(file, "OpenLocalRepository", "Open Local Repository Folder"),
    &QAction::triggered,
    this,
    &CMainFrame::OnOpenLocalRepository);
  connect(AddAction(file, "RefreshLocalRepository", "Refresh Local Repository"),
    &QAction::triggered,
    this,
    [this]()
    {
      if (this->Controller)
      {
        this->Controller->RefreshLocalRepository();
        this->WorkspaceUI->RefreshLocalRepository();
      }
    });
  file->addSeparator();
  connect(AddAction(file, "Exit", "E&xit"), &QAction::triggered, this, &QWidget::close);

  bar->addMenu(QStringLiteral("View"))->setObjectName(QStringLiteral("ViewMenu"));
  QMenu* viewer = bar->addMenu(QStringLiteral("Viewer/Layer"));
  connect(
    AddAction(viewer, "NewLayer", "New Layer\tCtrl + L", Keys(Qt::ControlModifier, Qt::Key_L)),
    &QAction::triggered,
    this,
    &CMainFrame::OnNewLayer);
  connect(AddAction(viewer, "Flip", "Flip\tCtrl + F5", Keys(Qt::ControlModifier, Qt::Key_F5)),
    &QAction::triggered,
    this,
    &CMainFrame::OnFlip);
  connect(AddAction(viewer, "Mirror", "Mirror\tCtrl + F6", Keys(Qt::ControlModifier, Qt::Key_F6)),
    &QAction::triggered,
    this,
    &CMainFrame::OnMirror);
  connect(AddAction(
            viewer, "ClearViewer", "Clear Viewer\tCtrl + D", Keys(Qt::ControlModifier, Qt::Key_D)),
    &QAction::triggered,
    this,
    &CMainFrame::OnClearViewer);
  connect(AddAction(viewer, "RendererInfo", "Renderer Info"),
    &QAction::triggered,
    this,
    &CMainFrame::OnRendererInfo);
  QMenu* script = bar->addMenu(QStringLiteral("Script"));
  connect(AddAction(script, "RunScript", "Run\tCtrl + E", Keys(Qt::ControlModifier, Qt::Key_E)),
    &QAction::triggered,
    this,
    &CMainFrame::OnRunScript);
  QMenu* modules = bar->addMenu(QStringLiteral("Modules"));
  connect(
    AddAction(modules, "ModuleInfo", "Module Info\tCtrl + M", Keys(Qt::ControlModifier, Qt::Key_M)),
    &QAction::triggered,
    this,
    &CMainFrame::OnModuleInfo);
  QMenu* help = bar->addMenu(QStringLiteral("Question or Feedback?"));
  auto openGuide = [this]()
  {
    const QString guide = QString::fromStdString(vInstallation::GetFolder() + "/docs/index.html");
    QDesktopServices::openUrl(QUrl::fromLocalFile(guide));
  };
  connect(AddAction(help, "OnlineDocumentations", "Online Documentations"),
    &QAction::triggered,
    this,
    openGuide);
  connect(AddAction(help, "WebSite", "Vemora Documentation Folder"),
    &QAction::triggered,
    this,
    [this]()
    {
      QDesktopServices::openUrl(
        QUrl::fromLocalFile(QString::fromStdString(vInstallation::GetFolder() + "/docs")));
    });
  AddAction(help, "ShortcutList", "Shortcut List")->setEnabled(false);
  AddAction(help, "BugReport", "Suggestion / Question / Bug Report")->setEnabled(false);
  help->addSeparator();
  connect(
    AddAction(help, "About", "&About Vemora..."), &QAction::triggered, this, &CMainFrame::OnAbout);

  // Accelerators without a menu entry.
  connect(AddAction(nullptr, "ToggleAxes", "Axes", Keys(Qt::ControlModifier, Qt::Key_1)),
    &QAction::triggered,
    this,
    &CMainFrame::OnToggleAxes);
  connect(AddAction(nullptr,
            "ToggleAxesKeypad",
            "Axes",
            Keys(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_1)),
    &QAction::triggered,
    this,
    &CMainFrame::OnToggleAxes);
  connect(AddAction(nullptr, "ApplyZoom", "Zoom", Keys(Qt::ControlModifier, Qt::Key_F)),
    &QAction::triggered,
    this,
    [this]() { this->ApplyZoom(this->ZoomSlider->value()); });
  connect(AddAction(nullptr, "NextPane", "Next Pane", QKeySequence(Qt::Key_F6)),
    &QAction::triggered,
    this,
    [this]() { this->FocusNextPane(true); });
  connect(AddAction(nullptr, "PreviousPane", "Previous Pane", Keys(Qt::ShiftModifier, Qt::Key_F6)),
    &QAction::triggered,
    this,
    [this]() { this->FocusNextPane(false); });

  this->MainToolbar = this->addToolBar(QStringLiteral("Main Toolbar"));
  this->MainToolbar->setObjectName(QStringLiteral("MainToolbar"));
  this->MainToolbar->addAction(this->GetAction("NewTab"));
  this->MainToolbar->addAction(this->GetAction("Open"));
  this->MainToolbar->addAction(this->GetAction("Save"));
}

void CMainFrame::CreateStatusBar()
{
  QStatusBar* bar = this->statusBar();
  auto* link = new QLabel(QStringLiteral("<a href=\"docs\">Vemora</a>"), this);
  link->setObjectName(QStringLiteral("Link"));
  link->setToolTip(QStringLiteral("Link to website"));
  connect(link,
    &QLabel::linkActivated,
    this,
    [this]() { this->GetAction(QStringLiteral("OnlineDocumentations"))->trigger(); });
  bar->addWidget(link);

  this->ZoomText = new QLabel(QStringLiteral("100%"), this);
  this->ZoomText->setObjectName(QStringLiteral("Zoom"));
  this->ZoomText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  this->ZoomText->setMinimumWidth(this->ZoomText->fontMetrics().horizontalAdvance("1000.0%") + 8);
  auto* zoomOut = new QToolButton(this);
  zoomOut->setObjectName(QStringLiteral("ZoomOut"));
  zoomOut->setText(QStringLiteral("-"));
  auto* zoomIn = new QToolButton(this);
  zoomIn->setObjectName(QStringLiteral("ZoomIn"));
  zoomIn->setText(QStringLiteral("+"));
  this->ZoomSlider = new QSlider(Qt::Horizontal, this);
  this->ZoomSlider->setObjectName(QStringLiteral("Zoom Slider"));
  this->ZoomSlider->setRange(10, 100);
  this->ZoomSlider->setValue(30);
  this->ZoomSlider->setFixedWidth(100);
  this->ZoomSlider->setPageStep(10);
  connect(this->ZoomSlider, &QSlider::valueChanged, this, &CMainFrame::ApplyZoom);
  connect(zoomOut,
    &QToolButton::clicked,
    this->ZoomSlider,
    [this]() { this->ZoomSlider->setValue(this->ZoomSlider->value() - 10); });
  connect(zoomIn,
    &QToolButton::clicked,
    this->ZoomSlider,
    [this]() { this->ZoomSlider->setValue(this->ZoomSlider->value() + 10); });
  this->Progress = new vQtProgress(this);
  vProgress::Install(this->Progress);
  bar->addWidget(this->Progress);
  bar->addPermanentWidget(this->ZoomText);
  bar->addPermanentWidget(zoomOut);
  bar->addPermanentWidget(this->ZoomSlider);
  bar->addPermanentWidget(zoomIn);
}

QDockWidget* CMainFrame::AddPane(PaneId id, const QString& caption, QWidget* content)
{
  auto* pane = new QDockWidget(caption, this);
  pane->setObjectName(QString::number(id));
  pane->setAllowedAreas(Qt::AllDockWidgetAreas);
  content->setParent(pane);
  content->show();
  pane->setWidget(content);
  pane->resize(PaneWidth, PaneHeight);
  this->Panes[id - WorkspacePane] = pane;
  return pane;
}

void CMainFrame::CreatePanes()
{
  CVemoraCPEXE* engine = this->Controller ? this->Controller->GetEXE() : nullptr;
  this->PropertyUI = new CPropertyUI;
  this->PropertyUI->SetEngine(engine);
  this->WorkspaceUI = new CVemoraCPUI(this->Controller);
  this->WorkspaceUI->SetPropertyUI(this->PropertyUI);
  this->LayerUI = new CVemoraLayerUI(engine);
  this->LayerUI->SetPropertyUI(this->PropertyUI);
  connect(this->WorkspaceUI,
    &CVemoraCPUI::WorkspaceChanged,
    this,
    [this]()
    {
      this->UpdateLayerUI();
      this->UpdateTitle();
    });
  this->Console = new Voxlet;
  this->Console->SetController(this->Controller);
  this->Console->InitializeUI();
  connect(this->Console->GetEditCtrl(),
    &CT4K2EditCtrl::CommandExecuted,
    this,
    &CMainFrame::UpdateLayerUI);

  this->Components = new CComponentUI;
  this->Preview = new CVemoraPreviewUI;
  auto* componentArea = new QSplitter(Qt::Vertical);
  componentArea->setObjectName(QStringLiteral("ComponentArea"));
  componentArea->addWidget(this->Components);
  componentArea->addWidget(this->Preview);
  componentArea->setStretchFactor(0, 3);
  componentArea->setStretchFactor(1, 1);

  QDockWidget* workspace = AddPane(WorkspacePane, "Workspace", this->WorkspaceUI);
  QDockWidget* layers = AddPane(LayersPane, "Layers", this->LayerUI);
  QDockWidget* console = AddPane(ConsolePane, "T4K2", this->Console);
  // Module pages may be wider than the pane: they scroll instead of widening it.
  auto* componentScroll = new QScrollArea;
  componentScroll->setObjectName(QStringLiteral("ComponentScroll"));
  componentScroll->setWidgetResizable(true);
  componentScroll->setFrameShape(QFrame::NoFrame);
  componentScroll->setWidget(componentArea);
  QDockWidget* components = AddPane(ComponentPane, "Component UI", componentScroll);
  QDockWidget* property = AddPane(PropertyPane, "Property", this->PropertyUI);

  this->addDockWidget(Qt::LeftDockWidgetArea, workspace);
  this->addDockWidget(Qt::LeftDockWidgetArea, console);
  this->splitDockWidget(workspace, console, Qt::Vertical);
  this->tabifyDockWidget(console, layers);
  console->raise();
  this->addDockWidget(Qt::RightDockWidgetArea, property);
  this->addDockWidget(Qt::RightDockWidgetArea, components);
  this->splitDockWidget(property, components, Qt::Vertical);
  this->resizeDocks({ workspace, property }, { PaneWidth, PaneWidth }, Qt::Horizontal);

  QMenu* view = this->menuBar()->findChild<QMenu*>(QStringLiteral("ViewMenu"));
  auto toggle = [this, view](QAction* action, const char* name, const QString& label)
  {
    action->setObjectName(QString::fromLatin1(name));
    action->setText(label);
    view->addAction(action);
    return action;
  };
  toggle(console->toggleViewAction(), "ToggleConsole", "Command Window\tCtrl + R")
    ->setShortcut(Keys(Qt::ControlModifier, Qt::Key_R));
  toggle(components->toggleViewAction(), "ToggleComponents", "Components");
  toggle(layers->toggleViewAction(), "ToggleLayers", "Layer");
  toggle(property->toggleViewAction(), "ToggleProperty", "Property");
  toggle(this->MainToolbar->toggleViewAction(), "ToggleToolbar", "Toolbar");
  toggle(workspace->toggleViewAction(), "ToggleWorkspace", "Workspace");
  for (QAction* action : view->actions())
  {
    action->setShortcutContext(Qt::ApplicationShortcut);
  }
}

QDockWidget* CMainFrame::GetPane(PaneId id) const
{
  const int index = id - WorkspacePane;
  return index >= 0 && index < 5 ? this->Panes[index] : nullptr;
}

QAction* CMainFrame::GetAction(const QString& name) const
{
  return this->findChild<QAction*>(name);
}

// ---------------------------------------------------------------------------------------------
// Viewing tabs

CVemoraView* CMainFrame::NewTab()
{
  CVemoraCPEXE* engine = this->Engine();
  if (!engine)
  {
    return nullptr;
  }
  auto* view = new CVemoraView;
  this->PendingView = view;
  const int id = engine->CreateViewingTab();
  this->PendingView = nullptr;
  if (id < 0)
  {
    delete view;
    vUserPrompt::Get()->Inform("No viewing tab can be opened: every render window is in use.");
    return nullptr;
  }
  view->SetRenderWindowId(id);
  auto* drag = new vWindowLevelDrag(engine);
  drag->SetInteractor(view->interactor());
  drag->SetFinished([this]() { this->UpdateLayerUI(); });
  connect(view, &QObject::destroyed, [drag]() { delete drag; });
  connect(view,
    &CVemoraView::Focused,
    this,
    [this](CVemoraView* focused)
    {
      CVemoraCPEXE* exe = this->Engine();
      if (exe && focused->GetRenderWindowId() >= 0)
      {
        exe->GetRenderers()->SetCurrentRenderWindowId(focused->GetRenderWindowId());
        this->UpdateLayerUI();
      }
    });
  connect(view, &CVemoraView::Closing, this, &CMainFrame::ViewClosing);
  connect(view, &CVemoraView::Dropped, this, &CMainFrame::OpenPaths);
  if (!this->FirstFrameSeen)
  {
    connect(view,
      &QOpenGLWidget::frameSwapped,
      this,
      [this]()
      {
        if (!this->FirstFrameSeen)
        {
          this->FirstFrameSeen = true;
          emit this->FirstFrameDrawn();
        }
      });
  }
  QMdiSubWindow* window = this->Area->addSubWindow(view);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(QStringLiteral("QOVA - Untitled"));
  ++this->TabCount;
  window->showMaximized();
  this->Area->setActiveSubWindow(window);
  return view;
}

CVemoraView* CMainFrame::ActiveView() const
{
  // The current tab, also while another application is active.
  QMdiSubWindow* window = this->Area->currentSubWindow();
  return window ? qobject_cast<CVemoraView*>(window->widget()) : nullptr;
}

void CMainFrame::ViewClosing(CVemoraView* view)
{
  const int id = view->GetRenderWindowId();
  if (id < 0)
  {
    return;
  }
  view->SetRenderWindowId(-1);
  if (CVemoraCPEXE* engine = this->Engine())
  {
    engine->CloseViewingTab(id);
  }
  --this->TabCount;
  this->UpdateLayerUI();
}

void CMainFrame::Activated(QMdiSubWindow* window)
{
  auto* view = window ? qobject_cast<CVemoraView*>(window->widget()) : nullptr;
  CVemoraCPEXE* engine = this->Engine();
  if (view && engine && view->GetRenderWindowId() >= 0)
  {
    engine->GetRenderers()->SetCurrentRenderWindowId(view->GetRenderWindowId());
    this->UpdateLayerUI();
  }
}

void CMainFrame::UpdateTitle()
{
  CVemoraView* view = this->ActiveView();
  CVemoraCPEXE* engine = this->Engine();
  if (!view || !engine)
  {
    return;
  }
  CVemoraModules* modules = engine->GetModules();
  std::string title = "QOVA - Untitled";
  const int module = modules->GetActivatedModuleId();
  if (module >= 0)
  {
    vViewer* viewer = modules->GetViewer();
    vLayer* first = viewer && viewer->GetNumberOfItems() > 0 ? viewer->GetInput(0) : nullptr;
    title = modules->GetModuleName(module) + " - " +
      (first ? first->GetProperty()->GetResourceName() : std::string("Untitled"));
  }
  if (QWidget* window = view->parentWidget())
  {
    window->setWindowTitle(QString::fromStdString(title));
  }
}

void CMainFrame::UpdateLayerUI()
{
  // The panels follow the current viewer and the workspace from here.
  if (this->LayerUI)
  {
    this->LayerUI->UpdateUI();
  }
  if (this->WorkspaceUI)
  {
    this->WorkspaceUI->SyncWithWorkspace();
  }
}

void CMainFrame::HandleNotice(int code, const QString& text)
{
  switch (code)
  {
    case 1224:
      this->UpdateTitle();
      break;
    case 1225:
      this->UpdateLayerUI();
      if (this->Controller)
      {
        this->Controller->UpdateLayerProperty();
      }
      break;
    case 1226:
      this->Console->Speak(text);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// Zoom

double CMainFrame::ZoomScale(int position)
{
  if (position > 30)
  {
    return (position - 30) / 60.0 + 1.0;
  }
  if (position < 30)
  {
    return ((position - 10) / 20.0) * 0.5 + 0.5;
  }
  return 1.0;
}

void CMainFrame::ApplyZoom(int position)
{
  const double scale = ZoomScale(position);
  if (this->Controller)
  {
    this->Controller->SetScaleFactor(scale);
  }
  this->ZoomText->setText(QString::asprintf("%.1f%%", scale * 100.0));
}

// ---------------------------------------------------------------------------------------------
// Commands

void CMainFrame::OpenPaths(const QStringList& paths)
{
  if (!this->Controller)
  {
    return;
  }
  vConsoleInformPrompt toConsole(this->Console);
  for (const QString& path : paths)
  {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::string reply = this->Controller->Open(absolute.toStdString());
    this->Console->Speak(
      QStringLiteral("open '%1'\n%2").arg(absolute, QString::fromStdString(reply)));
    if (absolute.endsWith(QLatin1String("qv")))
    {
      this->Preview->SetFilename(absolute.toStdString());
      this->Preview->Preview();
    }
  }
}

void CMainFrame::OnOpen()
{
  if (!this->Controller)
  {
    return;
  }
  const std::string path = this->Controller->Open();
  if (!path.empty())
  {
    this->Preview->SetFilename(path);
    this->Preview->Preview();
  }
}

void CMainFrame::OnSave()
{
  if (this->Controller)
  {
    this->Controller->Save();
  }
}

void CMainFrame::OnSaveWorkspace()
{
  if (CVemoraCPEXE* engine = this->Engine())
  {
    engine->SaveWorkspace();
  }
}

void CMainFrame::OnSaveScreenshot()
{
  CVemoraView* view = this->ActiveView();
  if (!view || !view->renderWindow())
  {
    vUserPrompt::Get()->Inform("Viewer is empty");
    return;
  }
  std::string path = vUserPrompt::Get()->AskSaveFile(
    "PNG picture (*.png)|*.png|", this->Controller ? this->Controller->GetCurDir() : "");
  if (path.empty())
  {
    return;
  }
  if (QFileInfo(QString::fromStdString(path)).suffix().isEmpty())
  {
    path += ".png";
  }
  std::string error;
  if (!vScreenshot::Write(view->renderWindow(), path, 1, error))
  {
    vUserPrompt::Get()->Inform("error: " + error);
    return;
  }
  this->Console->Speak(QString::fromStdString("picture saved to " + path));
}

void CMainFrame::OnDicomManager()
{
  const QString folder = QString::fromStdString(vInstallation::GetFolder());
  QProcess::startDetached(folder + QLatin1Char('/') + QLatin1String(DicomManagerName), {}, folder);
}

void CMainFrame::OnOpenLocalRepository()
{
  vWorkspaceState* workspace = this->Controller ? this->Controller->GetUI() : nullptr;
  const std::string folder = workspace && !workspace->GetLocalRepository().GetFolder().empty()
    ? workspace->GetLocalRepository().GetFolder()
    : vInstallation::GetStateFolder("local");
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

void CMainFrame::OnNewLayer()
{
  CVemoraCPEXE* engine = this->Engine();
  if (!engine || !engine->GetModules()->GetViewer())
  {
    vUserPrompt::Get()->Inform("Layers could not be created on empty viewer!");
    return;
  }
  vVolumeResource* volumes = engine->GetVolume();
  vDataResource* models = engine->GetModel();
  if (volumes->GetNumberOfItems() + models->GetNumberOfItems() == 0)
  {
    vUserPrompt::Get()->Inform("Layers could not be created without a valid resource");
    return;
  }
  std::vector<std::string> resources;
  const int resourceCount = volumes->GetNumberOfItems() + models->GetNumberOfItems();
  resources.reserve(static_cast<size_t>(resourceCount));
  for (int i = 0; i < volumes->GetNumberOfItems(); ++i)
  {
    resources.push_back(volumes->GetDataName(i));
  }
  for (int i = 0; i < models->GetNumberOfItems(); ++i)
  {
    resources.push_back(models->GetDataName(i));
  }
  std::vector<std::string> renderers;
  vRendererManager* manager = engine->GetRenderers();
  for (int i = 0; i < manager->GetNumberOfRenderer(); ++i)
  {
    const std::string name = manager->GetRendererName(i);
    if (strcasecmp(name.c_str(), "Main") != 0)
    {
      renderers.push_back(name);
    }
  }
  CCreateNewLayerUI dialog(engine, this);
  dialog.SetLists(resources, CCreateNewLayerUI::GetLayerKinds(), renderers);
  if (dialog.exec() != QDialog::Accepted)
  {
    return;
  }
  CT4K2EXE interpreter;
  interpreter.SetController(this->Controller);
  std::vector<std::string> parameters = {
    "layer", dialog.GetKind(), dialog.GetResource(), dialog.GetRenderer()
  };
  interpreter.ProcCommand("new", parameters);
  this->UpdateLayerUI();
}

CVemoraCPEXE* CMainFrame::Engine() const
{
  return this->Controller ? this->Controller->GetEXE() : nullptr;
}

vViewer* CMainFrame::ViewerOrSayEmpty() const
{
  vViewer* viewer = this->Engine() ? this->Engine()->GetModules()->GetViewer() : nullptr;
  if (!viewer)
  {
    vUserPrompt::Get()->Inform("Viewer is empty");
  }
  return viewer;
}

void CMainFrame::OnFlip()
{
  if (vViewer* viewer = this->ViewerOrSayEmpty())
  {
    viewer->Flip();
  }
}

void CMainFrame::OnMirror()
{
  if (vViewer* viewer = this->ViewerOrSayEmpty())
  {
    viewer->Mirror();
  }
}

void CMainFrame::OnClearViewer()
{
  CVemoraCPEXE* engine = this->Engine();
  if (!this->ViewerOrSayEmpty())
  {
    return;
  }
  if (!vUserPrompt::Get()->AskYesNo("are your sure your want to clear the viewer?"))
  {
    return;
  }
  engine->GetModules()->DeleteViewer();
  engine->GetRenderers()->Refresh();
  this->UpdateLayerUI();
  this->UpdateTitle();
}

void CMainFrame::OnRendererInfo()
{
  CRendererInfoUI dialog(this->Engine(), this);
  dialog.exec();
}

void CMainFrame::OnModuleInfo()
{
  CModuleInfoUI dialog(this->Engine(), this);
  dialog.exec();
}

void CMainFrame::OnRunScript()
{
  const std::string path = vUserPrompt::Get()->AskOpenFile(
    "Script Files (*.v)|*.v|All files|*.*|", vInstallation::GetSubFolder("Scripts"));
  if (path.empty())
  {
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  {
    CT4K2EXE interpreter;
    interpreter.SetController(this->Controller);
    interpreter.RunScriptFromUI(path);
  }
  QApplication::restoreOverrideCursor();
  this->UpdateLayerUI();
}

void CMainFrame::OnToggleAxes()
{
  this->ShowAxes = !this->ShowAxes;
  if (this->Controller)
  {
    this->Controller->ShowAxes(this->ShowAxes);
  }
}

void CMainFrame::OnAbout()
{
  QMessageBox::about(this,
    QStringLiteral("About Vemora"),
    QStringLiteral("Vemora %1").arg(QCoreApplication::applicationVersion()));
}

void CMainFrame::FocusNextPane(bool forward)
{
  QList<QWidget*> order;
  for (QDockWidget* pane : this->Panes)
  {
    if (pane && pane->isVisible())
    {
      order << pane->widget();
    }
  }
  if (CVemoraView* view = this->ActiveView())
  {
    order << view;
  }
  if (order.isEmpty())
  {
    return;
  }
  int at = -1;
  for (int i = 0; i < order.size(); ++i)
  {
    if (order[i]->isAncestorOf(QApplication::focusWidget()) ||
      order[i] == QApplication::focusWidget())
    {
      at = i;
    }
  }
  const int next =
    (at + (forward ? 1 : order.size() - 1) + (at < 0 && !forward ? 1 : 0)) % order.size();
  order[next]->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------------
// Layout, closing, drops

void CMainFrame::SaveState()
{
  QSettings settings(QString::fromStdString(this->GetSettingsPath()), QSettings::IniFormat);
  settings.beginGroup(QStringLiteral("Settings"));
  settings.setValue(QStringLiteral("Geometry"), this->saveGeometry());
  settings.setValue(QStringLiteral("WindowState"), this->saveState());
}

bool CMainFrame::RestoreState()
{
  QSettings settings(QString::fromStdString(this->GetSettingsPath()), QSettings::IniFormat);
  settings.beginGroup(QStringLiteral("Settings"));
  const QByteArray geometry = settings.value(QStringLiteral("Geometry")).toByteArray();
  const QByteArray state = settings.value(QStringLiteral("WindowState")).toByteArray();
  const bool restored = !geometry.isEmpty() && this->restoreGeometry(geometry);
  return (!state.isEmpty() && this->QMainWindow::restoreState(state)) || restored;
}

void CMainFrame::ResetPaneSizes()
{
  this->resizeDocks({ this->GetPane(WorkspacePane), this->GetPane(PropertyPane) },
    { PaneWidth, PaneWidth },
    Qt::Horizontal);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
  this->SaveState();
  if (this->Controller)
  {
    this->Controller->SaveConfig();
    this->Controller->HideTabDialogs();
  }
  this->Area->closeAllSubWindows();
  event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
  if (!vDropPaths::FromMimeData(event->mimeData()).isEmpty())
  {
    event->acceptProposedAction();
  }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
  const QStringList paths = vDropPaths::FromMimeData(event->mimeData());
  if (!paths.isEmpty())
  {
    event->acceptProposedAction();
    this->OpenPaths(paths);
  }
}
