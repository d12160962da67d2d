#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vModuleBase.h"
#include "vModuleListModel.h"

#include "vControlPanelTestSupport.h"

#include "vRendererManager.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
std::string Log(CVemoraModules* modules, int index)
{
  auto log = modules->GetModuleFunction<const char* (*)()>(index, "TestLog");
  return log ? std::string(log()) : std::string("(no log)");
}

/** A module object as a module library would derive it. */
class vProbeModule : public vModuleBase
{
public:
  void SetPrimaryData(int index) override
  {
    this->Calls += "primary " + std::to_string(index) + ";";
  }
  int GetTargetDataType() override { return CVemoraCPEXE::Image | CVemoraCPEXE::SurfaceMesh; }
  void AddSecondaryData(int type, int index) override
  {
    this->Calls += "secondary " + std::to_string(type) + " " + std::to_string(index) + ";";
    this->RecordSecondaryData(index);
  }
  void DetachData() override {}
  std::string Calls;
};
} // namespace

TEST(ModuleManager, LoadsTheModulesFolder)
{
  vTempHome home;
  vQuietPrompt prompt;
  home.CopyFile(vTestPlugin("vTestModuleA"), "Modules/a_twin.so");
  home.CopyFile(vTestPlugin("vTestModuleB"), "Modules/b_twin.so");
  home.CopyFile(vTestPlugin("vTestModuleRunOnly"), "Modules/c_runonly.so");
  home.WriteFile("Modules/d_broken.so",
    "\x7f"
    "ELF but not really");
  std::string releaseLog = home.Sub("released.txt");
  setenv("VEMORA_TEST_RELEASE_LOG", releaseLog.c_str(), 1);
  {
    CVemoraModules modules;
    modules.Initialise();
    EXPECT_EQ(prompt.Count("Couldn't load module"), 1);
    ASSERT_EQ(modules.GetNumberOfModules(), 3);
    EXPECT_EQ(modules.GetModuleName(0), "Twin");
    EXPECT_EQ(modules.GetModuleVer(0), "0.1.1");
    EXPECT_EQ(modules.GetModuleDesc(1), "test module 2");
    EXPECT_EQ(modules.GetModulePath(1), home.Sub("Modules/b_twin.so"));
    EXPECT_EQ(modules.GetTargetDataType(0), 4 | 16);
    // A module exporting nothing but "Run" still registers, with empty texts.
    EXPECT_EQ(modules.GetModuleName(2), "");
    EXPECT_EQ(modules.GetTargetDataType(2), 0);
    EXPECT_EQ(modules.isModuleLoaded(2), 1);
    EXPECT_NE(modules.GetModule(2), nullptr);
    // Same names ignoring case: the later one is found.
    EXPECT_EQ(modules.FindModule("twin"), 1);
    EXPECT_EQ(modules.FindModule("nothing"), -1);
    for (int bad : { -1, 3, 500 })
    {
      EXPECT_EQ(modules.GetModuleName(bad), "");
      EXPECT_EQ(modules.GetModule(bad), nullptr);
      EXPECT_EQ(modules.isModuleLoaded(bad), 0);
      EXPECT_EQ(modules.GetViewer(bad), nullptr);
      EXPECT_EQ(modules.Command(bad, "x", {}), -1);
    }

    EXPECT_EQ(modules.GetInfo(),
      "id      name                description" + std::string(244, ' ') + "\n" +
        "0       Twin                test module 1" + std::string(242, ' ') + "\n" +
        "1       TWIN                test module 2" + std::string(242, ' ') + "\n" + "2" +
        std::string(27 + 255, ' ') + "\n");
    auto rows = vModuleListModel::GetRows(&modules);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(
      rows[1], (std::vector<std::string>{ "1", "TWIN", "0.1.2", home.Sub("Modules/b_twin.so") }));
    EXPECT_EQ(vModuleListModel::GetColumns()[3].Title, "Path");
    EXPECT_EQ(vModuleListModel::GetColumns()[3].Width, 800);

    // Commands: the word and each argument after one blank.
    EXPECT_EQ(modules.Command(0, "add", { "a", "b" }), 7);
    modules.Command(0, "coolstart", {});
    EXPECT_NE(Log(&modules, 0).find("Command[add a b];Command[coolstart];"), std::string::npos);
    EXPECT_EQ(modules.Command(2, "add", { "a" }), -1); // no "Command" export

    modules.SetPrimaryData(1, 3);
    modules.AddSecondaryData(1, 4, 2);
    modules.AddSecondaryData(2, 4, 2); // missing export: nothing
    EXPECT_NE(Log(&modules, 1).find("SetPrimaryData 3;AddSecondaryData 4 2;"), std::string::npos);
  }
  // Destruction freed the modules: "ReleaseMemory" of each module that has it.
  EXPECT_EQ(vReadFile(releaseLog), "Twin\nTWIN\n");
  unsetenv("VEMORA_TEST_RELEASE_LOG");
}

TEST(ModuleManager, ActivationIsPerRenderWindow)
{
  vTempHome home;
  vQuietPrompt prompt;
  home.CopyFile(vTestPlugin("vTestModuleA"), "Modules/a.so");
  home.CopyFile(vTestPlugin("vTestModuleB"), "Modules/b.so");
  CVemoraCPEXE engine;
  CVemoraModules* modules = engine.GetModules();
  vRendererManager* renderers = engine.GetRenderers();
  int first = engine.CreateViewingTab();
  ASSERT_EQ(first, 0);

  // Without an activated module no module is asked for a viewer.
  EXPECT_EQ(modules->GetViewer(), nullptr);
  modules->DeleteViewer();
  modules->DetachData();
  EXPECT_EQ(Log(modules, 0).find("GetViewer"), std::string::npos);
  EXPECT_EQ(Log(modules, 0).find("DelViewer"), std::string::npos);

  modules->SetActivatedModule("twin"); // the later of the two
  EXPECT_EQ(modules->GetActivatedModuleId(), 1);
  EXPECT_EQ(modules->GetViewer(), nullptr); // the module has no viewer yet
  modules->Command(1, "viewer", {});
  EXPECT_NE(modules->GetViewer(), nullptr);
  EXPECT_EQ(modules->GetViewer(), modules->GetViewer(1));

  // A second tab starts without an activated module.
  int second = engine.CreateViewingTab();
  ASSERT_EQ(second, 1);
  EXPECT_EQ(modules->GetActivatedModuleId(), -1);
  EXPECT_EQ(modules->GetViewer(), nullptr);
  modules->SetActivatedModule(0);
  EXPECT_EQ(modules->GetActivatedModuleId(), 0);
  modules->SetActivatedModule(99); // no such module: deactivates
  EXPECT_EQ(modules->GetActivatedModuleId(), -1);
  modules->SetActivatedModule(0);

  renderers->SetCurrentRenderWindowId(first);
  EXPECT_EQ(modules->GetActivatedModuleId(), 1);
  modules->DeleteViewer(); // "DelViewer"; the activation stays
  EXPECT_NE(Log(modules, 1).find("DelViewer;"), std::string::npos);
  EXPECT_EQ(modules->GetActivatedModuleId(), 1);
  modules->DetachData(); // "DetachData" and deactivation
  EXPECT_NE(Log(modules, 1).find("DetachData;"), std::string::npos);
  EXPECT_EQ(modules->GetActivatedModuleId(), -1);

  modules->DetachData(second);
  EXPECT_NE(Log(modules, 0).find("DetachData;"), std::string::npos);
  EXPECT_EQ(modules->GetActivatedModuleId(second), -1);
  modules->DetachData(-3);
  modules->DetachData(24);
  EXPECT_EQ(modules->GetActivatedModuleId(77), -1);
}

TEST(ModuleManager, FolderWithTwoHundredLibraries)
{
  vTempHome home;
  vQuietPrompt prompt;
  for (int i = 0; i < 200; ++i)
  {
    char name[32];
    snprintf(name, sizeof(name), "Modules/m%03d.so", i);
    home.CopyFile(vTestPlugin("vTestModuleA"), name);
  }
  std::string releaseLog = home.Sub("released.txt");
  setenv("VEMORA_TEST_RELEASE_LOG", releaseLog.c_str(), 1);
  {
    CVemoraModules modules;
    modules.Initialise();
    EXPECT_EQ(modules.GetNumberOfModules(), CVemoraModules::MaximumModules);
    EXPECT_EQ(modules.GetModulePath(127), home.Sub("Modules/m127.so"));
    EXPECT_EQ(prompt->GetRecords().size(), 0u); // the extra ones go without a message
    EXPECT_EQ(modules.AddModule(nullptr, "extra", 0, "", "", ""), 0);
    EXPECT_EQ(modules.GetNumberOfModules(), CVemoraModules::MaximumModules);
  }
  std::string released = vReadFile(releaseLog);
  EXPECT_EQ(std::count(released.begin(), released.end(), '\n'), CVemoraModules::MaximumModules);
  unsetenv("VEMORA_TEST_RELEASE_LOG");
}

TEST(ModuleBase, DataByName)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCPEXE engine;
  ASSERT_EQ(engine.OpenFile(vTestData("mesh/vtk/fran_cut.vtk")), CVemoraCPEXE::SurfaceMesh);
  ASSERT_EQ(engine.OpenFile(vTestData("mesh/vtk/carotid.vtk")), CVemoraCPEXE::Image);
  engine.AddHardResourcesInfo("Scanner", "1", "live", CVemoraCPEXE::Image, "/x.so");
  engine.AddHardResourcesInfo("Tracker", "1", "live", CVemoraCPEXE::PointCloud, "/y.so");

  vProbeModule module;
  EXPECT_EQ(module.GetPrimaryDataId(), -1);
  EXPECT_EQ(module.GetCurrentViewer(), nullptr);
  module.SetController(&engine);

  module.SetPrimaryDataByName("carotid");
  EXPECT_EQ(module.GetLastError(), 0);
  EXPECT_EQ(module.GetPrimaryDataId(), 0);
  // A model resolves to type 2, which this module does not take.
  module.SetPrimaryDataByName("fran_cut");
  EXPECT_EQ(module.GetLastError(), vModuleBase::UnsuitableData);
  EXPECT_EQ(module.GetPrimaryDataId(), 0);
  module.SetPrimaryDataByName("nothing");
  EXPECT_EQ(module.GetLastError(), vModuleBase::UnsuitableData);
  module.SetPrimaryDataByName("scanner"); // a hard resource of type 4: suitable
  EXPECT_EQ(module.GetLastError(), 0);
  EXPECT_EQ(module.GetPrimaryDataId(), 0);
  module.SetPrimaryDataByName("tracker"); // type 64: unsuitable
  EXPECT_EQ(module.GetLastError(), vModuleBase::UnsuitableData);
  module.ResetErrMsg();
  EXPECT_EQ(module.GetLastError(), 0);

  // Secondary data are not checked against the target type.
  module.AddSecondaryDataByName("fran_cut");
  EXPECT_EQ(module.GetLastError(), 0);
  module.AddSecondaryDataByName("TRACKER");
  module.AddSecondaryDataByName("missing");
  EXPECT_EQ(module.GetLastError(), vModuleBase::DataNotFound);
  EXPECT_EQ(module.Calls, "primary 0;primary 0;secondary 2 0;secondary 64 1;");
  EXPECT_EQ(module.GetNumberOfSecondaryData(), 2);
  EXPECT_EQ(module.GetSecondaryDataId(1), 1);
  EXPECT_EQ(module.GetSecondaryDataId(-1), -1);
  EXPECT_EQ(module.GetSecondaryDataId(128), -1);

  // Without a wrapper DeleteViewer only forgets the data.
  module.DeleteViewer();
  EXPECT_EQ(module.GetPrimaryDataId(), -1);
  EXPECT_EQ(module.GetNumberOfSecondaryData(), 0);
  EXPECT_EQ(module.GetSecondaryDataId(0), -1);
  EXPECT_EQ(vModuleBase::GetCompatibleDataType2(), 0);

  for (int i = 0; i < vModuleBase::MaximumSecondaryData; ++i)
  {
    module.AddSecondaryDataByName("carotid");
  }
  EXPECT_EQ(module.GetNumberOfSecondaryData(), vModuleBase::MaximumSecondaryData);
  module.AddSecondaryDataByName("carotid"); // the table is full: not recorded
  EXPECT_EQ(module.GetNumberOfSecondaryData(), vModuleBase::MaximumSecondaryData);
}
