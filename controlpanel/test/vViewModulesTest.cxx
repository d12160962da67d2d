#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vComponentPanel.h"
#include "vDataSourceContract.h"
#include "vModuleContract.h"
#include "vWorkspaceState.h"

#include "vControlPanelTestSupport.h"
#include "vRenderBaseline.h"

#include "vImageLayer.h"
#include "vLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"
#include "vVolumeResource.h"

#include "vDynamicLibrary.h"

#include <vtkCamera.h>
#include <vtkCommand.h>
#include <vtkImageData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{
/** A component panel that lists the pages it receives. */
class vPagePanel : public vComponentPanel
{
public:
  void AddTabItem(int, const std::string& name, QWidget*) override
  {
    this->Pages += name + ";";
    ++this->Tabs;
  }
  int GetNumberOfTabs() override { return this->Tabs; }
  void SelectTab(const std::string&) override {}
  void HideTabs() override {}
  void InitTab() override { this->Pages += "init;"; }
  std::string Pages;
  int Tabs = 0;
};

/** A control panel with the shipped view modules and data source in its own installation. */
class vShippedPlugins : public ::testing::Test
{
protected:
  void SetUp() override
  {
    this->Home.CopyFile(vShippedPlugin("Modules", "vSceneModule"), "Modules/vSceneModule.so");
    this->Home.CopyFile(vShippedPlugin("Modules", "vQuadviewModule"), "Modules/vQuadviewModule.so");
    this->Home.CopyFile(vShippedPlugin("Hard", "vPhantomSource"), "Hard/vPhantomSource.so");
    ASSERT_EQ(this->CP.UIInit(), 0);
    this->Engine = this->CP.GetEXE();
    this->Modules = this->Engine->GetModules();
    this->Renderers = this->Engine->GetRenderers();
    ASSERT_EQ(this->Modules->GetNumberOfModules(), 2);
    this->Scene = this->Modules->FindModule("scene");
    this->Quadview = this->Modules->FindModule("QUADVIEW");
    ASSERT_GE(this->Scene, 0);
    ASSERT_GE(this->Quadview, 0);
  }

  int Command(int module, const std::string& text)
  {
    auto command = this->Modules->GetModuleFunction<vModuleCommandFunction>(module, "Command");
    return command ? command(text.c_str()) : -100;
  }

  std::string Message(int module)
  {
    auto message = this->Modules->GetModuleFunction<vModuleTextFunction>(module, "GetLastMessage");
    return message ? std::string(message()) : std::string("(none)");
  }

  vTempHome Home;
  vQuietPrompt Prompt;
  CVemoraCP CP;
  CVemoraCPEXE* Engine = nullptr;
  CVemoraModules* Modules = nullptr;
  vRendererManager* Renderers = nullptr;
  int Scene = -1;
  int Quadview = -1;
};
} // namespace

TEST_F(vShippedPlugins, ContractAndLoadInformation)
{
  EXPECT_EQ(this->Modules->GetModuleName(this->Scene), "Scene");
  EXPECT_EQ(this->Modules->GetModuleVer(this->Scene), "1.0.0.0");
  EXPECT_EQ(this->Modules->GetTargetDataType(this->Quadview),
    CVemoraCPEXE::Image | CVemoraCPEXE::HardResource);
  for (const char* name : { "GetModuleVer",
         "GetModuleName",
         "GetModuleDesc",
         "GetModuleTargetDataType",
         "SetRenderWindow",
         "SetCP",
         "Run",
         "SetPrimaryData",
         "AddSecondaryData",
         "GetViewer",
         "DelViewer",
         "DetachData",
         "Command",
         "GetLastMessage",
         "GetCommandList",
         "ReleaseMemory" })
  {
    EXPECT_NE(this->Modules->GetModuleFunction(this->Scene, name), nullptr) << name;
    EXPECT_NE(this->Modules->GetModuleFunction(this->Quadview, name), nullptr) << name;
  }
  ASSERT_EQ(this->Engine->GetNumberOfHardResources(), 1);
  EXPECT_EQ(this->Engine->GetHardResourceName(0), "Phantom");

  // Without a viewing tab the modules run (each adds its page) but have nothing to show on.
  vPagePanel panel;
  this->CP.SetComponentPanel(&panel);
  this->CP.RunModuleRoutine();
  EXPECT_EQ(panel.Pages, "Quadview;Scene;init;");
  this->CP.SetComponentPanel(nullptr);
  EXPECT_EQ(this->Command(this->Scene, "coolstart"), 3);
  EXPECT_EQ(this->Message(this->Scene), "error: no viewing tab available");
  // Lines the module does not take are left to the console (non-zero, no message).
  EXPECT_EQ(this->Command(this->Scene, "new layer mesh x main"), 1);
  EXPECT_EQ(this->Message(this->Scene), "");
  auto list = this->Modules->GetModuleFunction<vModuleTextFunction>(this->Scene, "GetCommandList");
  EXPECT_NE(std::string(list()).find("action rotate|select|pan|clip|tag"), std::string::npos);
}

TEST_F(vShippedPlugins, SceneShowsAMeshAndAVolume)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  int tab = this->Engine->CreateViewingTab();
  ASSERT_EQ(tab, 0);
  this->CP.RunModuleRoutine();
  ASSERT_EQ(this->CP.Open(vTestData("mesh/vtk/skin.vtk")), "File loaded");
  ASSERT_EQ(this->CP.Open(vTestData("mesh/vtk/carotid.vtk")), "File loaded");

  // Started from its button: activated in the tab, then "coolstart".
  this->Modules->SetActivatedModule(this->Scene);
  this->Modules->Command(this->Scene, "coolstart", {});
  EXPECT_EQ(this->Message(this->Scene), "Scene: viewer ready");
  vViewer* viewer = this->Modules->GetViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer, this->Modules->GetViewer(this->Scene));
  // The viewer attached to the tab's window: "main", "IV", "Axes".
  EXPECT_EQ(this->Renderers->GetNumberOfRenderer(tab), 3);
  // A second coolstart builds nothing new.
  this->Modules->Command(this->Scene, "coolstart", {});
  EXPECT_EQ(this->Modules->GetViewer(), viewer);
  EXPECT_EQ(this->Renderers->GetNumberOfRenderer(tab), 3);

  this->Modules->Command(this->Scene, "add", { "skin" });
  EXPECT_EQ(this->Message(this->Scene), "skin added");
  EXPECT_EQ(this->Command(this->Scene, "add carotid"), 0);
  EXPECT_EQ(this->Command(this->Scene, "add nothing"), 3);
  EXPECT_EQ(this->Message(this->Scene), "error: data nothing not found");
  ASSERT_EQ(viewer->GetNumberOfItems(), 2);
  EXPECT_TRUE(viewer->GetInput(0)->isA("MeshLayer"));
  EXPECT_EQ(viewer->GetInput(0)->GetFirstResourceName(), "skin");
  EXPECT_EQ(viewer->GetInput(0)->GetName(), "Layer_skin");
  EXPECT_EQ(viewer->GetInput(1)->GetType(), "image");
  EXPECT_EQ(viewer->GetInput(1)->GetFirstResourceName(), "carotid");

  // Commands of the module and the facade's viewer operations.
  EXPECT_EQ(this->Command(this->Scene, "action pan"), 0);
  EXPECT_EQ(this->Command(this->Scene, "action fly"), 3);
  EXPECT_EQ(this->Command(this->Scene, "layers"), 0);
  EXPECT_NE(this->Message(this->Scene).find("number of layers: 2"), std::string::npos);
  EXPECT_EQ(this->Command(this->Scene, "slice 20"), 0);
  EXPECT_EQ(this->Command(this->Scene, "slice 2000"), 3);
  viewer->Select(1);
  this->CP.UpdateLayerProperty();
  EXPECT_EQ(this->CP.GetUI()->GetShownItem(), "carotid");
  this->CP.ShowAxes(false);
  this->CP.SetScaleFactor(1.0);

  // The two data sets come from different scanners: the head is moved beside the carotid slice.
  double beside[16] = { 1, 0, 0, 260, 0, 1, 0, 105, 0, 0, 1, 0, 0, 0, 0, 1 };
  viewer->GetInput(0)->SetTransform(beside);
  viewer->Render();
  vtkRenderer* inset = this->Renderers->GetRenderer(tab, 1);
  ASSERT_NE(inset, nullptr);
  inset->GetActiveCamera()->Azimuth(30);
  inset->GetActiveCamera()->Elevation(20);
  inset->ResetCamera();
  vtkRenderWindow* window = this->Renderers->GetRenderWindow(tab);
  window->Render();
  EXPECT_TRUE(vCompareWithBaseline(window, "ControlPanel_SceneMeshAndVolume"));

  // The wrapper is the interactor's observer: a left drag turns the camera of the inset view.
  vtkRenderWindowInteractor* interactor = window->GetInteractor();
  ASSERT_NE(interactor, nullptr);
  EXPECT_TRUE(interactor->HasObserver(vtkCommand::MouseMoveEvent));
  EXPECT_EQ(this->Command(this->Scene, "action rotate"), 0);
  double before[3];
  inset->GetActiveCamera()->GetPosition(before);
  interactor->SetEventInformation(150, 150);
  interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
  interactor->SetEventInformation(170, 150);
  interactor->InvokeEvent(vtkCommand::MouseMoveEvent);
  interactor->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
  double after[3];
  inset->GetActiveCamera()->GetPosition(after);
  EXPECT_GT(std::abs(after[0] - before[0]) + std::abs(after[1] - before[1]) +
      std::abs(after[2] - before[2]),
    1e-3);

  // DelViewer: layers gone, module deactivated in the tab, caption back to the welcome text.
  this->Modules->DeleteViewer();
  EXPECT_EQ(viewer->GetNumberOfItems(), 0);
  EXPECT_EQ(this->Modules->GetActivatedModuleId(), -1);
  EXPECT_EQ(this->Renderers->GetCaption(), "Welcome to QOVA");
}

TEST_F(vShippedPlugins, LandmarksLiveDataAndTabs)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  int first = this->Engine->CreateViewingTab();
  ASSERT_EQ(this->CP.Open(vTestData("mesh/vtk/teeth.vtk")), "File loaded");
  ASSERT_EQ(this->CP.Open(vTestData("mesh/vtk/carotid.vtk")), "File loaded");
  this->CP.RunModuleRoutine();

  // "add" alone starts the module in the tab; a small point set becomes landmarks; the live
  // phantom becomes an image slice.
  this->Modules->SetActivatedModule(this->Scene);
  EXPECT_EQ(this->Command(this->Scene, "add teeth phantom"), 0);
  vViewer* scene = this->Modules->GetViewer();
  ASSERT_NE(scene, nullptr);
  ASSERT_EQ(scene->GetNumberOfItems(), 2);
  EXPECT_TRUE(scene->GetInput(0)->isA("LandmarkLayer"));
  EXPECT_EQ(scene->GetInput(1)->GetFirstResourceName(), "Phantom");
  // "next" brings the next frame of the live source into the same layer.
  auto* live = dynamic_cast<vImageLayer*>(scene->GetInput(1));
  ASSERT_TRUE(live && live->GetImage());
  const auto* voxels = static_cast<const unsigned short*>(live->GetImage()->GetScalarPointer());
  std::vector<unsigned short> before(voxels, voxels + 64 * 64 * 64);
  EXPECT_EQ(this->Command(this->Scene, "next"), 0);
  EXPECT_EQ(this->Message(this->Scene), "1 live data updated");
  voxels = static_cast<const unsigned short*>(live->GetImage()->GetScalarPointer());
  EXPECT_NE(std::memcmp(before.data(), voxels, before.size() * sizeof(unsigned short)), 0);

  // The attach-data route of the tree: a hard-resource node selected, then Show.
  this->Engine->SetSelItemText("Hardware [0] Phantom");
  EXPECT_EQ(this->Engine->Show(CVemoraCPEXE::HardResource, 0), this->Scene);
  EXPECT_EQ(scene->GetNumberOfItems(), 3);
  // Data given by (type, index) otherwise: a volume of the workspace; a bad index adds nothing.
  this->Engine->SetSelItemText("carotid");
  this->Modules->AddSecondaryData(this->Scene, CVemoraCPEXE::Image, 0);
  this->Modules->AddSecondaryData(this->Scene, CVemoraCPEXE::Image, 7);
  this->Modules->AddSecondaryData(this->Scene, CVemoraCPEXE::Model, -1);
  ASSERT_EQ(scene->GetNumberOfItems(), 4);
  EXPECT_EQ(scene->GetInput(3)->GetFirstResourceName(), "carotid");

  // A second tab: nothing activated there; Quadview builds its 2 x 2 view of the volume.
  int second = this->Engine->CreateViewingTab();
  ASSERT_EQ(second, 1);
  EXPECT_EQ(this->Modules->GetViewer(), nullptr);
  this->Modules->SetActivatedModule(this->Quadview);
  EXPECT_EQ(this->Command(this->Quadview, "add teeth"), 3);
  EXPECT_EQ(this->Message(this->Quadview), "error: Quadview shows volumes only");
  EXPECT_EQ(this->Command(this->Quadview, "add carotid"), 0);
  vViewer* quad = this->Modules->GetViewer();
  ASSERT_NE(quad, nullptr);
  EXPECT_NE(quad, scene);
  EXPECT_GE(quad->GetNumberOfItems(), 4);
  EXPECT_EQ(this->Command(this->Quadview, "enlarge iv0"), 0);
  EXPECT_EQ(this->Command(this->Quadview, "enlarge nowhere"), 3);
  EXPECT_EQ(this->Command(this->Quadview, "restore"), 0);
  this->Renderers->GetRenderWindow(second)->Render();
  EXPECT_TRUE(
    vCompareWithBaseline(this->Renderers->GetRenderWindow(second), "ControlPanel_Quadview"));

  // Layers deleted, the mouse still moving over the view, then the volume shown again.
  this->Modules->DeleteViewer();
  EXPECT_EQ(quad->GetNumberOfItems(), 0);
  vtkRenderWindowInteractor* mouse = this->Renderers->GetRenderWindow(second)->GetInteractor();
  for (unsigned long event : { vtkCommand::LeftButtonPressEvent,
         vtkCommand::MouseMoveEvent,
         vtkCommand::LeftButtonReleaseEvent,
         vtkCommand::RightButtonPressEvent,
         vtkCommand::MouseMoveEvent,
         vtkCommand::RightButtonReleaseEvent })
  {
    mouse->SetEventInformation(60, 200);
    mouse->InvokeEvent(event);
  }
  this->Modules->SetActivatedModule(this->Quadview);
  EXPECT_EQ(this->Command(this->Quadview, "add carotid"), 0);
  EXPECT_GE(quad->GetNumberOfItems(), 4);
  mouse->SetEventInformation(60, 200);
  mouse->InvokeEvent(vtkCommand::LeftButtonPressEvent);
  mouse->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
  // One volume at a time: a live volume replaces it, and only that one takes new frames.
  EXPECT_EQ(this->Command(this->Quadview, "add phantom"), 0);
  EXPECT_EQ(this->Command(this->Quadview, "add phantom"), 0);
  EXPECT_EQ(this->Command(this->Quadview, "next"), 0);
  EXPECT_EQ(this->Message(this->Quadview), "1 live data updated");
  EXPECT_EQ(this->Command(this->Quadview, "add carotid"), 0);
  EXPECT_EQ(this->Command(this->Quadview, "next"), 3);

  // Back in the first tab the Scene viewer is still there.
  this->Renderers->SetCurrentRenderWindowId(first);
  EXPECT_EQ(this->Modules->GetViewer(), scene);

  // Closing the second tab detaches Quadview there; the first tab keeps its viewer.
  EXPECT_TRUE(this->Engine->CloseViewingTab(second));
  EXPECT_EQ(this->Renderers->GetCurrentRenderWindowId(), first);
  EXPECT_EQ(this->Modules->GetViewer(), scene);
  EXPECT_EQ(this->Modules->GetActivatedModuleId(second), -1);

  // DetachData in the first tab takes its viewer down.
  this->Modules->DetachData();
  EXPECT_EQ(this->Modules->GetViewer(this->Scene), nullptr);
  EXPECT_EQ(this->Renderers->GetNumberOfRenderer(first), 1);
  // And the module starts again on the same tab.
  this->Modules->SetActivatedModule(this->Scene);
  EXPECT_EQ(this->Command(this->Scene, "coolstart"), 0);
  EXPECT_NE(this->Modules->GetViewer(), nullptr);
}

TEST(PhantomSource, DeliversABeatingVolume)
{
  vDynamicLibrary library;
  ASSERT_TRUE(library.Open(vShippedPlugin("Hard", "vPhantomSource"))) << library.GetError();
  auto type = library.GetFunction<vDataSourceTypeFunction>("GetDataType");
  auto acquire = library.GetFunction<vDataSourceAcquireFunction>("Acquire");
  ASSERT_NE(type, nullptr);
  ASSERT_NE(acquire, nullptr);
  EXPECT_EQ(type(), CVemoraCPEXE::Image);
  vtkSmartPointer<vtkDataSet> first;
  first.TakeReference(acquire(0));
  vtkSmartPointer<vtkDataSet> later;
  later.TakeReference(acquire(2));
  vtkSmartPointer<vtkDataSet> again;
  again.TakeReference(acquire(8)); // one beat later: the same picture as frame 0
  library.Close();                 // the volumes outlive the library
  auto* a = vtkImageData::SafeDownCast(first);
  auto* b = vtkImageData::SafeDownCast(later);
  auto* c = vtkImageData::SafeDownCast(again);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->GetDimensions()[0], 64);
  EXPECT_DOUBLE_EQ(a->GetSpacing()[1], 3.0);
  double range[2];
  a->GetScalarRange(range);
  EXPECT_EQ(range[0], 0.0);
  EXPECT_GE(range[1], 1000.0);
  const size_t bytes = 64 * 64 * 64 * sizeof(unsigned short);
  EXPECT_NE(std::memcmp(a->GetScalarPointer(), b->GetScalarPointer(), bytes), 0);
  EXPECT_EQ(std::memcmp(a->GetScalarPointer(), c->GetScalarPointer(), bytes), 0);
}

TEST_F(vShippedPlugins, TabsClosedBeforeTheModulesAreTold)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  ASSERT_EQ(this->CP.Open(vTestData("mesh/vtk/fran_cut.vtk")), "File loaded");
  this->CP.RunModuleRoutine();

  // The shell's order: the window goes first, then the module's data of that window.
  int tab = this->Engine->CreateViewingTab();
  this->Modules->SetActivatedModule(this->Scene);
  ASSERT_EQ(this->Command(this->Scene, "add fran_cut"), 0);
  this->Renderers->RemoveRenderWindow(tab);
  this->Modules->DetachData(tab);
  this->Engine->ViewingTabMinusMinus();
  EXPECT_EQ(this->Modules->GetActivatedModuleId(tab), -1);

  // A new tab takes the same id and gets a viewer of its own.
  ASSERT_EQ(this->Engine->CreateViewingTab(), tab);
  this->Modules->SetActivatedModule(this->Scene);
  EXPECT_EQ(this->Command(this->Scene, "add fran_cut"), 0);
  vViewer* viewer = this->Modules->GetViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->GetNumberOfItems(), 1);
  EXPECT_EQ(this->Renderers->GetNumberOfRenderer(tab), 3);

  // The same without the module being told at all: the next start sees the window is new.
  this->Renderers->RemoveRenderWindow(tab);
  ASSERT_EQ(this->Engine->CreateViewingTab(), tab);
  EXPECT_EQ(this->Command(this->Scene, "coolstart"), 0);
  ASSERT_NE(this->Modules->GetViewer(this->Scene), nullptr);
  EXPECT_EQ(this->Modules->GetViewer(this->Scene)->GetNumberOfItems(), 0);
  EXPECT_EQ(this->Renderers->GetNumberOfRenderer(tab), 3);
  this->Renderers->GetRenderWindow(tab)->Render();
}

TEST_F(vShippedPlugins, QuadviewLayersDataModuleAndTabGoInAnyOrder)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  ASSERT_EQ(this->CP.Open(vTestData("mesh/vtk/carotid.vtk")), "File loaded");
  this->CP.RunModuleRoutine();
  int tab = this->Engine->CreateViewingTab();
  this->Modules->SetActivatedModule(this->Quadview);
  ASSERT_EQ(this->Command(this->Quadview, "add carotid"), 0);
  vViewer* viewer = this->Modules->GetViewer();
  ASSERT_NE(viewer, nullptr);
  auto* xy = dynamic_cast<vLayer*>(viewer->GetInput("Layer_carotid"));
  ASSERT_NE(xy, nullptr);
  ASSERT_EQ(xy->GetNumberOfFriends(), 2);

  // A slice layer removed, then its former friend changed (the console's rm, set opacity).
  viewer->RemoveItem("Layer_carotid0");
  EXPECT_EQ(xy->GetNumberOfFriends(), 1);
  viewer->SetOpacity("Layer_carotid", 0.5);
  xy->Mirror();

  // The volume leaves the workspace while the view shows it: the view keeps its own data.
  EXPECT_EQ(this->Engine->Remove("carotid"), 0);
  EXPECT_EQ(this->Engine->GetVolume()->GetNumberOfItems(), 0);
  EXPECT_EQ(this->Command(this->Quadview, "render"), 0);
  vtkRenderWindowInteractor* mouse = this->Renderers->GetRenderWindow(tab)->GetInteractor();
  mouse->SetEventInformation(75, 225);
  mouse->InvokeEvent(vtkCommand::LeftButtonPressEvent);
  mouse->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
  EXPECT_EQ(this->Command(this->Quadview, "layers"), 0);

  // The module lets go of the tab (detached), then the view is built again and the tab closes
  // before the module is told.
  this->Modules->DetachData(tab);
  EXPECT_EQ(this->Modules->GetViewer(this->Quadview), nullptr);
  ASSERT_EQ(this->CP.Open(vTestData("mesh/vtk/carotid.vtk")), "File loaded");
  this->Modules->SetActivatedModule(this->Quadview);
  ASSERT_EQ(this->Command(this->Quadview, "add carotid"), 0);
  this->Renderers->RemoveRenderWindow(tab);
  this->Engine->ViewingTabMinusMinus();
  EXPECT_EQ(this->Modules->GetViewer(this->Quadview), nullptr);
  EXPECT_EQ(this->Engine->Remove("carotid"), 0);
  ASSERT_EQ(this->Engine->CreateViewingTab(), tab);
  EXPECT_EQ(this->Command(this->Quadview, "coolstart"), 0);
  EXPECT_EQ(this->Modules->GetViewer(this->Quadview)->GetNumberOfItems(), 0);
}
