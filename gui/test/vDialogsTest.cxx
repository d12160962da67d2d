// The dialogs, the component and preview panels, and the Qt prompt and notifier, on a real
// workspace with the shipped modules, readers and data source.

#include "CComponentUI.h"
#include "CCreateNewLayerUI.h"
#include "CModuleInfoUI.h"
#include "CRendererInfoUI.h"
#include "CVemoraPreviewUI.h"
#include "vQtProgress.h"
#include "vQtShellNotifier.h"
#include "vQtUserPrompt.h"

#include "CT4K2EXE.h"
#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vQVFile.h"

#include "vLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"

#include "vProgress.h"
#include "vUserPrompt.h"

#include "vGuiTestSupport.h"
#include <vtkRenderWindow.h> // for the baseline helpers

#include "vRenderBaseline.h"
#include "vTempHome.h"

#include <vtkImageData.h>
#include <vtkNew.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace
{
/** A workspace with both view modules, one reader plug-in and the phantom source; Scene active
 * in the one viewing tab, showing a sphere model and a small volume. */
class vDialogs : public ::testing::Test
{
protected:
  void SetUp() override
  {
    VEMORA_SKIP_WITHOUT_DISPLAY();
    ASSERT_TRUE(vEnsureGuiApplication());
    this->Home.CopyFile(vBuiltPlugin("Modules", "vQuadviewModule"), "Modules/vQuadviewModule.so");
    this->Home.CopyFile(vBuiltPlugin("Modules", "vSceneModule"), "Modules/vSceneModule.so");
    this->Home.CopyFile(vBuiltPlugin("Soft", "vReaderSTL"), "Soft/vReaderSTL.so");
    this->Home.CopyFile(vBuiltPlugin("Hard", "vPhantomSource"), "Hard/vPhantomSource.so");
    ASSERT_EQ(this->CP.UIInit(), 0);
    this->Engine = this->CP.GetEXE();
    ASSERT_GE(this->Engine->CreateViewingTab(), 0);
    this->CP.RunModuleRoutine();
  }

  int Run(const std::string& line)
  {
    std::string word;
    std::vector<std::string> parameters;
    CT4K2EXE::PreprocCmdLine(line, word, parameters);
    return this->Console.ProcCommand(word, parameters);
  }

  /** Scene active with a sphere "sphere0" and a QV volume "cube" loaded. */
  void StartScene()
  {
    vtkNew<vtkImageData> image;
    image->SetDimensions(8, 8, 4);
    image->AllocateScalars(VTK_UNSIGNED_INT, 1);
    std::string error;
    ASSERT_TRUE(vQVFile::Write(this->Home.Sub("cube.qv"), image, error)) << error;
    this->Console.SetController(&this->CP);
    ASSERT_EQ(this->Run("new sphere 0 0 0 5"), 0) << this->Console.GetLastMessage();
    ASSERT_EQ(this->Run("open " + this->Home.Sub("cube.qv")), 0) << this->Console.GetLastMessage();
    ASSERT_EQ(this->Run("Scene"), 0);
    ASSERT_EQ(this->Run("coolstart"), 0) << this->Console.GetLastMessage();
    ASSERT_EQ(this->Run("exit"), 0);
    ASSERT_NE(this->Engine->GetModules()->GetViewer(), nullptr);
  }

  std::vector<std::string> Prompts() const { return vGetDefaultUserPrompt()->GetTexts(); }

  vTempHome Home;
  CVemoraCP CP;
  CVemoraCPEXE* Engine = nullptr;
  CT4K2EXE Console;
};

QStringList Row(QTreeWidget* list, int i)
{
  QStringList texts;
  QTreeWidgetItem* item = list->topLevelItem(i);
  for (int c = 0; item && c < list->columnCount(); ++c)
  {
    texts << item->text(c);
  }
  return texts;
}
} // namespace

TEST_F(vDialogs, NewLayerChecksTheChoiceInOrder)
{
  this->StartScene();
  CCreateNewLayerUI dialog(this->Engine);
  const std::string renderer = this->Engine->GetRenderers()->GetRendererName(1);
  ASSERT_FALSE(renderer.empty());
  EXPECT_EQ(dialog.Check("Mesh", "nosuch", renderer), "error: invalid resource");
  EXPECT_EQ(dialog.Check("", "nosuch", ""), "error: invalid resource");
  EXPECT_EQ(dialog.Check("", "sphere0", renderer), "error: invalid layer");
  EXPECT_EQ(dialog.Check("VR", "sphere0", renderer),
    "error: the resource is not supported by the selected layer");
  EXPECT_EQ(dialog.Check("Mesh", "cube", renderer),
    "error: the resource is not supported by the selected layer");
  EXPECT_EQ(dialog.Check("mesh", "sphere0", renderer),
    "error: the resource is not supported by the selected layer");
  EXPECT_EQ(dialog.Check("Mesh", "sphere0", "nosuch"), "error: invalidate renderer");
  EXPECT_EQ(dialog.Check("Landmark", "sphere0", renderer), "");
  EXPECT_EQ(dialog.Check("Vol", "cube", renderer), "");

  // OK with a bad choice shows the message and keeps the dialog open; a good one is stored.
  dialog.SetLists({ "cube", "sphere0" }, CCreateNewLayerUI::GetLayerKinds(), { renderer });
  EXPECT_EQ(dialog.GetKindBox()->currentText(), "ImageSlice");
  EXPECT_EQ(dialog.GetResourceBox()->currentText(), "cube");
  dialog.GetRendererBox()->setEditText("typed");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(this->Prompts(), std::vector<std::string>({ "error: invalidate renderer" }));
  dialog.GetRendererBox()->setEditText(QString::fromStdString(renderer));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.GetKind(), "ImageSlice");
  EXPECT_EQ(dialog.GetResource(), "cube");
  EXPECT_EQ(dialog.GetRenderer(), renderer);
}

TEST_F(vDialogs, NewLayerSuggestsTheFirstFreeName)
{
  EXPECT_EQ(CCreateNewLayerUI(this->Engine).SuggestLayerName(), "");
  this->StartScene();
  ASSERT_EQ(
    this->Run("new layer mesh sphere0 " + this->Engine->GetRenderers()->GetRendererName(1)), 0)
    << this->Console.GetLastMessage();
  ASSERT_EQ(
    this->Run("new layer mesh sphere0 " + this->Engine->GetRenderers()->GetRendererName(1)), 0);
  vViewer* viewer = this->Engine->GetModules()->GetViewer();
  ASSERT_EQ(viewer->GetNumberOfItems(), 2);
  EXPECT_EQ(CCreateNewLayerUI(this->Engine).SuggestLayerName(), "Layer_1");
  viewer->GetInput(0)->SetName("Layer_1");
  viewer->GetInput(1)->SetName("layer_2");
  EXPECT_EQ(CCreateNewLayerUI(this->Engine).SuggestLayerName(), "Layer_3");
}

TEST_F(vDialogs, RendererListAndResetCamera)
{
  this->StartScene();
  CRendererInfoUI dialog(this->Engine);
  QTreeWidget* list = dialog.GetList();
  vRendererManager* renderers = this->Engine->GetRenderers();
  ASSERT_EQ(list->topLevelItemCount(), renderers->GetNumberOfRenderer());
  EXPECT_EQ(Row(list, 0), QStringList({ "1", "main" }));
  EXPECT_EQ(Row(list, 1)[0], "2");

  dialog.ResetCamera();
  EXPECT_EQ(this->Prompts(), std::vector<std::string>({ "Please select a renderer" }));
  list->setCurrentItem(list->topLevelItem(1));
  dialog.ResetCamera();
  EXPECT_EQ(this->Prompts().size(), 1u);
}

TEST_F(vDialogs, ModuleInfoNumbersModulesReadersAndSources)
{
  const auto rows = CModuleInfoUI::GetRows(this->Engine);
  ASSERT_EQ(rows.size(), 4u);
  std::vector<std::string> types;
  for (size_t i = 0; i < rows.size(); ++i)
  {
    EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    types.push_back(rows[i][2]);
  }
  EXPECT_EQ(types, std::vector<std::string>({ "Functional", "Functional", "DSC", "IDSC" }));
  EXPECT_EQ(rows[0][1], "Quadview");
  EXPECT_EQ(rows[1][1], "Scene");
  EXPECT_EQ(rows[3][1], "Phantom");
  CModuleInfoUI dialog(this->Engine);
  EXPECT_EQ(dialog.GetList()->topLevelItemCount(), 4);
  EXPECT_EQ(dialog.GetList()->headerItem()->text(4), "Description");
  EXPECT_TRUE(CModuleInfoUI::GetRows(nullptr).empty());
}

TEST_F(vDialogs, ComponentPanelSelectsTheLastTabOfAName)
{
  CComponentUI panel;
  panel.AddTabItem(0, "Scene", nullptr);
  panel.AddTabItem(1, "Quadview", nullptr);
  panel.AddTabItem(2, "SCENE", nullptr);
  panel.SelectTab("scene");
  EXPECT_EQ(panel.currentIndex(), 2);
  panel.SelectTab("quadVIEW");
  EXPECT_EQ(panel.currentIndex(), 1);
  panel.SelectTab("nosuch");
  EXPECT_EQ(panel.currentIndex(), 1);
  for (int i = panel.GetNumberOfTabs(); i < vComponentPanel::MaximumTabs + 5; ++i)
  {
    panel.AddTabItem(i, "more", nullptr);
  }
  EXPECT_EQ(panel.GetNumberOfTabs(), vComponentPanel::MaximumTabs);

  // The facade puts module pages into it when the modules run.
  CComponentUI modules;
  this->CP.SetComponentPanel(&modules);
  this->CP.RunModuleRoutine();
  EXPECT_EQ(modules.GetNumberOfTabs(), 2);
  EXPECT_EQ(modules.tabText(0), "Quadview");
  EXPECT_EQ(modules.currentIndex(), 0);
  this->CP.SetComponentPanel(nullptr);
}

TEST_F(vDialogs, PreviewDrawsTheFirstSliceOfQVFilesOnly)
{
  vtkNew<vtkImageData> image;
  image->SetDimensions(4, 2, 3);
  image->AllocateScalars(VTK_UNSIGNED_INT, 1);
  auto* voxels = static_cast<unsigned int*>(image->GetScalarPointer());
  for (int i = 0; i < 24; ++i)
  {
    voxels[i] = static_cast<unsigned int>(i < 8 ? i * 10 : 1000); // the first slice: 0..70
  }
  std::string error;
  ASSERT_TRUE(vQVFile::Write(this->Home.Sub("small.qv"), image, error)) << error;

  CVemoraPreviewUI preview;
  preview.SetFilename(this->Home.Sub("small.qv"));
  preview.Preview();
  ASSERT_EQ(preview.GetImage().size(), QSize(4, 2));
  EXPECT_EQ(qGray(preview.GetImage().pixel(0, 0)), 0);
  EXPECT_EQ(qGray(preview.GetImage().pixel(3, 1)), 255); // the largest value of the slice
  EXPECT_EQ(qGray(preview.GetImage().pixel(1, 0)), 36);  // 10 / 70 x 255

  // Another kind of file or a missing one leaves the picture.
  preview.SetFilename(this->Home.WriteFile("model.vtk", "# vtk"));
  preview.Preview();
  preview.SetFilename(this->Home.Sub("missing.qv"));
  preview.Preview();
  EXPECT_EQ(preview.GetImage().size(), QSize(4, 2));

  // A bad header: no picture, the reader's text.
  preview.SetFilename(this->Home.WriteFile("bad.qv", std::string(9000, 'x')));
  preview.Preview();
  EXPECT_TRUE(preview.GetImage().isNull());
  EXPECT_TRUE(preview.GetMessage().startsWith("error: "));
}

TEST(vQtPlatform, FiltersBecomeQtFilters)
{
  EXPECT_EQ(vQtUserPrompt::ToQtFilter("Script Files (*.v)|*.v|All files|*.*|"),
    "Script Files (*.v) (*.v);;All files (*.*)");
  EXPECT_EQ(vQtUserPrompt::ToQtFilter("VTK (*.vtk)|*.vtk;|"), "VTK (*.vtk) (*.vtk)");
  EXPECT_EQ(vQtUserPrompt::ToQtFilter("All (*.a,*.b)|*.a;*.b;|B (*.b)| *.b||"),
    "All (*.a,*.b) (*.a *.b);;B (*.b) (*.b)");
  EXPECT_EQ(vQtUserPrompt::ToQtFilter(""), "");
}

TEST(vQtPlatform, NoticesArriveInOrderAfterThePosterReturns)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  ASSERT_TRUE(vEnsureGuiApplication());
  vQtShellNotifier notifier;
  std::vector<std::pair<int, QString>> received;
  QObject::connect(&notifier,
    &vQtShellNotifier::Notice,
    [&received](int code, const QString& text) { received.emplace_back(code, text); });
  vShellNotifier::Install(&notifier);
  vShellNotifier::Get()->Post(vShellNotifier::RefreshLayerProperties);
  vShellNotifier::Get()->Post(vShellNotifier::ConsoleText, "picked");
  vShellNotifier::Get()->Post(vShellNotifier::RefreshTitle);
  vShellNotifier::Install(nullptr);
  EXPECT_TRUE(received.empty());
  vProcessEvents(20);
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].first, 1225);
  EXPECT_EQ(received[1], std::make_pair(1226, QString("picked")));
  EXPECT_EQ(received[2].first, 1224);
}

TEST(vQtPlatform, ProgressShowsAfterAWhileAndCancels)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  ASSERT_TRUE(vEnsureGuiApplication());
  QWidget window;
  auto* progress = new vQtProgress(&window);
  auto* other = new QLineEdit(&window);
  window.show();
  vProgress::Install(progress);
  {
    vProgressScope read("Reading a series");
    EXPECT_TRUE(progress->IsRunning());
    EXPECT_TRUE(vProgressScope::Report(1, 300));
    EXPECT_FALSE(progress->isVisible()); // quick reads show nothing
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < vQtProgress::ShowAfter + 100)
    {
      EXPECT_TRUE(vProgressScope::Report(150, 300));
    }
    vProcessEvents(vProgressScope::Interval.count() + 10);
    EXPECT_TRUE(vProgressScope::Report(150, 300));
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->GetBar()->value(), 500);
    // Typing elsewhere waits; Cancel stops the read, and it stays stopped.
    QTest::keyClicks(other, "abc");
    EXPECT_EQ(other->text(), "");
    QTest::mouseClick(progress->GetCancelButton(), Qt::LeftButton);
    vProcessEvents(vProgressScope::Interval.count() + 10);
    EXPECT_FALSE(vProgressScope::Report(200, 300));
    EXPECT_TRUE(vProgressScope::Cancelled());
  }
  EXPECT_FALSE(progress->IsRunning());
  EXPECT_FALSE(progress->isVisible());
  EXPECT_FALSE(vProgressScope::Cancelled());
  QTest::keyClicks(other, "abc");
  EXPECT_EQ(other->text(), "abc");

  // Escape cancels too; a nested scope sees the same cancellation.
  {
    vProgressScope open("Opening");
    vProgressScope series("Reading a series");
    QTest::keyClick(other, Qt::Key_Escape);
    vProcessEvents(vProgressScope::Interval.count() + 10);
    vProgressScope::Report(1, 2);
    vProcessEvents(vProgressScope::Interval.count() + 10);
    EXPECT_FALSE(vProgressScope::Report(1, 2));
  }
  vProgress::Install(nullptr);
  // Without a reporter nothing is cancelled.
  vProgressScope quiet("Reading");
  EXPECT_TRUE(vProgressScope::Report(1, 2));
}
