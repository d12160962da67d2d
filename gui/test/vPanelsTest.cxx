// The workspace tree, the layer panel, the property grid and the transform, contrast and slice
// dialogs, on a real workspace (the shipped modules and data source) with real data files.

#include "CContrastUI.h"
#include "CMatrixUI.h"
#include "CPropertyUI.h"
#include "CVemoraCPUI.h"
#include "CVemoraLayerUI.h"
#include "vIconSet.h"
#include "vWindowLevelDrag.h"

#include "CT4K2EXE.h"
#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraMatrices.h"
#include "CVemoraModules.h"
#include "vPropertyEdits.h"

#include "vDataResource.h"
#include "vDataResourceFake.h"
#include "vImageLayer.h"
#include "vLayer.h"
#include "vMesh3DLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"
#include "vVolumeResource.h"

#include "vUserPrompt.h"
#include "vUtil.h"

#include "vQVFile.h"

#include "vGuiTestSupport.h"
#include <vtkRenderWindow.h> // for the baseline helpers

#include "vRenderBaseline.h"
#include "vTempHome.h"

#include <vtkActor.h>
#include <vtkCallbackCommand.h>
#include <vtkCamera.h>
#include <vtkImageData.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkProperty.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkUnsignedCharArray.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace
{
/** Counts the renders of a window while it lives. */
class vRenderCounter
{
public:
  explicit vRenderCounter(vtkRenderWindow* window)
    : Window(window)
  {
    this->Callback->SetClientData(&this->Count);
    this->Callback->SetCallback(
      [](vtkObject*, unsigned long, void* count, void*) { ++*static_cast<int*>(count); });
    this->Tag = window->AddObserver(vtkCommand::StartEvent, this->Callback);
  }
  ~vRenderCounter() { this->Window->RemoveObserver(this->Tag); }
  vRenderCounter(const vRenderCounter&) = delete;
  vRenderCounter& operator=(const vRenderCounter&) = delete;
  int Count = 0;

private:
  vtkRenderWindow* Window;
  vtkNew<vtkCallbackCommand> Callback;
  unsigned long Tag = 0;
};

/** The rendered pixels of a window (for "the picture changed"). */
std::vector<unsigned char> Pixels(vtkRenderWindow* window)
{
  window->Render();
  vtkNew<vtkUnsignedCharArray> data;
  const int* size = window->GetSize();
  window->GetPixelData(0, 0, size[0] - 1, size[1] - 1, 1, data);
  const unsigned char* begin = data->GetPointer(0);
  return std::vector<unsigned char>(begin, begin + data->GetNumberOfValues());
}

/** A workspace with both view modules and the phantom source, one viewing tab, and the panels. */
class vPanels : public ::testing::Test
{
protected:
  void SetUp() override
  {
    VEMORA_SKIP_WITHOUT_DISPLAY();
    ASSERT_TRUE(vEnsureGuiApplication());
    this->Home.CopyFile(vBuiltPlugin("Modules", "vQuadviewModule"), "Modules/vQuadviewModule.so");
    this->Home.CopyFile(vBuiltPlugin("Modules", "vSceneModule"), "Modules/vSceneModule.so");
    this->Home.CopyFile(vBuiltPlugin("Hard", "vPhantomSource"), "Hard/vPhantomSource.so");
    this->Home.WriteFile("local/case1/notes.txt", "x");
    ASSERT_EQ(this->CP.UIInit(), 0);
    this->Engine = this->CP.GetEXE();
    ASSERT_GE(this->Engine->CreateViewingTab(), 0);
    this->CP.RunModuleRoutine();
    this->Console.SetController(&this->CP);
    this->Grid = std::make_unique<CPropertyUI>();
    this->Grid->SetEngine(this->Engine);
    this->Tree = std::make_unique<CVemoraCPUI>(&this->CP);
    this->Tree->SetPropertyUI(this->Grid.get());
    this->Layers = std::make_unique<CVemoraLayerUI>(this->Engine);
    this->Layers->SetPropertyUI(this->Grid.get());
    vGetDefaultUserPrompt()->Reset();
    vGetDefaultUserPrompt()->SetEcho(false);
  }

  void TearDown() override
  {
    vGetDefaultUserPrompt()->Reset();
    this->Layers.reset();
    this->Tree.reset();
    this->Grid.reset();
  }

  /** A console line alone, without the panels' refresh. */
  int Raw(const std::string& line)
  {
    std::string word;
    std::vector<std::string> parameters;
    CT4K2EXE::PreprocCmdLine(line, word, parameters);
    return this->Console.ProcCommand(word, parameters);
  }

  int Run(const std::string& line)
  {
    const int result = this->Raw(line);
    this->Tree->SyncWithWorkspace(); // as the main window does after every command
    this->Layers->UpdateUI();
    return result;
  }

  /** Loads a file through the tree's load button (the prompt answers the file dialog). */
  void Load(const std::string& path)
  {
    vGetDefaultUserPrompt()->QueuePath(path);
    this->Tree->LoadFile();
  }

  QStringList Children(int root) const
  {
    QStringList names;
    QTreeWidgetItem* item = this->Tree->GetRoot(root);
    for (int i = 0; item && i < item->childCount(); ++i)
    {
      names << item->child(i)->text(0);
    }
    return names;
  }

  /** skin.vtk in the Scene module, its layer selected in the layer panel. */
  vLayer* SkinLayer()
  {
    this->Load(vTestData("mesh/vtk/skin.vtk"));
    EXPECT_TRUE(this->Tree->Select("skin", CVemoraCPUI::Meshes));
    this->Tree->StartModule("Scene");
    this->Layers->UpdateUI();
    vViewer* viewer = this->Engine->GetModules()->GetViewer();
    EXPECT_NE(viewer, nullptr);
    if (!viewer || viewer->GetNumberOfItems() < 1)
    {
      return nullptr;
    }
    vLayer* layer = viewer->GetInput(viewer->SearchResource("skin"));
    EXPECT_TRUE(this->Layers->Select(QString::fromStdString(layer->GetName())));
    return layer;
  }

  QTreeWidgetItem* Row(const char* name) { return this->Grid->FindRow(QString::fromLatin1(name)); }

  std::vector<std::string> Prompts() const { return vGetDefaultUserPrompt()->GetTexts(); }

  vTempHome Home;
  CVemoraCP CP;
  CVemoraCPEXE* Engine = nullptr;
  CT4K2EXE Console;
  std::unique_ptr<CPropertyUI> Grid;
  std::unique_ptr<CVemoraCPUI> Tree;
  std::unique_ptr<CVemoraLayerUI> Layers;
};
} // namespace

TEST_F(vPanels, TreeShowsTheWorkspaceAndFollowsEveryChange)
{
  QTreeWidget* tree = this->Tree->GetTree();
  ASSERT_GE(tree->topLevelItemCount(), 7);
  const QStringList roots = { "Meshes",
    "Markers",
    "PointCloud",
    "Images",
    "Recent Files",
    "LocalRepository",
    "Hardware [0] Phantom" };
  for (int i = 0; i < roots.size(); ++i)
  {
    EXPECT_EQ(tree->topLevelItem(i)->text(0), roots[i]);
    EXPECT_FALSE(tree->topLevelItem(i)->icon(0).isNull());
  }
  EXPECT_EQ(this->Children(CVemoraCPUI::LocalRepository), QStringList({ "case1" }));
  ASSERT_EQ(this->Tree->GetModuleButtons().size(), 2u);
  EXPECT_EQ(this->Tree->GetModuleButtons()[1]->text(), "Scene");

  // Files through the load button: a surface and a DICOM series file; both become recent files.
  this->Load(vTestData("mesh/vtk/skin.vtk"));
  this->Load(vTestData("dicom/series-mr-forearm-3/1-1.dcm"));
  EXPECT_EQ(this->Children(CVemoraCPUI::Meshes), QStringList({ "skin" }));
  EXPECT_EQ(this->Children(CVemoraCPUI::Images), QStringList({ "1-1" }));
  EXPECT_EQ(this->Children(CVemoraCPUI::RecentFiles), QStringList({ "skin", "1-1" }));

  // The console's sphere, surface and removal.
  ASSERT_EQ(this->Run("new sphere 0 0 0 5"), 0) << this->Console.GetLastMessage();
  const QString sphere = QString::fromStdString(this->Engine->GetModel()->GetLastDataName());
  EXPECT_EQ(this->Children(CVemoraCPUI::Meshes), QStringList({ "skin", sphere }));
  vtkNew<vtkImageData> cube;
  cube->SetDimensions(12, 12, 12);
  cube->AllocateScalars(VTK_UNSIGNED_INT, 1);
  auto* voxels = static_cast<unsigned int*>(cube->GetScalarPointer());
  for (int i = 0; i < 12 * 12 * 12; ++i)
  {
    const int x = i % 12 - 6, y = i / 12 % 12 - 6, z = i / 144 - 6;
    voxels[i] = x * x + y * y + z * z < 16 ? 200u : 0u;
  }
  std::string error;
  ASSERT_TRUE(vQVFile::Write(this->Home.Sub("blob.qv"), cube, error)) << error;
  this->Load(this->Home.Sub("blob.qv"));
  ASSERT_EQ(this->Run("mc blob 100 0 0"), 0) << this->Console.GetLastMessage();
  EXPECT_EQ(this->Children(CVemoraCPUI::Meshes), QStringList({ "skin", sphere }));
  EXPECT_EQ(this->Children(CVemoraCPUI::Markers), QStringList({ "blobMesh" })); // an empty surface
  ASSERT_EQ(this->Run("rm skin"), 0) << this->Console.GetLastMessage();
  EXPECT_EQ(this->Children(CVemoraCPUI::Meshes), QStringList({ sphere }));
  ASSERT_EQ(this->Run("rm 1-1"), 0);
  EXPECT_EQ(this->Children(CVemoraCPUI::Images), QStringList({ "blob" }));

  // Delete key: No keeps the item, Yes removes it from the tree and the workspace.
  ASSERT_TRUE(this->Tree->Select(sphere, CVemoraCPUI::Meshes));
  vGetDefaultUserPrompt()->QueueAnswer(false);
  this->Tree->RemoveSelectedItem();
  EXPECT_EQ(this->Prompts().back(), "Are you sure to remove object " + sphere.toStdString() + "?");
  EXPECT_GE(this->Engine->GetModel()->Find(sphere.toStdString()), 0);
  EXPECT_TRUE(this->Children(CVemoraCPUI::Meshes).contains(sphere));
  ASSERT_TRUE(this->Tree->Select(sphere, CVemoraCPUI::Meshes));
  vGetDefaultUserPrompt()->QueueAnswer(true);
  this->Tree->RemoveSelectedItem();
  EXPECT_LT(this->Engine->GetModel()->Find(sphere.toStdString()), 0);
  EXPECT_TRUE(this->Children(CVemoraCPUI::Meshes).isEmpty());
  EXPECT_EQ(this->Children(CVemoraCPUI::Markers), QStringList({ "blobMesh" }));
  // Roots stay.
  ASSERT_TRUE(this->Tree->Select("Meshes"));
  this->Tree->RemoveSelectedItem();
  EXPECT_EQ(tree->topLevelItem(0)->text(0), "Meshes");
}

TEST_F(vPanels, SelectionFillsTheGridAndButtonsFollowTheirFlow)
{
  ASSERT_TRUE(this->Tree->Select("Markers"));
  EXPECT_EQ(this->Grid->GetGroupName(0), "QOVA");
  EXPECT_EQ(this->Grid->GetValue(this->Row("Name")), "Points");
  EXPECT_EQ(this->Grid->GetValue(this->Row("IsA")), "Category");
  ASSERT_TRUE(this->Tree->Select("notes.txt"));
  EXPECT_EQ(this->Grid->GetValue(this->Row("Filename")),
    QString::fromStdString(this->Home.Sub("local/case1/notes.txt")));
  ASSERT_TRUE(this->Tree->Select("Hardware [0] Phantom"));
  EXPECT_EQ(this->Grid->GetValue(this->Row("Name")), "Phantom");
  EXPECT_TRUE(this->Grid->GetValue(this->Row("Filename")).endsWith("vPhantomSource.so"));

  // A data item without a viewer: a "Resource" record.
  this->Load(vTestData("mesh/vtk/skin.vtk"));
  ASSERT_TRUE(this->Tree->Select("skin", CVemoraCPUI::Meshes));
  EXPECT_EQ(this->Grid->GetValue(this->Row("IsA")), "Resource");

  // Module buttons: "add" by the selected item; another module asks to clear the viewer.
  this->Tree->StartModule("Scene");
  vViewer* viewer = this->Engine->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_GE(viewer->SearchResource("skin"), 0);
  ASSERT_TRUE(this->Tree->Select("skin", CVemoraCPUI::Meshes));
  EXPECT_EQ(this->Grid->GetNumberOfGroups(), 2); // the viewer, then the layer showing skin
  EXPECT_EQ(this->Grid->GetGroupName(0), "Viewer");
  EXPECT_EQ(this->Grid->GetGroupName(1), "MeshLayer");
  vGetDefaultUserPrompt()->QueueAnswer(false);
  this->Tree->StartModule("Quadview");
  EXPECT_EQ(this->Prompts().back(), "Clear current viewer?");
  EXPECT_EQ(this->Engine->GetModules()->GetViewer(), viewer);

  // Without a viewing tab nothing starts.
  this->Engine->ViewingTabMinusMinus();
  this->Tree->StartModule("Quadview");
  EXPECT_EQ(this->Prompts().back(),
    "error: no viewing tab available, please create a new one by using ctrl + N");
  this->Engine->ViewingTabPlusPlus();
}

TEST_F(vPanels, GridRowsEditTheLayerAndRenderOnce)
{
  vLayer* layer = this->SkinLayer();
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(this->Grid->GetGroupName(0), "MeshLayer");
  EXPECT_EQ(this->Grid->GetValue(this->Row("IsA")), "MeshLayer");
  EXPECT_EQ(this->Grid->GetEditor(this->Row("IsA")), nullptr);
  EXPECT_EQ(this->Row("Text Size"), nullptr); // "null" values get no row

  // Opacity: 0.37 shows the slider at 37; 50 sets 0.5 with one render.
  layer->SetOpacity(0.37);
  ASSERT_TRUE(this->Layers->Select(QString::fromStdString(layer->GetName())));
  auto* slider = qobject_cast<QSlider*>(this->Grid->GetEditor(this->Row("Opacity")));
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->value(), 37);
  vtkRenderWindow* window = layer->GetRenderWindow();
  ASSERT_NE(window, nullptr);
  {
    vRenderCounter renders(window);
    slider->setValue(50);
    EXPECT_DOUBLE_EQ(layer->GetProperty()->GetOpacity(), 0.5);
    EXPECT_EQ(renders.Count, 1);
  }

  // Representation and colour change the picture; each edit renders once.
  const std::vector<unsigned char> before = Pixels(window);
  auto* representation =
    qobject_cast<QComboBox*>(this->Grid->GetEditor(this->Row("Representation")));
  ASSERT_NE(representation, nullptr);
  EXPECT_EQ(representation->count(), 3);
  {
    vRenderCounter renders(window);
    EXPECT_TRUE(this->Grid->EditValue(this->Row("Representation"), "Wireframe"));
    EXPECT_EQ(renders.Count, 1);
  }
  EXPECT_EQ(layer->GetProperty()->GetRepresentation(), 1);
  const std::vector<unsigned char> wireframe = Pixels(window);
  EXPECT_NE(wireframe, before);
  EXPECT_FALSE(this->Grid->EditValue(this->Row("Representation"), "Curly"));
  ASSERT_NE(this->Row("Color"), nullptr);
  EXPECT_TRUE(this->Grid->EditColour(this->Row("Color"), QColor(255, 0, 51)));
  double rgb[3];
  layer->GetProperty()->GetColor(rgb);
  EXPECT_DOUBLE_EQ(rgb[0], 1.0);
  EXPECT_DOUBLE_EQ(rgb[2], 0.2);
  EXPECT_EQ(this->Grid->GetValue(this->Row("Color")), "255, 0, 51");
  EXPECT_NE(Pixels(window), wireframe);

  // Slice rows: one number, three numbers, or no row.
  const int one[3] = { 12, -999, -999 };
  const int three[3] = { 12, 30, 7 };
  const int none[3] = { -1, 0, 0 };
  layer->GetProperty()->SetSlice(one);
  this->Layers->UpdateUI();
  EXPECT_EQ(this->Grid->GetValue(this->Row("Slice")), "12");
  layer->GetProperty()->SetSlice(three);
  this->Layers->UpdateUI();
  EXPECT_EQ(this->Grid->GetValue(this->Row("Slice")), "12, 30, 7");
  layer->GetProperty()->SetSlice(none);
  this->Layers->UpdateUI();
  EXPECT_EQ(this->Row("Slice"), nullptr);

  // The viewer's rows act on the viewer.
  ASSERT_TRUE(this->Layers->Select("View"));
  EXPECT_EQ(this->Grid->GetGroupName(0), "Viewer");
}

TEST_F(vPanels, RangeRulesOfTextSizeAndSize)
{
  vLayer* skin = this->SkinLayer();
  ASSERT_NE(skin, nullptr);
  const std::string renderer = this->Engine->GetRenderers()->GetRendererName(1);
  ASSERT_EQ(this->Run("new layer text title a b c " + renderer), 0)
    << this->Console.GetLastMessage();
  this->Load(this->Home.WriteFile("marks.vtk",
    "# vtk DataFile Version 3.0\nmarks\nASCII\nDATASET POLYDATA\nPOINTS 3 float\n"
    "0 0 0 1 0 0 0 1 0\n"));
  EXPECT_EQ(this->Children(CVemoraCPUI::Markers), QStringList({ "marks" }));
  ASSERT_EQ(this->Run("new layer landmark marks " + renderer), 0) << this->Console.GetLastMessage();
  vViewer* viewer = this->Engine->GetModules()->GetViewer();
  vLayer* text = nullptr;
  vLayer* landmark = nullptr;
  for (int i = 0; i < viewer->GetNumberOfItems(); ++i)
  {
    vLayer* layer = viewer->GetInput(i);
    text = layer->isA("TextLayer") ? layer : text;
    landmark = layer->isA("LandmarkLayer") ? layer : landmark;
  }
  ASSERT_NE(text, nullptr);
  ASSERT_NE(landmark, nullptr);
  const int size = text->GetProperty()->GetTextSize();
  EXPECT_FALSE(vPropertyEdits::Apply(text, "Text Size", "65"));
  EXPECT_FALSE(vPropertyEdits::Apply(text, "Text Size", "0"));
  EXPECT_FALSE(vPropertyEdits::Apply(text, "Text Size", "big"));
  EXPECT_EQ(text->GetProperty()->GetTextSize(), size);
  EXPECT_TRUE(vPropertyEdits::Apply(text, "Text Size", "64"));
  EXPECT_EQ(text->GetProperty()->GetTextSize(), 64);
  // Through the grid once the row exists (the item of the last layer: names may repeat).
  QTreeWidgetItem* view = this->Layers->GetTree()->topLevelItem(0);
  for (int i = 0; i < view->childCount(); ++i)
  {
    if (viewer->GetInput(i) == text)
    {
      this->Layers->GetTree()->setCurrentItem(view->child(i));
    }
  }
  ASSERT_NE(this->Row("Text Size"), nullptr)
    << this->Grid->GetGroupName(0).toStdString() << " " << text->GetName() << " "
    << this->Grid->GetTree()->topLevelItem(0)->childCount();
  EXPECT_FALSE(this->Grid->EditValue(this->Row("Text Size"), "65"));
  EXPECT_TRUE(this->Grid->EditValue(this->Row("Text Size"), "20"));
  EXPECT_EQ(text->GetProperty()->GetTextSize(), 20);

  EXPECT_TRUE(vPropertyEdits::Apply(landmark, "Size", "0"));
  EXPECT_DOUBLE_EQ(landmark->GetProperty()->GetSize(), 0.0);
  EXPECT_FALSE(vPropertyEdits::Apply(landmark, "Size", "-1"));
  EXPECT_DOUBLE_EQ(landmark->GetProperty()->GetSize(), 0.0);
  // An operation the class does not have does nothing.
  EXPECT_FALSE(vPropertyEdits::Apply(skin, "Text Size", "12"));
  EXPECT_FALSE(vPropertyEdits::Apply(skin, "Size", "3"));
}

TEST_F(vPanels, TransformDialogMovesTheLayerFromItsBase)
{
  vLayer* layer = this->SkinLayer();
  ASSERT_NE(layer, nullptr);
  ASSERT_NE(this->Row("Transform"), nullptr);
  EXPECT_EQ(this->Grid->GetValue(this->Row("Transform")), "False");
  double matrix[16];

  // X to 60 on the identity: (0,3) = 10, the actor moves; then X to 55 gives 5 (no sum); OK.
  this->Grid->SetDialogRunner(
    [&](QDialog& dialog)
    {
      auto& transform = static_cast<CMatrixUI&>(dialog);
      transform.GetSlider(0)->setValue(60);
      EXPECT_EQ(transform.GetField(3)->text(), "10.000000");
      EXPECT_EQ(transform.GetField(0)->text(), "1.000000");
      EXPECT_EQ(transform.GetValueField(0)->text(), "10");
      layer->GetTransform(matrix);
      EXPECT_DOUBLE_EQ(matrix[3], 10.0);
      transform.GetSlider(0)->setValue(55);
      EXPECT_EQ(transform.GetField(3)->text(), "5.000000");
      return static_cast<int>(QDialog::Accepted);
    });
  EXPECT_TRUE(this->Grid->OpenDialog(this->Row("Transform")));
  EXPECT_EQ(this->Grid->GetValue(this->Row("Transform")), "True");
  layer->GetTransform(matrix);
  EXPECT_DOUBLE_EQ(matrix[3], 5.0);
  auto* mesh = dynamic_cast<vMesh3DLayer*>(layer);
  ASSERT_NE(mesh, nullptr);

  // Rotation slider at 270 is +90 degrees about x; Cancel keeps the layer moved, not the row.
  const double identity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  layer->SetTransform(const_cast<double*>(identity));
  this->Layers->UpdateUI();
  EXPECT_EQ(this->Grid->GetValue(this->Row("Transform")), "False");
  this->Grid->SetDialogRunner(
    [&](QDialog& dialog)
    {
      auto& transform = static_cast<CMatrixUI&>(dialog);
      transform.GetSlider(3)->setValue(270);
      EXPECT_EQ(transform.GetValueField(3)->text(), "90");
      EXPECT_EQ(transform.GetField(6)->text(), "1.000000");  // (1,2) = s1 c2
      EXPECT_EQ(transform.GetField(9)->text(), "-1.000000"); // (2,1) = -s1 c3
      transform.GetSlider(3)->setValue(1);
      EXPECT_EQ(transform.GetValueField(3)->text(), "-179");
      return static_cast<int>(QDialog::Rejected);
    });
  EXPECT_FALSE(this->Grid->OpenDialog(this->Row("Transform")));
  EXPECT_EQ(this->Grid->GetValue(this->Row("Transform")), "False");
  layer->GetTransform(matrix);
  EXPECT_NEAR(matrix[5], std::cos(-179 * CMatrixUI::Pi / 180), 1e-6);
}

TEST(vTransformDialog, ResetLoadAndSaveMatrixFiles)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  ASSERT_TRUE(vEnsureGuiApplication());
  vTempHome home;
  vGetDefaultUserPrompt()->Reset();
  vGetDefaultUserPrompt()->SetEcho(false);
  CMatrixUI dialog;
  const double base[16] = { 2, 0, 0, 1, 0, 2, 0, 2, 0, 0, 2, 3, 0, 0, 0, 1 };
  dialog.SetBaseMatrix(base);
  dialog.GetSlider(1)->setValue(51);
  EXPECT_EQ(dialog.GetField(7)->text(), "4.000000"); // base x S: 2 * 1 + 2

  // Save writes the fields to the name chosen, without adding an extension; Load reads it back.
  const std::string saved = home.Sub("moved");
  vGetDefaultUserPrompt()->QueuePath(saved);
  dialog.Save();
  EXPECT_EQ(vGetDefaultUserPrompt()->GetRecords().back().Text, "Matrix (*.mat) | *.mat|");
  dialog.Reset();
  EXPECT_EQ(dialog.GetField(7)->text(), "0.000000");
  EXPECT_EQ(dialog.GetSlider(1)->value(), 50);
  vGetDefaultUserPrompt()->QueuePath(saved);
  dialog.Load();
  EXPECT_EQ(dialog.GetField(7)->text(), "4.000000");

  // Files that do not parse: not a matrix file changes nothing; "nan" values are refused.
  vGetDefaultUserPrompt()->QueuePath(home.WriteFile("junk.mat", "\x01\x02binary\n"));
  dialog.Load();
  EXPECT_EQ(dialog.GetField(7)->text(), "4.000000");
  vGetDefaultUserPrompt()->QueuePath(
    home.WriteFile("nan.mat", "MATRIX 4 x 4\nnan 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n"));
  dialog.Load();
  EXPECT_EQ(dialog.GetField(0)->text(), "2.000000");
  EXPECT_EQ(vGetDefaultUserPrompt()->GetTexts().back().rfind("The matrix file holds", 0), 0u);
  dialog.GetField(0)->setText("abc");
  dialog.accept();
  double back[16];
  dialog.GetBaseMatrix(back);
  EXPECT_EQ(back[0], 0.0); // a field that is not a number reads as 0
  vGetDefaultUserPrompt()->Reset();
}

TEST_F(vPanels, DialogRowsOnAVolumeAndTheirBadInput)
{
  this->Load(vTestData("dicom/series-mr-epi-sag-63/5001001.dcm"));
  const QStringList images = this->Children(CVemoraCPUI::Images);
  ASSERT_EQ(images.size(), 1);
  ASSERT_TRUE(this->Tree->Select(images[0], CVemoraCPUI::Images));
  this->Tree->StartModule("Scene");
  this->Layers->UpdateUI();
  vViewer* viewer = this->Engine->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);
  const int index = viewer->SearchResource(images[0].toStdString());
  ASSERT_GE(index, 0);
  auto* layer = dynamic_cast<vImageLayer*>(viewer->GetInput(index));
  ASSERT_NE(layer, nullptr);
  ASSERT_TRUE(this->Layers->Select(QString::fromStdString(layer->GetName())));

  // Contrast: Auto takes the 1st to 99th percentile; OK shows the window.
  double range[2];
  layer->GetScalarRange(range);
  ASSERT_NE(this->Row("Contrast"), nullptr);
  double automatic[2] = { 0, 0 };
  this->Grid->SetDialogRunner(
    [&](QDialog& dialog)
    {
      auto& contrast = static_cast<CContrastUI&>(dialog);
      contrast.Auto();
      contrast.GetWindow(automatic);
      return static_cast<int>(QDialog::Accepted);
    });
  EXPECT_TRUE(this->Grid->OpenDialog(this->Row("Contrast")));
  EXPECT_GT(automatic[1], automatic[0]);
  EXPECT_LT(automatic[1], range[1]); // bright outliers are cut off
  EXPECT_EQ(this->Grid->GetValue(this->Row("Contrast")),
    QString::asprintf("[%.1f, %.1f]", automatic[0], automatic[1]));
  double window[2];
  layer->GetProperty()->GetContrast(window);
  EXPECT_EQ(window[0], automatic[0]);

  // Slice: the slider moves the layer of a 12-slice volume; OK shows the slice.
  vtkNew<vtkImageData> cube;
  cube->SetDimensions(6, 6, 12);
  cube->AllocateScalars(VTK_UNSIGNED_INT, 1);
  std::string error;
  ASSERT_TRUE(vQVFile::Write(this->Home.Sub("cube.qv"), cube, error)) << error;
  this->Load(this->Home.Sub("cube.qv"));
  ASSERT_TRUE(this->Tree->Select("cube", CVemoraCPUI::Images));
  this->Tree->StartModule("Scene");
  this->Layers->UpdateUI();
  vLayer* cubeLayer = viewer->GetInput(viewer->SearchResource("cube"));
  ASSERT_NE(cubeLayer, nullptr);
  QTreeWidgetItem* view = this->Layers->GetTree()->topLevelItem(0);
  this->Layers->GetTree()->setCurrentItem(view->child(viewer->Find(cubeLayer)));
  ASSERT_NE(this->Row("Slice"), nullptr);
  this->Grid->SetDialogRunner(
    [&](QDialog& dialog)
    {
      QSlider* slider = dialog.findChild<QSlider*>("Slice0");
      EXPECT_NE(slider, nullptr);
      if (slider)
      {
        EXPECT_EQ(slider->maximum(), 11);
        slider->setValue(3);
      }
      return static_cast<int>(QDialog::Accepted);
    });
  EXPECT_TRUE(this->Grid->OpenDialog(this->Row("Slice")));
  EXPECT_EQ(cubeLayer->GetProperty()->GetSliceX(), 3);
  EXPECT_TRUE(this->Grid->GetValue(this->Row("Slice")).startsWith("3"))
    << this->Grid->GetValue(this->Row("Slice")).toStdString();
  this->Layers->GetTree()->setCurrentItem(view->child(index));

  // The volume leaves the workspace: the dialogs refuse with a message.
  ASSERT_EQ(this->Engine->Remove(images[0].toStdString()), 0);
  this->Grid->SetDialogRunner([](QDialog&) { return static_cast<int>(QDialog::Accepted); });
  EXPECT_FALSE(this->Grid->OpenDialog(this->Row("Contrast")));
  EXPECT_NE(this->Prompts().back().find("is no longer in the workspace"), std::string::npos);
}

TEST_F(vPanels, ColorMapFilesAndRowsOfRemovedLayers)
{
  vLayer* layer = this->SkinLayer();
  ASSERT_NE(layer, nullptr);
  ASSERT_NE(this->Row("IsA"), nullptr);
  // The colour-map row shows only once the set has a colour map: drive the edit directly.
  auto colorMap = [&](const std::string& path)
  {
    std::vector<double> values;
    const int count = vPropertyEdits::ReadColorMap(path, values);
    return std::make_pair(count, vPropertyEdits::ApplyColorMap(layer, values.data(), count));
  };
  EXPECT_EQ(colorMap(this->Home.Sub("missing.txt")).first, -1);
  EXPECT_EQ(colorMap(this->Home.WriteFile("empty.txt", "")).first, 0);
  EXPECT_EQ(
    colorMap(this->Home.WriteFile("binary.txt", std::string("\0\xff\x10\n\x02", 5))).first, 0);
  std::string longer = "102500\n";
  for (int i = 0; i < 102500; ++i)
  {
    longer += "1\n";
  }
  const auto big = colorMap(this->Home.WriteFile("long.txt", longer));
  EXPECT_EQ(big.first, vPropertyEdits::ColorMapCapacity);
  EXPECT_TRUE(big.second);

  // The layer is removed from the console while its rows are shown: an edit does not reach it.
  QTreeWidgetItem* opacity = this->Row("Opacity");
  ASSERT_NE(opacity, nullptr);
  ASSERT_EQ(this->Raw("rm " + layer->GetName()), 0);
  EXPECT_FALSE(this->Grid->EditOpacity(opacity, 20));
  EXPECT_EQ(this->Grid->GetNumberOfGroups(), 0);
  EXPECT_NE(this->Prompts().back().find("no longer in the viewer"), std::string::npos);
}

TEST_F(vPanels, LayerPanelDeletesLayersAndCopesWith128)
{
  EXPECT_EQ(this->Layers->GetTree()->topLevelItem(0)->child(0)->text(0), "No Layers");
  ASSERT_TRUE(this->Layers->Select("No Layers"));
  this->Layers->RemoveSelectedItem();
  EXPECT_EQ(this->Prompts().back(), "You want to delete 'No Layers'???");
  ASSERT_TRUE(this->Layers->Select("View"));
  EXPECT_EQ(this->Grid->GetValue(this->Row("Name")), "Empty Viewer");

  vLayer* layer = this->SkinLayer();
  ASSERT_NE(layer, nullptr);
  const QString name = QString::fromStdString(layer->GetName());
  vGetDefaultUserPrompt()->QueueAnswer(false);
  this->Layers->RemoveSelectedItem();
  EXPECT_EQ(this->Prompts().back(), "Are you sure to remove layer" + name.toStdString());
  EXPECT_GT(this->Grid->GetNumberOfGroups(), 0);
  // The last layer goes while its properties are shown: no row is left.
  vGetDefaultUserPrompt()->QueueAnswer(true);
  this->Layers->RemoveSelectedItem();
  vViewer* viewer = this->Engine->GetModules()->GetViewer();
  EXPECT_EQ(viewer->GetNumberOfItems(), 0);
  EXPECT_EQ(this->Grid->GetNumberOfGroups(), 0);
  EXPECT_EQ(this->Layers->GetTree()->topLevelItem(0)->child(0)->text(0), "No Layers");

  // 128 layers, and a tree of 128 models and 128 volumes (further items are refused).
  const std::string renderer = this->Engine->GetRenderers()->GetRendererName(1);
  this->Load(this->Home.WriteFile("tri.vtk",
    "# vtk DataFile Version 3.0\ntri\nASCII\nDATASET POLYDATA\nPOINTS 3 float\n"
    "0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4\n3 0 1 2\n"));
  for (int i = 0; i < 130; ++i)
  {
    this->Raw("new sphere 0 0 " + std::to_string(i) + " 1");
  }
  vtkNew<vtkImageData> image;
  image->SetDimensions(2, 2, 2);
  image->AllocateScalars(VTK_UNSIGNED_INT, 1);
  for (int i = 0; i < 130; ++i)
  {
    const int added = this->Engine->GetVolume()->AddData(image);
    if (added >= 0)
    {
      this->Engine->GetVolume()->SetDataName(added, "v" + std::to_string(i));
    }
  }
  ASSERT_EQ(this->Raw("new layer mesh tri " + renderer), 0) << this->Console.GetLastMessage();
  vDataResource* models = this->Engine->GetModel();
  for (int i = 1; i < 130; ++i)
  {
    // As the console's "new layer" does, without drawing the growing scene each time.
    auto extra = std::make_unique<vMesh3DLayer>();
    std::unique_ptr<vDataResourceFake> copy(models->GetDataFake(models->Find("tri")));
    extra->AddInput(copy.get());
    const int added = viewer->AddInput(extra.get());
    EXPECT_EQ(added >= 0, i < vViewer::MaxNumberOfLayers);
    if (added >= 0)
    {
      static_cast<void>(extra.release()); // the viewer owns it
    }
  }
  this->Tree->SyncWithWorkspace();
  this->Layers->UpdateUI();
  EXPECT_EQ(
    this->Children(CVemoraCPUI::Meshes).size() + this->Children(CVemoraCPUI::Markers).size(), 128);
  EXPECT_EQ(this->Children(CVemoraCPUI::Images).size(), 128);
  ASSERT_EQ(this->Layers->GetTree()->topLevelItem(0)->childCount(), vViewer::MaxNumberOfLayers);
  ASSERT_TRUE(this->Layers->Select(this->Layers->GetTree()->topLevelItem(0)->child(127)->text(0)));
  EXPECT_GT(this->Grid->GetNumberOfGroups(), 0);
}

TEST(vPanelParts, MatricesIconsAndTheAutoWindow)
{
  auto check = [](vtkMatrix4x4* m, const std::vector<double>& expected)
  {
    for (int i = 0; i < 16; ++i)
    {
      EXPECT_NEAR(m->GetElement(i / 4, i % 4), expected[static_cast<size_t>(i)], 1e-12) << i;
    }
    m->Delete();
  };
  const double c = std::cos(0.5);
  const double s = std::sin(0.5);
  check(
    CVemoraMatrices::ConvertToMatrix(0.5, 1), { 1, 0, 0, 0, 0, c, -s, 0, 0, s, c, 0, 0, 0, 0, 1 });
  check(
    CVemoraMatrices::ConvertToMatrix(0.5, 2), { c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1 });
  check(
    CVemoraMatrices::ConvertToMatrix(0.5, 3), { c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 });
  check(
    CVemoraMatrices::ConvertToMatrix(0.5, 7), { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 });
  check(CVemoraMatrices::ConvertToMatrix(1.0, 2.0, 3.0),
    { 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 1 });
  check(CVemoraMatrices::ConvertToMatrix(1, 2, 3, 4, 5, 6, 7),
    { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 });

  // The window of a volume with a few very bright voxels leaves them out.
  vtkNew<vtkImageData> image;
  image->SetDimensions(100, 10, 1);
  image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* voxels = static_cast<unsigned short*>(image->GetScalarPointer());
  for (int i = 0; i < 1000; ++i)
  {
    voxels[i] = static_cast<unsigned short>(i < 5 ? 60000 : i % 200);
  }
  double window[2];
  ASSERT_TRUE(vPropertyEdits::AutoWindow(image, window));
  EXPECT_NEAR(window[0], 2, 2);
  EXPECT_NEAR(window[1], 198, 2);
  vtkNew<vtkImageData> empty;
  EXPECT_FALSE(vPropertyEdits::AutoWindow(empty, window));
  EXPECT_FALSE(vPropertyEdits::AutoWindow(nullptr, window));

  // Icons: one per image, drawn at 24 and 48 pixels.
  if (vEnsureGuiApplication())
  {
    for (int i = 0; i < vIconSet::NumberOfImages; ++i)
    {
      const QPixmap sharp = vIconSet::Pixmap(i, 2.0);
      EXPECT_EQ(sharp.size(), QSize(48, 48));
      EXPECT_FALSE(sharp.toImage().isNull());
      EXPECT_FALSE(vIconSet::Icon(i).isNull());
    }
    EXPECT_TRUE(vIconSet::Icon(vIconSet::NumberOfImages).isNull());
  }
}

TEST_F(vPanels, RightDragSetsWindowAndLevelOfASliceView)
{
  vtkNew<vtkImageData> cube;
  cube->SetDimensions(16, 16, 8);
  cube->AllocateScalars(VTK_UNSIGNED_INT, 1);
  auto* voxels = static_cast<unsigned int*>(cube->GetScalarPointer());
  for (int i = 0; i < 16 * 16 * 8; ++i)
  {
    voxels[i] = static_cast<unsigned int>(i % 1000);
  }
  std::string error;
  ASSERT_TRUE(vQVFile::Write(this->Home.Sub("ramp.qv"), cube, error)) << error;
  this->Load(this->Home.Sub("ramp.qv"));
  ASSERT_TRUE(this->Tree->Select("ramp", CVemoraCPUI::Images));
  this->Tree->StartModule("Scene");
  vViewer* viewer = this->Engine->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);
  vImageLayer* slice = nullptr;
  for (int i = 0; i < viewer->GetNumberOfItems() && !slice; ++i)
  {
    auto* image = dynamic_cast<vImageLayer*>(viewer->GetInput(i));
    int shared = 0;
    for (int k = 0; image && k < viewer->GetNumberOfItems(); ++k)
    {
      shared += viewer->GetInput(k)->GetRenderer() == image->GetRenderer() ? 1 : 0;
    }
    slice = shared == 1 ? image : nullptr;
  }
  ASSERT_NE(slice, nullptr);
  vtkRenderWindow* window = slice->GetRenderWindow();
  const double* viewport = slice->GetRenderer()->GetViewport();
  const int* size = window->GetSize();
  const int x = static_cast<int>((viewport[0] + viewport[2]) / 2 * size[0]);
  const int y = static_cast<int>((viewport[1] + viewport[3]) / 2 * size[1]);

  vWindowLevelDrag drag(this->Engine);
  drag.SetInteractor(window->GetInteractor());
  int finished = 0;
  drag.SetFinished([&finished]() { ++finished; });
  ASSERT_TRUE(drag.Begin(x, y));
  double before[2];
  slice->GetProperty()->GetContrast(before);
  {
    vRenderCounter renders(window);
    drag.Move(x - 40, y); // narrower window, same level
    EXPECT_EQ(renders.Count, 1);
  }
  double wider[2];
  slice->GetProperty()->GetContrast(wider);
  EXPECT_GT(wider[1] - wider[0], 0);
  EXPECT_LT(wider[1] - wider[0], before[1] - before[0]);
  drag.Move(x - 40, y + 30); // the level rises
  double raised[2];
  slice->GetProperty()->GetContrast(raised);
  EXPECT_GT(raised[0] + raised[1], wider[0] + wider[1]);
  EXPECT_NEAR(raised[1] - raised[0], wider[1] - wider[0], 1e-9);
  drag.End();
  EXPECT_EQ(finished, 1);
  EXPECT_FALSE(drag.IsDragging());
}
