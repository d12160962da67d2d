// The main window with real tabs, panes, menus and the console: every command through its menu
// action, the notices of the libraries, tabs closed in any order, and a picture of a tab showing
// real data.

#include "CMainFrame.h"
#include "CVemoraView.h"

#include "CComponentUI.h"
#include "CT4K2EditCtrl.h"
#include "Voxlet.h"
#include "vQtShellNotifier.h"

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vDataResource.h"
#include "vRendererManager.h"
#include "vViewer.h"

#include "vUserPrompt.h"

#include "vGuiTestSupport.h"
#include <vtkRenderWindow.h> // for the baseline helpers

#include "vRenderBaseline.h"
#include "vTempHome.h"
#include "vVtkOutputCapture.h"

#include <vtkRendererCollection.h>

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QSlider>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace
{
/** Width and height of a PNG file, (0, 0) when it is none. */
std::pair<int, int> vPngSize(const std::string& path)
{
  const std::string png = vReadFile(path);
  if (png.size() < 24 || png.compare(1, 3, "PNG") != 0)
  {
    return { 0, 0 };
  }
  auto word = [&png](size_t at)
  {
    return static_cast<int>((static_cast<unsigned char>(png[at]) << 24) |
      (static_cast<unsigned char>(png[at + 1]) << 16) |
      (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]));
  };
  return { word(16), word(20) };
}

class vMainWindow : public ::testing::Test
{
protected:
  void SetUp() override
  {
    VEMORA_SKIP_WITHOUT_DISPLAY();
    ASSERT_TRUE(vEnsureGuiApplication());
    this->Home.CopyFile(vBuiltPlugin("Modules", "vSceneModule"), "Modules/vSceneModule.so");
    ASSERT_EQ(this->CP.UIInit(), 0);
    this->Frame = std::make_unique<CMainFrame>(&this->CP);
    QObject::connect(
      &this->Notifier, &vQtShellNotifier::Notice, this->Frame.get(), &CMainFrame::HandleNotice);
    vShellNotifier::Install(&this->Notifier);
    this->Frame->resize(1000, 760);
    ASSERT_NE(this->Frame->NewTab(), nullptr);
    this->Frame->show();
    vProcessEvents(100);
    this->Edit = this->Frame->GetConsole()->GetEditCtrl();
  }

  void TearDown() override
  {
    this->Frame.reset();
    vShellNotifier::Install(nullptr);
  }

  /** Types a line into the console and presses Enter; the reply lines. */
  QString Type(const QString& line)
  {
    const int before = this->Edit->toPlainText().size();
    QTest::keyClicks(this->Edit, line);
    QTest::keyClick(this->Edit, Qt::Key_Return);
    vProcessEvents(20);
    return this->Edit->toPlainText().mid(before + line.size());
  }

  void Trigger(const char* action)
  {
    QAction* found = this->Frame->GetAction(QString::fromLatin1(action));
    ASSERT_NE(found, nullptr) << action;
    found->trigger();
    vProcessEvents(20);
  }

  QString TabTitle() const
  {
    CVemoraView* view = this->Frame->ActiveView();
    return view ? view->parentWidget()->windowTitle() : QString();
  }

  std::vector<std::string> Prompts() const { return vGetDefaultUserPrompt()->GetTexts(); }

  vViewer* Viewer() const { return this->CP.GetEXE()->GetModules()->GetViewer(); }

  vTempHome Home;
  CVemoraCP CP;
  vQtShellNotifier Notifier;
  std::unique_ptr<CMainFrame> Frame;
  CT4K2EditCtrl* Edit = nullptr;
};
} // namespace

TEST_F(vMainWindow, StartsWithItsPanesMenusAndOneTab)
{
  EXPECT_EQ(this->Frame->windowTitle(), "QOVA Release August2009");
  EXPECT_EQ(this->Frame->GetTabCount(), 1);
  EXPECT_EQ(this->CP.GetEXE()->GetNumberOfViewingTabs(), 1);
  EXPECT_EQ(this->TabTitle(), "QOVA - Untitled");
  const std::vector<std::pair<CMainFrame::PaneId, QString>> panes = { { CMainFrame::WorkspacePane,
                                                                        "Workspace" },
    { CMainFrame::LayersPane, "Layers" },
    { CMainFrame::ConsolePane, "T4K2" },
    { CMainFrame::ComponentPane, "Component UI" },
    { CMainFrame::PropertyPane, "Property" } };
  for (const auto& pane : panes)
  {
    QDockWidget* dock = this->Frame->GetPane(pane.first);
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->windowTitle(), pane.second);
    EXPECT_EQ(dock->objectName(), QString::number(pane.first));
  }
  EXPECT_EQ(this->Frame->dockWidgetArea(this->Frame->GetPane(CMainFrame::WorkspacePane)),
    Qt::LeftDockWidgetArea);
  EXPECT_EQ(this->Frame->dockWidgetArea(this->Frame->GetPane(CMainFrame::PropertyPane)),
    Qt::RightDockWidgetArea);
  // "Layers" shares the console's place as a tab.
  EXPECT_TRUE(this->Frame->tabifiedDockWidgets(this->Frame->GetPane(CMainFrame::ConsolePane))
                .contains(this->Frame->GetPane(CMainFrame::LayersPane)));

  QStringList labels;
  for (QAction* menu : this->Frame->menuBar()->actions())
  {
    labels << menu->text();
    for (QAction* entry : menu->menu()->actions())
    {
      if (!entry->isSeparator())
      {
        labels << "  " + entry->text();
      }
    }
  }
  EXPECT_EQ(labels.join("|").toStdString(),
    QStringList({ "QOVA",
                  "  New Tab\tCtrl + N",
                  "  &Open...\tCtrl+O",
                  "  &Save Resource As...\tCtrl+S",
                  "  Save Workspace",
                  "  Save Screenshot...",
                  "  DICOM Manager",
                  "  Open Local Repository Folder",
                  "  Refresh Local Repository",
                  "  E&xit",
                  "View",
                  "  Command Window\tCtrl + R",
                  "  Components",
                  "  Layer",
                  "  Property",
                  "  Toolbar",
                  "  Workspace",
                  "Viewer/Layer",
                  "  New Layer\tCtrl + L",
                  "  Flip\tCtrl + F5",
                  "  Mirror\tCtrl + F6",
                  "  Clear Viewer\tCtrl + D",
                  "  Renderer Info",
                  "Script",
                  "  Run\tCtrl + E",
                  "Modules",
                  "  Module Info\tCtrl + M",
                  "Question or Feedback?",
                  "  Online Documentations",
                  "  Vemora Documentation Folder",
                  "  Shortcut List",
                  "  Suggestion / Question / Bug Report",
                  "  &About Vemora..." })
      .join("|")
      .toStdString());
  // No companion DICOM program in this installation.
  EXPECT_FALSE(this->Frame->GetAction("DicomManager")->isEnabled());
  EXPECT_FALSE(this->Frame->GetAction("ShortcutList")->isEnabled());
}

TEST_F(vMainWindow, ZoomSliderSetsTheScaleAndItsText)
{
  EXPECT_EQ(this->Frame->GetZoomText()->text(), "100%");
  EXPECT_EQ(this->Frame->GetZoomSlider()->value(), 30);
  EXPECT_DOUBLE_EQ(CMainFrame::ZoomScale(30), 1.0);
  EXPECT_DOUBLE_EQ(CMainFrame::ZoomScale(10), 0.5);
  EXPECT_NEAR(CMainFrame::ZoomScale(100), 2.1667, 1e-4);
  EXPECT_DOUBLE_EQ(CMainFrame::ZoomScale(20), 0.75);
  this->Frame->GetZoomSlider()->setValue(10);
  EXPECT_EQ(this->Frame->GetZoomText()->text(), "50.0%");
  this->Frame->GetZoomSlider()->setValue(100);
  EXPECT_EQ(this->Frame->GetZoomText()->text(), "216.7%");
  this->Frame->GetZoomSlider()->setValue(30);
  EXPECT_EQ(this->Frame->GetZoomText()->text(), "100.0%");
}

TEST_F(vMainWindow, ViewEntriesTogglePanesWithACheckMark)
{
  for (const char* name : { "ToggleConsole",
         "ToggleComponents",
         "ToggleLayers",
         "ToggleProperty",
         "ToggleToolbar",
         "ToggleWorkspace" })
  {
    QAction* action = this->Frame->GetAction(name);
    ASSERT_NE(action, nullptr) << name;
    EXPECT_TRUE(action->isChecked()) << name;
    action->trigger();
    vProcessEvents(10);
    EXPECT_FALSE(action->isChecked()) << name;
    action->trigger();
    vProcessEvents(10);
    EXPECT_TRUE(action->isChecked()) << name;
  }
  QDockWidget* console = this->Frame->GetPane(CMainFrame::ConsolePane);
  this->Trigger("ToggleConsole");
  EXPECT_TRUE(console->isHidden());
  this->Trigger("ToggleConsole");
  EXPECT_FALSE(console->isHidden());
}

TEST_F(vMainWindow, ViewerCommandsWithoutAViewerSaySo)
{
  this->Trigger("Flip");
  this->Trigger("Mirror");
  this->Trigger("ClearViewer");
  this->Trigger("NewLayer");
  EXPECT_EQ(this->Prompts(),
    std::vector<std::string>({ "Viewer is empty",
      "Viewer is empty",
      "Viewer is empty",
      "Layers could not be created on empty viewer!" }));
  this->Type("Scene");
  this->Type("coolstart");
  vGetDefaultUserPrompt()->Reset();
  this->Trigger("NewLayer");
  EXPECT_EQ(this->Prompts(),
    std::vector<std::string>({ "Layers could not be created without a valid resource" }));
}

TEST_F(vMainWindow, ClearViewerAnsweredNoChangesNothing)
{
  EXPECT_EQ(this->Type("new sphere 0 0 0 5"), "\n>> ");
  this->Type("Scene");
  EXPECT_EQ(this->Type("coolstart").left(1), "\n");
  this->Type("add sphere0");
  vProcessEvents(20);
  ASSERT_NE(this->Viewer(), nullptr);
  ASSERT_EQ(this->Viewer()->GetNumberOfItems(), 1);
  // The module's start posted 1224: the tab is titled after the module and the first layer.
  this->Frame->UpdateTitle();
  EXPECT_EQ(this->TabTitle(), "Scene - sphere0");

  this->Frame->setWindowTitle("QOVA Release August2009");
  vGetDefaultUserPrompt()->QueueAnswer(false);
  this->Trigger("ClearViewer");
  EXPECT_EQ(
    this->Prompts(), std::vector<std::string>({ "are your sure your want to clear the viewer?" }));
  EXPECT_EQ(this->Viewer()->GetNumberOfItems(), 1);
  EXPECT_EQ(this->TabTitle(), "Scene - sphere0");

  vGetDefaultUserPrompt()->QueueAnswer(true);
  this->Trigger("ClearViewer");
  // The module lets go of its viewer and is no longer active in the tab.
  EXPECT_EQ(this->Viewer(), nullptr);
  EXPECT_EQ(this->TabTitle(), "QOVA - Untitled");
}

TEST_F(vMainWindow, ConsoleTextNoticesPrintEvenWithThePaneHidden)
{
  this->Trigger("ToggleConsole");
  ASSERT_TRUE(this->Frame->GetPane(CMainFrame::ConsolePane)->isHidden());
  vShellNotifier::Get()->Post(vShellNotifier::ConsoleText, "Viewer is not ready");
  EXPECT_FALSE(this->Edit->toPlainText().contains("Viewer is not ready"));
  vProcessEvents(20);
  EXPECT_TRUE(this->Edit->toPlainText().endsWith(">> \nViewer is not ready\n>> "));
}

TEST_F(vMainWindow, TabsCloseInAnyOrderWithAModuleActive)
{
  this->Type("new sphere 0 0 0 5");
  // Three tabs, the Scene module showing the sphere in each.
  for (int tab = 0; tab < 3; ++tab)
  {
    if (tab > 0)
    {
      this->Trigger("NewTab");
    }
    this->Type("Scene");
    this->Type("add sphere0");
    this->Type("exit");
    ASSERT_NE(this->Viewer(), nullptr) << tab;
  }
  EXPECT_EQ(this->Frame->GetTabCount(), 3);
  EXPECT_EQ(this->CP.GetEXE()->GetNumberOfViewingTabs(), 3);
  QList<QMdiSubWindow*> windows = this->Frame->GetMdiArea()->subWindowList();
  ASSERT_EQ(windows.size(), 3);
  for (int index : { 1, 0, 2 })
  {
    windows[index]->close();
    vProcessEvents(30);
  }
  EXPECT_EQ(this->Frame->GetTabCount(), 0);
  EXPECT_EQ(this->CP.GetEXE()->GetNumberOfViewingTabs(), 0);
  EXPECT_EQ(this->CP.GetEXE()->GetRenderers()->GetRenderWindow(0), nullptr);
  // A new tab works again after all were closed.
  ASSERT_NE(this->Frame->NewTab(), nullptr);
  EXPECT_EQ(this->CP.GetEXE()->GetNumberOfViewingTabs(), 1);
  EXPECT_NE(this->Type("Scene").indexOf(">> "), -1);
  this->Type("add sphere0");
  EXPECT_NE(this->Viewer(), nullptr);
}

TEST_F(vMainWindow, RunScriptUsesATemporaryInterpreter)
{
  const std::string script = this->Home.WriteFile("Scripts/enter.v", "Scene\ncoolstart\n");
  vGetDefaultUserPrompt()->QueuePath(script);
  this->Trigger("RunScript");
  // The module was started by the script's own interpreter: the console stays outside it.
  EXPECT_EQ(this->Edit->GetLastLine(), ">> ");
  EXPECT_NE(this->Viewer(), nullptr);
  EXPECT_EQ(vGetDefaultUserPrompt()->GetRecords().back().What, vScriptedUserPrompt::OpenFile);
  // Cancelled: nothing runs.
  this->Trigger("RunScript");
}

TEST_F(vMainWindow, LayoutIsRestoredAtTheNextStart)
{
  this->Trigger("ToggleProperty");
  this->Frame->resize(900, 700);
  vProcessEvents(20);
  this->Frame->close();
  this->Frame.reset();
  // A companion DICOM program in the installation makes its menu entry usable.
  const std::string manager = this->Home.WriteFile("QovaDicomManager", "#!/bin/sh\n");
  ASSERT_EQ(chmod(manager.c_str(), 0755), 0);
  auto frame = std::make_unique<CMainFrame>(&this->CP);
  EXPECT_TRUE(frame->GetAction("DicomManager")->isEnabled());
  EXPECT_TRUE(frame->RestoreState());
  frame->show();
  vProcessEvents(20);
  EXPECT_TRUE(frame->GetPane(CMainFrame::PropertyPane)->isHidden());
  EXPECT_FALSE(frame->GetPane(CMainFrame::WorkspacePane)->isHidden());
  // Without a window manager the restored height may differ by the frame's few pixels.
  EXPECT_EQ(frame->width(), 900);
  EXPECT_NEAR(frame->height(), 700, 20);
}

TEST_F(vMainWindow, ScreenshotsOfTheTabFromTheMenuAndTheConsole)
{
  this->Type("new sphere 0 0 0 5");
  this->Type("Scene");
  this->Type("add sphere0");
  this->Type("exit");
  vtkRenderWindow* window = this->Frame->ActiveView()->renderWindow();
  const int width = window->GetSize()[0];
  const int height = window->GetSize()[1];
  ASSERT_GT(width, 100);

  // The menu: the user names the file (".png" is added) and the console says where it went.
  vGetDefaultUserPrompt()->QueuePath(this->Home.Sub("menu"));
  this->Trigger("SaveScreenshot");
  EXPECT_EQ(vPngSize(this->Home.Sub("menu.png")), std::make_pair(width, height));
  EXPECT_TRUE(this->Edit->toPlainText().contains(
    "picture saved to " + QString::fromStdString(this->Home.Sub("menu.png"))));

  // The console word, at the tab's size and at twice it, as one picture.
  const QString twice = QString::fromStdString(this->Home.Sub("twice.png"));
  EXPECT_EQ(this->Type("screenshot '" + twice + "' 2"), "\npicture saved to " + twice + "\n\n>> ");
  EXPECT_EQ(vPngSize(twice.toStdString()), std::make_pair(2 * width, 2 * height));
  // The tab still draws after lending its renderers out.
  EXPECT_EQ(window->GetRenderers()->GetNumberOfItems(),
    this->Viewer()->GetRenderer()->GetNumberOfRenderer());

  // Refused: a bad scale, a folder that cannot be written; nothing is left behind.
  EXPECT_EQ(this->Type("screenshot x.png 9"),
    "\nerror: the scale must be a whole number from 1 to 8\n\n>> ");
  const QString inside = QString::fromStdString(this->Home.Sub("menu.png/inside.png"));
  EXPECT_EQ(this->Type("screenshot '" + inside),
    "\nerror: could not write the picture " + inside + "\n\n>> ");
  vGetDefaultUserPrompt()->Reset();
  vGetDefaultUserPrompt()->QueuePath(inside.toStdString());
  this->Trigger("SaveScreenshot");
  EXPECT_EQ(this->Prompts().back(), "error: could not write the picture " + inside.toStdString());
}

TEST_F(vMainWindow, DroppedFilesOpenOneByOneAndFailuresAreReported)
{
  // A hundred models, a file that fails, a folder without DICOM and a URL that is not a file.
  QList<QUrl> urls;
  const std::string teeth = vReadFile(vTestData("mesh/vtk/teeth.vtk"));
  for (int i = 0; i < 100; ++i)
  {
    urls << QUrl::fromLocalFile(QString::fromStdString(
      this->Home.WriteFile("drop/tooth" + std::to_string(i) + ".vtk", teeth)));
  }
  urls << QUrl::fromLocalFile(QString::fromStdString(this->Home.WriteFile("drop/bad.vtk", "x")));
  urls << QUrl::fromLocalFile(QString::fromStdString(this->Home.Sub("drop")));
  urls << QUrl("https://example.org/head.vtk");
  QMimeData data;
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(this->Frame.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  {
    vExpectVtkMessages damaged; // VTK's reader complains about bad.vtk
    QApplication::sendEvent(this->Frame.get(), &drop);
    vProcessEvents(20);
  }

  EXPECT_EQ(this->CP.GetEXE()->GetModel()->GetNumberOfItems(), 100);
  const QString transcript = this->Edit->toPlainText();
  EXPECT_EQ(transcript.count("\nFile loaded\n"), 100);
  EXPECT_EQ(transcript.count("error: file loading error"), 2);
  EXPECT_TRUE(
    transcript.contains("open '" + QString::fromStdString(this->Home.Sub("drop/bad.vtk"))));
  EXPECT_FALSE(transcript.contains("example.org"));
  // No message box was shown for the failures: they went to the console.
  EXPECT_TRUE(this->Prompts().empty());

  // A drop of nothing local is refused.
  QMimeData remote;
  remote.setUrls({ QUrl("https://example.org/head.vtk") });
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(this->Frame.get(), &refused);
  EXPECT_FALSE(refused.isAccepted());
}
TEST_F(vMainWindow, RealMeshAndSeriesInTheSceneModule)
{
  const QString skin = QString::fromStdString(vTestData("mesh/vtk/skin.vtk"));
  const QString series = QString::fromStdString(vTestData("dicom/series-mr-forearm-3"));
  EXPECT_EQ(this->Type("open '" + skin), "\nFile loaded\n\n>> ");
  EXPECT_EQ(this->Type("open '" + series), "\nFile loaded\n\n>> ");
  this->Type("Scene");
  this->Type("coolstart");
  this->Type("add skin");
  this->Type("add series-mr-forearm-3");
  ASSERT_NE(this->Viewer(), nullptr);
  EXPECT_EQ(this->Viewer()->GetNumberOfItems(), 2);
  this->Type("exit");

  CVemoraView* view = this->Frame->ActiveView();
  ASSERT_NE(view, nullptr);
  this->Frame->GetPane(CMainFrame::WorkspacePane)->hide();
  this->Frame->GetPane(CMainFrame::ConsolePane)->hide();
  this->Frame->GetPane(CMainFrame::LayersPane)->hide();
  this->Frame->GetPane(CMainFrame::ComponentPane)->hide();
  this->Frame->GetPane(CMainFrame::PropertyPane)->hide();
  view->parentWidget()->setFixedSize(view->parentWidget()->size());
  this->Frame->resize(600, 600);
  vProcessEvents(100);
  view->setFixedSize(400, 400);
  vProcessEvents(100);
  this->Viewer()->Render();
  const std::string png = std::string(VEMORA_TEST_OUTPUT_DIR) + "/MainFrame_SceneTab.png";
  ASSERT_TRUE(view->grabFramebuffer()
                .convertToFormat(QImage::Format_RGB888)
                .save(QString::fromStdString(png), "PNG"));
  EXPECT_TRUE(vComparePngWithBaseline(png, "MainFrame_SceneTab"));
}
