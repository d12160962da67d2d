#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vComponentPanel.h"
#include "vWorkspaceState.h"

#include "vControlPanelTestSupport.h"

#include "vDataResource.h"
#include "vInstallation.h"
#include "vShellNotifier.h"
#include "vVolumeResource.h"

#include <gtest/gtest.h>

namespace
{
/** A component panel that records what it is asked to do. */
class vRecordingPanel : public vComponentPanel
{
public:
  void AddTabItem(int index, const std::string& name, QWidget*) override
  {
    this->Calls += "add " + std::to_string(index) + " " + name + ";";
    ++this->Tabs;
  }
  int GetNumberOfTabs() override { return this->Tabs; }
  void SelectTab(const std::string& name) override { this->Calls += "select " + name + ";"; }
  void HideTabs() override { this->Calls += "hide;"; }
  void InitTab() override { this->Calls += "init;"; }
  std::string Calls;
  int Tabs = 0;
};

/** A workspace view that records the notifications. */
class vRecordingView : public vWorkspaceState::View
{
public:
  void ItemOpened(int type, const std::string& name) override
  {
    this->Calls += "item " + std::to_string(type) + " " + name + ";";
  }
  void RecentFileAdded(const std::string& name) override { this->Calls += "recent " + name + ";"; }
  void ShowItemProp(const std::string& name) override { this->Calls += "prop " + name + ";"; }
  std::string Calls;
};

std::string Log(CVemoraModules* modules, int index)
{
  auto log = modules->GetModuleFunction<const char* (*)()>(index, "TestLog");
  return log ? std::string(log()) : std::string("(no log)");
}
} // namespace

TEST(Facade, BeforeUIInitNothingHappens)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCP cp;
  EXPECT_EQ(cp.GetEXE(), nullptr);
  EXPECT_EQ(cp.GetUI(), nullptr);
  EXPECT_EQ(cp.GetCurDir(), "");
  EXPECT_EQ(cp.Open(), "");
  EXPECT_EQ(cp.Open(vTestData("mesh/vtk/fran_cut.vtk")), "error: file loading error");
  EXPECT_EQ(cp.GetVar(), "");
  EXPECT_EQ(cp.Save(), "");
  EXPECT_EQ(cp.GetTab(), 0);
  cp.SaveConfig();
  cp.RunModuleRoutine();
  cp.ShowAxes(true);
  cp.SetScaleFactor(2.0);
  cp.UpdateLayerProperty();
  cp.AddTabComponent("x", nullptr);
  cp.HideTabDialogs();
  EXPECT_FALSE(vInstallation::IsFile(home.Sub("SystemRegistry/Vemora.conf")));
}

TEST(Facade, OpenRulesRecentFilesAndConfiguration)
{
  vTempHome home;
  vQuietPrompt prompt;
  std::string meshes = vTestData("mesh/vtk");
  home.WriteFile("SystemRegistry/Vemora.conf", "## [CurrentDirectory]\n" + meshes + "\n/tmp\n");
  std::string recent;
  for (int i = 0; i < 1000; ++i)
  {
    recent += "old" + std::to_string(i) + ",/old/" + std::to_string(i) + ".vtk\n";
  }
  home.WriteFile("SystemRegistry/RecentFiles.conf", recent);

  CVemoraCP cp;
  EXPECT_EQ(cp.UIInit(), 0);
  EXPECT_EQ(cp.UIInit(), 1);
  vRecordingView view;
  cp.GetUI()->SetView(&view);
  EXPECT_EQ(cp.GetCurDir(), meshes);
  EXPECT_EQ(cp.GetUI()->GetRecentFiles().GetNumberOfFiles(), 10);

  // A leading quote is dropped; a name without "/" is taken in the current folder.
  EXPECT_EQ(cp.Open("'" + meshes + "/fran_cut.vtk"), "File loaded");
  EXPECT_EQ(cp.Open("teeth.vtk"), "File loaded");
  EXPECT_EQ(cp.Open("teeth.vtk"), "error: file loading error");     // loaded already
  EXPECT_EQ(cp.Open("'carotid.vtk'"), "error: file loading error"); // the closing quote stays
  EXPECT_EQ(cp.Open(""), "error: file loading error");              // the current folder itself
  EXPECT_EQ(cp.Open("'"), "error: file loading error");
  EXPECT_EQ(cp.GetEXE()->GetVolume()->GetNumberOfItems(), 0);
  EXPECT_EQ(cp.GetEXE()->GetModel()->GetFilename(1), meshes + "/teeth.vtk");
  cp.SetCurDir("/");
  EXPECT_EQ(cp.GetCurDir(), "/");
  EXPECT_EQ(cp.Open(meshes.substr(1) + "/carotid.vtk"), "File loaded");
  EXPECT_EQ(cp.GetEXE()->GetVolume()->GetFilename(0), meshes + "/carotid.vtk");
  EXPECT_EQ(view.Calls,
    "item 16 fran_cut;recent fran_cut;item 32 teeth;recent teeth;item 4 carotid;recent carotid;");

  // The recent-file list: newest first, ten at most, written at once.
  std::string written = vReadFile(home.Sub("SystemRegistry/RecentFiles.conf"));
  EXPECT_EQ(written.substr(0, written.find('\n')), "carotid," + meshes + "/carotid.vtk");
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 10);
  EXPECT_NE(written.find("old6,"), std::string::npos);
  EXPECT_EQ(written.find("old7,"), std::string::npos);

  // A second file with a known name: not moved to the front.
  std::string copy = home.CopyFile(meshes + "/fran_cut.vtk", "local/case/fran_cut.vtk");
  EXPECT_EQ(cp.Open(copy), "File loaded");
  EXPECT_EQ(cp.GetUI()->GetRecentFiles().GetName(0), "carotid");

  // The folders of opened files join the folder list; SaveConfig writes it.
  cp.SetCurDir(meshes);
  cp.SaveConfig();
  EXPECT_EQ(vReadFile(home.Sub("SystemRegistry/Vemora.conf")),
    "## [CurrentDirectory]\n" + meshes + "\n/tmp\n" + home.Sub("local/case") + "\n");

  EXPECT_EQ(cp.GetVar(), cp.GetEXE()->GetWorkspaceListing());
  EXPECT_NE(cp.GetVar().find("carotid             <image>"), std::string::npos);
}

TEST(Facade, InstalledCopyKeepsEveryUsersStateOutOfTheInstallation)
{
  vTempHome home;
  vQuietPrompt prompt;
  const std::string meshes = vTestData("mesh/vtk");
  home.CopyFile(meshes + "/teeth.vtk", "local/demo/teeth.vtk");
  home.MakeInstalledCopy();
  {
    CVemoraCP cp;
    ASSERT_EQ(cp.UIInit(), 0);
    EXPECT_EQ(cp.GetUI()->GetLocalRepository().GetFolder(), home.Sub("user/data/vemora/local"));
    ASSERT_EQ(cp.GetUI()->GetLocalRepository().GetCases().size(), 1u);
    EXPECT_EQ(cp.GetUI()->GetLocalRepository().GetCases()[0].Name, "demo");
    cp.SetCurDir(meshes);
    EXPECT_EQ(cp.Open("fran_cut.vtk"), "File loaded");
    cp.SaveConfig();
  }
  const std::string config = home.Sub("user/config/vemora/");
  EXPECT_EQ(vReadFile(config + "RecentFiles.conf"), "fran_cut," + meshes + "/fran_cut.vtk\n");
  EXPECT_EQ(vReadFile(config + "Vemora.conf").substr(0, 22), "## [CurrentDirectory]\n");
  EXPECT_FALSE(vInstallation::IsFile(home.Sub("SystemRegistry/Vemora.conf")));
  EXPECT_FALSE(vInstallation::IsFile(home.Sub("SystemRegistry/RecentFiles.conf")));

  // The next start reads the user's files back.
  CVemoraCP again;
  ASSERT_EQ(again.UIInit(), 0);
  EXPECT_EQ(again.GetCurDir(), meshes);
  EXPECT_EQ(again.GetUI()->GetRecentFiles().GetName(0), "fran_cut");
}

TEST(Facade, OpenDialogAndSaveSelectedModel)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCP cp;
  cp.UIInit();
  std::string file = vTestData("mesh/obj/cow.obj");
  prompt->QueuePath(file);
  EXPECT_EQ(cp.Open(), file);
  EXPECT_EQ(cp.GetEXE()->GetModel()->GetDataName(0), "cow");
  EXPECT_EQ(cp.Open(), file); // cancelled: still the last path opened

  cp.GetUI()->SetSelectedItemText("cow");
  EXPECT_EQ(cp.GetSelectedItemText(), "cow");
  EXPECT_EQ(cp.GetEXE()->GetSelItemText(), "cow");
  std::string out = home.Sub("local/cow-copy.vtk");
  prompt->QueuePath(out);
  EXPECT_EQ(cp.Save(), "");
  EXPECT_TRUE(vInstallation::IsFile(out));
  EXPECT_EQ(prompt->GetRecords().back().Text, "VTK (*.vtk)|*.vtk;|");

  int hwnd = 0;
  cp.SetParentHwnd(&hwnd);
  EXPECT_EQ(cp.GetEXE()->GetHwnd(), &hwnd);
  EXPECT_EQ(cp.GetUI()->GetParentHWND(), &hwnd);
}

TEST(Facade, RunModuleRoutineAndComponentPanel)
{
  vTempHome home;
  vQuietPrompt prompt;
  home.CopyFile(vTestPlugin("vTestModuleA"), "Modules/a.so");
  home.CopyFile(vTestPlugin("vTestModuleRunOnly"), "Modules/b.so");
  CVemoraCP cp;
  cp.UIInit();
  vRecordingPanel panel;
  cp.SetComponentPanel(&panel);
  CVemoraModules* modules = cp.GetEXE()->GetModules();
  ASSERT_EQ(modules->GetNumberOfModules(), 2);

  cp.RunModuleRoutine(); // no viewing tab yet: the first window is null
  EXPECT_EQ(Log(modules, 0), "SetRenderWindow(null);SetCP;Run;");
  EXPECT_EQ(Log(modules, 1), ""); // only "Run": never run
  EXPECT_EQ(panel.Calls, "init;");

  cp.GetEXE()->CreateViewingTab();
  cp.RunModuleRoutine(0);
  EXPECT_EQ(Log(modules, 0), "SetRenderWindow(null);SetCP;Run;SetRenderWindow;SetCP;Run;");
  cp.RunModuleRoutine(7);

  cp.AddTabComponent("Twin", nullptr);
  cp.AddTabComponent("Other", nullptr);
  cp.HideTabDialogs();
  EXPECT_EQ(panel.Calls, "init;add 0 Twin;add 1 Other;hide;");
  panel.Tabs = vComponentPanel::MaximumTabs;
  cp.AddTabComponent("Refused", nullptr);
  EXPECT_EQ(panel.Calls.find("Refused"), std::string::npos);

  // Viewer operations without a viewer do nothing.
  cp.ShowAxes(false);
  cp.SetScaleFactor(3.0);
  cp.UpdateLayerProperty();
  EXPECT_EQ(cp.GetUI()->GetShownItem(), "");
  cp.SetComponentPanel(nullptr);
}

TEST(Facade, LocalRepository)
{
  vTempHome home;
  CVemoraCP cp;
  cp.UIInit();
  EXPECT_TRUE(cp.GetUI()->GetLocalRepository().GetCases().empty());
  home.WriteFile("local/patient1/head.vtk", "x");
  cp.RefreshLocalRepository();
  ASSERT_EQ(cp.GetUI()->GetLocalRepository().GetCases().size(), 1u);
  EXPECT_EQ(cp.GetUI()->GetLocalRepository().GetCases()[0].Files[0], "head.vtk");
}

TEST(WorkspaceState, ItemTextsDecode)
{
  EXPECT_EQ(vWorkspaceState::GetTypeFromStr("Hardware [3] Phantom"), 256);
  EXPECT_EQ(vWorkspaceState::GetTypeFromStr("PointCloud ImageData"), 2);
  EXPECT_EQ(vWorkspaceState::GetTypeFromStr("my ImageData"), 4);
  EXPECT_EQ(vWorkspaceState::GetTypeFromStr("Matrix"), 1);
  EXPECT_EQ(vWorkspaceState::GetTypeFromStr("head"), 0);
  EXPECT_EQ(vWorkspaceState::GetIdFromStr("Hardware [3] Phantom"), 3);
  EXPECT_EQ(vWorkspaceState::GetIdFromStr("Hardware [12] Phantom"), -1);
  EXPECT_EQ(vWorkspaceState::GetIdFromStr("Hardware [x] Phantom"), -1);
  EXPECT_EQ(vWorkspaceState::GetIdFromStr("Hardware ]3[ Phantom"), -1);
  EXPECT_EQ(vWorkspaceState::GetIdFromStr("head"), -1);
}

TEST(WorkspaceState, ModuleButtonsAttachAndDelete)
{
  vTempHome home;
  vQuietPrompt prompt;
  vRecordingShellNotifier* notices = vGetDefaultShellNotifier();
  vShellNotifier::Install(nullptr);
  notices->SetEcho(false);
  notices->Reset();
  home.CopyFile(vTestPlugin("vTestModuleA"), "Modules/a.so");
  home.CopyFile(vTestPlugin("vTestModuleOther"), "Modules/b.so");
  home.CopyFile(vTestPlugin("vTestSourceFull"), "Hard/probe.so");
  std::string cases = home.CopyFile(vTestData("mesh/vtk/teeth.vtk"), "local/case1/jaw.vtk");
  CVemoraCP cp;
  cp.UIInit();
  vRecordingPanel panel;
  cp.SetComponentPanel(&panel);
  vWorkspaceState* workspace = cp.GetUI();
  CVemoraModules* modules = cp.GetEXE()->GetModules();
  ASSERT_EQ(modules->GetNumberOfModules(), 2);

  // Without a viewing tab a module button only shows the error.
  EXPECT_EQ(workspace->StartModule("Twin"), -1);
  EXPECT_EQ(prompt->GetTexts().back(),
    "error: no viewing tab available, please create a new one by using ctrl + N");
  cp.GetEXE()->CreateViewingTab();

  // Nothing selected: "coolstart"; the module's tab comes to the front.
  EXPECT_EQ(workspace->StartModule("twin"), 0);
  EXPECT_EQ(modules->GetActivatedModuleId(), 0);
  EXPECT_NE(Log(modules, 0).find("Command[coolstart];"), std::string::npos);
  EXPECT_NE(panel.Calls.find("select twin;"), std::string::npos);

  // A data item selected: "add" with its text; the same module asks nothing.
  ASSERT_EQ(cp.Open(vTestData("mesh/vtk/fran_cut.vtk")), "File loaded");
  workspace->SetSelectedItemText("fran_cut", "Meshes");
  EXPECT_EQ(workspace->StartModule("Twin"), 0);
  EXPECT_NE(Log(modules, 0).find("Command[add fran_cut];"), std::string::npos);
  EXPECT_TRUE(prompt->GetRecords().size() == 1u);

  // Another module: "Clear current viewer?" No stops; Yes deletes the viewer first.
  prompt->QueueAnswer(false);
  EXPECT_EQ(workspace->StartModule("Other"), -1);
  EXPECT_EQ(modules->GetActivatedModuleId(), 0);
  prompt->QueueAnswer(true);
  workspace->SetSelectedItemText("Images", "");
  EXPECT_EQ(workspace->StartModule("Other"), 0);
  EXPECT_EQ(prompt->GetTexts().back(), "Clear current viewer?");
  EXPECT_NE(Log(modules, 0).find("DelViewer;"), std::string::npos);
  EXPECT_EQ(modules->GetActivatedModuleId(), 1);
  EXPECT_NE(Log(modules, 1).find("Command[coolstart];"), std::string::npos);

  // A recent file is opened again before "add"; so is a local repository file.
  EXPECT_EQ(cp.GetEXE()->Remove("fran_cut"), 0);
  workspace->SetSelectedItemText("fran_cut", "Recent Files");
  EXPECT_EQ(workspace->StartModule("Other"), 0);
  EXPECT_EQ(cp.GetEXE()->isFileLoaded(vTestData("mesh/vtk/fran_cut.vtk")), 1);
  EXPECT_NE(Log(modules, 1).find("Command[add fran_cut];"), std::string::npos);
  cp.RefreshLocalRepository();
  workspace->SetSelectedItemText("jaw.vtk", "case1");
  EXPECT_EQ(workspace->StartModule("Other"), 0);
  EXPECT_EQ(cp.GetEXE()->isFileLoaded(cases), 1);
  EXPECT_NE(Log(modules, 1).find("Command[add jaw];"), std::string::npos);

  // A button whose module is gone asks the shell to refresh the title (after the question about
  // the module active in the tab).
  prompt->QueueAnswer(true);
  EXPECT_EQ(workspace->StartModule("Missing"), -1);
  EXPECT_EQ(notices->Count(vShellNotifier::RefreshTitle), 1);

  // Attach data: only items with a one-digit index in brackets.
  workspace->SetSelectedItemText("jaw", "Markers");
  EXPECT_EQ(workspace->AttachSelectedData(), -1);
  workspace->SetSelectedItemText(workspace->GetHardwareItemText(0), "");
  EXPECT_EQ(workspace->GetSelectedItemText(), "Hardware [0] Probe");
  EXPECT_EQ(workspace->AttachSelectedData(), 1);
  EXPECT_NE(Log(modules, 1).find("AddSecondaryData 16 0;"), std::string::npos);

  // Delete key: No keeps the data, Yes removes it.
  prompt->QueueAnswer(false);
  EXPECT_FALSE(workspace->RemoveItem("jaw"));
  EXPECT_EQ(prompt->GetTexts().back(), "Are you sure to remove object jaw?");
  EXPECT_EQ(cp.GetEXE()->isFileLoaded(cases), 1);
  prompt->QueueAnswer(true);
  EXPECT_TRUE(workspace->RemoveItem("jaw"));
  EXPECT_EQ(cp.GetEXE()->isFileLoaded(cases), 0);
  prompt->QueueAnswer(true);
  EXPECT_TRUE(workspace->RemoveItem("unknown")); // the tree item goes all the same
  cp.SetComponentPanel(nullptr);
  notices->SetEcho(true);
}
